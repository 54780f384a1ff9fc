// The registry port: hierarchical keys with typed values under three roots.
// Windows serves it from the system registry; the Linux edition from its own registry store.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace hoardscope {

enum class RegistryRoot { ClassesRoot, CurrentUser, LocalMachine };

// Value types with the platform's numbers.
enum class RegistryType : std::uint32_t {
  None = 0, String = 1, ExpandString = 2, Binary = 3, Dword = 4, MultiString = 7, Qword = 11
};

struct RegistryValue {
  std::string Name;                 // "" is the key's default value
  RegistryType Type = RegistryType::None;
  std::vector<std::uint8_t> Data;   // raw bytes; strings are stored without a terminating NUL
};

// Raised when a key cannot be opened, created or written where the caller must know it. It is a
// std::runtime_error (what() is Message), so that every boundary that catches std::exception catches it too.
struct RegistryError : std::runtime_error {
  RegistryError(const std::string& message) : std::runtime_error(message), Message(message) {}
  std::string Message;
};

// An open key. Names of values and subkeys compare without regard to case.
class IRegistryKey {
 public:
  virtual ~IRegistryKey() = default;

  virtual std::optional<RegistryValue> ReadValue(const std::string& name) = 0;
  virtual bool ValueExists(const std::string& name) = 0;
  // Writes raise RegistryError when the key was opened read-only or the store refuses.
  virtual void WriteValue(const RegistryValue& value) = 0;
  virtual bool DeleteValue(const std::string& name) = 0;
  virtual std::vector<RegistryValue> EnumValues() = 0;      // in the order they were first written
  virtual std::vector<std::string> EnumSubkeys() = 0;       // names of the direct subkeys
};

class IRegistry {
 public:
  virtual ~IRegistry() = default;

  // Opens an existing key (path parts separated by "\", a leading "\" is ignored). nullptr when it is absent.
  virtual std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path, bool writable) = 0;
  // Opens a key, creating it and its missing parents. Raises RegistryError when the store refuses.
  virtual std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) = 0;
  virtual bool KeyExists(RegistryRoot root, const std::string& path) = 0;
  // Deletes a key with all its subkeys and values. False when it did not exist.
  virtual bool DeleteKey(RegistryRoot root, const std::string& path) = 0;
};

// Helpers shared by every caller of the port.
// The long name of a root: "HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER" or "HKEY_LOCAL_MACHINE".
std::string RegistryRootName(RegistryRoot root);
// The names along a key path: split at "\", empty parts (a leading or doubled "\") dropped.
std::vector<std::string> SplitKeyPath(const std::string& path);
RegistryValue MakeStringValue(const std::string& name, const std::string& text);
RegistryValue MakeDwordValue(const std::string& name, std::uint32_t number);
// The text of a REG_SZ/REG_EXPAND_SZ value (up to a NUL, if one was stored); nullopt for other types.
std::optional<std::string> StringOf(const RegistryValue& value);
// The number of a REG_DWORD value; nullopt for other types or a wrong size.
std::optional<std::uint32_t> DwordOf(const RegistryValue& value);

}  // namespace hoardscope
