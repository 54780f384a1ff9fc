// Telling the bars of every browser window that the cache changed.
#include "platform/win32/WinBrowserWindows.h"

#include "com/ComPtr.h"

namespace hoardscope {

HWND FindViewWindow(HWND browserWindow) {
  HWND window = browserWindow;
  for (const char* className : {"BaseBar", "ReBarWindow32", "THoardscopeMain"}) {
    window = FindWindowExA(window, nullptr, className, nullptr);
    if (!window) return nullptr;
  }
  return window;
}

int TWinBrowserWindows::NotifyViews(int code) {
  TComPtr<IShellWindows> windows;
  if (FAILED(CoCreateInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows,
                              reinterpret_cast<void**>(windows.Out())))) {
    return 0;
  }
  long count = 0;
  if (FAILED(windows->get_Count(&count))) return 0;
  int reached = 0;
  for (long index = 0; index < count; ++index) {
    VARIANT position;
    VariantInit(&position);
    position.vt = VT_I4;
    position.lVal = index;
    TComPtr<IDispatch> item;
    if (FAILED(windows->Item(position, item.Out()))) break;
    if (!item) continue;
    const TComPtr<IWebBrowser2> browser = item.As<IWebBrowser2>(IID_IWebBrowser2);
    SHANDLE_PTR topWindow = 0;
    if (!browser || FAILED(browser->get_HWND(&topWindow))) continue;
    const HWND view = FindViewWindow(reinterpret_cast<HWND>(topWindow));
    if (!view) continue;
    SendMessageA(view, WM_SYSCOMMAND, kCacheChangedCommand, code);
    ++reached;
  }
  return reached;
}

}  // namespace hoardscope
