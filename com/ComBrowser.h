// TComBrowser: the browser port over the browser object (IWebBrowser2) of the window that hosts the band, and its
// IHSCSourceNavigation where the window offers one.
#pragma once

#include "com/ComPtr.h"
#include "com/SourceNavigation.h"
#include "platform/ports/Browser.h"

namespace hoardscope {

// Navigate's flag for a new window (navOpenInNewWindow).
inline constexpr LONG kOpenInNewWindow = 0x1;

class TComBrowser : public IBrowser {
 public:
  explicit TComBrowser(TComPtr<IWebBrowser2> browser)
      : FBrowser(std::move(browser)), FSources(FBrowser.As<IHSCSourceNavigation>(IID_IHSCSourceNavigation)) {}

  // get_Offline; a failure raises BrowserError.
  bool IsOffline() override;
  // Navigate with the URL and four empty optional arguments; a failure raises BrowserError.
  void Navigate(const std::string& url) override;
  // Navigate with the flag navOpenInNewWindow.
  void NavigateInNewWindow(const std::string& url) override;
  // Whether the browser object answered IHSCSourceNavigation.
  bool NavigatesFromSources() override { return static_cast<bool>(FSources); }
  // IHSCSourceNavigation's NavigateFromSource; a failure raises BrowserError.
  void NavigateFromSource(const std::string& url, const std::string& source) override;

 private:
  void NavigateWithFlags(const std::string& url, VARIANT& flags);

  TComPtr<IWebBrowser2> FBrowser;
  TComPtr<IHSCSourceNavigation> FSources;
};

}  // namespace hoardscope
