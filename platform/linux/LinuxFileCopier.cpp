// Copying cached files into the user's folder.
#include "platform/linux/LinuxFileCopier.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace hoardscope {

namespace fs = std::filesystem;

bool TLinuxFileCopier::FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

bool TLinuxFileCopier::SameContent(const std::string& first, const std::string& second) {
  std::error_code error;
  if (fs::file_size(first, error) != fs::file_size(second, error) || error) return false;
  std::ifstream a(first, std::ios::binary);
  std::ifstream b(second, std::ios::binary);
  if (!a || !b) return false;
  return std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
}

void TLinuxFileCopier::Copy(const std::string& source, const std::string& target, bool askBeforeReplacing) {
  std::error_code error;
  if (fs::exists(target, error) && fs::equivalent(source, target, error)) return;  // the file is there already
  std::string destination = target;
  if (askBeforeReplacing && fs::exists(target, error)) {
    const std::optional<bool> replace = FAsk ? FAsk(target) : std::nullopt;
    if (replace == false) return;
    if (!replace) {
      destination = KeptCopyBeside(source, target);
      if (destination.empty()) return;  // kept before
    }
  }
  fs::copy_file(source, destination, fs::copy_options::overwrite_existing, error);
}

std::string TLinuxFileCopier::KeptCopyBeside(const std::string& source, const std::string& target) {
  const fs::path original(target);
  const std::string stem = original.stem().string();
  const std::string extension = original.extension().string();
  std::error_code error;
  for (int number = 2;; ++number) {
    const fs::path candidate = original.parent_path() / (stem + " (" + std::to_string(number) + ")" + extension);
    if (!fs::exists(candidate, error)) return candidate.string();
    if (SameContent(source, candidate.string())) return "";
  }
}

}  // namespace hoardscope
