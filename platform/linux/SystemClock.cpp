// The system clock.
#include "platform/linux/SystemClock.h"

#include <chrono>

#include "core/Tools.h"

namespace hoardscope {

FileTime TSystemClock::NowUtc() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return FileTimeFromUnixMillis(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

}  // namespace hoardscope
