// Import of an export file back into the cache: each recorded copy becomes a normal cache entry under its
// recorded URL, with its recorded headers.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "platform/ports/Clock.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

struct TImportResult {
  int Count = 0;           // records whose copy existed (imported or refused by the cache); -1: no such file
  bool Truncated = false;  // the file ended inside a record, which was left out
};

// Raised when a copy that exists cannot be measured: the import stops there.
struct ImportError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

class TCacheImporter {
 public:
  TCacheImporter(IUrlCache& cache, IClock& clock) : FCache(cache), FClock(clock) {}

  TImportResult ImportExportFile(const std::string& fileName);
  // 0 on success, 2 when the copy does not exist, else the error code of the step that failed.
  std::uint32_t ImportOneFile(const std::string& url, const std::string& path, const std::string& headers,
                              double dateTime, std::uint32_t entryType);
  // The date-time read as local time, in UTC; 0 (no time) for a value no file time can hold.
  FileTime LocalDateTimeToFileTime(double dateTime);

 private:
  IUrlCache& FCache;
  IClock& FClock;
};

}  // namespace hoardscope
