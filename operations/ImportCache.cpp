// Importing export files into the cache.
#include "operations/ImportCache.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>
#include <system_error>
#include <vector>

#include "core/ResponseHeaders.h"
#include "core/Tools.h"
#include "operations/ExportFile.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kErrorFileNotFound = 2;
constexpr std::uint32_t kErrorWriteFault = 29;

bool FileExists(const std::string& path) {
  std::error_code error;
  return !path.empty() && fs::is_regular_file(path, error);
}

std::string WhyNoFileToRead(const std::string& path) {
  std::error_code error;
  if (FileExists(path)) return "it cannot be opened";
  return !path.empty() && fs::exists(path, error) ? "it is not a file" : "there is no such file";
}

fs::file_type TypeOf(const fs::path& path) {
  std::error_code error;
  return fs::symlink_status(path, error).type();
}

// A file itself, not a link to one.
bool IsPlainFile(const fs::path& path) { return TypeOf(path) == fs::file_type::regular; }

bool IsSomething(const fs::path& path) {
  const fs::file_type type = TypeOf(path);
  return type != fs::file_type::not_found && type != fs::file_type::none;
}

bool IsUsableName(const std::string& name) { return !name.empty() && name != "." && name != ".."; }

// The last element of a recorded path. Both separators count, so that an export file written by either edition
// finds its copies on the other.
std::string LastPathElement(const std::string& path) {
  const std::size_t separator = path.find_last_of("/\\");
  return separator == std::string::npos ? path : path.substr(separator + 1);
}

// A folder with an export file of its name beside it.
bool IsExportFolder(const fs::path& folder) {
  std::error_code error;
  return IsUsableName(folder.filename().string()) && fs::is_directory(folder, error) &&
         IsPlainFile(folder.string() + std::string(kExportExtension));
}

bool IsWebUrl(const std::string& url) { return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://"); }

std::string RecordsWere(int count) { return std::to_string(count) + (count == 1 ? " record was" : " records were"); }

// The whole records the export file holds; none when its size cannot be had.
std::optional<std::uint64_t> RecordCountOf(const std::string& fileName) {
  std::error_code error;
  const std::uintmax_t size = fs::file_size(fileName, error);
  if (error) return std::nullopt;
  return size / kExportRecordSize;
}

}  // namespace

std::string ExportFolderOf(const std::string& exportFile) {
  if (!HasExportExtension(exportFile)) return std::string();
  const std::string folder = exportFile.substr(0, exportFile.size() - kExportExtension.size());
  return IsUsableName(LastPathElement(folder)) ? folder : std::string();
}

TRecordCopy FindRecordCopy(const std::string& exportFolder, const std::string& fileName) {
  const std::string name = LastPathElement(fileName);
  if (!IsUsableName(name)) return {TRecordCopy::TPlace::Outside, ""};
  if (!exportFolder.empty()) {
    const std::string inFolder = exportFolder + kPathSeparator + name;
    if (IsPlainFile(inFolder)) return {TRecordCopy::TPlace::Found, inFolder};
  }
  const fs::path recorded(fileName);
  if (IsExportFolder(recorded.parent_path()) && IsPlainFile(recorded)) return {TRecordCopy::TPlace::Found, fileName};
  // Something that is there but in no export folder (or no plain file) is refused; nothing at all is a copy
  // that was deleted.
  return {IsSomething(recorded) ? TRecordCopy::TPlace::Outside : TRecordCopy::TPlace::Missing, ""};
}

std::string SkippedRecordsMessage(const TImportResult& result) {
  std::vector<std::string> reasons;
  if (result.OutsideFolder > 0) {
    reasons.push_back("no copy inside an export folder: " + std::to_string(result.OutsideFolder));
  }
  if (result.NotWeb > 0) reasons.push_back("no http or https URL: " + std::to_string(result.NotWeb));
  if (reasons.empty()) return std::string();
  std::string message = RecordsWere(result.OutsideFolder + result.NotWeb) + " left out of the import (";
  for (std::size_t i = 0; i < reasons.size(); ++i) message += (i > 0 ? ", " : "") + reasons[i];
  return message + ").";
}

std::string FailedRecordsMessage(const TImportResult& result) {
  if (result.Failed == 0) return std::string();
  return RecordsWere(result.Failed) + " not put into the cache. The first: " + result.FirstFailure + ".";
}

TImportResult TCacheImporter::ImportExportFile(const std::string& fileName, IProgress* progress) {
  TImportResult result;
  std::ifstream file(fileName, std::ios::binary);
  if (!FileExists(fileName) || !file) {
    result.Count = -1;
    result.Unreadable = WhyNoFileToRead(fileName);
    return result;
  }
  const std::string exportFolder = ExportFolderOf(fileName);
  const std::optional<std::uint64_t> total = RecordCountOf(fileName);
  TExportRecordBytes bytes;
  for (std::uint64_t records = 0;; ++records) {
    if (progress) {
      // A file that grew meanwhile has more records than it had.
      progress->Step(records, total ? std::max(*total, records) : total);
      if (progress->StopRequested()) {
        result.Stopped = true;
        return result;
      }
    }
    file.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    const auto read = static_cast<std::size_t>(file.gcount());
    if (read < bytes.size()) {
      result.Truncated = read > 0;
      return result;
    }
    const TExportRecord record = DecodeExportRecord(bytes);
    if (!IsWebUrl(record.URL)) {
      ++result.NotWeb;
      continue;
    }
    const TRecordCopy copy = FindRecordCopy(exportFolder, record.FileName);
    if (copy.Place == TRecordCopy::TPlace::Outside) ++result.OutsideFolder;
    if (copy.Place != TRecordCopy::TPlace::Found) continue;
    if (ImportOneFile(record.URL, copy.Path, record.Headers, record.SyncTime, kNormalCacheEntry) != 0 &&
        result.Failed++ == 0) {
      result.FirstFailure = FLastFailure;
    }
    ++result.Count;  // a record the cache refused still counts
  }
}

std::uint32_t TCacheImporter::ImportOneFile(const std::string& url, const std::string& path,
                                            const std::string& headers, double dateTime, std::uint32_t entryType) {
  if (!FileExists(path)) {
    FLastFailure = "cannot find " + path;
    return kErrorFileNotFound;
  }
  std::error_code error;
  const std::uintmax_t size = fs::file_size(path, error);
  if (error) throw ImportError("Cannot read " + path + ": " + error.message());
  std::string extension = PathFindExtension(path);
  if (!extension.empty()) extension.erase(0, 1);
  const CreatedCacheFile created = FCache.CreateEntry(url, size, extension);
  if (!created.Ok) {
    FLastFailure = "the cache reserved no file for " + url + " (error " + std::to_string(created.Error) + ")";
    return created.Error;
  }
  const FileTime synced = FileTimeOfDateTime(dateTime);
  std::uint32_t failure = 0;
  fs::copy_file(path, created.LocalFileName, fs::copy_options::overwrite_existing, error);
  if (error) {
    failure = kErrorWriteFault;
    FLastFailure = "cannot copy " + path + " into the cache: " + error.message();
  } else {
    failure = FCache.CommitEntry(url, created.LocalFileName, ExpiryOfHeaders(headers, synced), FClock.NowUtc(),
                                 entryType, headers);
    if (failure != 0) FLastFailure = "the cache refused " + url + " (error " + std::to_string(failure) + ")";
  }
  if (failure != 0 && !FCache.DiscardReservedFile(created.LocalFileName)) {
    FLastFailure += "; its reserved file " + created.LocalFileName + " could not be removed";
  }
  if (failure == 0 && synced != 0 && !FCache.SetLastSyncTime(url, synced)) {
    FLastFailure = "the cache kept the time of the import as the time " + url + " was cached";
    return kErrorWriteFault;
  }
  return failure;
}

FileTime TCacheImporter::FileTimeOfDateTime(double dateTime) {
  const std::optional<TSystemTime> time = SystemTimeFromDateTime(dateTime);
  return time && time->Year >= 1601 ? FileTimeFromSystemTime(*time) : 0;
}

}  // namespace hoardscope
