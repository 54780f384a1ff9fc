// The system clock as the clock port.
#pragma once

#include "platform/ports/Clock.h"

namespace hoardscope {

class TSystemClock : public IClock {
 public:
  FileTime NowUtc() override;
};

}  // namespace hoardscope
