// The search's age limit.
#include "search/AgeLimit.h"

namespace hoardscope {
namespace {

constexpr double kTicksPerDay = 864000000000.0;

// Days from 1601-01-01 to a civil date (proleptic Gregorian).
std::int64_t DaysFromCivil(int year, unsigned month, unsigned day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = year / 400;
  const unsigned yearOfEra = static_cast<unsigned>(year - era * 400);
  const unsigned dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const unsigned dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + static_cast<std::int64_t>(dayOfEra) - 584694;
}

int LimitDays(TDateChoice choice) {
  switch (choice) {
    case TDateChoice::dcToday: return 1;
    case TDateChoice::dcThisWeek: return 7;
    case TDateChoice::dcThisMonth: return 30;
    case TDateChoice::dcAll: break;
  }
  return 0;
}

}  // namespace

double DaysOf(const TSystemTime& time) {
  const double dayFraction =
      (((time.Hour * 60.0 + time.Minute) * 60.0 + time.Second) * 1000.0 + time.Milliseconds) / 86400000.0;
  return static_cast<double>(DaysFromCivil(time.Year, time.Month, time.Day)) + dayFraction;
}

bool WithinAgeLimit(const TURLInfo& info, TDateChoice choice, FileTime nowUtc) {
  if (choice == TDateChoice::dcAll) return true;
  const double now = static_cast<double>(nowUtc) / kTicksPerDay;
  return now - DaysOf(info.SyncTime) <= LimitDays(choice);
}

}  // namespace hoardscope
