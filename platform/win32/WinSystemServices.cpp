// Clock and connected state on Windows.
#include "platform/win32/WinSystemServices.h"

#include "com/ComTypes.h"

#include <wininet.h>

namespace hoardscope {
namespace {

FileTime FileTimeOf(const FILETIME& time) {
  return static_cast<FileTime>(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

}  // namespace

FileTime TWinClock::NowUtc() {
  FILETIME now{};
  GetSystemTimeAsFileTime(&now);
  return FileTimeOf(now);
}

FileTime TWinClock::LocalToUtc(FileTime local) {
  const FILETIME localTime{static_cast<DWORD>(local), static_cast<DWORD>(local >> 32)};
  FILETIME utc{};
  if (!LocalFileTimeToFileTime(&localTime, &utc)) return local;
  return FileTimeOf(utc);
}

void TWinInternetOptions::ForceOffline() {
  INTERNET_CONNECTED_INFO state{INTERNET_STATE_DISCONNECTED_BY_USER, ISO_FORCE_DISCONNECTED};
  InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, sizeof state);
}

}  // namespace hoardscope
