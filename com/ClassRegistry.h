// The registry lookups that lead from a ProgID or a CLSID to the module that serves it, as the system's COM
// library makes them for an in-process server.
#pragma once

#include <optional>
#include <string>

#include "com/ComTypes.h"
#include "platform/ports/Registry.h"

namespace hoardscope {

// The CLSID registered for a ProgID (HKEY_CLASSES_ROOT\ProgID\Clsid); nullopt when there is none.
std::optional<CLSID> ClassOfProgId(IRegistry& registry, const std::string& progId);
// The module registered for a class (HKEY_CLASSES_ROOT\CLSID\{clsid}\InprocServer32); nullopt when there is none.
std::optional<std::string> ModuleOfClass(IRegistry& registry, REFCLSID clsid);

}  // namespace hoardscope
