// Finding classes and their modules through the registry.
#include "com/ClassRegistry.h"

#include "com/ComSupport.h"

namespace hoardscope {
namespace {

std::optional<std::string> DefaultText(IRegistry& registry, const std::string& key) {
  const auto opened = registry.OpenKey(RegistryRoot::ClassesRoot, key, false);
  if (!opened) return std::nullopt;
  const auto value = opened->ReadValue("");
  if (!value) return std::nullopt;
  return StringOf(*value);
}

}  // namespace

std::optional<CLSID> ClassOfProgId(IRegistry& registry, const std::string& progId) {
  const auto text = DefaultText(registry, progId + "\\Clsid");
  return text ? ParseGuid(*text) : std::nullopt;
}

std::optional<std::string> ModuleOfClass(IRegistry& registry, REFCLSID clsid) {
  const auto path = DefaultText(registry, "CLSID\\" + GuidText(clsid) + "\\InprocServer32");
  if (!path || path->empty()) return std::nullopt;
  return path;
}

}  // namespace hoardscope
