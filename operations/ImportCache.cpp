// Importing export files into the cache.
#include "operations/ImportCache.h"

#include <filesystem>
#include <fstream>
#include <system_error>

#include "core/Tools.h"
#include "operations/ExportFile.h"

namespace hoardscope {
namespace {

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorWriteFault = 29;

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && std::filesystem::is_regular_file(path, error);
}

}  // namespace

TImportResult TCacheImporter::ImportExportFile(const std::string& fileName) {
  TImportResult result;
  std::ifstream file(fileName, std::ios::binary);
  if (!FileExists(fileName) || !file) {
    result.Count = -1;
    return result;
  }
  TExportRecordBytes bytes;
  for (;;) {
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto read = static_cast<std::size_t>(file.gcount());
    if (read < bytes.size()) {
      result.Truncated = read > 0;
      return result;
    }
    const TExportRecord record = DecodeExportRecord(bytes);
    if (!FileExists(record.FileName)) continue;
    ImportOneFile(record.URL, record.FileName, record.Headers, record.SyncTime, kNormalCacheEntry);
    ++result.Count;  // a record the cache refused still counts
  }
}

std::uint32_t TCacheImporter::ImportOneFile(const std::string& url, const std::string& path,
                                            const std::string& headers, double dateTime, std::uint32_t entryType) {
  if (!FileExists(path)) return kErrorFileNotFound;
  std::error_code error;
  const std::uintmax_t size = std::filesystem::file_size(path, error);
  if (error) throw ImportError("Cannot read " + path + ": " + error.message());
  std::string extension = PathFindExtension(path);
  if (!extension.empty()) extension.erase(0, 1);
  const CreatedCacheFile created = FCache.CreateEntry(url, size, extension);
  if (!created.Ok) return created.Error;
  std::filesystem::copy_file(path, created.LocalFileName, std::filesystem::copy_options::overwrite_existing, error);
  if (error) return kErrorWriteFault;
  return FCache.CommitEntry(url, created.LocalFileName, LocalDateTimeToFileTime(dateTime), FClock.NowUtc(),
                            entryType, headers);
}

FileTime TCacheImporter::LocalDateTimeToFileTime(double dateTime) {
  const std::optional<TSystemTime> time = SystemTimeFromDateTime(dateTime);
  if (!time) return 0;
  const std::int64_t millis = DaysSince1601(*time) * 86400000LL + MillisOfDay(*time);
  return FClock.LocalToUtc(static_cast<FileTime>(millis) * 10000ULL);
}

}  // namespace hoardscope
