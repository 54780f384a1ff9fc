// The Windows registry as the registry port: keys and typed values of HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and
// HKEY_LOCAL_MACHINE through the advapi32 functions.
#pragma once

#include "com/ComTypes.h"
#include "platform/ports/Registry.h"

namespace hoardscope {

class TWinRegistry : public IRegistry {
 public:
  // The system's roots.
  TWinRegistry();
  // Three open keys that stand in for HKEY_CLASSES_ROOT, HKEY_CURRENT_USER and HKEY_LOCAL_MACHINE, so that a
  // test works in a registry of its own. They must stay open while this object is used.
  TWinRegistry(HKEY classesRoot, HKEY currentUser, HKEY localMachine);

  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path, bool writable) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;
  bool DeleteKey(RegistryRoot root, const std::string& path) override;

 private:
  HKEY RootKey(RegistryRoot root) const;

  HKEY FClassesRoot;
  HKEY FCurrentUser;
  HKEY FLocalMachine;
};

}  // namespace hoardscope
