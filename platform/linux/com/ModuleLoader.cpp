// The Linux edition's loader of COM modules: the dynamic loader.
#include <dlfcn.h>
#include <link.h>

#include <set>
#include <stdexcept>
#include <string>

#include "platform/ports/ModuleLoader.h"

namespace hoardscope {
namespace {

// The names of the libraries mapped into the process now.
std::set<std::string> MappedLibraries() {
  std::set<std::string> names;
  dl_iterate_phdr(
      [](dl_phdr_info* info, std::size_t, void* data) {
        if (info->dlpi_name && *info->dlpi_name) static_cast<std::set<std::string>*>(data)->insert(info->dlpi_name);
        return 0;
      },
      &names);
  return names;
}

}  // namespace

// The libraries a module brings in stay mapped when it goes: the bar links Qt, whose libraries cannot be unloaded
// safely (what they set up while loading would outlive them). The module itself is unloaded, and starts afresh
// when loaded again.
void* LoadModuleLibrary(const std::filesystem::path& file) {
  const std::set<std::string> before = MappedLibraries();
  void* library = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!library) throw std::runtime_error("The module " + file.string() + " could not be loaded: " + dlerror());
  link_map* module = nullptr;
  dlinfo(library, RTLD_DI_LINKMAP, &module);
  for (const std::string& name : MappedLibraries()) {
    if (before.count(name) || (module && name == module->l_name)) continue;
    dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD | RTLD_NODELETE);
  }
  return library;
}

void* FindModuleEntry(void* library, const char* name) { return dlsym(library, name); }

void FreeModuleLibrary(void* library) { dlclose(library); }

}  // namespace hoardscope
