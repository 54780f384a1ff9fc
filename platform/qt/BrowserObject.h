// TBrowserObject: the browser object a browser window hands its bar, what the view knows of the browser it sits
// in: whether the browser works offline, and navigating its page pane.
#pragma once

#include <QPointer>

#include "platform/ports/Browser.h"
#include "platform/qt/PagePane.h"

namespace hoardscope {

class TBrowserObject : public IBrowser {
 public:
  explicit TBrowserObject(TPagePane& pane) : FPane(&pane) {}

  // Both raise BrowserError once the window's page pane is gone; Navigate also for a URL the pane cannot load.
  bool IsOffline() override;
  void Navigate(const std::string& url) override;

 private:
  TPagePane& Pane();

  QPointer<TPagePane> FPane;
};

}  // namespace hoardscope
