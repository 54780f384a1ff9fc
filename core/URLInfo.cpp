// Filling TURLInfo records from cache records.
#include "core/URLInfo.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>

#include "core/ResponseHeaders.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr std::uint64_t kTicksPerMilli = 10000;
constexpr std::uint64_t kMillisPerDay = 86400000;

// Days since 1601-01-01 to a civil date (proleptic Gregorian), by shifting to an era-based count from 0000-03-01.
void CivilFromDays(std::int64_t daysSince1601, TSystemTime& out) {
  const std::int64_t z = daysSince1601 + 584694;  // days from 0000-03-01 to 1601-01-01
  const std::int64_t era = z / 146097;
  const std::int64_t dayOfEra = z - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * monthIndex + 2) / 5 + 1;
  const std::int64_t month = monthIndex < 10 ? monthIndex + 3 : monthIndex - 9;
  out.Year = static_cast<std::uint16_t>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
  out.Month = static_cast<std::uint16_t>(month);
  out.Day = static_cast<std::uint16_t>(day);
  out.DayOfWeek = static_cast<std::uint16_t>((daysSince1601 + 1) % 7);  // 1601-01-01 was a Monday
}

// The first line of a header block when it is a status line ("HTTP/1.1 404 Not Found"), and its status code; an
// empty line and 0 otherwise.
struct TStatusLine {
  std::string_view Line;
  int Code = 0;
};

TStatusLine StatusLineOf(std::string_view headers) {
  const std::string_view line = headers.substr(0, headers.find_first_of("\r\n"));
  if (!line.starts_with("HTTP/")) return {};
  const std::size_t space = line.find(' ');
  if (space == std::string_view::npos || line.size() < space + 4) return {};
  const std::string_view code = line.substr(space + 1, 3);
  if (!std::all_of(code.begin(), code.end(), [](char c) { return c >= '0' && c <= '9'; })) return {};
  return {line, (code[0] - '0') * 100 + (code[1] - '0') * 10 + (code[2] - '0')};
}

}  // namespace

FileTime FileTimeFromSystemTime(const TSystemTime& time) {
  return static_cast<FileTime>(DaysSince1601(time) * 86400000LL + MillisOfDay(time)) * 10000ULL;
}

std::int64_t DaysSince1601(const TSystemTime& time) {
  const unsigned month = time.Month;
  const std::int64_t year = time.Year - (month <= 2 ? 1 : 0);
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + time.Day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 584694;
}

std::int64_t MillisOfDay(const TSystemTime& time) {
  return ((time.Hour * 60LL + time.Minute) * 60 + time.Second) * 1000 + time.Milliseconds;
}

TSystemTime SystemTimeFromFileTime(FileTime time) {
  const std::uint64_t millis = time / kTicksPerMilli;
  const std::uint64_t millisOfDay = millis % kMillisPerDay;
  TSystemTime result;
  CivilFromDays(static_cast<std::int64_t>(millis / kMillisPerDay), result);
  result.Hour = static_cast<std::uint16_t>(millisOfDay / 3600000);
  result.Minute = static_cast<std::uint16_t>(millisOfDay / 60000 % 60);
  result.Second = static_cast<std::uint16_t>(millisOfDay / 1000 % 60);
  result.Milliseconds = static_cast<std::uint16_t>(millisOfDay % 1000);
  return result;
}

void FillURLInfo(CacheEntryRecord record, TURLInfo& info) {
  info.SourceUrl = std::move(record.SourceUrl);
  if (!record.LocalFileName.empty()) {
    info.CacheFile = record.LocalFileName;
    info.LocalFile = std::move(record.LocalFileName);
  }
  info.ContentType = record.HeaderInfo ? ContentTypeOf(*record.HeaderInfo) : "Unknown";
  if (record.HeaderInfo) {
    const TStatusLine status = StatusLineOf(*record.HeaderInfo);
    info.StatusCode = status.Code;
    if (status.Code >= 400) info.ErrorStatus = std::string(status.Line);
    info.Server = std::string(HeaderValueOf(*record.HeaderInfo, "Server"));
  }
  info.SyncTime = SystemTimeFromFileTime(record.LastSyncTime);
  info.ExpireTime = record.ExpireTime;
  info.LastAccessTime = record.LastAccessTime;
  info.Size = record.SizeHigh == 0
                  ? static_cast<std::int64_t>(record.SizeLow)
                  : static_cast<std::int64_t>((static_cast<std::uint64_t>(record.SizeHigh) << 32) | record.SizeLow);
}

std::string PrepareLocalFile(IUrlCacheReader& cache, const TURLInfo& info) {
  return info.LocalFile.empty() ? std::string() : cache.PrepareLocalFile(info.LocalFile);
}

std::string StoredHeadersOf(IUrlCacheReader& cache, const std::string& sourceUrl) {
  const std::optional<CacheEntryRecord> record = cache.GetEntryInfo(sourceUrl);
  if (!record || !record->HeaderInfo) return std::string();
  return record->HeaderInfo->substr(0, record->HeaderInfo->find('\0'));
}

}  // namespace hoardscope
