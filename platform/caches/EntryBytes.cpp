// Reading entry files in place, read-only, with few system calls, never through a link and never waiting on a FIFO.
#include "platform/caches/EntryBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <dirent.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <exception>
#include <filesystem>
#include <system_error>
#include <thread>

namespace hoardscope {
namespace {

constexpr std::size_t kHeadSize = 32 * 1024;   // files up to this size are read at once
constexpr std::size_t kTailSize = 16 * 1024;
constexpr std::size_t kSkippedNamesKept = 10;
constexpr unsigned kMostReaders = 4;
constexpr std::size_t kLeastFilesPerReader = 512;

void CloseDescriptor(int descriptor) {
#ifdef _WIN32
  _close(descriptor);
#else
  close(descriptor);
#endif
}

// The size of the open file when it is a regular file.
std::optional<std::uint64_t> RegularFileSize(int descriptor) {
#ifdef _WIN32
  struct _stat64 status;
  if (_fstat64(descriptor, &status) != 0 || (status.st_mode & _S_IFMT) != _S_IFREG) return std::nullopt;
#else
  struct stat status;
  if (fstat(descriptor, &status) != 0 || !S_ISREG(status.st_mode)) return std::nullopt;
#endif
  return static_cast<std::uint64_t>(status.st_size);
}

// Reads up to size bytes at offset; how many it read (fewer only at the end of the file), -1 on failure.
std::int64_t ReadAt(int descriptor, std::uint64_t offset, char* buffer, std::size_t size) {
  std::size_t done = 0;
#ifdef _WIN32
  if (_lseeki64(descriptor, static_cast<__int64>(offset), SEEK_SET) < 0) return -1;
#endif
  while (done < size) {
#ifdef _WIN32
    const int got = _read(descriptor, buffer + done, static_cast<unsigned>(std::min<std::size_t>(size - done, 1u << 30)));
#else
    const ssize_t got = pread(descriptor, buffer + done, size - done, static_cast<off_t>(offset + done));
    if (got < 0 && errno == EINTR) continue;
#endif
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<std::size_t>(got);
  }
  return static_cast<std::int64_t>(done);
}

bool IsSeparator(char c) {
#ifdef _WIN32
  return c == '/' || c == '\\';
#else
  return c == '/';
#endif
}

// The path without the separators at its end, which would make the system follow a link it names; a root ("/",
// "C:\") keeps its own.
std::string WithoutTrailingSeparators(std::string path) {
  while (path.size() > 1 && IsSeparator(path.back()) && path[path.size() - 2] != ':') path.pop_back();
  return path;
}

// A path's folder and its last element.
std::pair<std::string, std::string> SplitPath(const std::string& path) {
  const std::filesystem::path whole(path);
  std::string folder = whole.parent_path().string();
  return {folder.empty() ? std::string(".") : folder, whole.filename().string()};
}

std::string LinkRefusal(const std::string& path) {
  return path + " is a link, which Hoardscope does not follow in a browser's cache";
}

#ifdef _WIN32
constexpr int kCurrentFolder = -1;

DWORD AttributesOf(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::optional<TFileStatus> StatusAt(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) return std::nullopt;
  constexpr DWORD kNotPlain = FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DEVICE;
  TFileStatus status;
  status.Regular = (data.dwFileAttributes & kNotPlain) == 0;
  if (status.Regular) status.Size = (std::uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
  return status;
}
#else
constexpr int kCurrentFolder = AT_FDCWD;
#endif

}  // namespace

std::optional<std::string_view> TBufferBytes::Read(std::uint64_t offset, std::size_t size) {
  if (offset > FBytes.size() || size > FBytes.size() - offset) return std::nullopt;
  return FBytes.substr(offset, size);
}

TEntryFolder::TEntryFolder(std::string path) : FPath(WithoutTrailingSeparators(std::move(path))) {
  Open(kCurrentFolder, FPath);
}

TEntryFolder::TEntryFolder(const TEntryFolder& parent, std::string_view name) : FPath(JoinPath(parent.Path(), name)) {
  if (parent.IsOpen()) {
    Open(parent.Descriptor(), std::string(name));
  } else {
    FFailure = parent.Failure();
  }
}

void TEntryFolder::Open(int parentDescriptor, const std::string& relative) {
#ifdef _WIN32
  (void)parentDescriptor;
  (void)relative;
  const DWORD attributes = AttributesOf(FPath);
  if (attributes == INVALID_FILE_ATTRIBUTES) FFailure = "there is no folder " + FPath;
  else if (attributes & FILE_ATTRIBUTE_REPARSE_POINT) FFailure = LinkRefusal(FPath);
  else if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) FFailure = FPath + " is not a folder";
#else
  FDescriptor = openat(parentDescriptor, relative.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (FDescriptor >= 0) return;
  const int error = errno;
  struct stat status;
  const bool isLink = fstatat(parentDescriptor, relative.c_str(), &status, AT_SYMLINK_NOFOLLOW) == 0 &&
                      S_ISLNK(status.st_mode);  // refused as ELOOP, or as ENOTDIR where a folder was asked for
  if (isLink) FFailure = LinkRefusal(FPath);
  else if (error == ENOENT) FFailure = "there is no folder " + FPath;
  else if (error == ENOTDIR) FFailure = FPath + " is not a folder";
  else FFailure = "cannot open the folder " + FPath + ": " + std::strerror(error);
#endif
}

TEntryFolder::~TEntryFolder() {
  if (FDescriptor >= 0) CloseDescriptor(FDescriptor);
}

std::optional<std::vector<std::string>> TEntryFolder::Names() const {
  if (!IsOpen()) return std::nullopt;
  std::vector<std::string> names;
#ifdef _WIN32
  std::error_code error;
  std::filesystem::directory_iterator it(std::filesystem::path(FPath), error);
  if (error) return std::nullopt;
  for (const std::filesystem::directory_iterator end; it != end; it.increment(error)) {
    if (error) return std::nullopt;
    names.push_back(it->path().filename().string());
  }
  if (error) return std::nullopt;
#else
  // A descriptor of its own: the listing moves it, and the folder's stays shared by the readers' threads.
  const int listed = openat(FDescriptor, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (listed < 0) return std::nullopt;
  DIR* folder = fdopendir(listed);
  if (!folder) {
    close(listed);
    return std::nullopt;
  }
  errno = 0;
  while (const dirent* item = readdir(folder)) {
    const std::string_view name = item->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  const bool failed = errno != 0;
  closedir(folder);
  if (failed) return std::nullopt;
#endif
  std::sort(names.begin(), names.end());
  return names;
}

std::optional<TFileStatus> TEntryFolder::StatusOf(std::string_view name) const {
  if (!IsOpen()) return std::nullopt;
#ifdef _WIN32
  return StatusAt(JoinPath(FPath, name));
#else
  struct stat status;
  if (fstatat(FDescriptor, std::string(name).c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    if (errno == ENOENT || errno == ENOTDIR) return std::nullopt;
    return TFileStatus{};
  }
  TFileStatus found;
  found.Regular = S_ISREG(status.st_mode);
  if (found.Regular) found.Size = static_cast<std::uint64_t>(status.st_size);
  return found;
#endif
}

bool TEntryFolder::RemoveFile(std::string_view name) const {
  if (!IsOpen()) return false;
#ifdef _WIN32
  const std::string path = JoinPath(FPath, name);
  const DWORD attributes = AttributesOf(path);
  if (attributes == INVALID_FILE_ATTRIBUTES) return true;
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return false;  // a folder, or a junction that stands for one
  return DeleteFileA(path.c_str()) || GetLastError() == ERROR_FILE_NOT_FOUND;
#else
  return unlinkat(FDescriptor, std::string(name).c_str(), 0) == 0 || errno == ENOENT;
#endif
}

TEntryFile::TEntryFile() : FHead(new char[kHeadSize]) {}

TEntryFile::~TEntryFile() { Close(); }

void TEntryFile::Close() {
  if (FDescriptor >= 0) CloseDescriptor(FDescriptor);
  FDescriptor = -1;
}

TEntryFile::TOpenResult TEntryFile::Open(const std::string& path) {
  const auto [folder, name] = SplitPath(path);
  return Open(TEntryFolder(folder), name);
}

TEntryFile::TOpenResult TEntryFile::Open(const TEntryFolder& folder, std::string_view name) {
  Close();
  FSize = 0;
  FHeadSize = 0;
  FTail.clear();
  FTailOffset = 0;
  if (!folder.IsOpen()) return TOpenResult::Failed;
#ifdef _WIN32
  // Wine and Windows open a reparse point's target: the name is looked at first.
  const std::optional<TFileStatus> status = folder.StatusOf(name);
  if (!status) return TOpenResult::Vanished;
  if (!status->Regular) return TOpenResult::NotAFile;
  FDescriptor = _open(JoinPath(folder.Path(), name).c_str(), _O_RDONLY | _O_BINARY);
  if (FDescriptor < 0) return errno == ENOENT ? TOpenResult::Vanished : TOpenResult::Failed;
#else
  FDescriptor = openat(folder.Descriptor(), std::string(name).c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
  if (FDescriptor < 0) {
    if (errno == ENOENT) return TOpenResult::Vanished;
    return errno == ELOOP || errno == ENXIO ? TOpenResult::NotAFile : TOpenResult::Failed;
  }
#endif
  return ReadOpened();
}

// A FIFO or device opened without waiting is closed again unread.
TEntryFile::TOpenResult TEntryFile::ReadOpened() {
  const std::optional<std::uint64_t> size = RegularFileSize(FDescriptor);
  if (!size) {
    Close();
    return TOpenResult::NotAFile;
  }
  FSize = *size;
  FHeadSize = static_cast<std::size_t>(std::min<std::uint64_t>(FSize, kHeadSize));
  if (ReadAt(FDescriptor, 0, FHead.get(), FHeadSize) != static_cast<std::int64_t>(FHeadSize)) return TOpenResult::Failed;
  if (FSize > FHeadSize) {
    FTailOffset = FSize - std::min<std::uint64_t>(kTailSize, FSize - FHeadSize);
    FTail.resize(static_cast<std::size_t>(FSize - FTailOffset));
    if (ReadAt(FDescriptor, FTailOffset, FTail.data(), FTail.size()) != static_cast<std::int64_t>(FTail.size()))
      return TOpenResult::Failed;
  }
  return TOpenResult::Opened;
}

std::optional<std::string_view> TEntryFile::Read(std::uint64_t offset, std::size_t size) {
  if (offset > FSize || size > FSize - offset) return std::nullopt;
  if (offset + size <= FHeadSize) return std::string_view(FHead.get() + offset, size);
  if (!FTail.empty() && offset >= FTailOffset) return std::string_view(FTail).substr(offset - FTailOffset, size);
  if (FDescriptor < 0) return std::nullopt;
  FOther.resize(size);
  if (ReadAt(FDescriptor, offset, FOther.data(), size) != static_cast<std::int64_t>(size)) return std::nullopt;
  return std::string_view(FOther);
}

std::optional<std::string> ReadSmallFile(const std::string& path, std::size_t limit) {
#ifdef _WIN32
  const int descriptor = _open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  const int descriptor = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
#endif
  if (descriptor < 0) return std::nullopt;
  std::optional<std::string> bytes;
  if (const std::optional<std::uint64_t> size = RegularFileSize(descriptor); size && *size <= limit) {
    bytes.emplace(static_cast<std::size_t>(*size), '\0');
    if (ReadAt(descriptor, 0, bytes->data(), bytes->size()) != static_cast<std::int64_t>(bytes->size())) bytes.reset();
  }
  CloseDescriptor(descriptor);
  return bytes;
}

std::optional<TFileStatus> CacheFileStatus(const std::string& path) {
  const auto [folder, name] = SplitPath(path);
  return TEntryFolder(folder).StatusOf(name);
}

bool RemoveCacheFile(const std::string& path) {
  const auto [folder, name] = SplitPath(path);
  return TEntryFolder(folder).RemoveFile(name);
}

namespace {

// One helper thread's share of the entry files: what it made of them, in order.
struct TReaderShare {
  std::size_t Begin = 0;
  std::size_t End = 0;
  std::vector<TBrowserCacheEntry> Entries;
  TCacheReadReport Report;
  std::exception_ptr Failure;
};

void ReadFiles(const TEntryFolder& folder, const std::vector<std::string>& names, std::size_t begin, std::size_t end,
               const TEntryFileParser& parse, TCacheReadReport& report, const TBrowserCacheSink& sink) {
  TEntryFile file;
  for (std::size_t i = begin; i < end; ++i) {
    const TEntryFile::TOpenResult result = file.Open(folder, names[i]);
    if (result == TEntryFile::TOpenResult::Vanished) continue;
    const std::string path = JoinPath(folder.Path(), names[i]);
    std::optional<TBrowserCacheEntry> entry;
    if (result == TEntryFile::TOpenResult::Opened) entry = parse(file, path);
    if (entry) {
      sink(std::move(*entry));
    } else {
      CountSkipped(report, path);
    }
  }
}

void ReadShare(const TEntryFolder& folder, const std::vector<std::string>& names, const TEntryFileParser& parse,
               TReaderShare& share) {
  try {
    share.Entries.reserve(share.End - share.Begin);
    ReadFiles(folder, names, share.Begin, share.End, parse, share.Report,
              [&share](TBrowserCacheEntry&& entry) { share.Entries.push_back(std::move(entry)); });
  } catch (...) {
    share.Failure = std::current_exception();
  }
}

std::size_t ReaderCount(std::size_t files) {
  const std::size_t cores = std::max(1u, std::min(kMostReaders, std::thread::hardware_concurrency()));
  return std::max<std::size_t>(1, std::min(cores, files / kLeastFilesPerReader));
}

}  // namespace

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

// The first share is read on the calling thread and goes to sink as it is read; the others follow in order.
void ReadEntryFiles(const TEntryFolder& folder, const std::vector<std::string>& names, const TEntryFileParser& parse,
                    TCacheReadReport& report, const TBrowserCacheSink& sink) {
  const std::size_t readers = ReaderCount(names.size());
  std::vector<TReaderShare> shares(readers - 1);
  for (std::size_t i = 0; i < shares.size(); ++i) {
    shares[i].Begin = names.size() * (i + 1) / readers;
    shares[i].End = names.size() * (i + 2) / readers;
  }
  std::vector<std::thread> helpers;
  const auto joinHelpers = [&helpers] {
    for (std::thread& helper : helpers) helper.join();
  };
  try {
    for (TReaderShare& share : shares)
      helpers.emplace_back(ReadShare, std::cref(folder), std::cref(names), std::cref(parse), std::ref(share));
    ReadFiles(folder, names, 0, names.size() / readers, parse, report, sink);
  } catch (...) {
    joinHelpers();
    throw;
  }
  joinHelpers();
  for (TReaderShare& share : shares) {
    if (share.Failure) std::rethrow_exception(share.Failure);
    for (const std::string& path : share.Report.SkippedFiles) CountSkipped(report, path);
    report.Skipped += share.Report.Skipped - share.Report.SkippedFiles.size();
    for (TBrowserCacheEntry& entry : share.Entries) sink(std::move(entry));
    share.Entries = {};
  }
}

}  // namespace hoardscope
