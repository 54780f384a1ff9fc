// The clock port: the current time in UTC, and the shift from local time to UTC.
#pragma once

#include "platform/ports/UrlCache.h"

namespace hoardscope {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual FileTime NowUtc() = 0;
  // A time read as local time on this machine, turned into UTC (the shift of the moment it names).
  virtual FileTime LocalToUtc(FileTime local) = 0;
};

}  // namespace hoardscope
