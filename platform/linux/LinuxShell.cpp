// The Linux edition's shell services.
#include "platform/linux/LinuxShell.h"


#include <cstdlib>
#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <system_error>

namespace hoardscope {

TLinuxShell::TLinuxShell(std::filesystem::path cacheRoot) : FCacheRoot(std::move(cacheRoot)) {}

int TLinuxShell::AddFileTypeIcon(const std::string& extension) {
  FFileTypeIcons.push_back(extension);
  return kFixedTreeImages + static_cast<int>(FFileTypeIcons.size()) - 1;
}

std::string TLinuxShell::InternetCacheFolder() { return FCacheRoot.string(); }

namespace {

std::filesystem::path TrashFolder() {
  if (const char* data = std::getenv("XDG_DATA_HOME"); data && *data) return std::filesystem::path(data) / "Trash";
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / ".local" / "share" / "Trash";
}

// A path as the trash record writes it: bytes outside the unreserved set of a URI percent-encoded, "/" kept.
std::string EscapedPath(const std::string& path) {
  static const char* kHex = "0123456789ABCDEF";
  std::string escaped;
  for (const unsigned char c : path) {
    if (std::isalnum(c) || c == '/' || c == '-' || c == '_' || c == '.' || c == '~') {
      escaped += static_cast<char>(c);
    } else {
      escaped += '%';
      escaped += kHex[c >> 4];
      escaped += kHex[c & 15];
    }
  }
  return escaped;
}

std::string LocalDeletionDate() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &local);
  return text;
}

// Reserves a name in the trash by creating its info file exclusively; returns the name, or "" when none could be had.
std::string ReserveTrashName(const std::filesystem::path& trash, const std::string& fileName) {
  for (unsigned number = 1; number < 10000; ++number) {
    const std::string name = number == 1 ? fileName : fileName + "." + std::to_string(number);
    const std::filesystem::path info = trash / "info" / (name + ".trashinfo");
    const int fd = ::open(info.c_str(), O_WRONLY | O_CREAT | O_EXCL, 0600);
    if (fd >= 0) {
      ::close(fd);
      return name;
    }
    if (errno != EEXIST) return std::string();
  }
  return std::string();
}

bool MoveOneToTrash(const std::filesystem::path& trash, const std::filesystem::path& item) {
  const std::string name = ReserveTrashName(trash, item.filename().string());
  if (name.empty()) return false;
  const std::filesystem::path info = trash / "info" / (name + ".trashinfo");
  std::ofstream(info, std::ios::trunc) << "[Trash Info]\nPath=" << EscapedPath(std::filesystem::absolute(item).string())
                                       << "\nDeletionDate=" << LocalDeletionDate() << "\n";
  const std::filesystem::path target = trash / "files" / name;
  std::error_code error;
  std::filesystem::rename(item, target, error);
  if (error) {  // another file system: copy, then remove the original only once the copy is complete
    error.clear();
    std::filesystem::copy(item, target, std::filesystem::copy_options::recursive, error);
    if (!error) std::filesystem::remove_all(item, error);
  }
  if (error) {
    std::error_code ignored;
    std::filesystem::remove(info, ignored);
  }
  return !error;
}

bool PrepareTrash(const std::filesystem::path& trash) {
  std::error_code error;
  std::filesystem::create_directories(trash / "files", error);
  std::filesystem::create_directories(trash / "info", error);
  return !error;
}

// Applies action to every file (not folder) directly in folder; false when the folder cannot be listed or an
// action failed.
template <typename F>
bool ForFilesIn(const std::string& folder, F&& action) {
  std::error_code error;
  std::filesystem::directory_iterator files(folder, error);
  if (error) return false;
  bool allDone = true;
  for (const auto& entry : files) {
    if (!entry.is_directory(error)) allDone = action(entry.path()) && allDone;
  }
  return allDone;
}

}  // namespace

bool TLinuxShell::DeleteFilesIn(const std::string& folder) {
  return ForFilesIn(folder, [](const std::filesystem::path& file) {
    std::error_code error;
    return std::filesystem::remove(file, error) && !error;
  });
}

bool TLinuxShell::MoveFilesToTrash(const std::string& folder) {
  const std::filesystem::path trash = TrashFolder();
  if (!PrepareTrash(trash)) return false;
  return ForFilesIn(folder, [&](const std::filesystem::path& file) { return MoveOneToTrash(trash, file); });
}

bool MoveToTrash(const std::filesystem::path& item) {
  const std::filesystem::path trash = TrashFolder();
  return PrepareTrash(trash) && MoveOneToTrash(trash, item);
}

}  // namespace hoardscope
