// The Options dialog's procedure: two tab pages over one tab control, the boxes and the extension list.
#include "platform/win32/OptionsDialog.h"

#include <commctrl.h>

#include <array>

#include "platform/win32/DialogControls.h"
#include "platform/win32/ViewResources.h"
#include "settings/Options.h"

namespace hoardscope {
namespace {

constexpr std::array<int, 4> kPageByFileTypesControls = {IDC_GBSELECTFILTER, IDC_CHKSHOWTEXT, IDC_CHKSHOWPIC,
                                                         IDC_CHBSHOWMEDIA};
constexpr std::array<int, 3> kPageByFileExtControls = {IDC_LABEL1, IDC_LABEL2, IDC_EDEXT};

void ShowPage(HWND dialog, int page) {
  for (const int id : kPageByFileTypesControls) {
    ShowWindow(GetDlgItem(dialog, id), page == TfrmOptions::kPageByFileTypes ? SW_SHOW : SW_HIDE);
  }
  for (const int id : kPageByFileExtControls) {
    ShowWindow(GetDlgItem(dialog, id), page == TfrmOptions::kPageByFileTypes ? SW_HIDE : SW_SHOW);
  }
}

void ShowLogicState(HWND dialog, const TfrmOptions& logic) {
  CheckDlgButton(dialog, IDC_CHKSHOWALL, logic.chkShowAll.Checked ? BST_CHECKED : BST_UNCHECKED);
  const HWND pages = GetDlgItem(dialog, IDC_PAGECONTROL1);
  TabCtrl_SetCurSel(pages, logic.ActivePage);
  ShowPage(dialog, logic.ActivePage);
  EnableWindow(pages, logic.PageControlEnabled);
  ShowControlState(dialog, IDC_CHKSHOWTEXT, logic.chkShowText.Checked, logic.chkShowText.Enabled);
  ShowControlState(dialog, IDC_CHKSHOWPIC, logic.chkShowPic.Checked, logic.chkShowPic.Enabled);
  ShowControlState(dialog, IDC_CHBSHOWMEDIA, logic.chbShowMedia.Checked, logic.chbShowMedia.Enabled);
  SetDlgItemTextA(dialog, IDC_EDEXT, logic.edExtText.c_str());
  EnableWindow(GetDlgItem(dialog, IDC_EDEXT), logic.edExtEnabled);
}

void TakeControlState(HWND dialog, TfrmOptions& logic) {
  logic.chkShowAll.Checked = IsChecked(dialog, IDC_CHKSHOWALL);
  logic.chkShowText.Checked = IsChecked(dialog, IDC_CHKSHOWTEXT);
  logic.chkShowPic.Checked = IsChecked(dialog, IDC_CHKSHOWPIC);
  logic.chbShowMedia.Checked = IsChecked(dialog, IDC_CHBSHOWMEDIA);
  logic.edExtText = ControlText(dialog, IDC_EDEXT);
}

void InitDialog(HWND dialog, TfrmOptions& logic) {
  const HWND pages = GetDlgItem(dialog, IDC_PAGECONTROL1);
  TCITEMA page{};
  page.mask = TCIF_TEXT;
  page.pszText = const_cast<char*>("By File Types");
  SendMessageA(pages, TCM_INSERTITEMA, TfrmOptions::kPageByFileTypes, reinterpret_cast<LPARAM>(&page));
  page.pszText = const_cast<char*>("By File Ext");
  SendMessageA(pages, TCM_INSERTITEMA, TfrmOptions::kPageByFileExt, reinterpret_cast<LPARAM>(&page));
  logic.FormShow();
  ShowLogicState(dialog, logic);
}

// One message for the dialog's logic; false when the dialog does not handle it.
bool HandleMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, TfrmOptions& logic) {
  if (message == WM_NOTIFY) {
    const auto* notice = reinterpret_cast<const NMHDR*>(lParam);
    if (notice->idFrom != IDC_PAGECONTROL1 || notice->code != TCN_SELCHANGE) return false;
    const int active = TabCtrl_GetCurSel(notice->hwndFrom);
    logic.PageControl1Change(active);
    ShowPage(dialog, active);
    return true;
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return false;
  switch (LOWORD(wParam)) {
    case IDC_CHKSHOWALL:
      TakeControlState(dialog, logic);
      logic.chkShowAllClick();
      ShowLogicState(dialog, logic);
      return true;
    case IDOK:
      TakeControlState(dialog, logic);
      logic.btnOKClick();
      EndDialog(dialog, IDOK);
      return true;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return true;
    default:
      return false;
  }
}

BOOL OptionsMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam, TfrmOptions& logic) {
  if (message == WM_INITDIALOG) {
    InitDialog(dialog, logic);
    return TRUE;
  }
  return HandleMessage(dialog, message, wParam, lParam, logic) ? TRUE : FALSE;
}

}  // namespace

void ShowOptionsDialog(HWND owner, TfrmOptions& logic) {
  RunLogicDialog<TfrmOptions, OptionsMessage>(owner, IDD_OPTIONS, logic);
}

}  // namespace hoardscope
