// The process-wide services of the Windows edition that wrap one system call each: the clock and WinInet's
// connected state.
#pragma once

#include "platform/ports/Clock.h"
#include "platform/ports/InternetOptions.h"

namespace hoardscope {

// GetSystemTimeAsFileTime, and LocalFileTimeToFileTime for the shift of a local time.
class TWinClock : public IClock {
 public:
  FileTime NowUtc() override;
  FileTime LocalToUtc(FileTime local) override;
};

// InternetSetOptionA with the connected state "disconnected by user", forced, for the whole process.
class TWinInternetOptions : public IInternetOptions {
 public:
  void ForceOffline() override;
};

}  // namespace hoardscope
