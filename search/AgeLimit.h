// The age limit of a search: whether an entry was synchronised recently enough for the chosen period.
#pragma once

#include "core/URLInfo.h"
#include "search/Search.h"

namespace hoardscope {

// Days since 1601-01-01 with the fraction of the day, of a calendar time.
double DaysOf(const TSystemTime& time);

// True when now minus the entry's last-sync time is at most the choice's days (1, 7 or 30); the entry's time and
// now are both UTC. Always true for dcAll.
bool WithinAgeLimit(const TURLInfo& info, TDateChoice choice, FileTime nowUtc);

}  // namespace hoardscope
