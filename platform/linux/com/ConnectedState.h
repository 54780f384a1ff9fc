// The process-wide connected state of the Linux edition's internet layer: once forced offline, pages are served
// from the cache store alone. It lives in libhoardscope-com.so, so that the browser window and the bar's module
// loaded into it share it.
#pragma once

#include <atomic>

#include "platform/ports/InternetOptions.h"

namespace hoardscope {

class TConnectedState : public IInternetOptions {
 public:
  void ForceOffline() override;
  // Whether any view of this process has forced the internet layer offline.
  static bool ForcedOffline();

 private:
  static std::atomic<bool> FForcedOffline;
};

}  // namespace hoardscope
