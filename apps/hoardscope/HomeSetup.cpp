// The setup of a home: folders, keys and the module's registration.
#include "HomeSetup.h"

#include <iostream>

#include "search/Search.h"
#include "settings/SettingsStore.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr const char* kAppFolderValue = "AppFolder";

// The help pages of the installed module: beside it in a build tree, in share/hoardscope where a package put the
// module into lib/hoardscope.
fs::path HelpPagesOf(const fs::path& moduleFolder) {
  const fs::path beside = moduleFolder / "help";
  const fs::path packaged = moduleFolder.parent_path().parent_path() / "share" / "hoardscope" / "help";
  return fs::is_directory(beside) || !fs::is_directory(packaged) ? beside : packaged;
}

// The help that lies with the installed module (the pages, or the compiled help file) goes into the data folder.
void CopyHelp(const fs::path& appFolder) {
  const fs::path installed = InstalledModule().parent_path();
  if (const fs::path pages = HelpPagesOf(installed); fs::is_directory(pages)) {
    fs::copy(pages, appFolder / "help", fs::copy_options::recursive | fs::copy_options::overwrite_existing);
  }
  if (fs::is_regular_file(installed / "Hoardscope.chm")) {
    fs::remove(appFolder / "Hoardscope.chm");  // an older copy is replaced
    fs::copy_file(installed / "Hoardscope.chm", appFolder / "Hoardscope.chm");
  }
}

}  // namespace

bool HomeIsSetUp(const THomePaths& home) {
  const std::unique_ptr<IRegistryKey> key =
      OpenHomeRegistry(home)->OpenKey(RegistryRoot::LocalMachine, kSettingsKey, false);
  return key && key->ValueExists(kAppFolderValue);
}

bool SetUpHome(const THomePaths& home) {
  try {
    fs::create_directories(home.AppFolder / "Save Files");
    CopyHelp(home.AppFolder);
  } catch (const fs::filesystem_error& error) {
    std::cerr << "hoardscope: cannot set up the data folder " << home.AppFolder.string() << ": " << error.what()
              << "\n";
    return false;
  }
  if (RunRegsvrCommand({"/s"}, home) != 0) return false;
  const std::unique_ptr<IRegistry> registry = OpenHomeRegistry(home);
  registry->CreateKey(RegistryRoot::LocalMachine, kSearchHistoryKey);
  registry->CreateKey(RegistryRoot::LocalMachine, kSettingsKey)
      ->WriteValue(MakeStringValue(kAppFolderValue, home.AppFolder.string()));
  return true;
}

void SetUpHomeWhenNeeded(const THomePaths& home) {
  if (HomeIsSetUp(home)) return;
  std::cerr << "hoardscope: setting up this home (data folder " << home.AppFolder.string()
            << ", search history, the module's registration)\n";
  SetUpHome(home);
}

int RunSetupCommand(const TArguments& args, const THomePaths& home) {
  if (!args.empty()) {
    std::cerr << "usage: hoardscope setup\n";
    return 2;
  }
  if (!SetUpHome(home)) return 1;
  std::cout << "setup: done (AppFolder " << home.AppFolder.string() << ")\n";
  return 0;
}

}  // namespace hoardscope
