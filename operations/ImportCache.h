// Import of an export file back into the cache: each recorded copy becomes a normal cache entry under its
// recorded URL, with its recorded headers, cached at its recorded time and expiring when those headers say.
// Copies are read only from export folders, never from wherever a record's path points.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/ports/Clock.h"
#include "platform/ports/Progress.h"
#include "platform/ports/UrlCacheWriter.h"

namespace hoardscope {

struct TImportResult {
  int Count = 0;           // records whose copy existed (imported or refused by the cache); -1: no such file
  int Failed = 0;          // of those, records the cache did not take: reserving, copying or committing failed
  std::string FirstFailure;  // what went wrong with the first of them
  int OutsideFolder = 0;   // records left out: their file name names no copy inside an export folder
  int NotWeb = 0;          // records left out: their URL is empty or neither http nor https
  bool Truncated = false;  // the file ended inside a record, which was left out
  bool Stopped = false;    // the user stopped the import: the records after those counted were not read
  std::string Unreadable;  // why the export file could not be read, when Count is -1
};

// Raised when a copy that exists cannot be measured: the import stops there.
struct ImportError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

// The export folder that belongs to an export file: its name without ".hef", beside it. Empty when the name does
// not end in ".hef" or nothing is left before it.
std::string ExportFolderOf(const std::string& exportFile);

// Where the copy that a record's FileName names is read from: the file of that name (its last path element) in
// the export folder; else the recorded path itself when it lies directly in an export folder (a folder X with an
// export file X.hef beside it). Only plain files count, never links.
struct TRecordCopy {
  enum class TPlace { Found, Missing, Outside } Place;
  std::string Path;  // when Found
};
TRecordCopy FindRecordCopy(const std::string& exportFolder, const std::string& fileName);

// The one message that tells how many records were left out and why; empty when none was.
std::string SkippedRecordsMessage(const TImportResult& result);
// The one message that tells how many records the cache did not take; empty when it took them all.
std::string FailedRecordsMessage(const TImportResult& result);

class TCacheImporter {
 public:
  TCacheImporter(IUrlCacheWriter& cache, IClock& clock) : FCache(cache), FClock(clock) {}

  // Imports the records one after the other, telling progress (when given) of each record read; asked to stop,
  // it ends between two records, each record before it committed or given back whole.
  TImportResult ImportExportFile(const std::string& fileName, IProgress* progress = nullptr);
  // 0 on success, 2 when the copy does not exist, else the error code of the step that failed. A failed record
  // leaves no reserved file behind in the cache; LastFailure() then tells what went wrong.
  std::uint32_t ImportOneFile(const std::string& url, const std::string& path, const std::string& headers,
                              double dateTime, std::uint32_t entryType);
  // The recorded date-time (UTC, as the export took it) as a file time; 0 (no time) for a value no file time can
  // hold.
  static FileTime FileTimeOfDateTime(double dateTime);
  const std::string& LastFailure() const { return FLastFailure; }

 private:
  IUrlCacheWriter& FCache;
  IClock& FClock;
  std::string FLastFailure;
};

}  // namespace hoardscope
