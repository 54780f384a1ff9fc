// Files and folders for every test suite, on both editions: temporary folders whose names no other test, run or
// process shares, removed with everything in them, and whole-file reads and writes.
#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>

namespace hoardscope {

// A new empty folder named hoardscope-<purpose>-<unique> in the system's temporary folder, owner-only unless other
// rights are given, removed with everything in it when the object goes.
class TTempFolder {
 public:
  explicit TTempFolder(const std::string& purpose,
                       std::filesystem::perms rights = std::filesystem::perms::owner_all) {
    for (int attempt = 0; attempt < 100; ++attempt) {
      Path = std::filesystem::temp_directory_path() / ("hoardscope-" + purpose + "-" + UniqueText());
      std::error_code error;
      if (std::filesystem::create_directory(Path, error)) {
        std::filesystem::permissions(Path, rights);
        return;
      }
    }
    throw std::runtime_error("no temporary folder could be made for " + purpose);
  }
  ~TTempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(Path, ignored);
  }
  TTempFolder(const TTempFolder&) = delete;
  TTempFolder& operator=(const TTempFolder&) = delete;

  std::filesystem::path Path;

 private:
  // A random part against other processes, a counter against other folders of this one.
  static std::string UniqueText() {
    static std::atomic<unsigned> made{0};
    static const unsigned long long process = (std::uint64_t{std::random_device{}()} << 32) ^ std::random_device{}();
    return std::to_string(process) + "-" + std::to_string(made++);
  }
};

inline void WriteFile(const std::filesystem::path& file, const std::string& content) {
  std::ofstream(file, std::ios::binary | std::ios::trunc) << content;
}

inline std::string ReadFile(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

}  // namespace hoardscope
