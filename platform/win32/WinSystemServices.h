// The process-wide services of the Windows edition that wrap a system call or two: the clock, WinInet's connected
// state and the report.
#pragma once

#include "platform/ports/Clock.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/Report.h"

namespace hoardscope {

// GetSystemTimeAsFileTime, and LocalFileTimeToFileTime for the shift of a local time.
class TWinClock : public IClock {
 public:
  FileTime NowUtc() override;
};

// InternetSetOptionA with the connected state "disconnected by user", forced, for the whole process.
class TWinInternetOptions : public IInternetOptions {
 public:
  void ForceOffline() override;
};

// OutputDebugStringW, and standard error when the process has one (a module in a window's process has none).
class TWinReport : public IReport {
 public:
  void WriteLine(const std::string& line) override;
};

}  // namespace hoardscope
