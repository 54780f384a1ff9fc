// The Windows bar's quick filter fields.
#include "platform/win32/FilterBar.h"

#include <commctrl.h>

#include <stdexcept>
#include <string>

#include "core/Boundary.h"
#include "platform/win32/ViewResources.h"
#include "platform/win32/ViewText.h"
#include "platform/win32/WinImageLists.h"

namespace hoardscope {
namespace {

constexpr UINT_PTR kEditSubclassId = 1;
constexpr int kEditIds[] = {IDC_FILTERURL, IDC_FILTERMINSIZE, IDC_FILTERMAXSIZE};
// The choices this bar offers: all but the range of days, for which it has no date fields.
constexpr int kOfferedChoices = static_cast<int>(TCachedChoice::Range);

std::string FieldText(HWND bar, int id) {
  const HWND control = GetDlgItem(bar, id);
  std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return ViewTextOfWide(text);
}

// Where a control of the bar is, in the bar's client coordinates.
RECT PlaceOf(HWND bar, int id) {
  RECT place{};
  GetWindowRect(GetDlgItem(bar, id), &place);
  MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

// Moves a control across and sets its width, keeping its top and its height (a combo box's with its list dropped).
void MoveControl(HWND bar, int id, int left, int width) {
  const HWND control = GetDlgItem(bar, id);
  RECT place = PlaceOf(bar, id);
  if (RECT dropped{}; id == IDC_FILTERCACHED &&
                      SendMessageA(control, CB_GETDROPPEDCONTROLRECT, 0, reinterpret_cast<LPARAM>(&dropped))) {
    place.bottom = place.top + (dropped.bottom - dropped.top);
  }
  MoveWindow(control, left, place.top, width > 0 ? width : 0, place.bottom - place.top, TRUE);
}

bool IsReturnKey(const MSG* message) {
  return message && message->message == WM_KEYDOWN && message->wParam == VK_RETURN;
}

}  // namespace

TWinFilterBar::TWinFilterBar(HWND parent, std::function<void()> applied) : FApplied(std::move(applied)) {
  FWindow = CreateDialogParamA(ResourceModule(), MAKEINTRESOURCEA(IDD_FILTERBAR), parent, DialogProc,
                               reinterpret_cast<LPARAM>(this));
  if (!FWindow) {
    throw std::runtime_error("The filter bar could not be created (error " + std::to_string(GetLastError()) + ").");
  }
  RECT bounds{};
  GetWindowRect(FWindow, &bounds);
  FHeight = bounds.bottom - bounds.top;
  const HWND choices = GetDlgItem(FWindow, IDC_FILTERCACHED);
  for (int choice = 0; choice < kOfferedChoices; ++choice) {
    SendMessageA(choices, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(kCachedChoiceCaptions[static_cast<std::size_t>(choice)]));
  }
  SendMessageA(choices, CB_SETCURSEL, static_cast<WPARAM>(TCachedChoice::AnyTime), 0);
  for (const int id : kEditIds) SetWindowSubclass(GetDlgItem(FWindow, id), EditProc, kEditSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

TWinFilterBar::~TWinFilterBar() {
  for (const int id : kEditIds) RemoveWindowSubclass(GetDlgItem(FWindow, id), EditProc, kEditSubclassId);
  SetWindowLongPtrA(FWindow, DWLP_USER, 0);
  DestroyWindow(FWindow);
}

TFilterBarFields TWinFilterBar::Fields() const {
  TFilterBarFields fields;
  fields.UrlText = FieldText(FWindow, IDC_FILTERURL);
  const LRESULT choice = SendDlgItemMessageA(FWindow, IDC_FILTERCACHED, CB_GETCURSEL, 0, 0);
  fields.Cached = choice > 0 && choice < kOfferedChoices ? static_cast<TCachedChoice>(choice) : TCachedChoice::AnyTime;
  fields.MinSize = FieldText(FWindow, IDC_FILTERMINSIZE);
  fields.MaxSize = FieldText(FWindow, IDC_FILTERMAXSIZE);
  return fields;
}

void TWinFilterBar::Clear() {
  for (const int id : kEditIds) SetDlgItemTextA(FWindow, id, "");
  SendDlgItemMessageA(FWindow, IDC_FILTERCACHED, CB_SETCURSEL, static_cast<WPARAM>(TCachedChoice::AnyTime), 0);
}

void TWinFilterBar::Arrange(int width) {
  const RECT url = PlaceOf(FWindow, IDC_FILTERURL);
  const RECT clear = PlaceOf(FWindow, IDC_FILTERCLEAR);
  const RECT to = PlaceOf(FWindow, IDC_FILTERSIZETO);
  const RECT least = PlaceOf(FWindow, IDC_FILTERMINSIZE);
  const int margin = url.left - PlaceOf(FWindow, IDC_FILTERURLLABEL).right;
  const int clearWidth = clear.right - clear.left;
  const int clearLeft = width - margin - clearWidth;
  MoveControl(FWindow, IDC_FILTERCLEAR, clearLeft, clearWidth);
  MoveControl(FWindow, IDC_FILTERURL, url.left, clearLeft - margin - url.left);
  MoveControl(FWindow, IDC_FILTERCACHED, url.left, width - margin - url.left);
  const int toWidth = to.right - to.left;
  const int sizeWidth = (width - least.left - toWidth - 3 * margin) / 2;
  MoveControl(FWindow, IDC_FILTERMINSIZE, least.left, sizeWidth);
  MoveControl(FWindow, IDC_FILTERSIZETO, least.left + sizeWidth + margin, toWidth);
  MoveControl(FWindow, IDC_FILTERMAXSIZE, least.left + sizeWidth + 2 * margin + toWidth, sizeWidth);
}

void TWinFilterBar::OnCommand(int id, int code) {
  if (id == IDC_FILTERCLEAR && code == BN_CLICKED) {
    Clear();
    FApplied();
  } else if (id == IDC_FILTERCACHED && code == CBN_SELCHANGE) {
    FApplied();
  }
}

// A failure inside a message's handling ends that message, never the host's message loop.
INT_PTR CALLBACK TWinFilterBar::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) SetWindowLongPtrA(window, DWLP_USER, lParam);
  auto* bar = reinterpret_cast<TWinFilterBar*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!bar || (message != WM_COMMAND && message != WM_SIZE)) return FALSE;
  return CatchAll(
      [&] {
        if (message == WM_SIZE) {
          bar->Arrange(LOWORD(lParam));
        } else {
          bar->OnCommand(LOWORD(wParam), HIWORD(wParam));
        }
        return INT_PTR{TRUE};
      },
      [](const char*) { return INT_PTR{TRUE}; });
}

// The edits take Enter for themselves: it applies the fields, and the host's dialog navigation must leave it.
LRESULT CALLBACK TWinFilterBar::EditProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                         DWORD_PTR data) {
  auto* bar = reinterpret_cast<TWinFilterBar*>(data);
  switch (message) {
    case WM_GETDLGCODE:
      return DefSubclassProc(edit, message, wParam, lParam) |
             (IsReturnKey(reinterpret_cast<const MSG*>(lParam)) ? DLGC_WANTMESSAGE : 0);
    case WM_KEYDOWN:
      if (wParam != VK_RETURN) break;
      CatchAll([&] { bar->FApplied(); }, [](const char*) {});
      return 0;
    case WM_CHAR:
      if (wParam == '\r') return 0;  // no beep for the key that applied the fields
      break;
    default:
      break;
  }
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace hoardscope
