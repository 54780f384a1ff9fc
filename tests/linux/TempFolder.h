// A temporary folder for a test of a store on disk, and whole-file reads and writes for the files in it.
#pragma once

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <system_error>

namespace hoardscope {

// A new empty folder named hoardscope-<purpose>-XXXXXX in the system's temporary folder, with the given rights
// (mkdtemp's owner-only ones by default), removed with everything in it at the end of the test.
class TTempFolder {
 public:
  explicit TTempFolder(const std::string& purpose,
                       std::filesystem::perms rights = std::filesystem::perms::owner_all) {
    std::string pattern = (std::filesystem::temp_directory_path() / ("hoardscope-" + purpose + "-XXXXXX")).string();
    if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
    Path = pattern;
    std::filesystem::permissions(Path, rights);
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::filesystem::path Path;
};

inline void WriteFile(const std::filesystem::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace hoardscope
