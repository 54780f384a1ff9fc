// The view-factory port: how the band object creates the main view inside a window of the browser and places
// it there. Windows creates the view's own window; the Linux edition the Qt bar inside the host's pane.
#pragma once

#include <memory>

#include "platform/ports/Browser.h"

namespace hoardscope {

// A window of the platform (an HWND on Windows, the host's widget in the Linux edition); nullptr is none.
using TWindowHandle = void*;

struct TWindowRect {
  int Left = 0;
  int Top = 0;
  int Right = 0;
  int Bottom = 0;
};

// One main view. Destroying it destroys its window and controls and drops its browser; it is a destruction, not
// a close request.
class IBandView {
 public:
  virtual ~IBandView() = default;
  // The view's window (created here when it does not exist yet).
  virtual TWindowHandle Window() = 0;
  // Gives the view's window the child style, keeping its other style bits, and makes parent its parent.
  virtual void MakeChildOf(TWindowHandle parent) = 0;
  virtual void SetBounds(const TWindowRect& bounds) = 0;
  // Makes the view visible; this runs the view's show handling (the deferred load starts).
  virtual void Show() = 0;
  // The view's browser reference (FBrowser); nullptr drops it.
  virtual void SetBrowser(std::shared_ptr<IBrowser> browser) = 0;
};

class IViewFactory {
 public:
  virtual ~IViewFactory() = default;
  // Creates a main view with no owner, its window created inside parent (or as a window of its own when parent
  // is nullptr); its create handling runs here. Raises std::exception when the view cannot be created.
  virtual std::unique_ptr<IBandView> CreateView(TWindowHandle parent) = 0;
  // The client rectangle of a window.
  virtual TWindowRect ClientRect(TWindowHandle window) = 0;
  // Shows or hides a window.
  virtual void ShowWindow(TWindowHandle window, bool show) = 0;
};

}  // namespace hoardscope
