// The browser object of a browser window.
#include "platform/qt/BrowserObject.h"

namespace hoardscope {

TPagePane& TBrowserObject::Pane() {
  if (!FPane) throw BrowserError{"the browser window is closed"};
  return *FPane;
}

bool TBrowserObject::IsOffline() { return Pane().IsOffline(); }

void TBrowserObject::Navigate(const std::string& url) { Pane().NavigateTo(url); }

}  // namespace hoardscope
