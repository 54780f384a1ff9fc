// The Linux edition's shell services.
#include "platform/linux/LinuxShell.h"

#include <sys/stat.h>

namespace hoardscope {

TLinuxShell::TLinuxShell(std::filesystem::path cacheRoot) : FCacheRoot(std::move(cacheRoot)) {}

int TLinuxShell::AddFileTypeIcon(const std::string& extension) {
  FFileTypeIcons.push_back(extension);
  return kFixedTreeImages + static_cast<int>(FFileTypeIcons.size()) - 1;
}

std::string TLinuxShell::InternetCacheFolder() { return FCacheRoot.string(); }

std::optional<std::uint64_t> TLinuxShell::ItemSize(const std::string& path) {
  struct stat status {};
  if (::stat(path.c_str(), &status) != 0) return std::nullopt;
  return static_cast<std::uint64_t>(status.st_size);
}

}  // namespace hoardscope
