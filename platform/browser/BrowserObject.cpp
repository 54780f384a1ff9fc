// The browser object of a browser window.
#include "platform/browser/BrowserObject.h"

#include "platform/browser/PagePaneUrls.h"

namespace hoardscope {

TPagePane& TBrowserObject::Pane() {
  if (!FPane) throw BrowserError{"the browser window is closed"};
  return *FPane;
}

bool TBrowserObject::IsOffline() { return Pane().IsOffline(); }

void TBrowserObject::Navigate(const std::string& url) { Pane().NavigateTo(url); }

void TBrowserObject::NavigateFromSource(const std::string& url, const std::string& source) {
  Pane().NavigateFromSource(url, source);
}

void TBrowserObject::NavigateInNewWindow(const std::string& url) {
  const QUrl target(QString::fromStdString(url), QUrl::StrictMode);
  if (!target.isValid() || !(IsWebUrl(target) || target.isLocalFile())) throw BrowserError{"cannot show " + url};
  FOpenWindow(target);
}

}  // namespace hoardscope
