// The bar's window under Wine over fakes of the cache, registry and shell: the controls and their properties,
// the tree mirroring the presenter's through a load, an expansion and a selection, the details list, the menus,
// shortcut keys, the filter bar and the Options dialog resource.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "platform/win32/MainView.h"
#include "platform/win32/WinBrowserWindows.h"
#include "tests/win32/view/ViewTestSupport.h"
#include "core/Tools.h"
#include "platform/win32/ViewResources.h"
#include "search/Search.h"
#include "settings/UnitReg.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"

namespace hoardscope {
namespace {

std::string MenuText(HMENU menu, int position) {
  char text[128] = {};
  GetMenuStringA(menu, static_cast<UINT>(position), text, sizeof text, MF_BYPOSITION);
  return text;
}

bool MenuEntryEnabled(HMENU menu, int position) {
  return (GetMenuState(menu, static_cast<UINT>(position), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) == 0;
}

class MainViewTest : public ::testing::Test {
 protected:
  MainViewTest() {
    FView = std::make_unique<TWinMainView>(
        TWinViewPorts{Cache, Internet, Registry, [this](HIMAGELIST) { return std::make_unique<TShellOfTest>(Shell); },
                      &Clock, &Windows, nullptr},
        nullptr);
    FView->Presenter().SetBrowser(Browser);
  }

  // An entry whose cached copy is a file of that name holding a page titled after it, or with this title.
  void AddEntry(const std::string& url, const std::string& contentType, std::uint64_t size,
                const std::string& title = "") {
    CacheEntryRecord record;
    record.SourceUrl = url;
    const std::string name = url.substr(url.rfind('/') + 1);
    record.LocalFileName = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream(record.LocalFileName, std::ios::binary) << "<title>" << (title.empty() ? name : title) << "</title>";
    record.SizeLow = static_cast<std::uint32_t>(size);
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    Cache.Put(record);
  }

  // Shows the view as the band does and waits for the deferred first load.
  void ShowAndLoad() {
    MoveWindow(View().Window(), 0, 0, 237, 400, TRUE);
    ShowWindow(View().Window(), SW_SHOW);
    ASSERT_TRUE(PumpUntil([this] { return !View().StartPending(); }));
  }

  HTREEITEM Item(const TTreeNode* node) { return View().Mirror().ItemOf(node); }
  TTreeNode* Child(TTreeNode* parent, std::size_t row) { return parent->Child(row); }

  TWinMainView& View() { return *FView; }

  TFakeUrlCache Cache;
  TFakeInternetOptions Internet;
  TFakeRegistry Registry;
  TFakeShell Shell;
  TFakeClock Clock;
  TFakeBrowserWindows Windows;
  std::shared_ptr<TFakeBrowser> Browser = std::make_shared<TFakeBrowser>();
  std::unique_ptr<TWinMainView> FView;
};

TEST_F(MainViewTest, TheWindowIsABorderlessViewWithToolBarTreeAndTwoPanelStatusBar) {
  char className[64] = {};
  GetClassNameA(View().Window(), className, sizeof className);
  EXPECT_STREQ(className, "THoardscopeMain");
  const LONG_PTR style = GetWindowLongPtrA(View().Window(), GWL_STYLE);
  EXPECT_EQ(style & (WS_CAPTION | WS_BORDER | WS_THICKFRAME), 0);

  ASSERT_EQ(SendMessageA(View().ToolBar(), TB_BUTTONCOUNT, 0, 0), 2);
  for (const auto& [id, caption] : {std::pair{kFilesButtonId, "&Files"}, std::pair{kHelpButtonId, "&Help"}}) {
    char text[32] = {};
    SendMessageA(View().ToolBar(), TB_GETBUTTONTEXTA, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(text));
    EXPECT_STREQ(text, caption);
    TBBUTTONINFOA info{};
    info.cbSize = sizeof info;
    info.dwMask = TBIF_STYLE;
    SendMessageA(View().ToolBar(), TB_GETBUTTONINFOA, static_cast<WPARAM>(id), reinterpret_cast<LPARAM>(&info));
    EXPECT_TRUE(info.fsStyle & BTNS_DROPDOWN) << caption;
  }

  int edges[4] = {};
  ASSERT_EQ(SendMessageA(View().StatusBar(), SB_GETPARTS, 4, reinterpret_cast<LPARAM>(edges)), 2);
  EXPECT_EQ(edges[0], 150);

  const LONG_PTR treeStyle = GetWindowLongPtrA(View().Tree(), GWL_STYLE);
  EXPECT_EQ(treeStyle & (TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS),
            TVS_HASLINES | TVS_HASBUTTONS | TVS_LINESATROOT | TVS_SHOWSELALWAYS);
  EXPECT_EQ(treeStyle & TVS_EDITLABELS, 0);
  EXPECT_EQ(TreeView_GetIndent(View().Tree()), 19u);

  int width = 0, height = 0;
  EXPECT_EQ(ImageList_GetImageCount(View().Images().ImageList1()), 4);
  ImageList_GetIconSize(View().Images().ImageList1(), &width, &height);
  EXPECT_EQ(width, 16);
  EXPECT_EQ(ImageList_GetImageCount(View().Images().ImageList3()), 10);
  ImageList_GetIconSize(View().Images().ImageList3(), &width, &height);
  EXPECT_EQ(height, 32);
}

TEST_F(MainViewTest, MenusListTheActionsWithShortcutsAndFollowTheirStates) {
  HMENU files = View().FilesMenu();
  ASSERT_EQ(GetMenuItemCount(files), 13);
  EXPECT_EQ(MenuText(files, 0), "CopyURL");
  EXPECT_EQ(MenuText(files, 1), "Del&ete\tDel");
  EXPECT_EQ(GetMenuItemID(files, 2), static_cast<UINT>(0));  // separator
  EXPECT_EQ(MenuText(files, 3), "&Option\tCtrl+O");
  EXPECT_EQ(MenuText(files, 4), "&Search\tCtrl+S");
  EXPECT_EQ(MenuText(files, 5), "Cl&ear Search");
  EXPECT_EQ(MenuText(files, 7), "&Import\tCtrl+I");
  EXPECT_EQ(MenuText(files, 8), "Export");
  EXPECT_EQ(MenuText(files, 11), "Details List");
  EXPECT_EQ(MenuText(files, 12), "Cache");
  EXPECT_EQ(GetSubMenu(files, 12), View().CacheMenu());
  View().FillCacheMenu();
  ASSERT_EQ(GetMenuItemCount(View().CacheMenu()), 3);
  EXPECT_EQ(MenuText(View().CacheMenu(), 0), "platform");
  EXPECT_EQ(GetMenuState(View().CacheMenu(), 0, MF_BYPOSITION) & MF_CHECKED, static_cast<UINT>(MF_CHECKED));
  EXPECT_EQ(MenuText(View().CacheMenu(), 2), "Include https entries");
  HMENU help = View().HelpMenu();
  ASSERT_EQ(GetMenuItemCount(help), 3);
  EXPECT_EQ(MenuText(help, 0), "&Help\tF1");
  EXPECT_EQ(MenuText(help, 2), "About Hoardscope");

  View().UpdateMenu(files);
  for (int position : {0, 5}) EXPECT_FALSE(MenuEntryEnabled(files, position)) << position;
  for (int position : {1, 3, 4, 7, 8}) EXPECT_TRUE(MenuEntryEnabled(files, position)) << position;

  View().Presenter().TreeView1Change(View().Presenter().State().RootNode);  // the root cannot be exported
  View().UpdateMenu(files);
  EXPECT_FALSE(MenuEntryEnabled(files, 8));
}

TEST_F(MainViewTest, TheTreeMirrorsTheLoadTheExpansionAndTheOrderOfItsNodes) {
  AddEntry("http://b.example/z.htm", "text/html", 100);
  AddEntry("http://b.example/a/x.gif", "image/gif", 200);
  AddEntry("http://a.example/1.css", "text/css", 300);
  AddEntry("http://b.example/menu.htm", "text/html; charset=utf-8", 400, "Caf&eacute; \xe2\x80\x94 \xe6\x97\xa5");
  ASSERT_EQ(ChildTexts(View().Tree(), TVI_ROOT), "Hoardscope");
  ShowAndLoad();
  THoardscopeMain& presenter = View().Presenter();
  const HWND tree = View().Tree();
  EXPECT_EQ(ChildTexts(tree, Item(presenter.State().RootNode)), "a.example|b.example");
  EXPECT_EQ(ChildTexts(tree, Item(Child(presenter.State().RootNode, 1))), "tempmarl");
  EXPECT_EQ(View().StatusPanelText(1), "Total  4  Files  1000  Byte Used");
  EXPECT_EQ(View().StatusPanelText(0), "Platform cache");
  EXPECT_TRUE(IsWindowEnabled(View().ToolBar()));

  TTreeNode* host = Child(presenter.State().RootNode, 1);
  View().ExpandNode(host);
  // Files before folders, each caption shown whole whatever the ANSI code page lacks.
  EXPECT_EQ(ChildTexts(tree, Item(host)), "Caf\u00e9 \u2014 \u65e5|z.htm|a");
  EXPECT_EQ(ItemImage(tree, Item(host)), 1);
  EXPECT_TRUE(TreeView_GetItemState(tree, Item(host), TVIS_EXPANDED) & TVIS_EXPANDED);
  TreeView_Expand(tree, Item(host), TVE_COLLAPSE);
  SendMessageA(tree, WM_KEYDOWN, VK_LEFT, 0);  // nothing selected: no effect, no crash
  EXPECT_EQ(ChildTexts(tree, Item(host)), "Caf\u00e9 \u2014 \u65e5|z.htm|a");
}

// Registers a window class of this test's own (a second registration of the name fails, harmlessly).
void RegisterTestClass(const char* className, WNDPROC procedure) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = procedure;
  windowClass.hInstance = GetModuleHandleA(nullptr);
  windowClass.lpszClassName = className;
  RegisterClassA(&windowClass);
}

// A message-only window of a class of its own: a message posted to it runs procedure once the code under test lets
// waiting messages run.
HWND CreateMessageWindow(const char* className, WNDPROC procedure) {
  RegisterTestClass(className, procedure);
  return CreateWindowExA(0, className, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleA(nullptr),
                         nullptr);
}

// Notes whether the view's tool bar was enabled when the message posted to it ran.
LRESULT CALLBACK NoteToolBarState(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  *reinterpret_cast<bool*>(lParam) = IsWindowEnabled(reinterpret_cast<HWND>(wParam)) != FALSE;
  return 0;
}

TEST_F(MainViewTest, TheToolBarIsDisabledWhileTheLoadLetsMessagesRun) {
  AddEntry("http://h.example/1.htm", "text/html", 10);
  AddEntry("http://h.example/2.htm", "text/html", 10);
  const HWND note = CreateMessageWindow("HoardscopeToolBarNote", NoteToolBarState);
  bool enabledDuringLoad = true;
  PostMessageA(note, WM_APP, reinterpret_cast<WPARAM>(View().ToolBar()),
               reinterpret_cast<LPARAM>(&enabledDuringLoad));
  View().Presenter().Button1Click();
  EXPECT_FALSE(enabledDuringLoad);
  EXPECT_TRUE(IsWindowEnabled(View().ToolBar()));
  DestroyWindow(note);
}

// What the user does while a load lets messages run: notes whether the status bar shows the progress and Stop,
// then presses Stop, or Esc in the tree.
struct TStopPress {
  TWinMainView* View = nullptr;
  bool ByEsc = false;
  bool ProgressShown = false;
};

LRESULT CALLBACK PressStop(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_APP) return DefWindowProcA(window, message, wParam, lParam);
  TStopPress& press = *reinterpret_cast<TStopPress*>(lParam);
  press.ProgressShown = press.View->ProgressShown() && IsWindowVisible(press.View->StopButton()) &&
                        IsWindowVisible(press.View->ProgressBar());
  if (press.ByEsc) {
    PostMessageA(press.View->Tree(), WM_KEYDOWN, VK_ESCAPE, 0);
  } else {
    SendMessageA(press.View->StopButton(), BM_CLICK, 0, 0);
  }
  return 0;
}

TEST_F(MainViewTest, StopAndEscEndALoadWithTheEntriesListedSoFar) {
  const HWND presser = CreateMessageWindow("HoardscopeStopPress", PressStop);
  for (const bool byEsc : {false, true}) {
    TEndlessUrlCache endless;
    TWinMainView view(TWinViewPorts{endless, Internet, Registry,
                                    [this](HIMAGELIST) { return std::make_unique<TShellOfTest>(Shell); }, &Clock,
                                    nullptr, nullptr},
                      nullptr);
    MoveWindow(view.Window(), 0, 0, 237, 400, TRUE);
    ShowWindow(view.Window(), SW_SHOW);
    SetFocus(view.Tree());
    TStopPress press{&view, byEsc};
    PostMessageA(presser, WM_APP, 0, reinterpret_cast<LPARAM>(&press));  // runs once the load lets messages run
    view.Presenter().Timer1Timer();
    EXPECT_TRUE(press.ProgressShown) << "Esc: " << byEsc;
    EXPECT_LT(endless.Walked, TEndlessUrlCache::kLimit);
    EXPECT_EQ(view.Presenter().State().EntryList.Count(), endless.Walked);
    EXPECT_EQ(view.StatusPanelText(0), "Load stopped: Platform cache");
    EXPECT_FALSE(view.ProgressShown() || IsWindowVisible(view.StopButton()));
  }
  DestroyWindow(presser);
}

TEST_F(MainViewTest, SelectingAFileNavigatesOnceAndAFolderShowsItsTotals) {
  AddEntry("http://h.example/a/1.htm", "text/html", 1499);
  AddEntry("http://h.example/2.htm", "text/html", 10);
  ShowAndLoad();
  TTreeNode* host = Child(View().Presenter().State().RootNode, 0);
  View().ExpandNode(host);
  TTreeNode* file = Child(host, 0);
  TTreeNode* folder = Child(host, 1);

  View().SelectNode(file);
  ASSERT_TRUE(PumpUntil([this] { return !View().SelectionChangePending(); }));
  ASSERT_EQ(Browser->Navigations.size(), 1u);
  EXPECT_EQ(Browser->Navigations[0], "http://h.example/2.htm");
  EXPECT_EQ(Internet.ForcedOffline, 1);
  EXPECT_EQ(GetFocus(), View().Tree());

  View().SelectNode(folder);
  ASSERT_TRUE(PumpUntil([this] { return !View().SelectionChangePending(); }));
  EXPECT_EQ(View().StatusPanelText(1), "Total  1  Files  1  KB Used");
  wchar_t title[64] = {};
  GetWindowTextW(View().Window(), title, 64);
  EXPECT_STREQ(title, L"h.example/a \u2014 Platform cache");
  EXPECT_EQ(Browser->Navigations.size(), 1u);
}

// Holds Ctrl down in the thread's keyboard state while it lives.
class THeldCtrl {
 public:
  THeldCtrl() { SetCtrl(0x80); }
  ~THeldCtrl() { SetCtrl(0); }
  THeldCtrl(const THeldCtrl&) = delete;
  THeldCtrl& operator=(const THeldCtrl&) = delete;

 private:
  static void SetCtrl(BYTE state) {
    BYTE keys[256] = {};
    GetKeyboardState(keys);
    keys[VK_CONTROL] = state;
    SetKeyboardState(keys);
  }
};

// Posts a key press to the window as the keyboard does and lets the thread's messages run.
void PressKey(HWND window, int keyCode) {
  PostMessageA(window, WM_KEYDOWN, static_cast<WPARAM>(keyCode), 0);
  PumpUntil([] { return true; });
}

TEST_F(MainViewTest, KeysThatAreNoShortcutOfTheViewStayTheTrees) {
  AddEntry("http://h.example/1.htm", "text/html", 10);
  ShowAndLoad();
  EXPECT_EQ(View().ShortCutAction('O'), std::nullopt);  // O alone is the tree's own incremental search
  {
    const THeldCtrl ctrl;
    EXPECT_EQ(View().ShortCutAction('O'), TActionId::alOption);
    EXPECT_EQ(View().ShortCutAction('Q'), std::nullopt);
  }
  View().SelectNode(View().Presenter().State().RootNode);
  PressKey(View().Tree(), VK_DOWN);
  EXPECT_EQ(TreeView_GetSelection(View().Tree()), View().Mirror().ItemOf(View().Presenter().State().RootNode->Child(0)));
}

TEST_F(MainViewTest, TheCacheChangedNoticeMarksTheViewForAReloadAndOtherCodesDoNot) {
  ShowAndLoad();
  SendMessageA(View().Window(), WM_SYSCOMMAND, 6900, 112);
  EXPECT_FALSE(View().Presenter().State().ReloadPending);
  SendMessageA(View().Window(), WM_SYSCOMMAND, 6900, 111);
  EXPECT_TRUE(View().Presenter().State().ReloadPending);
}

// A window of a class of this test's own, registered on first use.
HWND CreateWindowOfClass(const char* className, HWND parent) {
  RegisterTestClass(className, DefWindowProcA);
  return CreateWindowExA(0, className, "", parent ? WS_CHILD : WS_OVERLAPPEDWINDOW, 0, 0, 300, 300, parent, nullptr,
                         GetModuleHandleA(nullptr), nullptr);
}

TEST_F(MainViewTest, TheNoticeFindsTheViewBelowTheBrowsersBarHost) {
  const HWND browser = CreateWindowOfClass("HsTestBrowser", nullptr);
  const HWND barHost = CreateWindowOfClass("BaseBar", browser);
  const HWND rebar = CreateWindowOfClass("ReBarWindow32", barHost);
  const HWND elsewhere = CreateWindowOfClass("HsTestBrowser", nullptr);
  CreateWindowOfClass("ReBarWindow32", elsewhere);  // a rebar without the bar host leads to no view
  SetParent(View().Window(), rebar);

  EXPECT_EQ(View().Window(), FindViewWindow(browser));
  EXPECT_EQ(nullptr, FindViewWindow(elsewhere));
  EXPECT_EQ(nullptr, FindViewWindow(barHost));
  SendMessageA(FindViewWindow(browser), WM_SYSCOMMAND, kCacheChangedCommand, kCacheChangedCode);
  EXPECT_TRUE(View().Presenter().State().ReloadPending);
  // Wine's shell lists no browser windows: the notice reaches no view and fails nothing.
  EXPECT_EQ(0, TWinBrowserWindows().NotifyViews(kCacheChangedCode));

  SetParent(View().Window(), nullptr);
  DestroyWindow(browser);
  DestroyWindow(elsewhere);
}

// Plays the user in the next modal dialogs (message boxes included), one step per dialog in the order they come
// up; each step ends by closing its dialog.
class TDialogScript {
 public:
  explicit TDialogScript(std::vector<std::function<void(HWND)>> steps) {
    Steps() = std::move(steps);
    FTimer = SetTimer(nullptr, 0, 10, Tick);
  }
  ~TDialogScript() {
    KillTimer(nullptr, FTimer);
    Steps().clear();
  }
  TDialogScript(const TDialogScript&) = delete;
  TDialogScript& operator=(const TDialogScript&) = delete;
  static bool Done() { return Steps().empty(); }

 private:
  static std::vector<std::function<void(HWND)>>& Steps() {
    static std::vector<std::function<void(HWND)>> steps;
    return steps;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    const HWND dialog = FindWindowA("#32770", nullptr);
    if (!dialog || !IsWindowVisible(dialog) || Steps().empty()) return;
    std::function<void(HWND)> step = std::move(Steps().front());
    Steps().erase(Steps().begin());
    step(dialog);
  }
  UINT_PTR FTimer = 0;
};

std::string WindowText(HWND window) {
  char text[256] = {};
  GetWindowTextA(window, text, sizeof text);
  return text;
}

// The texts of the dialog's labels, check boxes and radio buttons that their controls are too narrow to show whole
// in the dialog's font, or that stick out of the dialog.
std::string ClippedTexts(HWND dialog) {
  std::string clipped;
  RECT within{};
  GetClientRect(dialog, &within);
  for (HWND control = GetWindow(dialog, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    char kind[32] = {};
    GetClassNameA(control, kind, sizeof kind);
    const LONG type = GetWindowLongA(control, GWL_STYLE) & BS_TYPEMASK;
    const bool isBox = EqualsNoCase(kind, "Button") && (type == BS_AUTOCHECKBOX || type == BS_AUTORADIOBUTTON);
    std::string text = WindowText(control);
    std::erase(text, '&');
    if (text.empty() || (!isBox && !EqualsNoCase(kind, "Static"))) continue;
    const HDC dc = GetDC(control);
    const HGDIOBJ font = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32A(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    SelectObject(dc, font);
    ReleaseDC(control, dc);
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&place), 2);
    const int box = isBox ? GetSystemMetrics(SM_CXMENUCHECK) + 4 : 0;
    if (place.right - place.left < extent.cx + box || place.right > within.right) clipped += "\"" + text + "\" ";
  }
  return clipped;
}

void Click(HWND dialog, int id) {
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

TEST_F(MainViewTest, TheFilterBarsUrlTextNarrowsTheTreeOnEnterAndItsLabelsFit) {
  AddEntry("http://a.example/1.htm", "text/html", 10);
  AddEntry("http://b.example/2.htm", "text/html", 10);
  ShowAndLoad();
  const HWND bar = View().FilterBar();
  const HWND tree = View().Tree();
  const TTreeNode* root = View().Presenter().State().RootNode;
  EXPECT_EQ(ClippedTexts(bar), "");
  RECT within{};
  GetClientRect(bar, &within);
  for (HWND control = GetWindow(bar, GW_CHILD); control; control = GetWindow(control, GW_HWNDNEXT)) {
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(nullptr, bar, reinterpret_cast<POINT*>(&place), 2);
    EXPECT_LE(place.right, within.right) << GetDlgCtrlID(control);  // each field in the pane's width
  }
  EXPECT_EQ(SendDlgItemMessageA(bar, IDC_FILTERCACHED, CB_GETCOUNT, 0, 0), 4);
  const HWND url = GetDlgItem(bar, IDC_FILTERURL);
  SetWindowTextW(url, L"B.EXAMPLE");
  EXPECT_EQ(ChildTexts(tree, Item(root)), "a.example|b.example");  // typing alone applies nothing
  SetFocus(url);
  PressKey(url, VK_RETURN);
  EXPECT_EQ(ChildTexts(tree, Item(root)), "b.example");
  EXPECT_EQ(View().StatusPanelText(0), "Platform cache (filtered)");
  EXPECT_TRUE(IsWindowEnabled(bar));
  SaveWindowPicture(View().Window(), BinFolderOfTest() + "\\dialog-filter-bar.bmp");

  Click(bar, IDC_FILTERCLEAR);
  EXPECT_EQ(ChildTexts(tree, Item(root)), "a.example|b.example");
  EXPECT_EQ(WindowText(url), "");
  EXPECT_EQ(View().StatusPanelText(0), "Platform cache");
}

// Counts the commands a host's accelerator table sends it.
LRESULT CALLBACK CountHostCommands(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_COMMAND) ++*reinterpret_cast<int*>(GetWindowLongPtrA(window, GWLP_USERDATA));
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST_F(MainViewTest, TheViewsShortcutsReachItBeforeTheHostTranslatesThemIntoItsOwnCommands) {
  ShowAndLoad();
  WNDCLASSA hostClass{};
  hostClass.lpfnWndProc = CountHostCommands;
  hostClass.hInstance = GetModuleHandleA(nullptr);
  hostClass.lpszClassName = "HoardscopeAcceleratorHost";
  RegisterClassA(&hostClass);
  const HWND host = CreateWindowExA(0, "HoardscopeAcceleratorHost", nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    GetModuleHandleA(nullptr), nullptr);
  int hostCommands = 0;
  SetWindowLongPtrA(host, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&hostCommands));
  ACCEL openCommand{FVIRTKEY | FCONTROL, 'O', 999};  // the host's own Ctrl+O
  const HACCEL accelerators = CreateAcceleratorTableA(&openCommand, 1);

  std::string caption;
  const TDialogScript script({[&](HWND dialog) {
    caption = WindowText(dialog);
    Click(dialog, IDCANCEL);
  }});
  {
    const THeldCtrl ctrl;
    PostMessageA(View().Tree(), WM_KEYDOWN, 'O', 0);
    // The host's message loop: its accelerators first, then the window the key went to.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (TranslateAcceleratorA(host, accelerators, &message)) continue;
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  ASSERT_TRUE(PumpUntil([] { return TDialogScript::Done(); }));
  EXPECT_EQ(caption, "Options");
  EXPECT_EQ(hostCommands, 0);
  DestroyAcceleratorTable(accelerators);
  DestroyWindow(host);
}

TEST_F(MainViewTest, TheOptionsDialogShowsTheSettingsAndItsOkStoresThemAndReloads) {
  AddEntry("http://h.example/1.htm", "text/html", 10);
  AddEntry("http://h.example/2.gif", "image/gif", 10);
  ShowAndLoad();
  std::string caption;
  bool pagesEnabledAtFirst = true;
  bool pagesEnabledAfterClick = false;
  std::string firstTab, clipped;
  const TDialogScript script({[&](HWND dialog) {
    char text[64] = {};
    caption = WindowText(dialog);
    clipped = ClippedTexts(dialog);
    SaveWindowPicture(dialog, BinFolderOfTest() + "\\dialog-options.bmp");
    const HWND pages = GetDlgItem(dialog, IDC_PAGECONTROL1);
    TCITEMA tab{};
    tab.mask = TCIF_TEXT;
    tab.pszText = text;
    tab.cchTextMax = sizeof text;
    SendMessageA(pages, TCM_GETITEMA, 0, reinterpret_cast<LPARAM>(&tab));
    firstTab = text;
    pagesEnabledAtFirst = IsWindowEnabled(pages);
    CheckDlgButton(dialog, IDC_CHKSHOWALL, BST_UNCHECKED);
    Click(dialog, IDC_CHKSHOWALL);
    pagesEnabledAfterClick = IsWindowEnabled(pages);
    CheckDlgButton(dialog, IDC_CHKSHOWTEXT, BST_CHECKED);
    Click(dialog, IDOK);
  }});
  {
    // Ctrl+O pressed in the tree.
    const THeldCtrl ctrl;
    PressKey(View().Tree(), 'O');
  }
  ASSERT_TRUE(PumpUntil([] { return TDialogScript::Done(); }));
  EXPECT_EQ(caption, "Options");
  EXPECT_EQ(clipped, "");
  EXPECT_EQ(firstTab, "By File Types");
  EXPECT_FALSE(pagesEnabledAtFirst);  // "Show all items" is ticked while no filter is in force
  EXPECT_TRUE(pagesEnabledAfterClick);
  EXPECT_TRUE(View().Presenter().State().Settings.UseFilter);
  // The reload applied the text filter at once: only the page is listed.
  EXPECT_EQ(View().StatusPanelText(1), "Total  1  Files  10  Byte Used");
}

TEST_F(MainViewTest, AfterTheCacheChangedNoticeTheFocusEnteringTheTreeTellsAndReloads) {
  AddEntry("http://h.example/1.htm", "text/html", 10);
  ShowAndLoad();
  AddEntry("http://h.example/2.htm", "text/html", 10);
  SendMessageA(View().Window(), WM_SYSCOMMAND, 6900, 111);
  std::string message;
  const TDialogScript script({[&](HWND box) {
    message = WindowText(GetDlgItem(box, 0xFFFF));
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  }});
  SetFocus(nullptr);
  SetFocus(View().Tree());
  ASSERT_TRUE(PumpUntil([] { return TDialogScript::Done(); }));
  ASSERT_TRUE(PumpUntil([this] { return !View().Presenter().State().ReloadPending; }));
  EXPECT_EQ(message, "IE Cache have been midified. \r\nApplicatio will reload Cache file list");
  EXPECT_EQ(View().StatusPanelText(1), "Total  2  Files  20  Byte Used");
}

TEST_F(MainViewTest, TheSearchDialogOffersTheHistoryAndItsSearchBuildsTheResultBranch) {
  AddEntry("http://h.example/1.htm", "text/html", 10);
  AddEntry("http://h.example/2.htm", "text/html", 10);
  const std::unique_ptr<IRegistryKey> history =
      Registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope\\Search History");
  history->WriteValue(MakeStringValue("key1", "older"));
  history->WriteValue(MakeStringValue("key2", "htm"));  // the newest text, found in both pages
  ShowAndLoad();
  View().SelectNode(View().Presenter().State().RootNode);
  ASSERT_TRUE(PumpUntil([this] { return !View().SelectionChangePending(); }));

  std::string caption, shownText, clipped;
  LRESULT historyCount = 0;
  bool allFilesTicked = false, todayEnabled = true, underFolderTicked = false;
  const auto tickAndClick = [](HWND dialog, int id, UINT state) {
    CheckDlgButton(dialog, id, state);
    Click(dialog, id);
  };
  const TDialogScript script({[&](HWND dialog) {
    caption = WindowText(dialog);
    clipped = ClippedTexts(dialog);
    SaveWindowPicture(dialog, BinFolderOfTest() + "\\dialog-search.bmp");
    historyCount = SendDlgItemMessageA(dialog, IDC_CBSEARCH, CB_GETCOUNT, 0, 0);
    shownText = WindowText(GetDlgItem(dialog, IDC_CBSEARCH));
    allFilesTicked = IsDlgButtonChecked(dialog, IDC_CHECKBOX1) == BST_CHECKED;
    todayEnabled = IsWindowEnabled(GetDlgItem(dialog, IDC_RBTODAY));
    underFolderTicked = IsDlgButtonChecked(dialog, IDC_RBFUNDERFOLDER) == BST_CHECKED;
    // Typed and ticked first, then the age choices clicked: what was typed and ticked is what is searched.
    SetDlgItemTextA(dialog, IDC_CBSEARCH, "2.htm");
    CheckDlgButton(dialog, IDC_CHKSENSE, BST_CHECKED);
    tickAndClick(dialog, IDC_CHECKBOX1, BST_UNCHECKED);
    tickAndClick(dialog, IDC_RBTHISWEEK, BST_CHECKED);
    tickAndClick(dialog, IDC_CHECKBOX1, BST_CHECKED);
    Click(dialog, IDC_BTNSEARCH);
  }});
  View().RunAction(TActionId::alSearch);
  EXPECT_EQ(caption, "Search");
  EXPECT_EQ(clipped, "");
  EXPECT_EQ(historyCount, 2);
  EXPECT_EQ(shownText, "htm");
  EXPECT_TRUE(allFilesTicked);
  EXPECT_FALSE(todayEnabled);
  EXPECT_TRUE(underFolderTicked);
  EXPECT_EQ(View().Presenter().State().SearchRequest.Text, "2.htm");
  EXPECT_TRUE(View().Presenter().State().SearchRequest.CaseSensitive);
  // The page holding the text is the one hit; the new text went into the history.
  EXPECT_EQ(View().StatusPanelText(0), "Found 1 items");
  EXPECT_EQ(ChildTexts(View().Tree(), TVI_ROOT), "Hoardscope|Search Result");
  EXPECT_TRUE(history->ReadValue("key3"));
}

TEST_F(MainViewTest, ASearchWithoutHitsSaysSoAndTheAboutBoxShowsTheVersion) {
  AddEntry("http://h.example/1.htm", "text/html", 10);
  ShowAndLoad();
  View().SelectNode(View().Presenter().State().RootNode);
  ASSERT_TRUE(PumpUntil([this] { return !View().SelectionChangePending(); }));
  std::string message, aboutCaption, version;
  {
    const TDialogScript script({[&](HWND dialog) {
                                  SetDlgItemTextA(dialog, IDC_CBSEARCH, "absent");
                                  Click(dialog, IDC_BTNSEARCH);
                                },
                                [&](HWND box) {
                                  message = WindowText(GetDlgItem(box, 0xFFFF));
                                  PostMessageA(box, WM_COMMAND, IDOK, 0);
                                }});
    View().RunAction(TActionId::alSearch);
  }
  EXPECT_EQ(message, "absent not found");
  {
    const TDialogScript script({[&](HWND dialog) {
      aboutCaption = WindowText(dialog);
      SaveWindowPicture(dialog, BinFolderOfTest() + "\\dialog-about.bmp");
      version = WindowText(GetDlgItem(dialog, IDC_ABOUTVERSION));
      Click(dialog, IDOK);
    }});
    View().RunAction(TActionId::alAbout);
  }
  EXPECT_EQ(aboutCaption, "About Hoardscope");
  EXPECT_EQ(version, "Version 1.2");
}

// A column of the details list, top to bottom, joined by "|": each cell read back through the control, which asks
// the view for it.
std::string DetailsColumnTexts(HWND list, int column) {
  std::string texts;
  for (int row = 0; row < ListView_GetItemCount(list); ++row) {
    wchar_t text[256] = {};
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = text;
    cell.cchTextMax = static_cast<int>(std::size(text));
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&cell));
    texts += (row == 0 ? "" : "|") + ViewTextOfWide(text);
  }
  return texts;
}

// Clicks the header of a column of the list as the mouse does; the column must be in sight.
void ClickColumnHeader(HWND list, int column) {
  const HWND header = ListView_GetHeader(list);
  RECT place{};
  Header_GetItemRect(header, column, &place);
  const LPARAM middle = MAKELPARAM((place.left + place.right) / 2, (place.top + place.bottom) / 2);
  SendMessageA(header, WM_LBUTTONDOWN, MK_LBUTTON, middle);
  SendMessageA(header, WM_LBUTTONUP, 0, middle);
}

int SortArrow(HWND list, int column) {
  HDITEMA item{};
  item.mask = HDI_FORMAT;
  Header_GetItem(ListView_GetHeader(list), column, &item);
  return item.fmt & (HDF_SORTUP | HDF_SORTDOWN);
}

RECT PlaceIn(HWND window, HWND parent) {
  RECT place{};
  GetWindowRect(window, &place);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
  return place;
}

TEST_F(MainViewTest, TheDetailsListBelowTheTreeShowsAFoldersFilesSortsThemBySizeAndDeletesTheSelectedOne) {
  AddEntry("http://h.example/a/1.htm", "text/html", 300);
  AddEntry("http://h.example/a/2.htm", "text/html", 100);
  AddEntry("http://h.example/a/b/3.gif", "image/gif", 200);
  AddEntry("http://h.example/4.htm", "text/html", 50);  // beside the folder, not in it
  ShowAndLoad();
  MoveWindow(View().Window(), 0, 0, 600, 400, TRUE);  // wide enough to show the size column
  TTreeNode* host = Child(View().Presenter().State().RootNode, 0);
  View().ExpandNode(host);
  View().SelectNode(Child(host, 1));
  ASSERT_TRUE(PumpUntil([this] { return !View().SelectionChangePending(); }));
  const HWND list = View().DetailsList();
  const int size = 3;
  ASSERT_EQ(ListView_GetItemCount(list), 3);
  EXPECT_EQ(DetailsColumnTexts(list, 0),
            "http://h.example/a/1.htm|http://h.example/a/2.htm|http://h.example/a/b/3.gif");
  EXPECT_EQ(DetailsColumnTexts(list, size), "300|100|200");
  EXPECT_EQ(SortArrow(list, size), 0);
  // The tree and the list share the pane's height, the list below.
  const RECT tree = PlaceIn(View().Tree(), View().Window());
  const RECT details = PlaceIn(list, View().Window());
  EXPECT_TRUE(IsWindowVisible(list));
  EXPECT_EQ(tree.bottom, details.top);
  EXPECT_GT(details.bottom - details.top, 0);
  EXPECT_GT(tree.bottom - tree.top, details.bottom - details.top);

  // The user's selection reaches the presenter and follows its row through a sort.
  ListView_SetItemState(list, 1, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(View().Presenter().State().Details.SelectedPositions(), std::vector<std::size_t>{1});
  ClickColumnHeader(list, size);
  EXPECT_EQ(DetailsColumnTexts(list, size), "100|200|300");
  EXPECT_EQ(SortArrow(list, size), HDF_SORTUP);
  EXPECT_EQ(ListView_GetNextItem(list, -1, LVNI_SELECTED), 0);
  EXPECT_EQ(ListView_GetSelectedCount(list), 1u);
  ClickColumnHeader(list, size);
  EXPECT_EQ(DetailsColumnTexts(list, size), "300|200|100");
  EXPECT_EQ(SortArrow(list, size), HDF_SORTDOWN);
  EXPECT_EQ(SortArrow(list, 0), 0);

  // Del in the list asks and deletes the selected row's entry.
  std::string question;
  {
    const TDialogScript script({[&](HWND box) {
      question = WindowText(GetDlgItem(box, 0xFFFF));
      PostMessageA(box, WM_COMMAND, IDYES, 0);
    }});
    SetFocus(list);
    PressKey(list, VK_DELETE);
    ASSERT_TRUE(PumpUntil([] { return TDialogScript::Done(); }));
  }
  EXPECT_EQ(question, "Delete 1 cached file?");
  EXPECT_EQ(DetailsColumnTexts(list, size), "300|200");
  EXPECT_FALSE(Cache.GetEntryInfo("http://h.example/a/2.htm"));

  // Hidden from the Files menu, the tree takes the whole height.
  View().RunMenuCommand(GetMenuItemID(View().FilesMenu(), 11));
  EXPECT_FALSE(IsWindowVisible(list));
  EXPECT_FALSE(View().Presenter().State().Settings.ShowDetails);
  EXPECT_EQ(PlaceIn(View().Tree(), View().Window()).bottom, details.bottom);
  View().UpdateMenu(View().FilesMenu());
  EXPECT_EQ(GetMenuState(View().FilesMenu(), 11, MF_BYPOSITION) & MF_CHECKED, 0u);
}

TEST(MainViewConstruction, AViewThatFailsOnceItsWindowExistsTakesTheWindowWithIt) {
  TFakeUrlCache cache;
  TFakeInternetOptions internet;
  TFakeRegistry registry;
  const HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(parent, nullptr);
  const auto failingShell = [](HIMAGELIST) -> std::unique_ptr<IShell> { throw std::runtime_error("no shell"); };
  const TWinViewPorts ports{cache, internet, registry, failingShell, nullptr, nullptr, nullptr};
  EXPECT_THROW(TWinMainView(ports, parent), std::runtime_error);
  EXPECT_EQ(FindWindowExA(parent, nullptr, kViewClassName, nullptr), nullptr);
  DestroyWindow(parent);
}

TEST(CommonDialogFilter, EveryBarBecomesANulAndTheListEndsWithTwo) {
  constexpr char kExpected[] = "Hoardscope Cache File(*.hef)\0*.hef\0";
  EXPECT_EQ(CommonDialogFilter("Hoardscope Cache File(*.hef)|*.hef"), std::string(kExpected, sizeof kExpected));
}

TEST(HelpFile, IsCompiledFromTheHelpPagesBesideTheModule) {
  std::ifstream help(BinFolderOfTest() + "\\Hoardscope.chm", std::ios::binary);
  char magic[4] = {};
  help.read(magic, sizeof magic);
  EXPECT_EQ(std::string(magic, sizeof magic), "ITSF");  // the header of a compiled HTML Help file
}

}  // namespace
}  // namespace hoardscope
