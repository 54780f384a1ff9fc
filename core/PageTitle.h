// GetPageTitle: the caption of a cached file, its HTML title or else its undecorated file name.
#pragma once

#include <string>

namespace hoardscope {

// Leaves name as it is when the file does not exist. Reads the file only up to its first "</title>" (or its
// first NUL, where its text ends), never all of a large file at once.
void GetPageTitle(const std::string& localFile, std::string& name);

}  // namespace hoardscope
