// TURLInfo: the record the view keeps for each listed cache entry, and its calendar time type.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

// A calendar date-time, field by field (the platform's SYSTEMTIME), always UTC here.
struct TSystemTime {
  std::uint16_t Year = 0;
  std::uint16_t Month = 0;
  std::uint16_t DayOfWeek = 0;  // 0 = Sunday
  std::uint16_t Day = 0;
  std::uint16_t Hour = 0;
  std::uint16_t Minute = 0;
  std::uint16_t Second = 0;
  std::uint16_t Milliseconds = 0;
};

TSystemTime SystemTimeFromFileTime(FileTime time);
// And back: the file time of the calendar time (a time before 1601 wraps, as the platform's unsigned ticks do).
FileTime FileTimeFromSystemTime(const TSystemTime& time);
// Days from 1601-01-01 to the time's date (proleptic Gregorian calendar), and the milliseconds of its day.
std::int64_t DaysSince1601(const TSystemTime& time);
std::int64_t MillisOfDay(const TSystemTime& time);

class TURLInfo {
 public:
  std::string DisplayName;   // the file node's caption; empty until an expansion first shows the entry
  std::string LocalFile;     // the cached copy; empty when the record has none
  std::string ContentType;   // ContentTypeOf the header block, "Unknown" without one
  std::string CacheFile;     // the cached copy again
  std::int64_t Size = 0;
  TSystemTime SyncTime;      // last-sync time, UTC
  FileTime ExpireTime = 0;       // 0: none stored
  FileTime LastAccessTime = 0;   // 0: the cache keeps none
  // The URL the cache holds the entry under. The entry key, which lists and groups the entry, may drop its port,
  // user information, query and fragment; every call that names the entry to the cache or to the browser uses
  // this one.
  std::string SourceUrl;
  // The status line of a cached error response (status 400 and up, "HTTP/1.1 404 Not Found"); empty for any
  // other response, and where no status line was stored.
  std::string ErrorStatus;
  // The status code of the stored status line (200, 404); 0 where no status line was stored.
  int StatusCode = 0;
  // The stored Server header's value; empty without one.
  std::string Server;
};

// Fills a record's fields from a cache record, taking over its texts.
void FillURLInfo(CacheEntryRecord record, TURLInfo& info);

// Has the cache make the record's local file ready to be read; empty on success (or when it has none), else why
// not.
std::string PrepareLocalFile(IUrlCacheReader& cache, const TURLInfo& info);

// The response headers the cache stores for the entry of this source URL, up to a NUL; empty when it has none.
std::string StoredHeadersOf(IUrlCacheReader& cache, const std::string& sourceUrl);

}  // namespace hoardscope
