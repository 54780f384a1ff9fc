// Writes the COM registration of hoardscope.dll as the Windows installer's registry rows (a WiX include), by
// running the module's own registration into a scratch registry: the installer and DllRegisterServer write the
// same keys and values from the same tables, so the two cannot drift apart.
//
//   hoardscope-msi-registry OUTPUT.wxi [--win64]
//
// The module path becomes the installer's path of the installed file ([#hoardscope.dll], or the short form
// [!hoardscope.dll] where the module writes its short path), its folder [INSTALLFOLDER]; --win64 files the type
// library under the 64-bit platform key, as the system's registration does for a 64-bit module.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <stdexcept>
#include <string>
#include <unistd.h>

#include "Hoardscope_dispatch.h"
#include "com/HoardscopeServer.h"
#include "platform/linux/RegistryStore.h"
#include "platform/linux/LinuxTypeLibrary.h"

namespace hoardscope {
namespace {

// Stand-ins for the module's paths, replaced by the installer's names for them.
const std::string kModuleFolder = "/installfolder";
const std::string kModulePath = kModuleFolder + "/hoardscope dll";
const std::string kShortModulePath = "/short-module-path";

class TRegistrationHost : public IModuleHost {
 public:
  explicit TRegistrationHost(IRegistry& registry) : FRegistry(registry) {}
  std::string ModulePath() override { return kModulePath; }
  std::string ShortPath(const std::string& path) override { return path == kModulePath ? kShortModulePath : path; }
  IRegistry& Registry() override { return FRegistry; }
  ITypeLibrary& TypeLibrary() override { return FLibrary; }
  IViewFactory& ViewFactory() override { throw std::runtime_error("no views while registering"); }
  TDownloadServices DownloadServices() override { throw std::runtime_error("no downloads while registering"); }
  void ShowError(const std::string& text) override { std::cerr << text << "\n"; }

 private:
  IRegistry& FRegistry;
  TLinuxTypeLibrary FLibrary{idl::kLibrary, [this]() -> IRegistry& { return FRegistry; }};
};

std::string XmlText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string InstallerValue(const std::string& text) {
  if (text == kModulePath) return "[#hoardscope.dll]";
  if (text == kShortModulePath) return "[!hoardscope.dll]";
  if (text == kModuleFolder + "/") return "[INSTALLFOLDER]";  // the installer's folder names end in a separator
  // Brackets and braces are formatting characters of the installer's strings.
  std::string escaped;
  for (char c : text) {
    if (c == '[' || c == ']' || c == '{' || c == '}') {
      escaped += std::string("[\\") + c + "]";
    } else {
      escaped += c;
    }
  }
  return escaped;
}

std::string ValueElement(const std::string& key, const RegistryValue& value) {
  std::string element = "    <RegistryValue Root=\"HKCR\" Key=\"" + XmlText(key) + "\"";
  if (!value.Name.empty()) element += " Name=\"" + XmlText(value.Name) + "\"";
  if (const auto number = DwordOf(value)) {
    element += " Type=\"integer\" Value=\"" + std::to_string(*number) + "\"";
  } else if (const auto text = StringOf(value)) {
    element += " Type=\"string\" Value=\"" + XmlText(InstallerValue(*text)) + "\"";
  } else {
    throw std::runtime_error("the registration wrote a value of a type the installer rows do not carry: " + value.Name);
  }
  return element + "/>\n";
}

// Writes one key's values and then its subkeys'. A key with neither values nor subkeys gets the installer's row
// that creates the key and removes it at uninstall (name "*", no value); a key that only holds subkeys (CLSID,
// TypeLib) gets none.
void WriteKey(IRegistry& registry, const std::string& path, bool win64, std::ostream& out) {
  const auto key = registry.OpenKey(RegistryRoot::ClassesRoot, path, false);
  if (!key) return;
  std::string installedPath = path;
  if (win64 && path.starts_with("TypeLib\\") && path.ends_with("\\win32")) {
    installedPath = path.substr(0, path.size() - 5) + "win64";
  }
  const auto values = key->EnumValues();
  const auto subkeys = key->EnumSubkeys();
  for (const RegistryValue& value : values) out << ValueElement(installedPath, value);
  if (values.empty() && subkeys.empty()) {
    out << "    <RegistryValue Root=\"HKCR\" Key=\"" << XmlText(installedPath) << "\" Name=\"*\" Type=\"string\" Value=\"\"/>\n";
  }
  for (const std::string& subkey : subkeys) WriteKey(registry, path + "\\" + subkey, win64, out);
}

int Run(const std::filesystem::path& output, bool win64) {
  char scratch[] = "/tmp/hoardscope-msi-registry.XXXXXX";
  if (!mkdtemp(scratch)) throw std::runtime_error("no scratch folder");
  struct TRemove {
    std::filesystem::path Folder;
    ~TRemove() { std::filesystem::remove_all(Folder); }
  } remove{scratch};
  TRegistryStore registry(remove.Folder / "registry.db");
  TRegistrationHost host(registry);
  TModuleEntry entry(host);
  if (FAILED(entry.RegisterServer())) throw std::runtime_error("the module's registration failed");

  std::ofstream out(output, std::ios::binary);
  out << "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
         "<!-- Generated from the module's registration by hoardscope-msi-registry. Do not edit. -->\n<Include>\n";
  const auto root = registry.OpenKey(RegistryRoot::ClassesRoot, "", false);
  for (const std::string& top : root->EnumSubkeys()) {
    if (top != "MIME") WriteKey(registry, top, win64, out);
  }
  out << "</Include>\n";
  if (!out.flush()) throw std::runtime_error("cannot write " + output.string());
  return 0;
}

}  // namespace
}  // namespace hoardscope

int main(int argc, char** argv) {
  const bool win64 = argc == 3 && std::string(argv[2]) == "--win64";
  if (argc < 2 || argc > 3 || (argc == 3 && !win64)) {
    std::cerr << "usage: hoardscope-msi-registry OUTPUT.wxi [--win64]\n";
    return 2;
  }
  try {
    return hoardscope::Run(argv[1], win64);
  } catch (const std::exception& error) {
    std::cerr << "hoardscope-msi-registry: " << error.what() << "\n";
    return 1;
  }
}
