// Registry keys and values over advapi32.
#include "platform/win32/WinRegistry.h"

#include "com/ComTypes.h"
#include "core/Tools.h"
#include "platform/win32/UniqueHandle.h"

namespace hoardscope {
namespace {

using TKey = TUniqueHandle<HKEY, &RegCloseKey>;

// The path as the registry functions take it: parts joined by "\", without a leading one.
std::string KeyPath(const std::string& path) {
  std::string joined;
  for (const std::string& part : SplitKeyPath(path)) joined += (joined.empty() ? "" : "\\") + part;
  return joined;
}

std::string KeyName(RegistryRoot root, const std::string& path) {
  return RegistryRootName(root) + "\\" + KeyPath(path);
}

class TWinRegistryKey : public IRegistryKey {
 public:
  TWinRegistryKey(TKey key, std::string name) : FKey(std::move(key)), FName(std::move(name)) {}

  std::optional<RegistryValue> ReadValue(const std::string& name) override {
    if (!ValueExists(name)) return std::nullopt;
    return ReadStoredValue(StoredName(name));
  }

  bool ValueExists(const std::string& name) override {
    return RegQueryValueExA(FKey.Get(), name.c_str(), nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }

  void WriteValue(const RegistryValue& value) override {
    // Strings are stored with their terminating NUL, as the registry's readers expect.
    std::vector<std::uint8_t> data = value.Data;
    if (value.Type == RegistryType::String || value.Type == RegistryType::ExpandString) data.push_back(0);
    const LONG result = RegSetValueExA(FKey.Get(), value.Name.c_str(), 0, static_cast<DWORD>(value.Type),
                                       data.data(), static_cast<DWORD>(data.size()));
    if (result != ERROR_SUCCESS) {
      throw RegistryError("The value \"" + value.Name + "\" of " + FName + " could not be written (error " +
                          std::to_string(result) + ").");
    }
  }

  bool DeleteValue(const std::string& name) override {
    const LONG result = RegDeleteValueA(FKey.Get(), name.c_str());
    if (result == ERROR_SUCCESS) return true;
    if (result == ERROR_FILE_NOT_FOUND || !ValueExists(name)) return false;
    throw RegistryError("The value \"" + name + "\" of " + FName + " could not be deleted (error " +
                        std::to_string(result) + ").");
  }

  std::vector<RegistryValue> EnumValues() override {
    std::vector<RegistryValue> values;
    for (const std::string& name : ValueNames()) {
      if (auto value = ReadStoredValue(name)) values.push_back(std::move(*value));
    }
    return values;
  }

  std::vector<std::string> EnumSubkeys() override {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
      char name[256];
      DWORD length = sizeof name;
      if (RegEnumKeyExA(FKey.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        break;
      }
      names.emplace_back(name, length);
    }
    return names;
  }

 private:
  // The value under exactly its stored name.
  std::optional<RegistryValue> ReadStoredValue(const std::string& storedName) {
    DWORD type = 0;
    DWORD size = 0;
    if (RegQueryValueExA(FKey.Get(), storedName.c_str(), nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
      return std::nullopt;
    }
    RegistryValue value{storedName, static_cast<RegistryType>(type), std::vector<std::uint8_t>(size)};
    if (RegQueryValueExA(FKey.Get(), storedName.c_str(), nullptr, &type, value.Data.data(), &size) !=
        ERROR_SUCCESS) {
      return std::nullopt;
    }
    value.Data.resize(size);
    // Strings come without the terminating NUL the registry usually holds; one that was stored without it stays.
    const bool isString = value.Type == RegistryType::String || value.Type == RegistryType::ExpandString;
    if (isString && !value.Data.empty() && value.Data.back() == 0) value.Data.pop_back();
    return value;
  }

  // A value's name in the letter case it was first written in (the registry finds names without regard to case).
  std::string StoredName(const std::string& name) {
    for (const std::string& stored : ValueNames()) {
      if (EqualsNoCase(stored, name)) return stored;
    }
    return name;
  }

  std::vector<std::string> ValueNames() {
    std::vector<std::string> names;
    for (DWORD index = 0;; ++index) {
      char name[16384];
      DWORD length = sizeof name;
      if (RegEnumValueA(FKey.Get(), index, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        break;
      }
      names.emplace_back(name, length);
    }
    return names;
  }

  TKey FKey;
  std::string FName;
};

}  // namespace

TWinRegistry::TWinRegistry() : TWinRegistry(HKEY_CLASSES_ROOT, HKEY_CURRENT_USER, HKEY_LOCAL_MACHINE) {}

TWinRegistry::TWinRegistry(HKEY classesRoot, HKEY currentUser, HKEY localMachine)
    : FClassesRoot(classesRoot), FCurrentUser(currentUser), FLocalMachine(localMachine) {}

HKEY TWinRegistry::RootKey(RegistryRoot root) const {
  switch (root) {
    case RegistryRoot::ClassesRoot: return FClassesRoot;
    case RegistryRoot::CurrentUser: return FCurrentUser;
    case RegistryRoot::LocalMachine: return FLocalMachine;
  }
  return FClassesRoot;
}

std::unique_ptr<IRegistryKey> TWinRegistry::OpenKey(RegistryRoot root, const std::string& path, bool writable) {
  TKey key;
  const REGSAM access = writable ? KEY_ALL_ACCESS : KEY_READ;
  if (RegOpenKeyExA(RootKey(root), KeyPath(path).c_str(), 0, access, key.Out()) != ERROR_SUCCESS) return nullptr;
  return std::make_unique<TWinRegistryKey>(std::move(key), KeyName(root, path));
}

std::unique_ptr<IRegistryKey> TWinRegistry::CreateKey(RegistryRoot root, const std::string& path) {
  TKey key;
  const LONG result = RegCreateKeyExA(RootKey(root), KeyPath(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                      KEY_ALL_ACCESS, nullptr, key.Out(), nullptr);
  // A user without full access to an existing key may still read it; its writes are then refused one by one.
  if (result == ERROR_ACCESS_DENIED) {
    if (auto readable = OpenKey(root, path, false)) return readable;
  }
  if (result != ERROR_SUCCESS) {
    throw RegistryError("The key " + KeyName(root, path) + " could not be created (error " + std::to_string(result) +
                        ").");
  }
  return std::make_unique<TWinRegistryKey>(std::move(key), KeyName(root, path));
}

bool TWinRegistry::KeyExists(RegistryRoot root, const std::string& path) {
  return OpenKey(root, path, false) != nullptr;
}

bool TWinRegistry::DeleteKey(RegistryRoot root, const std::string& path) {
  const std::string keyPath = KeyPath(path);
  if (keyPath.empty()) throw RegistryError("The root key " + RegistryRootName(root) + " cannot be deleted.");
  if (!KeyExists(root, path)) return false;
  const LONG result = RegDeleteTreeA(RootKey(root), keyPath.c_str());  // the key itself goes with its tree
  if (result == ERROR_SUCCESS) return true;
  throw RegistryError("The key " + KeyName(root, path) + " could not be deleted (error " + std::to_string(result) + ").");
}

}  // namespace hoardscope
