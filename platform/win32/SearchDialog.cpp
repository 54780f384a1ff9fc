// The Search dialog's procedure: the text with its history, case, age limit and folder choice.
#include "platform/win32/SearchDialog.h"

#include "platform/win32/DialogControls.h"
#include "platform/win32/ViewResources.h"
#include "search/Search.h"

namespace hoardscope {
namespace {

void ShowAgeState(HWND dialog, const TfrmSearch& logic) {
  CheckDlgButton(dialog, IDC_CHECKBOX1, logic.CheckBox1 ? BST_CHECKED : BST_UNCHECKED);
  ShowControlState(dialog, IDC_RBTODAY, logic.rbToday.Checked, logic.rbToday.Enabled);
  ShowControlState(dialog, IDC_RBTHISWEEK, logic.rbThisWeek.Checked, logic.rbThisWeek.Enabled);
  ShowControlState(dialog, IDC_RBTHISMONTH, logic.rbThisMonth.Checked, logic.rbThisMonth.Enabled);
}

void ShowLogicState(HWND dialog, const TfrmSearch& logic) {
  const HWND list = GetDlgItem(dialog, IDC_CBSEARCH);
  if (SendMessageA(list, CB_GETCOUNT, 0, 0) != static_cast<LRESULT>(logic.cbSearchItems.size())) {
    SendMessageA(list, CB_RESETCONTENT, 0, 0);
    for (const std::string& item : logic.cbSearchItems) {
      SendMessageA(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
    }
  }
  SetWindowTextA(list, logic.cbSearchText.c_str());
  CheckDlgButton(dialog, IDC_CHKSENSE, logic.chkSense ? BST_CHECKED : BST_UNCHECKED);
  ShowAgeState(dialog, logic);
  CheckDlgButton(dialog, IDC_RBFENTIRECACHE, logic.rbFEntireCache ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dialog, IDC_RBFUNDERFOLDER, logic.rbFUnderFolder ? BST_CHECKED : BST_UNCHECKED);
}

// What the user typed and ticked, so that the logic's handlers work on it and showing their outcome keeps it.
void TakeControlState(HWND dialog, TfrmSearch& logic) {
  logic.cbSearchText = ControlText(dialog, IDC_CBSEARCH);
  logic.chkSense = IsChecked(dialog, IDC_CHKSENSE);
  logic.CheckBox1 = IsChecked(dialog, IDC_CHECKBOX1);
  logic.rbToday.Checked = IsChecked(dialog, IDC_RBTODAY);
  logic.rbThisWeek.Checked = IsChecked(dialog, IDC_RBTHISWEEK);
  logic.rbThisMonth.Checked = IsChecked(dialog, IDC_RBTHISMONTH);
}

void InitDialog(HWND dialog, TfrmSearch& logic) {
  logic.FormShow();
  ShowLogicState(dialog, logic);
  const HWND list = GetDlgItem(dialog, IDC_CBSEARCH);
  SendMessageA(list, CB_SETEDITSEL, 0, MAKELPARAM(0, -1));
  SetFocus(list);
}

void ChooseFolder(TfrmSearch& logic, bool wholeCache) {
  logic.rbFEntireCache = wholeCache;
  logic.rbFUnderFolder = !wholeCache;
  if (wholeCache) {
    logic.rbFEntireCacheClick();
  } else {
    logic.rbFUnderFolderClick();
  }
}

// One click for the dialog's logic; false when the dialog does not handle it.
bool HandleClick(HWND dialog, int id, TfrmSearch& logic) {
  switch (id) {
    case IDC_CHECKBOX1:
      TakeControlState(dialog, logic);
      logic.CheckBox1Click();
      ShowAgeState(dialog, logic);
      return true;
    case IDC_RBTODAY:
      TakeControlState(dialog, logic);
      logic.rbTodayClick();
      return true;
    case IDC_RBTHISWEEK:
      TakeControlState(dialog, logic);
      logic.rbThisWeekClick();
      return true;
    case IDC_RBTHISMONTH:
      TakeControlState(dialog, logic);
      logic.rbThisMonthClick();
      return true;
    case IDC_RBFENTIRECACHE:
      ChooseFolder(logic, true);
      return true;
    case IDC_RBFUNDERFOLDER:
      ChooseFolder(logic, false);
      return true;
    case IDOK:  // Enter: the default button
    case IDC_BTNSEARCH:
      TakeControlState(dialog, logic);
      logic.btnSearchClick();
      EndDialog(dialog, IDOK);
      return true;
    case IDCANCEL:
      EndDialog(dialog, IDCANCEL);
      return true;
    default:
      return false;
  }
}

BOOL SearchMessage(HWND dialog, UINT message, WPARAM wParam, LPARAM, TfrmSearch& logic) {
  if (message == WM_INITDIALOG) {
    InitDialog(dialog, logic);
    return FALSE;  // the focus is on the search text already
  }
  if (message != WM_COMMAND || HIWORD(wParam) != BN_CLICKED) return FALSE;
  return HandleClick(dialog, LOWORD(wParam), logic) ? TRUE : FALSE;
}

}  // namespace

void ShowSearchDialog(HWND owner, TfrmSearch& logic) {
  RunLogicDialog<TfrmSearch, SearchMessage>(owner, IDD_SEARCH, logic);
}

}  // namespace hoardscope
