// The browser port: the hosting browser window as the view uses it (IWebBrowser2 on Windows).
#pragma once

#include <stdexcept>
#include <string>

namespace hoardscope {

// Raised by a browser that reports an error for a call.
struct BrowserError : std::runtime_error {
  explicit BrowserError(const std::string& message) : std::runtime_error(message) {}
};

class IBrowser {
 public:
  virtual ~IBrowser() = default;
  // Whether this browser is working offline. May raise BrowserError.
  virtual bool IsOffline() = 0;
  // Sends the browser to url. May raise BrowserError.
  virtual void Navigate(const std::string& url) = 0;
  // Opens url in a new window of the browser, leaving this one as it is. May raise BrowserError.
  virtual void NavigateInNewWindow(const std::string& url) = 0;

  // Whether this browser can show a page of a browser's disk cache from that cache itself (NavigateFromSource).
  // One that cannot is sent to copies of the page and of what it loads, in files.
  virtual bool NavigatesFromSources() { return false; }
  // Sends the browser to url as the named cache source (a name ICacheSourceChoice gives) holds it: the page, what
  // it loads and the pages the user follows from it come from that source, offline, under their own URLs. Only
  // for a browser that NavigatesFromSources. May raise BrowserError.
  virtual void NavigateFromSource(const std::string& url, const std::string& source) {
    throw BrowserError{"this browser shows no page from a cache source"};
  }
};

}  // namespace hoardscope
