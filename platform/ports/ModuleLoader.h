// The module loader port: the edition's loader of libraries, which its COM runtime provides (LoadLibraryA on
// Windows, the dynamic loader on Linux). The portable module code loads the COM modules through it.
#pragma once

#include <filesystem>

namespace hoardscope {

// Loads a library; raises std::runtime_error naming the file and the reason when it cannot.
void* LoadModuleLibrary(const std::filesystem::path& file);
// An exported function of a loaded library; nullptr when it has none of that name.
void* FindModuleEntry(void* library, const char* name);
void FreeModuleLibrary(void* library);

}  // namespace hoardscope
