// A fresh folder for a test's files in the system's temporary folder, removed with its content at the end, and
// whole-file reads.
#pragma once

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <system_error>

namespace hoardscope {

class TScratchFolder {
 public:
  TScratchFolder() {
    std::random_device random;
    Path = std::filesystem::temp_directory_path() / ("hoardscope-caches-" + std::to_string(random()));
    std::filesystem::create_directories(Path);
  }
  ~TScratchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  TScratchFolder(const TScratchFolder&) = delete;
  TScratchFolder& operator=(const TScratchFolder&) = delete;

  // Writes the file (replacing it) and gives its path.
  std::string Write(const std::string& name, const std::string& content) const {
    std::ofstream(Path / name, std::ios::binary | std::ios::trunc) << content;
    return (Path / name).string();
  }

  static std::string Read(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }

  std::filesystem::path Path;
};

}  // namespace hoardscope
