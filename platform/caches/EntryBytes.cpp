// Reading entry files in place, read-only, with few system calls.
#include "platform/caches/EntryBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
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

int OpenForReading(const std::string& path) {
#ifdef _WIN32
  return _open(path.c_str(), _O_RDONLY | _O_BINARY);
#else
  return open(path.c_str(), O_RDONLY | O_CLOEXEC);
#endif
}

void CloseDescriptor(int descriptor) {
#ifdef _WIN32
  _close(descriptor);
#else
  close(descriptor);
#endif
}

std::optional<std::uint64_t> SizeOf(int descriptor) {
#ifdef _WIN32
  struct _stat64 status;
  if (_fstat64(descriptor, &status) != 0) return std::nullopt;
#else
  struct stat status;
  if (fstat(descriptor, &status) != 0) return std::nullopt;
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
    const int got = _read(descriptor, buffer + done, static_cast<unsigned>(size - done));
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

// One helper thread's share of the entry files: what it made of them, in order.
struct TReaderShare {
  std::size_t Begin = 0;
  std::size_t End = 0;
  std::vector<TBrowserCacheEntry> Entries;
  TCacheReadReport Report;
  std::exception_ptr Failure;
};

void ReadFiles(const std::string& folder, const std::vector<std::string>& names, std::size_t begin, std::size_t end,
               const TEntryFileParser& parse, TCacheReadReport& report, const TBrowserCacheSink& sink) {
  const TEntryFolder opened(folder);
  TEntryFile file;
  for (std::size_t i = begin; i < end; ++i) {
    const TEntryFile::TOpenResult result = file.Open(opened, names[i]);
    if (result == TEntryFile::TOpenResult::Vanished) continue;
    const std::string path = JoinPath(folder, names[i]);
    std::optional<TBrowserCacheEntry> entry;
    if (result == TEntryFile::TOpenResult::Opened) entry = parse(file, path);
    if (entry) {
      sink(std::move(*entry));
    } else {
      CountSkipped(report, path);
    }
  }
}

void ReadShare(const std::string& folder, const std::vector<std::string>& names, const TEntryFileParser& parse,
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

std::optional<std::string_view> TBufferBytes::Read(std::uint64_t offset, std::size_t size) {
  if (offset > FBytes.size() || size > FBytes.size() - offset) return std::nullopt;
  return FBytes.substr(offset, size);
}

TEntryFile::TEntryFile() : FHead(new char[kHeadSize]) {}

TEntryFile::~TEntryFile() { Close(); }

void TEntryFile::Close() {
  if (FDescriptor >= 0) CloseDescriptor(FDescriptor);
  FDescriptor = -1;
}

TEntryFolder::TEntryFolder(std::string path) : FPath(std::move(path)) {
#ifndef _WIN32
  FDescriptor = open(FPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
#endif
}

TEntryFolder::~TEntryFolder() {
  if (FDescriptor >= 0) CloseDescriptor(FDescriptor);
}

TEntryFile::TOpenResult TEntryFile::Open(const std::string& path) {
  Close();
  FDescriptor = OpenForReading(path);
  return ReadOpened();
}

TEntryFile::TOpenResult TEntryFile::Open(const TEntryFolder& folder, const std::string& name) {
  if (folder.Descriptor() < 0) return Open(JoinPath(folder.Path(), name));
  Close();
#ifndef _WIN32
  FDescriptor = openat(folder.Descriptor(), name.c_str(), O_RDONLY | O_CLOEXEC);
#endif
  return ReadOpened();
}

// A read that fills less than the head buffer has met the end of the file: its size is then known without asking.
TEntryFile::TOpenResult TEntryFile::ReadOpened() {
  FSize = 0;
  FHeadSize = 0;
  FTail.clear();
  FTailOffset = 0;
  if (FDescriptor < 0) return errno == ENOENT ? TOpenResult::Vanished : TOpenResult::Failed;
  const std::int64_t head = ReadAt(FDescriptor, 0, FHead.get(), kHeadSize);
  if (head < 0) return TOpenResult::Failed;
  FHeadSize = static_cast<std::size_t>(head);
  if (FHeadSize < kHeadSize) {
    FSize = FHeadSize;
    return TOpenResult::Opened;
  }
  const std::optional<std::uint64_t> size = SizeOf(FDescriptor);
  if (!size || *size < FHeadSize) return TOpenResult::Failed;
  FSize = *size;
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

// The first share is read on the calling thread and goes to sink as it is read; the others follow in order.
void ReadEntryFiles(const std::string& folder, const std::vector<std::string>& names, const TEntryFileParser& parse,
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
