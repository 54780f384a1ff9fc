// HTTP dates and times of stored responses.
#include "platform/caches/StoredResponse.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdint>
#include <vector>

#include "core/Tools.h"
#include "core/URLInfo.h"

namespace hoardscope {
namespace {

constexpr FileTime kTicksPerSecond = 10000000;
constexpr std::array<std::string_view, 12> kMonths = {"jan", "feb", "mar", "apr", "may", "jun",
                                                      "jul", "aug", "sep", "oct", "nov", "dec"};

bool ParseNumber(std::string_view text, unsigned& value) {
  if (text.empty()) return false;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size();
}

int MonthOf(std::string_view token) {
  for (std::size_t i = 0; i < kMonths.size(); ++i) {
    if (EqualsNoCase(token, kMonths[i])) return static_cast<int>(i) + 1;
  }
  return 0;
}

bool ParseClock(std::string_view token, TSystemTime& time) {
  unsigned hour = 0, minute = 0, second = 0;
  if (token.size() != 8 || token[2] != ':' || token[5] != ':') return false;
  if (!ParseNumber(token.substr(0, 2), hour) || !ParseNumber(token.substr(3, 2), minute) ||
      !ParseNumber(token.substr(6, 2), second) || hour > 23 || minute > 59 || second > 60)
    return false;
  time.Hour = static_cast<std::uint16_t>(hour);
  time.Minute = static_cast<std::uint16_t>(minute);
  time.Second = static_cast<std::uint16_t>(second == 60 ? 59 : second);
  return true;
}

// The non-empty pieces of text between any of the separators.
std::vector<std::string_view> Split(std::string_view text, std::string_view separators) {
  std::vector<std::string_view> tokens;
  std::size_t start = 0;
  while (start < text.size()) {
    const std::size_t end = std::min(text.find_first_of(separators, start), text.size());
    if (end > start) tokens.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return tokens;
}

bool IsLeap(unsigned year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

unsigned DaysInMonth(unsigned year, unsigned month) {
  static constexpr std::array<unsigned, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeap(year) ? 29 : kDays[month - 1];
}

// The delta-seconds of a Cache-Control directive ("max-age=600"); -1 when absent.
long long DirectiveSeconds(std::string_view cacheControl, std::string_view directive) {
  for (std::string_view part : Split(cacheControl, ",")) {
    part = TrimHtmlSpace(part);
    if (part.size() <= directive.size() || part[directive.size()] != '=' || !StartsWithNoCase(part, directive))
      continue;
    unsigned seconds = 0;
    std::string_view value = part.substr(directive.size() + 1);
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return ParseNumber(value, seconds) ? seconds : -1;
  }
  return -1;
}

}  // namespace

// IMF-fixdate "Sun, 06 Nov 1994 08:49:37 GMT", RFC 850 "Sunday, 06-Nov-94 08:49:37 GMT" and asctime
// "Sun Nov  6 08:49:37 1994" all give, once the weekday is dropped, a month name, a clock and two numbers: the
// day, then the year.
FileTime ParseHttpDate(std::string_view text) {
  std::vector<std::string_view> tokens = Split(text, " \t,-");
  if (!tokens.empty() && MonthOf(tokens.front()) == 0 && !tokens.front().empty() &&
      tokens.front().find_first_of("0123456789") == std::string_view::npos)
    tokens.erase(tokens.begin());
  if (!tokens.empty() && (EqualsNoCase(tokens.back(), "GMT") || EqualsNoCase(tokens.back(), "UTC")))
    tokens.pop_back();
  if (tokens.size() != 4) return 0;

  TSystemTime time;
  unsigned month = 0;
  bool haveClock = false;
  std::vector<unsigned> numbers;
  for (std::string_view token : tokens) {
    unsigned number = 0;
    if (const int m = MonthOf(token); m != 0 && month == 0) {
      month = static_cast<unsigned>(m);
    } else if (!haveClock && ParseClock(token, time)) {
      haveClock = true;
    } else if (ParseNumber(token, number)) {
      numbers.push_back(number);
    } else {
      return 0;
    }
  }
  if (month == 0 || !haveClock || numbers.size() != 2) return 0;
  unsigned day = numbers[0];
  unsigned year = numbers[1];
  if (year < 100) year += year < 70 ? 2000 : 1900;  // RFC 850's two-digit years
  if (year < 1601 || year > 30000 || day < 1 || day > DaysInMonth(year, month)) return 0;
  time.Year = static_cast<std::uint16_t>(year);
  time.Month = static_cast<std::uint16_t>(month);
  time.Day = static_cast<std::uint16_t>(day);
  const std::int64_t seconds = DaysSince1601(time) * 86400 + MillisOfDay(time) / 1000;
  return static_cast<FileTime>(seconds) * kTicksPerSecond;
}

void FillTimesFromHeaders(TBrowserCacheEntry& entry) {
  const std::string_view headers = entry.ResponseHeaders;
  if (entry.ExpireTime == 0) {
    const long long maxAge = DirectiveSeconds(StoredHeaderValue(headers, "Cache-Control"), "max-age");
    const FileTime responded = entry.SyncTime != 0 ? entry.SyncTime : ParseHttpDate(StoredHeaderValue(headers, "Date"));
    if (maxAge >= 0 && responded != 0)
      entry.ExpireTime = responded + static_cast<FileTime>(maxAge) * kTicksPerSecond;
    else
      entry.ExpireTime = ParseHttpDate(StoredHeaderValue(headers, "Expires"));
  }
  if (entry.LastModifiedTime == 0) entry.LastModifiedTime = ParseHttpDate(StoredHeaderValue(headers, "Last-Modified"));
}

}  // namespace hoardscope
