// The quick filter, the reading of its dates and sizes, and of the filter bar's fields.
#include "settings/QuickFilter.h"

#include <algorithm>
#include <charconv>
#include <limits>

#include "core/TimeText.h"
#include "core/Tools.h"
#include "core/URLInfo.h"

namespace hoardscope {
namespace {

constexpr FileTime kTicksPerSecond = 10000000;
constexpr FileTime kTicksPerDay = 86400 * kTicksPerSecond;

bool ContainsNoCase(std::string_view text, std::string_view part) {
  const auto fold = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; };
  return std::search(text.begin(), text.end(), part.begin(), part.end(),
                     [&](char a, char b) { return fold(a) == fold(b); }) != text.end();
}

std::optional<TCalendarDay> DayOf(std::string_view text) {
  if (text.size() != 10 || text[4] != '-' || text[7] != '-') return std::nullopt;
  const auto yearNumber = DecimalDigitsAt(text, 0, 4), monthNumber = DecimalDigitsAt(text, 5, 2), dayNumber = DecimalDigitsAt(text, 8, 2);
  if (!yearNumber || !monthNumber || !dayNumber) return std::nullopt;
  return TCalendarDay{*yearNumber, static_cast<unsigned>(*monthNumber), static_cast<unsigned>(*dayNumber)};
}

// The seconds of HH:MM:SS since its day began.
std::optional<FileTime> TimeOfDay(std::string_view text) {
  if (text.size() != 8 || text[2] != ':' || text[5] != ':') return std::nullopt;
  const auto hour = DecimalDigitsAt(text, 0, 2), minute = DecimalDigitsAt(text, 3, 2), second = DecimalDigitsAt(text, 6, 2);
  if (!hour || !minute || !second || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  return static_cast<FileTime>((*hour * 60 + *minute) * 60 + *second);
}

FileTime DaysBefore(FileTime now, int days) {
  const FileTime span = static_cast<FileTime>(days) * kTicksPerDay;
  return now > span ? now - span : 0;
}

// The bound a size field gives (none when it is empty); false when it holds something else than a size.
bool ReadSizeField(std::string_view text, std::optional<std::int64_t>& bound) {
  const std::string_view field = TrimHtmlSpace(text);
  if (field.empty()) return true;
  bound = ParseByteCount(field);
  return bound.has_value();
}

}  // namespace

bool TQuickFilter::Empty() const { return *this == TQuickFilter(); }

bool TQuickFilter::Admits(const TURLInfo& info) const {
  if (!UrlText.empty() && !ContainsNoCase(info.SourceUrl, UrlText)) return false;
  if ((MinSize && info.Size < *MinSize) || (MaxSize && info.Size > *MaxSize)) return false;
  if (!Since && !Until) return true;
  const FileTime cached = FileTimeFromSystemTime(info.SyncTime);
  return (!Since || cached >= *Since) && (!Until || cached <= *Until);
}

std::optional<FileTime> StartOfDay(const TCalendarDay& day) { return FirstMomentOfDay(day.Year, day.Month, day.Day); }

std::optional<FileTime> EndOfDay(const TCalendarDay& day) {
  const std::optional<FileTime> start = StartOfDay(day);
  if (!start) return std::nullopt;
  return *start + kTicksPerDay - 1;
}

std::optional<FileTime> ParseFilterTime(std::string_view text, TRangeEnd end) {
  const std::optional<TCalendarDay> day = DayOf(text.substr(0, 10));
  if (!day) return std::nullopt;
  if (text.size() == 10) return end == TRangeEnd::First ? StartOfDay(*day) : EndOfDay(*day);
  const std::optional<FileTime> start = StartOfDay(*day);
  const std::optional<FileTime> seconds = text[10] == 'T' ? TimeOfDay(text.substr(11)) : std::nullopt;
  if (!start || !seconds) return std::nullopt;
  return *start + *seconds * kTicksPerSecond;
}

std::optional<std::int64_t> ParseByteCount(std::string_view text) {
  std::int64_t unit = 1;
  if (!text.empty()) {
    switch (text.back()) {
      case 'K': case 'k': unit = std::int64_t{1} << 10; break;
      case 'M': case 'm': unit = std::int64_t{1} << 20; break;
      case 'G': case 'g': unit = std::int64_t{1} << 30; break;
      default: break;
    }
  }
  const std::string_view digits = unit == 1 ? text : text.substr(0, text.size() - 1);
  std::int64_t count = 0;
  if (digits.empty() || digits.find_first_not_of("0123456789") != std::string_view::npos) return std::nullopt;
  const auto [last, error] = std::from_chars(digits.data(), digits.data() + digits.size(), count);
  if (error != std::errc() || count > std::numeric_limits<std::int64_t>::max() / unit) return std::nullopt;
  return count * unit;
}

TFilterBarReading ReadFilterBar(const TFilterBarFields& fields, FileTime now) {
  TFilterBarReading reading;
  TQuickFilter& filter = reading.Filter;
  filter.UrlText = std::string(TrimHtmlSpace(fields.UrlText));
  switch (fields.Cached) {
    case TCachedChoice::AnyTime: break;
    case TCachedChoice::LastDay: filter.Since = DaysBefore(now, 1); break;
    case TCachedChoice::LastWeek: filter.Since = DaysBefore(now, 7); break;
    case TCachedChoice::LastMonth: filter.Since = DaysBefore(now, 30); break;
    case TCachedChoice::Range:
      filter.Since = StartOfDay(fields.From);
      filter.Until = EndOfDay(fields.To);
      if (!filter.Since || !filter.Until) reading.Error = "The range's days are not days of the calendar from 1601 on.";
      break;
  }
  if (!ReadSizeField(fields.MinSize, filter.MinSize)) {
    reading.Error = "The least size is not a size in bytes (such as 500, 64K, 5M or 1G).";
  } else if (!ReadSizeField(fields.MaxSize, filter.MaxSize)) {
    reading.Error = "The largest size is not a size in bytes (such as 500, 64K, 5M or 1G).";
  }
  return reading;
}

}  // namespace hoardscope
