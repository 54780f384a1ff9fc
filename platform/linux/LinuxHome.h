// The Linux edition's installed files, found from the running program.
#pragma once

#include <filesystem>
#include <string>

namespace hoardscope {

// A file installed with the program: beside it in a build tree, in lib/hoardscope next to bin where a package
// installed it.
std::filesystem::path InstalledFile(const std::string& name);

}  // namespace hoardscope
