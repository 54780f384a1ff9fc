// hoardscope reg: reads and changes the registry store from the command line, with the options, output layout
// and messages of the Windows reg tool, so that scripts read the same on both editions.
//
//   reg query KEY [/v NAME | /ve] [/s]
//       a blank line; when the key has values, its full name and one line per value, "    NAME    TYPE    DATA"
//       ("(Default)" for the unnamed value, REG_DWORD as 0x hex), then a blank line; then the full names of its
//       subkeys. /v or /ve shows one value; /s walks the subkeys too (with /v or /ve, it searches them).
//   reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]
//       creates the key and writes the value (the unnamed one for /ve, or for /t or /d without /v). DATA of a
//       REG_DWORD is decimal, or hexadecimal after 0x. There is no prompt: an existing value is overwritten only
//       with /f.
//   reg delete KEY [/v NAME | /ve | /va] /f
//       deletes one value, the unnamed value, every value of the key (/va), or the key with all its subkeys.
//       There is no prompt: without /f nothing is deleted.
//
// KEY starts with its root: HKLM, HKCU, HKCR or HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER, HKEY_CLASSES_ROOT.
// Options may start with "/" or "-", in any letter case. "/?" shows the usage. Every failure prints a line
// beginning with "ERROR:" on standard error and gives exit code 1.
#include <algorithm>
#include <cstdio>
#include <functional>
#include <iostream>
#include <map>
#include <set>

#include "Commands.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr const char* kNotFound = "ERROR: The system was unable to find the specified registry key or value.";
constexpr const char* kDone = "The operation completed successfully.";
constexpr const char* kIndent = "    ";

const std::map<std::string, std::string> kUsages = {
    {"query", "usage: hoardscope reg query KEY [/v NAME | /ve] [/s]\n"},
    {"add", "usage: hoardscope reg add KEY [/v NAME | /ve] [/t REG_SZ|REG_DWORD] [/d DATA] [/f]\n"},
    {"delete", "usage: hoardscope reg delete KEY [/v NAME | /ve | /va] /f\n"},
};

// The options each operation takes; those in kOptionsWithArgument take the next word as their argument.
const std::map<std::string, std::set<std::string>> kOptionsOf = {
    {"query", {"v", "ve", "s"}},
    {"add", {"v", "ve", "t", "d", "f"}},
    {"delete", {"v", "ve", "va", "f"}},
};
const std::set<std::string> kOptionsWithArgument = {"v", "t", "d"};

std::string JoinPath(const std::vector<std::string>& parts) {
  std::string path;
  for (const std::string& part : parts) path += (path.empty() ? "" : "\\") + part;
  return path;
}

// A refusal that ends the command with its message on standard error.
struct TRegFailure {
  std::string Message;
};

// One reg call, checked against its operation's options.
struct TRegCall {
  RegistryRoot Root = RegistryRoot::CurrentUser;
  std::vector<std::string> Path;                // the key's names below the root
  std::map<std::string, std::string> Options;   // lower-case name without "/" -> argument ("" for a switch)

  bool Has(const std::string& option) const { return Options.count(option) > 0; }
  // The value that /v or /ve names; nullopt when neither is given.
  std::optional<std::string> ValueName() const {
    if (Has("v")) return Options.at("v");
    if (Has("ve")) return std::string();
    return std::nullopt;
  }
  std::string PathText() const { return JoinPath(Path); }
  std::string FullName() const {
    std::string name = RegistryRootName(Root);
    if (!Path.empty()) name.append(1, '\\').append(JoinPath(Path));
    return name;
  }
};

// A failure of the call itself, with the reg tool's pointer to the usage.
TRegFailure BadCall(const std::string& message, const std::string& operation) {
  return {"ERROR: " + message + "\nType \"hoardscope reg " + UpperAscii(operation) + " /?\" for usage."};
}

TRegFailure SyntaxError(const std::string& operation) { return BadCall("Invalid syntax.", operation); }

std::optional<RegistryRoot> RootNamed(const std::string& name) {
  const std::string upper = UpperAscii(name);
  if (upper == "HKLM" || upper == "HKEY_LOCAL_MACHINE") return RegistryRoot::LocalMachine;
  if (upper == "HKCU" || upper == "HKEY_CURRENT_USER") return RegistryRoot::CurrentUser;
  if (upper == "HKCR" || upper == "HKEY_CLASSES_ROOT") return RegistryRoot::ClassesRoot;
  return std::nullopt;
}

TRegCall ParseCall(const std::string& operation, const TArguments& words) {
  TRegCall call;
  if (words.empty() || words[0].empty() || words[0][0] == '/' || words[0][0] == '-') throw SyntaxError(operation);
  const std::string& key = words[0];
  const std::size_t rootEnd = std::min(key.find('\\'), key.size());
  const auto root = RootNamed(key.substr(0, rootEnd));
  if (!root) throw BadCall("Invalid key name.", operation);
  call.Root = *root;
  call.Path = SplitKeyPath(key.substr(rootEnd));

  const std::set<std::string>& allowed = kOptionsOf.at(operation);
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const std::string option = word.size() > 1 && (word[0] == '/' || word[0] == '-') ? LowerAscii(word.substr(1)) : "";
    if (!allowed.count(option) || call.Has(option)) throw SyntaxError(operation);
    const bool takesArgument = kOptionsWithArgument.count(option) > 0;
    if (takesArgument && i + 1 >= words.size()) throw SyntaxError(operation);
    call.Options[option] = takesArgument ? words[++i] : "";
  }
  if (call.Has("v") + call.Has("ve") + call.Has("va") > 1) throw SyntaxError(operation);
  return call;
}

// --- query ---

std::string TypeName(RegistryType type) {
  switch (type) {
    case RegistryType::None: return "REG_NONE";
    case RegistryType::String: return "REG_SZ";
    case RegistryType::ExpandString: return "REG_EXPAND_SZ";
    case RegistryType::Binary: return "REG_BINARY";
    case RegistryType::Dword: return "REG_DWORD";
    case RegistryType::MultiString: return "REG_MULTI_SZ";
    case RegistryType::Qword: return "REG_QWORD";
  }
  return "REG_UNKNOWN";
}

std::string Hex(std::uint64_t number, const char* format) {
  char text[24];
  std::snprintf(text, sizeof text, format, static_cast<unsigned long long>(number));
  return text;
}

// The data as the reg tool shows it: text, 0x hex numbers, the strings of a REG_MULTI_SZ separated by "\0", and
// the bytes of anything else in upper-case hex pairs.
std::string DataText(const RegistryValue& value) {
  if (const auto text = StringOf(value)) return *text;
  if (const auto number = DwordOf(value)) return Hex(*number, "0x%llx");
  if (value.Type == RegistryType::Qword && value.Data.size() == 8) {
    std::uint64_t number = 0;
    for (std::size_t i = 0; i < 8; ++i) number |= static_cast<std::uint64_t>(value.Data[i]) << (8 * i);
    return Hex(number, "0x%llx");
  }
  if (value.Type == RegistryType::MultiString) {
    std::string text(value.Data.begin(), value.Data.end());
    while (!text.empty() && text.back() == '\0') text.pop_back();
    std::string shown;
    for (char c : text) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    return shown;
  }
  std::string bytes;
  for (std::uint8_t byte : value.Data) bytes += Hex(byte, "%02llX");
  return bytes;
}

std::string ValueLine(const RegistryValue& value) {
  return kIndent + (value.Name.empty() ? std::string("(Default)") : value.Name) + kIndent + TypeName(value.Type) +
         kIndent + DataText(value) + "\n";
}

std::string ValuesBlock(const std::string& fullName, const std::vector<RegistryValue>& values) {
  std::string block = fullName + "\n";
  for (const RegistryValue& value : values) block += ValueLine(value);
  return block + "\n";
}

// Visits the key and every key below it, depth first, subkeys in their listed order.
void WalkKeys(IRegistry& registry, RegistryRoot root, const std::vector<std::string>& path, const std::string& fullName,
              const std::function<void(IRegistryKey&, const std::string&)>& visit) {
  const auto key = registry.OpenKey(root, JoinPath(path), false);
  if (!key) return;   // deleted meanwhile
  visit(*key, fullName);
  for (const std::string& name : key->EnumSubkeys()) {
    std::vector<std::string> subpath = path;
    subpath.push_back(name);
    WalkKeys(registry, root, subpath, fullName + "\\" + name, visit);
  }
}

// /v or /ve with /s: every key below that holds the value, and the number of them.
int SearchValue(IRegistry& registry, const TRegCall& call, const std::string& valueName) {
  std::string out = "\n";
  int matches = 0;
  WalkKeys(registry, call.Root, call.Path, call.FullName(), [&](IRegistryKey& key, const std::string& fullName) {
    if (const auto value = key.ReadValue(valueName)) {
      out += ValuesBlock(fullName, {*value});
      ++matches;
    }
  });
  std::cout << out << "End of search: " << matches << " match(es) found.\n";
  return 0;
}

int Query(IRegistry& registry, const TRegCall& call) {
  const auto key = registry.OpenKey(call.Root, call.PathText(), false);
  if (!key) throw TRegFailure{kNotFound};
  const auto valueName = call.ValueName();
  if (valueName && call.Has("s")) return SearchValue(registry, call, *valueName);
  if (valueName) {
    auto value = key->ReadValue(*valueName);
    if (!value && !valueName->empty()) throw TRegFailure{kNotFound};
    const std::string line =
        value ? ValueLine(*value) : std::string(kIndent) + "(Default)    REG_SZ    (value not set)\n";
    std::cout << "\n" << call.FullName() << "\n" << line << "\n";
    return 0;
  }
  std::string out = "\n";
  if (call.Has("s")) {
    // The queried key shows its block only when it has values; every key below shows its own.
    WalkKeys(registry, call.Root, call.Path, call.FullName(), [&](IRegistryKey& each, const std::string& fullName) {
      const auto values = each.EnumValues();
      if (!values.empty() || fullName != call.FullName()) out += ValuesBlock(fullName, values);
    });
  } else {
    const auto values = key->EnumValues();
    if (!values.empty()) out += ValuesBlock(call.FullName(), values);
    for (const std::string& name : key->EnumSubkeys()) out += call.FullName() + "\\" + name + "\n";
  }
  std::cout << out;
  return 0;
}

// --- add and delete ---

std::uint32_t ParseDword(const std::string& text) {
  const bool hex = text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X');
  const std::string digits = hex ? text.substr(2) : text;
  const bool wellFormed = !digits.empty() && digits.size() <= 10 &&
                          digits.find_first_not_of(hex ? "0123456789abcdefABCDEF" : "0123456789") == std::string::npos;
  const unsigned long long number = wellFormed ? std::stoull(digits, nullptr, hex ? 16 : 10) : ~0ull;
  if (number > 0xFFFFFFFFull) {
    throw TRegFailure{"ERROR: /d needs a number from 0 to 4294967295 for REG_DWORD (decimal, or hexadecimal after 0x)"};
  }
  return static_cast<std::uint32_t>(number);
}

RegistryValue ValueToAdd(const TRegCall& call) {
  const std::string name = call.ValueName().value_or("");
  const std::string type = call.Has("t") ? UpperAscii(call.Options.at("t")) : "REG_SZ";
  const std::string data = call.Has("d") ? call.Options.at("d") : "";
  if (type == "REG_SZ") return MakeStringValue(name, data);
  if (type == "REG_DWORD") return MakeDwordValue(name, ParseDword(data));
  throw TRegFailure{"ERROR: the type " + call.Options.at("t") + " cannot be added; use REG_SZ or REG_DWORD"};
}

int Add(IRegistry& registry, const TRegCall& call) {
  const bool writesValue = call.ValueName() || call.Has("t") || call.Has("d");
  const std::optional<RegistryValue> value = writesValue ? std::optional(ValueToAdd(call)) : std::nullopt;
  const auto key = registry.CreateKey(call.Root, call.PathText());
  if (value) {
    if (key->ValueExists(value->Name) && !call.Has("f")) throw TRegFailure{"ERROR: value exists, use /f to overwrite"};
    key->WriteValue(*value);
  }
  std::cout << kDone << "\n";
  return 0;
}

int Delete(IRegistry& registry, const TRegCall& call) {
  const auto key = registry.OpenKey(call.Root, call.PathText(), true);
  if (!key) throw TRegFailure{kNotFound};
  const auto valueName = call.ValueName();
  if (valueName && !key->ValueExists(*valueName)) throw TRegFailure{kNotFound};
  if (!call.Has("f")) throw TRegFailure{"ERROR: nothing was deleted, there is no prompt to confirm: use /f to delete"};
  if (valueName) {
    key->DeleteValue(*valueName);
  } else if (call.Has("va")) {
    for (const RegistryValue& value : key->EnumValues()) key->DeleteValue(value.Name);
  } else {
    registry.DeleteKey(call.Root, call.PathText());
  }
  std::cout << kDone << "\n";
  return 0;
}

}  // namespace

int RunRegCommand(const TArguments& args, const THomePaths& home) {
  const std::string operation = args.empty() ? "" : LowerAscii(args[0]);
  if (!kUsages.count(operation)) {
    std::cerr << "ERROR: Invalid syntax.\n";
    for (const auto& [name, usage] : kUsages) std::cerr << usage;
    return 1;
  }
  const TArguments words(args.begin() + 1, args.end());
  if (std::find(words.begin(), words.end(), "/?") != words.end()) {
    std::cout << kUsages.at(operation);
    return 0;
  }
  try {
    const TRegCall call = ParseCall(operation, words);
    const std::unique_ptr<IRegistry> registry = OpenHomeRegistry(home);
    if (operation == "query") return Query(*registry, call);
    if (operation == "add") return Add(*registry, call);
    return Delete(*registry, call);
  } catch (const TRegFailure& failure) {
    std::cerr << failure.Message << "\n";
  } catch (const RegistryError& error) {
    std::cerr << "ERROR: " << error.Message << "\n";
  }
  return 1;
}

}  // namespace hoardscope
