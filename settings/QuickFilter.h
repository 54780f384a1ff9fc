// The quick filter: the view's own narrowing of what a load lists (URL text, time cached, size), beside the
// Options' type filter; the reading of its dates and sizes as people write them; and the window's filter bar as
// its fields hold it.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

class TURLInfo;

struct TQuickFilter {
  std::string UrlText;                  // a part of the entry's source URL, in any letter case; empty: any URL
  std::optional<FileTime> Since;        // cached at or after this time (UTC)
  std::optional<FileTime> Until;        // cached at or before this time (UTC)
  std::optional<std::int64_t> MinSize;  // at least this many bytes
  std::optional<std::int64_t> MaxSize;  // at most this many bytes

  // Whether the filter admits every entry.
  bool Empty() const;
  bool Admits(const TURLInfo& info) const;
  bool operator==(const TQuickFilter&) const = default;
};

// A day of the calendar (proleptic Gregorian, UTC).
struct TCalendarDay {
  int Year = 0;
  unsigned Month = 0;
  unsigned Day = 0;
};

// The first moment of the day, or its last one (the tick before the next day begins); nullopt for a day that does
// not exist or lies before 1601.
std::optional<FileTime> StartOfDay(const TCalendarDay& day);
std::optional<FileTime> EndOfDay(const TCalendarDay& day);

// Which end of a time range a date is read for: a date without a time of day stands for the start of its day as
// the first bound, for its end as the last one (so that "until" a day includes the whole day).
enum class TRangeEnd { First, Last };

// Reads YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS (UTC); nullopt for any other text or an impossible date.
std::optional<FileTime> ParseFilterTime(std::string_view text, TRangeEnd end);
// Reads a count of bytes, digits with an optional K, M or G (powers of 1024, either letter case); nullopt for any
// other text or a count too large.
std::optional<std::int64_t> ParseByteCount(std::string_view text);

// The choices of the filter bar's "Cached" list, in the list's order, and their captions.
enum class TCachedChoice { AnyTime, LastDay, LastWeek, LastMonth, Range };
inline constexpr std::array<const char*, 5> kCachedChoiceCaptions = {"Any time", "Last day", "Last 7 days",
                                                                     "Last 30 days", "Range"};

// What a window's filter bar holds, as its fields show it.
struct TFilterBarFields {
  std::string UrlText;
  TCachedChoice Cached = TCachedChoice::AnyTime;
  TCalendarDay From;  // the range's first and last days (TCachedChoice::Range)
  TCalendarDay To;
  std::string MinSize;  // as typed: empty for no bound
  std::string MaxSize;
};

// The quick filter the bar's fields describe at the time now, or, in Error, why a field cannot be read.
struct TFilterBarReading {
  TQuickFilter Filter;
  std::string Error;
};
TFilterBarReading ReadFilterBar(const TFilterBarFields& fields, FileTime now);

}  // namespace hoardscope
