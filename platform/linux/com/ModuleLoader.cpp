// The Linux edition's loader of COM modules: the dynamic loader.
#include <dlfcn.h>

#include <stdexcept>

#include "platform/ports/ModuleLoader.h"

namespace hoardscope {

void* LoadModuleLibrary(const std::filesystem::path& file) {
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) throw std::runtime_error("The module " + file.string() + " could not be loaded: " + dlerror());
  return library;
}

void* FindModuleEntry(void* library, const char* name) { return dlsym(library, name); }

void FreeModuleLibrary(void* library) { dlclose(library); }

}  // namespace hoardscope
