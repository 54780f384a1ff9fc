// Reading entry files in place, read-only, with few system calls.
#include "platform/caches/EntryBytes.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <filesystem>
#include <system_error>

namespace hoardscope {
namespace {

constexpr std::uint64_t kWholeFileLimit = 32 * 1024;  // files up to this size are read at once
constexpr std::size_t kHeadSize = 4 * 1024;
constexpr std::size_t kTailSize = 16 * 1024;
constexpr std::size_t kSkippedNamesKept = 10;

std::optional<std::uint64_t> SizeOf(std::FILE* file) {
#ifdef _WIN32
  struct _stat64 status;
  if (_fstat64(_fileno(file), &status) != 0) return std::nullopt;
#else
  struct stat status;
  if (fstat(fileno(file), &status) != 0) return std::nullopt;
#endif
  return static_cast<std::uint64_t>(status.st_size);
}

bool SeekTo(std::FILE* file, std::uint64_t offset) {
#ifdef _WIN32
  return _fseeki64(file, static_cast<__int64>(offset), SEEK_SET) == 0;
#else
  return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

}  // namespace

std::optional<std::string_view> TBufferBytes::Read(std::uint64_t offset, std::size_t size) {
  if (offset > FBytes.size() || size > FBytes.size() - offset) return std::nullopt;
  return FBytes.substr(offset, size);
}

TEntryFile::TOpenResult TEntryFile::Open(const std::string& path) {
  FFile.reset(std::fopen(path.c_str(), "rb"));
  FSize = 0;
  FHead.clear();
  FTail.clear();
  FTailOffset = 0;
  if (!FFile) return errno == ENOENT ? TOpenResult::Vanished : TOpenResult::Failed;
  std::setvbuf(FFile.get(), nullptr, _IONBF, 0);
  const std::optional<std::uint64_t> size = SizeOf(FFile.get());
  if (!size) return TOpenResult::Failed;
  FSize = *size;
  const std::size_t headSize = FSize <= kWholeFileLimit ? static_cast<std::size_t>(FSize) : kHeadSize;
  if (!ReadAt(0, FHead, headSize)) return TOpenResult::Failed;
  if (FSize > kWholeFileLimit) {
    FTailOffset = FSize - kTailSize;
    if (!ReadAt(FTailOffset, FTail, kTailSize)) return TOpenResult::Failed;
  }
  return TOpenResult::Opened;
}

bool TEntryFile::ReadAt(std::uint64_t offset, std::string& buffer, std::size_t size) {
  buffer.resize(size);
  if (offset != 0 && !SeekTo(FFile.get(), offset)) return false;
  return std::fread(buffer.data(), 1, size, FFile.get()) == size;
}

std::optional<std::string_view> TEntryFile::Read(std::uint64_t offset, std::size_t size) {
  if (offset > FSize || size > FSize - offset) return std::nullopt;
  if (offset + size <= FHead.size()) return std::string_view(FHead).substr(offset, size);
  if (!FTail.empty() && offset >= FTailOffset) return std::string_view(FTail).substr(offset - FTailOffset, size);
  if (!FFile || !ReadAt(offset, FOther, size)) return std::nullopt;
  return std::string_view(FOther);
}

std::optional<std::vector<std::string>> ListFileNames(const std::string& folder) {
  std::error_code error;
  std::filesystem::directory_iterator it(std::filesystem::path(folder), error);
  if (error) return std::nullopt;
  std::vector<std::string> names;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) return std::nullopt;
    names.push_back(it->path().filename().string());
  }
  if (error) return std::nullopt;
  std::sort(names.begin(), names.end());
  return names;
}

std::string JoinPath(const std::string& folder, std::string_view name) {
  constexpr char kSeparator = static_cast<char>(std::filesystem::path::preferred_separator);
  std::string path = folder;
  if (!path.empty() && path.back() != kSeparator && path.back() != '/') path += kSeparator;
  path.append(name);
  return path;
}

void CountSkipped(TCacheReadReport& report, const std::string& path) {
  ++report.Skipped;
  if (report.SkippedFiles.size() < kSkippedNamesKept) report.SkippedFiles.push_back(path);
}

}  // namespace hoardscope
