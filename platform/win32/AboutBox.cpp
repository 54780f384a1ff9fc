// The About box's dialog procedure.
#include "platform/win32/AboutBox.h"

#include "core/Boundary.h"
#include "platform/win32/ViewResources.h"
#include "platform/win32/WinImageLists.h"

namespace hoardscope {
namespace {

constexpr const char* kPurpose =
    "Hoardscope shows your browser's cache as a tree of sites, folders and files, and shows the cached copy "
    "of a page offline.\r\n\r\nHelp: press F1 in the bar, or choose Help from the bar's Help menu.";

BOOL AboutMessage(HWND dialog, UINT message, WPARAM wParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, IDC_ABOUTVERSION, kVersionText);
      SetDlgItemTextA(dialog, IDC_ABOUTTEXT, kPurpose);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  return CatchAll([&] { return AboutMessage(dialog, message, wParam); }, [](const char*) { return BOOL{FALSE}; });
}

}  // namespace

void ShowAboutBox(HWND owner) { DialogBoxParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_ABOUT), owner, AboutProc, 0); }

}  // namespace hoardscope
