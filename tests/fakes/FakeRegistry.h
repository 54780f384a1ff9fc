// An in-memory registry for the unit tests: three roots of keys with typed values, and a switch that makes it
// refuse every change, as a store the user may only read.
#pragma once

#include <memory>

#include "platform/ports/Registry.h"

namespace hoardscope {

class TFakeRegistry : public IRegistry {
 public:
  TFakeRegistry();

  std::unique_ptr<IRegistryKey> OpenKey(RegistryRoot root, const std::string& path, bool writable) override;
  std::unique_ptr<IRegistryKey> CreateKey(RegistryRoot root, const std::string& path) override;
  bool KeyExists(RegistryRoot root, const std::string& path) override;
  bool DeleteKey(RegistryRoot root, const std::string& path) override;

  // While set, existing keys open and read as before, and every change (creating a missing key, writing or
  // deleting) raises RegistryError. Deleting what does not exist still just answers false.
  void SetReadOnly(bool readOnly);

  struct TNode;
  struct TState;

 private:
  std::shared_ptr<TNode> Find(RegistryRoot root, const std::vector<std::string>& parts) const;

  std::shared_ptr<TState> FState;   // shared with the open keys, which may outlive a call
};

}  // namespace hoardscope
