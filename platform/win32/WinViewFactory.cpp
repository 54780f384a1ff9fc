// The band's views as windows of class "THoardscopeMain".
#include "platform/win32/WinViewFactory.h"

namespace hoardscope {

void TWinBandView::SetBounds(const TWindowRect& bounds) {
  MoveWindow(FView->Window(), bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top,
             TRUE);
}

std::unique_ptr<IBandView> TWinViewFactory::CreateView(TWindowHandle parent) {
  return std::make_unique<TWinBandView>(FPorts, static_cast<HWND>(parent));
}

TWindowRect TWinViewFactory::ClientRect(TWindowHandle window) {
  RECT client{};
  GetClientRect(static_cast<HWND>(window), &client);
  return {client.left, client.top, client.right, client.bottom};
}

void TWinViewFactory::ShowWindow(TWindowHandle window, bool show) {
  ::ShowWindow(static_cast<HWND>(window), show ? SW_SHOW : SW_HIDE);
}

}  // namespace hoardscope
