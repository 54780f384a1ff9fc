// The search's age limit.
#include "search/AgeLimit.h"

namespace hoardscope {
namespace {

constexpr double kTicksPerDay = 864000000000.0;

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
  return static_cast<double>(DaysSince1601(time)) + static_cast<double>(MillisOfDay(time)) / 86400000.0;
}

bool WithinAgeLimit(const TURLInfo& info, TDateChoice choice, FileTime nowUtc) {
  if (choice == TDateChoice::dcAll) return true;
  const double now = static_cast<double>(nowUtc) / kTicksPerDay;
  return now - DaysOf(info.SyncTime) <= LimitDays(choice);
}

}  // namespace hoardscope
