// Helpers of the view tests under Wine: letting messages run until something happened, reading the tree
// control, the fake shell as the view's own shell object, and a picture of a window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <fstream>
#include <functional>
#include <iterator>
#include <memory>
#include <string>

#include "platform/ports/Shell.h"
#include "platform/win32/ViewText.h"
#include "tests/fakes/FakeServices.h"

namespace hoardscope {

// Lets the thread's messages run until the condition holds; false when it does not within the safety limit.
inline bool PumpUntil(const std::function<bool()>& condition) {
  for (int round = 0; round < 300; ++round) {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (condition()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 100, QS_ALLINPUT);
  }
  return false;
}

// An item's caption as UTF-8, read through the wide message as the control keeps it.
inline std::string ItemText(HWND tree, HTREEITEM item) {
  wchar_t text[256] = {};
  TVITEMW data{};
  data.mask = TVIF_TEXT | TVIF_HANDLE;
  data.hItem = item;
  data.pszText = text;
  data.cchTextMax = static_cast<int>(std::size(text));
  SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&data));
  return ViewTextOfWide(text);
}

inline int ItemImage(HWND tree, HTREEITEM item) {
  TVITEMA data{};
  data.mask = TVIF_IMAGE | TVIF_HANDLE;
  data.hItem = item;
  TreeView_GetItem(tree, &data);
  return data.iImage;
}

// The captions of an item's children in the control's order, joined by "|".
inline std::string ChildTexts(HWND tree, HTREEITEM parent) {
  std::string texts;
  for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) {
    texts += (texts.empty() ? "" : "|") + ItemText(tree, item);
  }
  return texts;
}

// The view makes its own shell object; the test keeps the fake behind it.
class TShellOfTest : public IShell {
 public:
  explicit TShellOfTest(TFakeShell& shell) : FShell(shell) {}
  int AddFileTypeIcon(const std::string& extension) override { return FShell.AddFileTypeIcon(extension); }
  std::string InternetCacheFolder() override { return FShell.InternetCacheFolder(); }
  bool DeleteFilesIn(const std::string& folder) override { return FShell.DeleteFilesIn(folder); }
  bool MoveFilesToTrash(const std::string& folder) override { return FShell.MoveFilesToTrash(folder); }

 private:
  TFakeShell& FShell;
};

// The folder of the test executable, in the build tree.
inline std::string BinFolderOfTest() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string folder(path, length);
  return folder.substr(0, folder.find_last_of('\\'));
}

// Saves what the screen shows of the window as a 24-bit BMP file; false when it cannot.
inline bool SaveWindowPicture(HWND window, const std::string& path) {
  RECT bounds;
  GetWindowRect(window, &bounds);
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  const HDC screen = GetDC(nullptr);
  const HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO format{};
  format.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  const HBITMAP picture = CreateDIBSection(screen, &format, DIB_RGB_COLORS, &bits, nullptr, 0);
  const HGDIOBJ previous = SelectObject(memory, picture);
  const bool copied = BitBlt(memory, 0, 0, width, height, screen, bounds.left, bounds.top, SRCCOPY) != FALSE;
  GdiFlush();
  const DWORD rowBytes = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
  const DWORD imageBytes = rowBytes * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER);
  file.bfSize = file.bfOffBits + imageBytes;
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(&file), sizeof file);
  out.write(reinterpret_cast<const char*>(&format.bmiHeader), sizeof format.bmiHeader);
  out.write(static_cast<const char*>(bits), imageBytes);
  SelectObject(memory, previous);
  DeleteObject(picture);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return copied && out.good();
}

}  // namespace hoardscope
