// ISO 8601 text of file times, by the calendar of <chrono> (no C library time functions, so any year from 1601
// on works the same on every platform).
#include "core/TimeText.h"

#include <charconv>
#include <chrono>
#include <cstdio>

#include "core/Tools.h"

namespace hoardscope {
namespace {

using namespace std::chrono;

constexpr sys_days kFileTimeEpoch = sys_days(year(1601) / January / 1);
constexpr std::uint64_t kTicksPerMilli = 10000;
// 10000-01-01T00:00:00Z, the first moment without a four-digit year.
constexpr FileTime kFirstTimeAfterYear9999 = 2650467744000000000ull;

}  // namespace

std::string FileTimeToText(FileTime time) {
  if (time >= kFirstTimeAfterYear9999) return std::to_string(time);
  const milliseconds sinceEpoch(static_cast<std::int64_t>(time / kTicksPerMilli));
  const sys_time<milliseconds> moment = kFileTimeEpoch + sinceEpoch;
  const sys_days day = floor<days>(moment);
  const year_month_day date(day);
  const hh_mm_ss<milliseconds> clock(moment - day);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02u-%02uT%02d:%02d:%02lld.%03lldZ", static_cast<int>(date.year()),
                static_cast<unsigned>(date.month()), static_cast<unsigned>(date.day()),
                static_cast<int>(clock.hours().count()), static_cast<int>(clock.minutes().count()),
                static_cast<long long>(clock.seconds().count()), static_cast<long long>(clock.subseconds().count()));
  return text;
}

std::optional<FileTime> FirstMomentOfDay(int yearNumber, unsigned monthNumber, unsigned dayNumber) {
  const year_month_day date{year(yearNumber), month(monthNumber), day(dayNumber)};
  if (!date.ok() || sys_days(date) < kFileTimeEpoch) return std::nullopt;
  return static_cast<FileTime>((sys_days(date) - kFileTimeEpoch).count()) * kTicksPerMilli * 86400000;
}

std::optional<FileTime> FileTimeFromText(std::string_view text) {
  if (!text.empty() && text.find_first_not_of("0123456789") == std::string_view::npos) {
    FileTime ticks = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), ticks);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return ticks;
  }
  // YYYY-MM-DDTHH:MM:SS
  if (text.size() < 20 || text[4] != '-' || text[7] != '-' || text[10] != 'T' || text[13] != ':' ||
      text[16] != ':' || text.back() != 'Z') {
    return std::nullopt;
  }
  const auto yearNumber = DecimalDigitsAt(text, 0, 4), monthNumber = DecimalDigitsAt(text, 5, 2), dayNumber = DecimalDigitsAt(text, 8, 2);
  const auto hour = DecimalDigitsAt(text, 11, 2), minute = DecimalDigitsAt(text, 14, 2), second = DecimalDigitsAt(text, 17, 2);
  if (!yearNumber || !monthNumber || !dayNumber || !hour || !minute || !second) return std::nullopt;
  int millis = 0;
  const std::string_view fraction = text.substr(19, text.size() - 20);
  if (!fraction.empty()) {
    if (fraction[0] != '.' || fraction.size() < 2 || fraction.size() > 4) return std::nullopt;
    const auto digits = DecimalDigitsAt(fraction, 1, fraction.size() - 1);
    if (!digits) return std::nullopt;
    millis = *digits;
    for (std::size_t scale = fraction.size() - 1; scale < 3; ++scale) millis *= 10;
  }
  const std::optional<FileTime> dayStart =
      FirstMomentOfDay(*yearNumber, static_cast<unsigned>(*monthNumber), static_cast<unsigned>(*dayNumber));
  if (!dayStart || *hour > 23 || *minute > 59 || *second > 59) return std::nullopt;
  const milliseconds sinceDayStart = hours(*hour) + minutes(*minute) + seconds(*second) + milliseconds(millis);
  return *dayStart + static_cast<FileTime>(sinceDayStart.count()) * kTicksPerMilli;
}

}  // namespace hoardscope
