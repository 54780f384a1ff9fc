// TBrowserObject: the browser object a browser window hands its bar, what the view knows of the browser it sits
// in: whether the browser works offline, and navigating its page pane.
#pragma once

#include <QPointer>
#include <QUrl>
#include <functional>

#include "platform/ports/Browser.h"
#include "platform/browser/PagePane.h"

namespace hoardscope {

class TBrowserObject : public IBrowser {
 public:
  // openWindow opens a new browser window showing a URL.
  TBrowserObject(TPagePane& pane, std::function<void(const QUrl&)> openWindow)
      : FPane(&pane), FOpenWindow(std::move(openWindow)) {}

  // Each raises BrowserError once the window's page pane is gone; Navigate and NavigateFromSource also for a URL
  // or source the pane cannot load.
  bool IsOffline() override;
  void Navigate(const std::string& url) override;
  // The pane answers every request of a page from the source it was sent to.
  bool NavigatesFromSources() override { return true; }
  void NavigateFromSource(const std::string& url, const std::string& source) override;
  // A web URL, or a local page (file URL) such as the installed help; BrowserError for anything else.
  void NavigateInNewWindow(const std::string& url) override;

 private:
  TPagePane& Pane();

  QPointer<TPagePane> FPane;
  std::function<void(const QUrl&)> FOpenWindow;
};

}  // namespace hoardscope
