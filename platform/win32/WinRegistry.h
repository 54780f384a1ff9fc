// The Windows registry as the registry port: keys and typed values of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE through the advapi32 functions.
#pragma once

#include "platform/ports/Registry.h"

namespace hoardscope {

class TWinRegistry : public IRegistry {
 public:
  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path, bool writable) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;
  bool DeleteKey(RegistryRoot root, const std::string& path) override;
};

}  // namespace hoardscope
