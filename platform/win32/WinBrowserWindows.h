// The cache-changed notice on Windows: the shell's list of open browser windows (IShellWindows), and in each the
// chain of child windows that leads from the browser's explorer-bar host to the bar's view.
#pragma once

#include "com/ComTypes.h"
#include "platform/ports/BrowserWindows.h"

namespace hoardscope {

// The bar's view under a browser's top window: its first "BaseBar" child, that one's first "ReBarWindow32"
// child, and that one's first "THoardscopeMain" child. nullptr where the chain breaks.
HWND FindViewWindow(HWND browserWindow);

class TWinBrowserWindows : public IBrowserWindows {
 public:
  // Sends WM_SYSCOMMAND (kCacheChangedCommand, code) to the view of every browser window; items that are no
  // browser and windows without a view are passed over, and a failing query of the list ends the walk.
  int NotifyViews(int code) override;
};

}  // namespace hoardscope
