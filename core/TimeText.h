// File times as text: ISO 8601 in UTC with milliseconds, 2026-12-01T10:00:00.000Z, as the tree's long form, the
// details list and the command line write them.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

// The time as YYYY-MM-DDTHH:MM:SS.mmmZ (UTC); parts of a millisecond are dropped. A time after the year 9999,
// which has no such form, is written as its decimal count of 100-nanosecond ticks.
std::string FileTimeToText(FileTime time);

// The first moment (UTC) of the calendar day; nullopt for a day the calendar does not have or one before 1601-01-01.
std::optional<FileTime> FirstMomentOfDay(int year, unsigned month, unsigned day);

// Reads YYYY-MM-DDTHH:MM:SS[.m[m[m]]]Z, or a decimal tick count; nullopt for any other text or a date before
// 1601-01-01.
std::optional<FileTime> FileTimeFromText(std::string_view text);

}  // namespace hoardscope
