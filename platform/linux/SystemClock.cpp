// The system clock.
#include "platform/linux/SystemClock.h"

#include <chrono>
#include <ctime>

#include "core/Tools.h"

namespace hoardscope {

FileTime TSystemClock::NowUtc() {
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  return FileTimeFromUnixMillis(std::chrono::duration_cast<std::chrono::milliseconds>(now).count());
}

FileTime TSystemClock::LocalToUtc(FileTime local) {
  // The calendar fields of the local time, handed to mktime, give the moment they name on this machine.
  const std::int64_t millis = UnixMillisFromFileTime(local);
  const std::time_t seconds = static_cast<std::time_t>(millis >= 0 ? millis / 1000 : (millis - 999) / 1000);
  std::tm fields{};
  gmtime_r(&seconds, &fields);
  fields.tm_isdst = -1;
  const std::time_t utc = std::mktime(&fields);
  if (utc == static_cast<std::time_t>(-1)) return local;
  const std::int64_t shiftMillis = (static_cast<std::int64_t>(utc) - static_cast<std::int64_t>(seconds)) * 1000;
  const std::int64_t result = static_cast<std::int64_t>(local) + shiftMillis * 10000;
  return result < 0 ? 0 : static_cast<FileTime>(result);
}

}  // namespace hoardscope
