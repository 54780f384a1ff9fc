// The internet-options port: the process-wide connected state of the platform's internet layer.
#pragma once

namespace hoardscope {

class IInternetOptions {
 public:
  virtual ~IInternetOptions() = default;
  // Switches the whole process to "disconnected by user", forced, so that pages are served from the cache.
  virtual void ForceOffline() = 0;
};

}  // namespace hoardscope
