// Clock, connected state and report on Windows.
#include "platform/win32/WinSystemServices.h"

#include "com/ComTypes.h"

#include <wininet.h>

#include <iostream>

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

void TWinInternetOptions::ForceOffline() {
  INTERNET_CONNECTED_INFO state{INTERNET_STATE_DISCONNECTED_BY_USER, ISO_FORCE_DISCONNECTED};
  InternetSetOptionA(nullptr, INTERNET_OPTION_CONNECTED_STATE, &state, sizeof state);
}

void TWinReport::WriteLine(const std::string& line) {
  const std::string text = line + "\n";
  const int length = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  OutputDebugStringW(wide.c_str());
  const HANDLE errors = GetStdHandle(STD_ERROR_HANDLE);
  if (errors && errors != INVALID_HANDLE_VALUE) std::cerr << text << std::flush;
}

}  // namespace hoardscope
