// TWinMainView: the bar of the Windows edition, a window of class "THoardscopeMain" with the main view's
// controls (tool bar with two drop-down buttons, filter bar, TreeView over the details list, two-part status bar), its
// menus, image lists and shortcut keys, over the portable presenter THoardscopeMain.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/win32/FilterBar.h"
#include "platform/win32/TreeViewMirror.h"
#include "platform/win32/UniqueHandle.h"
#include "platform/win32/WinDesktop.h"
#include "platform/win32/WinDialogs.h"
#include "platform/win32/WinImageLists.h"
#include "platform/win32/WinSystemServices.h"
#include "platform/win32/WinTextConverter.h"
#include "presenter/HoardscopeMain.h"

namespace hoardscope {

inline constexpr const char* kViewClassName = "THoardscopeMain";
// The tree reports a selection once it has stayed this long.
inline constexpr UINT kSelectionChangeDelayMs = 50;
// Command identifiers of the two tool-bar buttons.
inline constexpr int kFilesButtonId = 101;
inline constexpr int kHelpButtonId = 102;
// Command identifier of the status bar's Stop button, which shows while long work runs.
inline constexpr int kStopButtonId = 103;

// The services a view works through, besides those it makes for its own window. Each view has a shell of its
// own, made by MakeShell over the view's tree image list, to which it adds the file-type icons, and a context
// menu owned by its window (none without MakeShellMenu).
struct TWinViewPorts {
  IUrlCache& Cache;
  IInternetOptions& Internet;
  IRegistry& Registry;
  std::function<std::unique_ptr<IShell>(HIMAGELIST treeImages)> MakeShell;
  IClock* Clock = nullptr;
  IBrowserWindows* Windows = nullptr;
  std::function<std::unique_ptr<IShellMenu>(HWND owner)> MakeShellMenu;
  ICacheSourceChoice* Sources = nullptr;  // chooses what Cache reads: the Files menu's "Cache" submenu
};

class TWinMainView : public IViewWidgets {
 public:
  // Creates the window (a borderless window of its own when parent is nullptr, else a child of parent, not yet
  // visible), its controls and the presenter, whose create handling runs here. Raises std::runtime_error when
  // the window cannot be created.
  TWinMainView(const TWinViewPorts& ports, HWND parent);
  ~TWinMainView() override;
  TWinMainView(const TWinMainView&) = delete;
  TWinMainView& operator=(const TWinMainView&) = delete;

  HWND Window() const { return FWindow; }
  THoardscopeMain& Presenter() { return *FPresenter; }

  // Gives the window the child style and makes parent its parent.
  void MakeChildOf(HWND parent);
  // A view destroyed while its presenter lets messages run must not go before that work is over: it hides,
  // leaves its parent and deletes itself once idle. Deletes the view at once when it is idle already.
  static void Destroy(std::unique_ptr<TWinMainView> view);

  // The controls, for the band and the tests.
  HWND ToolBar() const { return ToolBar1; }
  HWND FilterBar() const { return FFilterBar->Window(); }
  HWND Tree() const { return TreeView1; }
  HWND DetailsList() const { return DetailsView1; }
  HWND StatusBar() const { return sbMain; }
  // What the status bar shows over its panels while long work runs: a progress bar and the Stop button.
  HWND ProgressBar() const { return FProgressBar; }
  HWND StopButton() const { return FStopButton; }
  bool ProgressShown() const { return FProgressShown; }
  HMENU FilesMenu() const { return pmenuLV.Get(); }
  HMENU HelpMenu() const { return pmenuHelp.Get(); }
  HMENU CacheMenu() const { return mnuCache; }
  // Fills the "Cache" submenu afresh, as before each showing, and runs the choice of one of its entries.
  void FillCacheMenu();
  // Runs what a command of the Files menu that is no action's does: a "Cache" entry, or "Details List".
  void RunMenuCommand(UINT command);
  const TWinImageLists& Images() const { return FImages; }
  const TTreeViewMirror& Mirror() const { return *FMirror; }
  std::string StatusPanelText(int panel) const;

  // What the user's actions do: opening a node in the tree, selecting one (the presenter hears of it once the
  // selection has settled).
  void ExpandNode(const TTreeNode* node);
  void SelectNode(const TTreeNode* node);
  bool SelectionChangePending() const { return FSelectionPending; }
  // The view was shown and its deferred first load has not run yet.
  bool StartPending() const { return FDesktop->TimerActive(); }
  // Brings the menu's entries up to date with the actions, as before each showing.
  void UpdateMenu(HMENU menu);
  // The action of a menu entry's command identifier, if it is one.
  static std::optional<TActionId> ActionOfCommand(UINT command);
  // Runs an action as its menu entry, button or key does; errors are shown in a message box.
  void RunAction(TActionId action);
  // The action whose shortcut a key is, with the modifiers held now.
  std::optional<TActionId> ShortCutAction(int keyCode) const;

  // IViewWidgets
  void SetToolBarEnabled(bool enabled) override;
  void SetStatusText(int panel, const std::string& text) override;
  void SetWindowText(const std::string& text) override;
  TTreeNode* TopVisibleNode() override;
  void SetTopVisibleNode(TTreeNode* node) override;
  void FocusTree() override;
  bool TreeHasFocus() override;
  void ActionsChanged() override;
  void DetailsChanged() override;
  bool DetailsHaveFocus() override;
  void ShowProgress(const TProgressState& progress) override;
  void HideProgress() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Takes the view's shortcut keys out of the thread's message loop before the host translates them into its
  // own commands, and runs them in the view.
  static LRESULT CALLBACK GetMessageHook(int code, WPARAM removal, LPARAM data);
  // The view whose tree or details list the window is, if it is one of those.
  static TWinMainView* ViewOfControl(HWND window);
  static LRESULT CALLBACK ControlProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                      DWORD_PTR data);
  // The status bar passes its Stop button's click to the presenter.
  static LRESULT CALLBACK StatusBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                        DWORD_PTR data);
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  LRESULT HandleNotify(const NMHDR& notice);
  LRESULT HandleDetailsNotify(const NMHDR& notice);
  LRESULT HandleControlMessage(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
  // The action a key pressed in one of the view's controls runs: its shortcut, or Ctrl+C in the details list.
  std::optional<TActionId> KeyAction(HWND control, int keyCode) const;
  void CreateControls();
  void CreateToolBar();
  void CreateFilterBar();
  void CreateTree();
  void CreateDetailsList();
  void CreateStatusBar();
  // The progress bar and the Stop button in the right part of the status bar, its simple text on the left.
  void PlaceProgressControls();
  HMENU CreateMenu(std::span<const TMenuEntry> entries);
  void Layout();
  void DropDown(int buttonId);
  void OnItemExpanded(HTREEITEM item, bool expanded);
  void OnRightClick();
  // The presenter's tip of the node an item shows.
  std::string ToolTipOf(HTREEITEM item) const;
  void ReportSelection();
  // The details list's cell of a row and column, asked for as it draws; its selection, told to the presenter;
  // the menu of its selected rows.
  void AnswerDetailsCell(NMLVDISPINFOW& cell) const;
  void ReportDetailsSelection();
  void OnDetailsRightClick(int row);
  void ShowDetailsSortArrow();
  void SelectDetailsRows();
  bool DetailsShown() const;
  void RunCacheMenuCommand(UINT command);
  void MeasureMenuItem(MEASUREITEMSTRUCT& item);
  void DrawMenuItem(const DRAWITEMSTRUCT& item);
  bool ContainsWindow(HWND window) const;
  void DeleteWhenIdle();
  // Cuts the window off from the view, lets the presenter go and destroys the window: the destructor's work, and
  // what a construction that fails after the window exists undoes.
  void CloseWindow();

  using TFont = TUniqueHandle<HFONT, DeleteObject>;
  using TMenu = TUniqueHandle<HMENU, DestroyMenu>;
  using THook = TUniqueHandle<HHOOK, UnhookWindowsHookEx>;

  // Every handle is owned from the start: the members the view had made go with it, whenever it fails.
  TFont FViewFont;
  TFont FToolBarFont;
  TMenu pmenuLV;
  TMenu pmenuHelp;
  TWinImageLists FImages;
  HWND FWindow = nullptr;  // the window and its controls: destroyed by CloseWindow
  HWND ToolBar1 = nullptr;
  HWND TreeView1 = nullptr;
  HWND DetailsView1 = nullptr;
  HWND sbMain = nullptr;
  std::unique_ptr<TWinFilterBar> FFilterBar;  // its window is the view's child: it goes before the window does
  HWND FProgressBar = nullptr;  // children of sbMain
  HWND FStopButton = nullptr;
  bool FProgressShown = false;
  THook FKeyHook;
  HMENU mnuCache = nullptr;                 // a submenu of pmenuLV, which owns it
  std::vector<std::string> FCacheSources;  // the sources of mnuCache's entries, in their order
  std::unique_ptr<TWinDesktop> FDesktop;
  std::unique_ptr<TWinDialogs> FDialogs;
  std::unique_ptr<IShell> FShell;
  std::unique_ptr<IShellMenu> FShellMenu;
  TWinReport FReport;
  TWinTextConverter FConverter;
  std::unique_ptr<THoardscopeMain> FPresenter;
  std::unique_ptr<TTreeViewMirror> FMirror;  // observes the presenter's tree: goes before it
  bool FSelectionPending = false;
  bool FSelectingDetails = false;  // the view marks the presenter's selection: no report of it goes back
  bool FDeleteWhenIdle = false;
};

}  // namespace hoardscope
