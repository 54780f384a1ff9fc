// The Linux edition's registry: keys and typed values under the three roots, kept in an SQLite file, with the MIME
// database of HKEY_CLASSES_ROOT ("MIME\Database\Content Type") served read-only from the system's media types.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/ports/Registry.h"

namespace hoardscope {

class TRegistryStore : public IRegistry {
 public:
  // Opens the store in databaseFile, creating the file and its folder when they are missing. Raises RegistryError
  // naming the file when it cannot be opened, is damaged or holds something else; such a file is left as it is.
  // A file the user may not write opens read-only: everything reads, every change raises RegistryError.
  // mimeTypesFile is read once, at the first look into the MIME database.
  explicit TRegistryStore(const std::filesystem::path& databaseFile,
                          const std::filesystem::path& mimeTypesFile = "/etc/mime.types");
  ~TRegistryStore() override;

  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path, bool writable) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;
  bool DeleteKey(RegistryRoot root, const std::string& path) override;

  bool IsReadOnly() const;

  class TState;

 private:
  std::shared_ptr<TState> FState;   // shared with the open keys, which may outlive the store object
};

}  // namespace hoardscope
