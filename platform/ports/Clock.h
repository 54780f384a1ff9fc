// The clock port: the current time in UTC.
#pragma once

#include "platform/ports/UrlCache.h"

namespace hoardscope {

class IClock {
 public:
  virtual ~IClock() = default;
  virtual FileTime NowUtc() = 0;
};

}  // namespace hoardscope
