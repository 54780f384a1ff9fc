// The browser-windows port: reaching the view of every browser window that shows the bar (the shell's list of
// browser windows on Windows; this process's windows and other hoardscope processes over D-Bus on Linux).
#pragma once

namespace hoardscope {

// The cache-changed notice: WM_SYSCOMMAND with this wParam and lParam.
inline constexpr int kCacheChangedCommand = 6900;
inline constexpr int kCacheChangedCode = 111;

class IBrowserWindows {
 public:
  virtual ~IBrowserWindows() = default;
  // Sends the cache-changed notice with this code to the view of every browser window, the sender's own
  // included, synchronously. Returns the number of views reached.
  virtual int NotifyViews(int code) = 0;
};

}  // namespace hoardscope
