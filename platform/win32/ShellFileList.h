// The name lists of the shell's file operation (SHFileOperationA's pFrom and pTo).
#pragma once

#include <string>

namespace hoardscope {

// A list of one name, ended by two NUL characters, as the shell's file operation takes it.
inline std::string OneNameList(const std::string& name) { return name + std::string(2, '\0'); }

}  // namespace hoardscope
