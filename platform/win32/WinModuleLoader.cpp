// The Windows edition's loader of COM modules: the system's, LoadLibraryA.
#include <stdexcept>
#include <string>

#include <windows.h>

#include "platform/ports/ModuleLoader.h"

namespace hoardscope {

void* LoadModuleLibrary(const std::filesystem::path& file) {
  const HMODULE library = LoadLibraryA(file.string().c_str());
  if (!library) {
    throw std::runtime_error("The module " + file.string() + " could not be loaded (error " +
                             std::to_string(GetLastError()) + ").");
  }
  return reinterpret_cast<void*>(library);
}

void* FindModuleEntry(void* library, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void FreeModuleLibrary(void* library) { FreeLibrary(static_cast<HMODULE>(library)); }

}  // namespace hoardscope
