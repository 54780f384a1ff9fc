// The bar's window: building the controls from the presenter's action table and menus, mirroring its tree, and
// passing the controls' notifications on to its handlers.
#include "platform/win32/MainView.h"

#include <windowsx.h>

#include <algorithm>
#include <stdexcept>

#include "core/Boundary.h"
#include "platform/win32/ViewText.h"

namespace hoardscope {
namespace {

constexpr int kViewFontHeight = -11;
constexpr int kToolBarFontHeight = -13;
constexpr const char* kFontFace = "MS Sans Serif";
constexpr int kButtonWidth = 50;
constexpr int kTreeIndent = 19;
constexpr int kTotalsPanelWidth = 150;
constexpr int kStatusPanelCount = 2;
constexpr UINT_PTR kSelectionTimerId = 2;
constexpr UINT_PTR kControlSubclassId = 1;
constexpr UINT_PTR kStatusBarSubclassId = 2;
// The status bar while long work runs: its text on the left, then the progress bar, then the Stop button.
constexpr int kStopButtonWidth = 40;
constexpr int kProgressBarWidth = 50;
constexpr int kProgressControlMargin = 2;
constexpr int kProgressBarSteps = 1000;  // the bar's range: a share of the work's total, which may be any size
constexpr UINT kMarqueeIntervalMs = 30;
constexpr UINT kMenuCommandBase = 1000;
// The Files menu's "Details List", and the entries of its "Cache" submenu: the sources from kCacheSourceCommandBase
// on, then "Include https entries".
constexpr UINT kShowDetailsCommand = 1998;
constexpr UINT kShowSecureCommand = 1999;
constexpr UINT kCacheSourceCommandBase = 2000;
constexpr int kMenuImageMargin = 2;
// Posted to the view: the focus entered it (its activation); it may delete itself now (DeleteWhenIdle).
constexpr UINT kActivateMessage = WM_APP + 1;
constexpr UINT kDeleteMessage = WM_APP + 2;
// Posted to the view by its message hook: run the action (wParam) of a shortcut key.
constexpr UINT kShortCutMessage = WM_APP + 3;
// The details list's columns: the URL's wider than the others; its share of the pane's height beside the tree's.
constexpr int kDetailsColumnWidth = 90;
constexpr int kDetailsUrlColumnWidth = 200;
constexpr int kDetailsHeightShare = 2;
constexpr int kTreeHeightShare = 3;

// The entries of the details list's menu, which act on its selected rows; a null caption is a separator. Rows from
// the search's list are neither exported nor deleted, as the nodes below "Search Result" are not.
struct TDetailsMenuEntry {
  const char* Caption;
  void (THoardscopeMain::*Handler)();
  bool ForSearchRows;
};
constexpr TDetailsMenuEntry kDetailsMenu[] = {
    {"Copy URL", &THoardscopeMain::DetailsCopyURLsExecute, true},
    {"Export Files", &THoardscopeMain::DetailsExportExecute, false},
    {"Delete", &THoardscopeMain::DetailsDeleteExecute, false},
    {nullptr, nullptr, true},
    {"Entry Properties", &THoardscopeMain::DetailsPropertiesExecute, true},
};

HFONT CreateViewFont(int height) {
  return CreateFontA(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_SWISS, kFontFace);
}

void RegisterViewClass(WNDPROC procedure) {
  WNDCLASSA known{};
  if (GetClassInfoA(ResourceModule(), kViewClassName, &known)) {
    if (known.lpfnWndProc == procedure) return;
    // Left behind by an earlier load of this module at another address.
    UnregisterClassA(kViewClassName, ResourceModule());
  }
  WNDCLASSA viewClass{};
  viewClass.lpfnWndProc = procedure;
  viewClass.hInstance = ResourceModule();
  viewClass.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  viewClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  viewClass.lpszClassName = kViewClassName;
  RegisterClassA(&viewClass);
}

bool KeyDown(int key) { return (GetKeyState(key) & 0x8000) != 0; }

}  // namespace

// ---- Creation and destruction ---------------------------------------------------------------------------------

TWinMainView::TWinMainView(const TWinViewPorts& ports, HWND parent) {
  static const bool commonControls = [] {
    INITCOMMONCONTROLSEX classes{sizeof(INITCOMMONCONTROLSEX),
                                 ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_LISTVIEW_CLASSES | ICC_TAB_CLASSES | ICC_PROGRESS_CLASS};
    return InitCommonControlsEx(&classes) != FALSE;
  }();
  (void)commonControls;
  RegisterViewClass(WindowProc);
  const DWORD style = WS_CLIPCHILDREN | (parent ? WS_CHILD : WS_POPUP);
  FWindow = CreateWindowExA(0, kViewClassName, "HoardscopeMain", style, 0, 0, 237, 591, parent, nullptr,
                            ResourceModule(), this);
  if (!FWindow) {
    throw std::runtime_error("The window of the bar could not be created (error " + std::to_string(GetLastError()) + ").");
  }
  try {
    FDesktop = std::make_unique<TWinDesktop>(FWindow);
    FDialogs = std::make_unique<TWinDialogs>(FWindow);
    FShell = ports.MakeShell(FImages.ImageList1());
    if (ports.MakeShellMenu) FShellMenu = ports.MakeShellMenu(FWindow);
    CreateControls();
    FPresenter = std::make_unique<THoardscopeMain>(
        TViewServices{ports.Cache, ports.Internet, ports.Registry, *FShell, *FDesktop, FReport, FDialogs.get(),
                      ports.Clock, ports.Windows, FShellMenu.get(), ports.Sources, &FConverter},
        *this);
    FMirror = std::make_unique<TTreeViewMirror>(FPresenter->State().TreeView1, TreeView1);
    FKeyHook = THook(SetWindowsHookExA(WH_GETMESSAGE, GetMessageHook, nullptr, GetCurrentThreadId()));
    DetailsChanged();  // shown or hidden as the settings say
    Layout();
  } catch (...) {
    CloseWindow();  // no message may reach the view that never was; its members free what it had made
    throw;
  }
}

TWinMainView::~TWinMainView() { CloseWindow(); }

void TWinMainView::CloseWindow() {
  // The window's messages lead to the presenter, which goes first.
  SetWindowLongPtrA(FWindow, GWLP_USERDATA, 0);
  FKeyHook = THook();
  for (const HWND control : {TreeView1, DetailsView1}) {
    if (control) RemoveWindowSubclass(control, ControlProc, kControlSubclassId);
  }
  if (sbMain) RemoveWindowSubclass(sbMain, StatusBarProc, kStatusBarSubclassId);
  KillTimer(FWindow, kSelectionTimerId);
  FMirror.reset();
  FPresenter.reset();
  FFilterBar.reset();
  DestroyWindow(FWindow);
}

void TWinMainView::MakeChildOf(HWND parent) {
  const LONG_PTR style = GetWindowLongPtrA(FWindow, GWL_STYLE);
  // A top-level window must give up the pop-up style to become a child.
  SetWindowLongPtrA(FWindow, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
  SetParent(FWindow, parent);
}

void TWinMainView::Destroy(std::unique_ptr<TWinMainView> view) {
  if (!view) return;
  if (!view->FPresenter->Busy() && view->FDesktop->HandlerDepth() == 0) return;  // goes with the pointer
  ShowWindow(view->FWindow, SW_HIDE);
  SetParent(view->FWindow, nullptr);
  view.release()->FDeleteWhenIdle = true;
}

void TWinMainView::DeleteWhenIdle() {
  if (FDeleteWhenIdle && !FPresenter->Busy() && FDesktop->HandlerDepth() == 0) PostMessageA(FWindow, kDeleteMessage, 0, 0);
}

void TWinMainView::CreateControls() {
  FViewFont = TFont(CreateViewFont(kViewFontHeight));
  FToolBarFont = TFont(CreateViewFont(kToolBarFontHeight));
  SendMessageA(FWindow, WM_SETFONT, reinterpret_cast<WPARAM>(FViewFont.Get()), FALSE);
  pmenuLV = TMenu(CreateMenu(kFilesMenu));
  pmenuHelp = TMenu(CreateMenu(kHelpMenu));
  // After a separator at the Files menu's end: whether the details list shows, and the "Cache" submenu, filled
  // each time the menu opens.
  mnuCache = CreatePopupMenu();
  AppendMenuA(pmenuLV.Get(), MF_SEPARATOR, 0, nullptr);
  AppendMenuA(pmenuLV.Get(), MF_STRING, kShowDetailsCommand, "Details List");
  AppendMenuA(pmenuLV.Get(), MF_POPUP, reinterpret_cast<UINT_PTR>(mnuCache), "Cache");
  CreateToolBar();
  CreateFilterBar();
  CreateTree();
  CreateDetailsList();
  CreateStatusBar();
}

HMENU TWinMainView::CreateMenu(std::span<const TMenuEntry> entries) {
  const TActionList actions;
  HMENU menu = CreatePopupMenu();
  for (const TMenuEntry& entry : entries) {
    if (!entry.Action) {
      AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const TAction& action = actions[*entry.Action];
    std::string text = action.Caption;
    if (const std::string keys = ShortCutText(action.ShortCut); !keys.empty()) text += "\t" + keys;
    std::wstring wideText = WideOfViewText(text);  // the captions are UTF-8 ("Save Report…")
    MENUITEMINFOW item{};
    item.cbSize = sizeof item;
    item.fMask = MIIM_ID | MIIM_STRING | MIIM_BITMAP | MIIM_STATE;
    item.wID = kMenuCommandBase + static_cast<UINT>(action.Id);
    item.dwTypeData = wideText.data();
    item.hbmpItem = HBMMENU_CALLBACK;  // the 32×32 picture is drawn by WM_DRAWITEM
    item.fState = action.Enabled ? MFS_ENABLED : MFS_DISABLED;
    InsertMenuItemW(menu, GetMenuItemCount(menu), TRUE, &item);
  }
  return menu;
}

void TWinMainView::CreateToolBar() {
  ToolBar1 = CreateWindowExA(0, TOOLBARCLASSNAMEA, nullptr,
                             WS_CHILD | WS_VISIBLE | TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_TRANSPARENT | CCS_TOP |
                                 CCS_NODIVIDER,
                             0, 0, 0, 0, FWindow, nullptr, ResourceModule(), nullptr);
  SendMessageA(ToolBar1, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
  SendMessageA(ToolBar1, WM_SETFONT, reinterpret_cast<WPARAM>(FToolBarFont.Get()), FALSE);
  SendMessageA(ToolBar1, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
  SendMessageA(ToolBar1, TB_SETIMAGELIST, 0, 0);  // the buttons show text only
  SendMessageA(ToolBar1, TB_SETBUTTONWIDTH, 0, MAKELPARAM(kButtonWidth, kButtonWidth));
  const TActionList actions;
  const TAction& help = actions[TActionId::alHelp];
  TBBUTTON buttons[2]{};
  buttons[0] = {I_IMAGENONE, kFilesButtonId, TBSTATE_ENABLED, BTNS_DROPDOWN, {}, 0,
                reinterpret_cast<INT_PTR>("&Files")};
  buttons[1] = {I_IMAGENONE, kHelpButtonId, TBSTATE_ENABLED, BTNS_DROPDOWN, {}, 0,
                reinterpret_cast<INT_PTR>(help.Caption)};
  SendMessageA(ToolBar1, TB_ADDBUTTONSA, 2, reinterpret_cast<LPARAM>(buttons));
  SendMessageA(ToolBar1, TB_AUTOSIZE, 0, 0);
}

void TWinMainView::CreateFilterBar() {
  FFilterBar = std::make_unique<TWinFilterBar>(FWindow, [this] {
    FDesktop->RunHandler([this] { FPresenter->ApplyFilterBar(FFilterBar->Fields()); });
  });
}

void TWinMainView::CreateTree() {
  TreeView1 = CreateWindowExA(WS_EX_CLIENTEDGE, WC_TREEVIEWA, nullptr,
                              WS_CHILD | WS_VISIBLE | WS_TABSTOP | TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT |
                                  TVS_SHOWSELALWAYS | TVS_INFOTIP,
                              0, 0, 0, 0, FWindow, nullptr, ResourceModule(), nullptr);
  SendMessageA(TreeView1, WM_SETFONT, reinterpret_cast<WPARAM>(FViewFont.Get()), FALSE);
  TreeView_SetIndent(TreeView1, kTreeIndent);
  TreeView_SetImageList(TreeView1, FImages.ImageList1(), TVSIL_NORMAL);
  SetWindowSubclass(TreeView1, ControlProc, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

// A virtual list: it holds no rows of its own but their count, and asks the view for each cell it draws.
void TWinMainView::CreateDetailsList() {
  DetailsView1 = CreateWindowExW(WS_EX_CLIENTEDGE, WC_LISTVIEWW, nullptr,
                                 WS_CHILD | WS_TABSTOP | LVS_REPORT | LVS_OWNERDATA | LVS_SHOWSELALWAYS, 0, 0, 0, 0,
                                 FWindow, nullptr, ResourceModule(), nullptr);
  SendMessageW(DetailsView1, WM_SETFONT, reinterpret_cast<WPARAM>(FViewFont.Get()), FALSE);
  ListView_SetUnicodeFormat(DetailsView1, TRUE);  // the cells are asked for as wide text, whatever the view's class
  ListView_SetExtendedListViewStyle(DetailsView1, LVS_EX_FULLROWSELECT);
  for (std::size_t i = 0; i < kDetailsColumnCount; ++i) {
    std::wstring title = WideOfViewText(DetailsColumnTitle(kDetailsColumns[i]));
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = title.data();
    column.cx = i == 0 ? kDetailsUrlColumnWidth : kDetailsColumnWidth;
    column.iSubItem = static_cast<int>(i);
    SendMessageW(DetailsView1, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }
  SetWindowSubclass(DetailsView1, ControlProc, kControlSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TWinMainView::CreateStatusBar() {
  sbMain = CreateWindowExA(0, STATUSCLASSNAMEA, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, FWindow, nullptr,
                           ResourceModule(), nullptr);
  SendMessageA(sbMain, WM_SETFONT, reinterpret_cast<WPARAM>(FViewFont.Get()), FALSE);
  const int edges[kStatusPanelCount] = {kTotalsPanelWidth, -1};  // the last panel runs to the right edge
  SendMessageA(sbMain, SB_SETPARTS, kStatusPanelCount, reinterpret_cast<LPARAM>(edges));
  FProgressBar = CreateWindowExA(0, PROGRESS_CLASSA, nullptr, WS_CHILD, 0, 0, 0, 0, sbMain, nullptr, ResourceModule(),
                                 nullptr);
  FStopButton = CreateWindowExA(0, WC_BUTTONA, "Stop", WS_CHILD | BS_PUSHBUTTON, 0, 0, 0, 0, sbMain,
                                reinterpret_cast<HMENU>(static_cast<INT_PTR>(kStopButtonId)), ResourceModule(), nullptr);
  SendMessageA(FStopButton, WM_SETFONT, reinterpret_cast<WPARAM>(FViewFont.Get()), FALSE);
  SendMessageA(FProgressBar, PBM_SETRANGE32, 0, kProgressBarSteps);
  SetWindowSubclass(sbMain, StatusBarProc, kStatusBarSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

void TWinMainView::PlaceProgressControls() {
  RECT status;
  GetClientRect(sbMain, &status);
  const int right = static_cast<int>(status.right);
  const int height = static_cast<int>(status.bottom) - 2 * kProgressControlMargin;
  const int buttonLeft = right - kProgressControlMargin - kStopButtonWidth;
  // The bar never covers more than the right half; the text has the rest.
  const int barWidth = std::clamp(buttonLeft - kProgressControlMargin - right / 2, 0, kProgressBarWidth);
  MoveWindow(FStopButton, buttonLeft, kProgressControlMargin, kStopButtonWidth, height, TRUE);
  MoveWindow(FProgressBar, buttonLeft - kProgressControlMargin - barWidth, kProgressControlMargin, barWidth, height,
             TRUE);
}

void TWinMainView::Layout() {
  RECT client;
  GetClientRect(FWindow, &client);
  SendMessageA(ToolBar1, TB_AUTOSIZE, 0, 0);
  SendMessageA(sbMain, WM_SIZE, 0, 0);
  RECT bar, status;
  GetWindowRect(ToolBar1, &bar);
  GetWindowRect(sbMain, &status);
  const int filterTop = bar.bottom - bar.top;
  MoveWindow(FFilterBar->Window(), 0, filterTop, client.right, FFilterBar->Height(), TRUE);
  const int top = filterTop + FFilterBar->Height();
  const int bottom = client.bottom - (status.bottom - status.top);
  const int height = std::max(bottom - top, 0);
  // The details list, when shown, takes its share of the height below the tree.
  const int detailsHeight =
      DetailsShown() ? height * kDetailsHeightShare / (kDetailsHeightShare + kTreeHeightShare) : 0;
  MoveWindow(TreeView1, 0, top, client.right, height - detailsHeight, TRUE);
  MoveWindow(DetailsView1, 0, top + height - detailsHeight, client.right, detailsHeight, TRUE);
  if (FProgressShown) PlaceProgressControls();
}

// ---- Messages -------------------------------------------------------------------------------------------------

// A failure inside a message's handling ends that message (its answer is 0), never the host's message loop.
LRESULT CALLBACK TWinMainView::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CatchAll(
      [&]() -> LRESULT {
        if (message == WM_NCCREATE) {
          auto* view = static_cast<TWinMainView*>(reinterpret_cast<CREATESTRUCTA*>(lParam)->lpCreateParams);
          view->FWindow = window;
          SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        }
        auto* view = reinterpret_cast<TWinMainView*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (!view || !view->FPresenter) return DefWindowProcA(window, message, wParam, lParam);
        if (message == kDeleteMessage) {
          if (view->FDeleteWhenIdle && !view->FPresenter->Busy() && view->FDesktop->HandlerDepth() == 0) delete view;
          return 0;
        }
        const LRESULT result = view->HandleMessage(message, wParam, lParam);
        view->DeleteWhenIdle();
        return result;
      },
      [](const char*) { return LRESULT{0}; });
}

LRESULT TWinMainView::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_SIZE:
      Layout();
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) FDesktop->RunHandler([this] { FPresenter->FormShow(); });  // only the first showing loads
      break;
    case WM_TIMER:
      if (wParam == kSelectionTimerId) {
        ReportSelection();
      } else {
        FDesktop->TimerMessage(wParam);
      }
      return 0;
    case WM_SETCURSOR:
      if (FDesktop->SetCursorMessage()) return TRUE;
      break;
    case WM_SETFOCUS:
      SetFocus(TreeView1);
      return 0;
    case WM_NOTIFY:
      return HandleNotify(*reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND:
      // The face of "&Help" runs its action; the face of "&Files" runs nothing.
      if (reinterpret_cast<HWND>(lParam) == ToolBar1 && LOWORD(wParam) == kHelpButtonId) {
        RunAction(TActionId::alHelp);
      }
      return 0;
    case WM_MEASUREITEM:
      if (reinterpret_cast<MEASUREITEMSTRUCT*>(lParam)->CtlType != ODT_MENU) break;
      MeasureMenuItem(*reinterpret_cast<MEASUREITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_DRAWITEM:
      if (reinterpret_cast<DRAWITEMSTRUCT*>(lParam)->CtlType != ODT_MENU) break;
      DrawMenuItem(*reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
      return TRUE;
    case WM_SYSCOMMAND: {
      const LRESULT result = DefWindowProcA(FWindow, message, wParam, lParam);
      FPresenter->SysCommand(static_cast<int>(wParam), static_cast<int>(lParam));
      return result;
    }
    case kActivateMessage:
      FDesktop->RunHandler([this] { FPresenter->FormActivate(); });
      return 0;
    case kShortCutMessage:
      if (wParam < kActionCount) RunAction(static_cast<TActionId>(wParam));
      return 0;
    default:
      break;
  }
  return DefWindowProcA(FWindow, message, wParam, lParam);
}

LRESULT TWinMainView::HandleNotify(const NMHDR& notice) {
  if (notice.hwndFrom == ToolBar1 && notice.code == TBN_DROPDOWN) {
    DropDown(reinterpret_cast<const NMTOOLBARA&>(notice).iItem);
    return TBDDRET_DEFAULT;
  }
  if (notice.hwndFrom == DetailsView1) return HandleDetailsNotify(notice);
  if (notice.hwndFrom != TreeView1) return 0;
  switch (notice.code) {
    case TVN_ITEMEXPANDEDA:
    case TVN_ITEMEXPANDEDW: {
      const auto& change = reinterpret_cast<const NMTREEVIEWA&>(notice);
      if (!FMirror->Mirroring()) OnItemExpanded(change.itemNew.hItem, (change.action & TVE_EXPAND) != 0);
      return 0;
    }
    case TVN_SELCHANGEDA:
    case TVN_SELCHANGEDW:
      FSelectionPending = true;
      SetTimer(FWindow, kSelectionTimerId, kSelectionChangeDelayMs, nullptr);
      return 0;
    case NM_RCLICK:
      OnRightClick();
      return TRUE;  // the tree has no menu of its own
    case TVN_GETINFOTIPA: {
      auto& tip = const_cast<NMTVGETINFOTIPA&>(reinterpret_cast<const NMTVGETINFOTIPA&>(notice));
      const std::string text = AnsiOfViewText(ToolTipOf(tip.hItem));
      if (tip.pszText && tip.cchTextMax > 0) lstrcpynA(tip.pszText, text.c_str(), tip.cchTextMax);
      return 0;
    }
    case TVN_GETINFOTIPW: {
      auto& tip = const_cast<NMTVGETINFOTIPW&>(reinterpret_cast<const NMTVGETINFOTIPW&>(notice));
      const std::wstring text = WideOfViewText(ToolTipOf(tip.hItem));
      if (tip.pszText && tip.cchTextMax > 0) lstrcpynW(tip.pszText, text.c_str(), tip.cchTextMax);
      return 0;
    }
    default:
      return 0;
  }
}

LRESULT TWinMainView::HandleDetailsNotify(const NMHDR& notice) {
  switch (notice.code) {
    case LVN_GETDISPINFOW:
      AnswerDetailsCell(const_cast<NMLVDISPINFOW&>(reinterpret_cast<const NMLVDISPINFOW&>(notice)));
      return 0;
    case LVN_COLUMNCLICK: {
      const auto index = static_cast<std::size_t>(reinterpret_cast<const NMLISTVIEW&>(notice).iSubItem);
      if (index >= kDetailsColumnCount) return 0;
      const TDetailsColumn column = kDetailsColumns[index];
      const bool shift = GetKeyState(VK_SHIFT) < 0;
      FDesktop->RunHandler([this, column, shift] { FPresenter->DetailsColumnClick(column, shift); });
      return 0;
    }
    case LVN_ITEMCHANGED: {
      const auto& change = reinterpret_cast<const NMLISTVIEW&>(notice);
      if ((change.uChanged & LVIF_STATE) && ((change.uOldState ^ change.uNewState) & LVIS_SELECTED)) {
        ReportDetailsSelection();
      }
      return 0;
    }
    case LVN_ODSTATECHANGED: {
      const auto& change = reinterpret_cast<const NMLVODSTATECHANGE&>(notice);
      if ((change.uOldState ^ change.uNewState) & LVIS_SELECTED) ReportDetailsSelection();
      return 0;
    }
    case NM_RCLICK:
      OnDetailsRightClick(reinterpret_cast<const NMITEMACTIVATE&>(notice).iItem);
      return TRUE;
    default:
      return 0;
  }
}

void TWinMainView::AnswerDetailsCell(NMLVDISPINFOW& cell) const {
  const TDetailsList& details = FPresenter->State().Details;
  const auto row = static_cast<std::size_t>(cell.item.iItem);
  const auto index = static_cast<std::size_t>(cell.item.iSubItem);
  if (!(cell.item.mask & LVIF_TEXT) || !cell.item.pszText || cell.item.cchTextMax <= 0) return;
  if (cell.item.iItem < 0 || row >= details.Count() || cell.item.iSubItem < 0 || index >= kDetailsColumnCount) {
    cell.item.pszText[0] = L'\0';
    return;
  }
  const std::wstring text = WideOfViewText(details.CellText(row, kDetailsColumns[index]));
  lstrcpynW(cell.item.pszText, text.c_str(), cell.item.cchTextMax);
}

void TWinMainView::ReportDetailsSelection() {
  if (FSelectingDetails) return;
  std::vector<std::size_t> rows;
  for (int row = ListView_GetNextItem(DetailsView1, -1, LVNI_SELECTED); row >= 0;
       row = ListView_GetNextItem(DetailsView1, row, LVNI_SELECTED)) {
    rows.push_back(static_cast<std::size_t>(row));
  }
  FDesktop->RunHandler([this, rows] { FPresenter->DetailsSelectionChanged(rows); });
}

void TWinMainView::OnDetailsRightClick(int row) {
  // The list selected the row under the mouse as it was pressed, and told the presenter.
  if (row < 0 || FPresenter->State().Details.SelectedIndexes().empty()) return;
  const bool fromSearch = FPresenter->State().Details.FromSearch();
  const TMenu menu(CreatePopupMenu());
  for (std::size_t i = 0; i < std::size(kDetailsMenu); ++i) {
    const TDetailsMenuEntry& entry = kDetailsMenu[i];
    if (!entry.Caption) {
      AppendMenuA(menu.Get(), MF_SEPARATOR, 0, nullptr);
      continue;
    }
    const UINT state = entry.ForSearchRows || !fromSearch ? MF_ENABLED : MF_GRAYED;
    AppendMenuA(menu.Get(), MF_STRING | state, i + 1, entry.Caption);
  }
  const DWORD position = GetMessagePos();
  const auto chosen = static_cast<std::size_t>(TrackPopupMenu(menu.Get(), TPM_RETURNCMD | TPM_RIGHTBUTTON,
                                                              GET_X_LPARAM(position), GET_Y_LPARAM(position), 0,
                                                              FWindow, nullptr));
  if (chosen == 0 || chosen > std::size(kDetailsMenu)) return;
  const auto handler = kDetailsMenu[chosen - 1].Handler;
  if (!handler) return;
  FDesktop->RunHandler([this, handler] { (FPresenter.get()->*handler)(); });
}

std::string TWinMainView::ToolTipOf(HTREEITEM item) const {
  return FPresenter->ToolTipOf(TTreeViewMirror::NodeOf(TreeView1, item));
}

TWinMainView* TWinMainView::ViewOfControl(HWND window) {
  const HWND parent = window ? GetParent(window) : nullptr;
  // Only our own views: a window of this class made by another copy of the module has another procedure.
  if (!parent || reinterpret_cast<WNDPROC>(GetWindowLongPtrA(parent, GWLP_WNDPROC)) != WindowProc) return nullptr;
  auto* view = reinterpret_cast<TWinMainView*>(GetWindowLongPtrA(parent, GWLP_USERDATA));
  return view && view->FPresenter && (view->TreeView1 == window || view->DetailsView1 == window) ? view : nullptr;
}

LRESULT CALLBACK TWinMainView::GetMessageHook(int code, WPARAM removal, LPARAM data) {
  auto* message = reinterpret_cast<MSG*>(data);
  if (code == HC_ACTION && removal == PM_REMOVE && message->message == WM_KEYDOWN) {
    // A key the view cannot look at stays the thread's.
    CatchAll(
        [&] {
          TWinMainView* view = ViewOfControl(message->hwnd);
          if (!view) return;
          if (message->wParam == VK_ESCAPE && view->FProgressShown) {
            // Esc stops the view's long work; the flag it sets is read at the work's next step.
            view->FPresenter->StopWork();
            message->message = WM_NULL;
            return;
          }
          const int keyCode = static_cast<int>(message->wParam);
          if (const std::optional<TActionId> action = view->KeyAction(message->hwnd, keyCode)) {
            // The loop that took the message then has nothing to translate or dispatch.
            PostMessageA(view->FWindow, kShortCutMessage, static_cast<WPARAM>(*action), 0);
            message->message = WM_NULL;
          }
        },
        [](const char*) {});
  }
  return CallNextHookEx(nullptr, code, removal, data);
}

LRESULT CALLBACK TWinMainView::ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                           DWORD_PTR data) {
  auto* view = reinterpret_cast<TWinMainView*>(data);
  const LRESULT result = CatchAll([&] { return view->HandleControlMessage(window, message, wParam, lParam); },
                                  [](const char*) { return LRESULT{-1}; });
  return result >= 0 ? result : DefSubclassProc(window, message, wParam, lParam);
}

LRESULT CALLBACK TWinMainView::StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                             DWORD_PTR data) {
  auto* view = reinterpret_cast<TWinMainView*>(data);
  if (message == WM_COMMAND && LOWORD(wParam) == kStopButtonId && HIWORD(wParam) == BN_CLICKED) {
    CatchAll([&] { view->FPresenter->StopWork(); }, [](const char*) {});
    SetFocus(view->TreeView1);  // the keys, Esc among them, stay with the tree
    return 0;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

// The messages of the tree and the details list that the view answers; -1 for those the control handles itself.
LRESULT TWinMainView::HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_GETDLGCODE:
      // The host's dialog navigation must leave the view's keys to it.
      return DefSubclassProc(control, message, wParam, lParam) | DLGC_WANTALLKEYS;
    case WM_SETFOCUS:
      // The focus entering the view from elsewhere is its activation; it runs once the focus change is over.
      if (!ContainsWindow(reinterpret_cast<HWND>(wParam))) PostMessageA(FWindow, kActivateMessage, 0, 0);
      return -1;
    default:
      return -1;
  }
}

bool TWinMainView::ContainsWindow(HWND window) const { return window && (window == FWindow || IsChild(FWindow, window)); }

std::optional<TActionId> TWinMainView::ShortCutAction(int keyCode) const {
  return FPresenter->State().Actions.ActionForShortCut(
      ShortCutOf(keyCode, KeyDown(VK_SHIFT), KeyDown(VK_CONTROL), KeyDown(VK_MENU)));
}

std::optional<TActionId> TWinMainView::KeyAction(HWND control, int keyCode) const {
  if (const std::optional<TActionId> action = ShortCutAction(keyCode)) return action;
  // Copy URL has no shortcut of its own; in the details list Ctrl+C copies the selected rows' URLs.
  const int pressed = ShortCutOf(keyCode, KeyDown(VK_SHIFT), KeyDown(VK_CONTROL), KeyDown(VK_MENU));
  if (control == DetailsView1 && pressed == ShortCutOf('C', false, true, false)) return TActionId::aLVCopyURL;
  return std::nullopt;
}

void TWinMainView::RunAction(TActionId action) {
  FDesktop->RunHandler([this, action] { FPresenter->Execute(action); });
}

// ---- Tree events ----------------------------------------------------------------------------------------------

void TWinMainView::OnItemExpanded(HTREEITEM item, bool expanded) {
  TTreeNode* node = TTreeViewMirror::NodeOf(TreeView1, item);
  if (!node) return;
  FDesktop->RunHandler([this, node, expanded] {
    if (expanded) {
      FPresenter->TreeView1Expanded(node);
    } else {
      FPresenter->TreeView1Collapsed(node);
    }
  });
}

void TWinMainView::OnRightClick() {
  // A right click selects the node under the mouse and opens the shell's menu of its file.
  TVHITTESTINFO hit{};
  const DWORD position = GetMessagePos();
  hit.pt = {GET_X_LPARAM(position), GET_Y_LPARAM(position)};
  ScreenToClient(TreeView1, &hit.pt);
  const HTREEITEM item = TreeView_HitTest(TreeView1, &hit);
  if (item) TreeView_SelectItem(TreeView1, item);
  TTreeNode* node = TTreeViewMirror::NodeOf(TreeView1, item);
  FDesktop->RunHandler([this, node] { FPresenter->TreeView1ContextPopup(node); });
}

void TWinMainView::ExpandNode(const TTreeNode* node) {
  const HTREEITEM item = FMirror->ItemOf(node);
  if (!item) return;
  TreeView_Expand(TreeView1, item, TVE_EXPAND);
  // Expanding through the control's message tells nobody: do what the user's click does.
  OnItemExpanded(item, true);
}

void TWinMainView::SelectNode(const TTreeNode* node) {
  if (const HTREEITEM item = FMirror->ItemOf(node)) TreeView_SelectItem(TreeView1, item);
}

void TWinMainView::ReportSelection() {
  KillTimer(FWindow, kSelectionTimerId);
  FSelectionPending = false;
  TTreeNode* node = TTreeViewMirror::NodeOf(TreeView1, TreeView_GetSelection(TreeView1));
  FDesktop->RunHandler([this, node] { FPresenter->TreeView1Change(node); });
}

// ---- Tool bar and menus ---------------------------------------------------------------------------------------

std::optional<TActionId> TWinMainView::ActionOfCommand(UINT command) {
  if (command < kMenuCommandBase || command >= kMenuCommandBase + kActionCount) return std::nullopt;
  return static_cast<TActionId>(command - kMenuCommandBase);
}

void TWinMainView::UpdateMenu(HMENU menu) {
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    const std::optional<TActionId> action = ActionOfCommand(GetMenuItemID(menu, i));
    if (!action) continue;
    EnableMenuItem(menu, static_cast<UINT>(i),
                   MF_BYPOSITION | (FPresenter->State().Actions[*action].Enabled ? MF_ENABLED : MF_GRAYED));
  }
  // Nothing in a menu without the entry.
  CheckMenuItem(menu, kShowDetailsCommand,
                MF_BYCOMMAND | (FPresenter->State().Settings.ShowDetails ? MF_CHECKED : MF_UNCHECKED));
}

void TWinMainView::DropDown(int buttonId) {
  HMENU menu = (buttonId == kFilesButtonId ? pmenuLV : pmenuHelp).Get();
  RECT button;
  SendMessageA(ToolBar1, TB_GETRECT, static_cast<WPARAM>(buttonId), reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(ToolBar1, nullptr, reinterpret_cast<POINT*>(&button), 2);
  UpdateMenu(menu);
  if (menu == pmenuLV.Get()) FillCacheMenu();
  const UINT chosen = static_cast<UINT>(TrackPopupMenu(menu, TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN |
                                                                 TPM_LEFTBUTTON,
                                                       button.left, button.bottom, 0, FWindow, nullptr));
  if (const std::optional<TActionId> action = ActionOfCommand(chosen)) RunAction(*action);
  RunMenuCommand(chosen);
}

void TWinMainView::RunMenuCommand(UINT command) {
  if (command == kShowDetailsCommand) {
    FDesktop->RunHandler([this] { FPresenter->SetShowDetails(!FPresenter->State().Settings.ShowDetails); });
  } else {
    RunCacheMenuCommand(command);
  }
}

void TWinMainView::FillCacheMenu() {
  while (GetMenuItemCount(mnuCache) > 0) DeleteMenu(mnuCache, 0, MF_BYPOSITION);
  FCacheSources = FPresenter->CacheSourceNames();
  const std::string current = FPresenter->CurrentCacheSource();
  for (std::size_t i = 0; i < FCacheSources.size(); ++i) {
    AppendMenuA(mnuCache, MF_STRING | (FCacheSources[i] == current ? MF_CHECKED : MF_UNCHECKED),
                kCacheSourceCommandBase + i, FCacheSources[i].c_str());
  }
  AppendMenuA(mnuCache, MF_SEPARATOR, 0, nullptr);
  const UINT secureState = FPresenter->State().Settings.ShowSecure ? MF_CHECKED : MF_UNCHECKED;
  AppendMenuA(mnuCache, MF_STRING | secureState, kShowSecureCommand, "Include https entries");
}

void TWinMainView::RunCacheMenuCommand(UINT command) {
  if (command == kShowSecureCommand) {
    FDesktop->RunHandler([this] { FPresenter->SetShowSecure(!FPresenter->State().Settings.ShowSecure); });
  } else if (command >= kCacheSourceCommandBase && command - kCacheSourceCommandBase < FCacheSources.size()) {
    const std::string source = FCacheSources[command - kCacheSourceCommandBase];
    FDesktop->RunHandler([this, source] { FPresenter->SelectCacheSource(source); });
  }
}

void TWinMainView::MeasureMenuItem(MEASUREITEMSTRUCT& item) {
  item.itemWidth = kActionImageSize;
  item.itemHeight = kActionImageSize + 2 * kMenuImageMargin;
}

void TWinMainView::DrawMenuItem(const DRAWITEMSTRUCT& item) {
  const std::optional<TActionId> action = ActionOfCommand(item.itemID);
  if (!action) return;
  const int image = FPresenter->State().Actions[*action].ImageIndex;
  const int top = item.rcItem.top + (item.rcItem.bottom - item.rcItem.top - kActionImageSize) / 2;
  const UINT style = (item.itemState & (ODS_GRAYED | ODS_DISABLED)) ? ILD_BLEND50 : ILD_TRANSPARENT;
  ImageList_Draw(FImages.ImageList3(), image, item.hDC, item.rcItem.left, top, style);
}

// ---- IViewWidgets ---------------------------------------------------------------------------------------------

void TWinMainView::SetToolBarEnabled(bool enabled) {
  EnableWindow(ToolBar1, enabled);
  EnableWindow(FFilterBar->Window(), enabled);
}

void TWinMainView::SetStatusText(int panel, const std::string& text) {
  if (panel < 0 || panel >= kStatusPanelCount) return;
  const std::wstring wide = WideOfViewText(text);
  SendMessageW(sbMain, SB_SETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(wide.c_str()));
}

std::string TWinMainView::StatusPanelText(int panel) const {
  const auto length = LOWORD(SendMessageW(sbMain, SB_GETTEXTLENGTHW, static_cast<WPARAM>(panel), 0));
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(sbMain, SB_GETTEXTW, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text.data()));
  text.resize(length);
  return ViewTextOfWide(text);
}

void TWinMainView::SetWindowText(const std::string& text) { ::SetWindowTextW(FWindow, WideOfViewText(text).c_str()); }

TTreeNode* TWinMainView::TopVisibleNode() {
  return TTreeViewMirror::NodeOf(TreeView1, TreeView_GetFirstVisible(TreeView1));
}

void TWinMainView::SetTopVisibleNode(TTreeNode* node) {
  if (const HTREEITEM item = FMirror->ItemOf(node)) TreeView_Select(TreeView1, item, TVGN_FIRSTVISIBLE);
}

void TWinMainView::ShowProgress(const TProgressState& progress) {
  std::string text = progress.Caption + " " + std::to_string(progress.Done);
  if (progress.Total) text += " of " + std::to_string(*progress.Total);
  if (!FProgressShown) {
    FProgressShown = true;
    SendMessageA(sbMain, SB_SIMPLE, TRUE, 0);  // the panels keep their texts for afterwards
    PlaceProgressControls();
    ShowWindow(FProgressBar, SW_SHOWNA);
    ShowWindow(FStopButton, SW_SHOWNA);
  }
  const std::wstring wide = WideOfViewText(text);
  SendMessageW(sbMain, SB_SETTEXTW, SB_SIMPLEID, reinterpret_cast<LPARAM>(wide.c_str()));
  // A busy bar while the total is not known.
  const LONG_PTR style = GetWindowLongPtrA(FProgressBar, GWL_STYLE);
  const LONG_PTR wanted = progress.Total ? style & ~static_cast<LONG_PTR>(PBS_MARQUEE) : style | PBS_MARQUEE;
  if (wanted != style) {
    SetWindowLongPtrA(FProgressBar, GWL_STYLE, wanted);
    SendMessageA(FProgressBar, PBM_SETMARQUEE, progress.Total ? FALSE : TRUE, kMarqueeIntervalMs);
  }
  if (progress.Total) {
    const double share = *progress.Total == 0 ? 1.0 : static_cast<double>(progress.Done) / *progress.Total;
    SendMessageA(FProgressBar, PBM_SETPOS, static_cast<WPARAM>(share * kProgressBarSteps), 0);
  }
}

void TWinMainView::HideProgress() {
  if (!FProgressShown) return;
  FProgressShown = false;
  ShowWindow(FProgressBar, SW_HIDE);
  ShowWindow(FStopButton, SW_HIDE);
  SendMessageA(sbMain, SB_SIMPLE, FALSE, 0);
}

void TWinMainView::FocusTree() { SetFocus(TreeView1); }

bool TWinMainView::TreeHasFocus() { return GetFocus() == TreeView1; }

void TWinMainView::DetailsChanged() {
  const TDetailsList& details = FPresenter->State().Details;
  const bool shown = FPresenter->State().Settings.ShowDetails;
  // Every row is asked for afresh as it is drawn; the selection is the presenter's, marked without a report.
  FSelectingDetails = true;
  ListView_SetItemCountEx(DetailsView1, static_cast<int>(details.Count()), 0);
  SelectDetailsRows();
  FSelectingDetails = false;
  ShowDetailsSortArrow();
  InvalidateRect(DetailsView1, nullptr, TRUE);
  if (shown != DetailsShown()) {
    if (!shown && GetFocus() == DetailsView1) SetFocus(TreeView1);
    ShowWindow(DetailsView1, shown ? SW_SHOWNA : SW_HIDE);
    Layout();
  }
}

// The rows the presenter marks selected (after a sort, where they went), and nothing else.
void TWinMainView::SelectDetailsRows() {
  ListView_SetItemState(DetailsView1, -1, 0, LVIS_SELECTED);
  for (const std::size_t row : FPresenter->State().Details.SelectedPositions()) {
    ListView_SetItemState(DetailsView1, static_cast<int>(row), LVIS_SELECTED, LVIS_SELECTED);
  }
}

// The arrow on the first key's column, up or down with its direction; none on the others.
void TWinMainView::ShowDetailsSortArrow() {
  const std::optional<TDetailsSortKey>& first = FPresenter->State().Details.FirstKey();
  const HWND header = ListView_GetHeader(DetailsView1);
  for (std::size_t i = 0; i < kDetailsColumnCount; ++i) {
    HDITEMW item{};
    item.mask = HDI_FORMAT;
    SendMessageW(header, HDM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    item.fmt &= ~(HDF_SORTUP | HDF_SORTDOWN);
    if (first && first->Column == kDetailsColumns[i]) item.fmt |= first->Descending ? HDF_SORTDOWN : HDF_SORTUP;
    SendMessageW(header, HDM_SETITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
}

bool TWinMainView::DetailsHaveFocus() { return GetFocus() == DetailsView1; }

// Whether the list is one of the shown controls, whether the view itself shows yet or not.
bool TWinMainView::DetailsShown() const { return (GetWindowLongPtrW(DetailsView1, GWL_STYLE) & WS_VISIBLE) != 0; }

void TWinMainView::ActionsChanged() {
  // Menu entries follow their actions whenever a menu opens; the face of "&Help" is its action's button.
  SendMessageA(ToolBar1, TB_ENABLEBUTTON, kHelpButtonId,
               MAKELPARAM(FPresenter->State().Actions[TActionId::alHelp].Enabled ? TRUE : FALSE, 0));
}

}  // namespace hoardscope
