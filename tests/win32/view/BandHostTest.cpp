// The band in a test host window, driven in the browser's order through the module's class factory: SetSite
// places the view in the site's window and hands it the site's browser, which records where the view sends it;
// the view loads the cache, its tree and status panels show it, a selection navigates; a picture of the host
// window is saved into the build tree; CloseDW takes the view's window away.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "com/ComSupport.h"
#include "com/HoardscopeServer.h"
#include "platform/win32/WinViewFactory.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/unit/ComFakes.h"
#include "tests/win32/view/BandSite.h"
#include "tests/win32/view/ViewTestSupport.h"

namespace hoardscope {
namespace {

// The Windows view factory, keeping the last view it made for the test to act in.
class TRecordingViewFactory : public TWinViewFactory {
 public:
  using TWinViewFactory::TWinViewFactory;
  std::unique_ptr<IBandView> CreateView(TWindowHandle parent) override {
    std::unique_ptr<IBandView> view = TWinViewFactory::CreateView(parent);
    Last = static_cast<TWinBandView*>(view.get());
    return view;
  }
  TWinBandView* Last = nullptr;
};

// The module's platform: the view factory over the cache and registry of the test.
class TBandModuleHost : public IModuleHost {
 public:
  TBandModuleHost()
      : Views(TWinViewPorts{Cache, Internet, Settings,
                            [this](HIMAGELIST) { return std::make_unique<TShellOfTest>(Shell); }, &Clock, nullptr,
                            nullptr}) {}
  std::string ModulePath() override { return "hoardscope.dll"; }
  std::string ShortPath(const std::string& path) override { return path; }
  IRegistry& Registry() override { return Settings; }
  ITypeLibrary& TypeLibrary() override { return Library; }
  IViewFactory& ViewFactory() override { return Views; }
  TDownloadServices DownloadServices() override { throw std::runtime_error("no downloads in this test"); }
  void ShowError(const std::string&) override {}

  TFakeUrlCache Cache;
  TFakeInternetOptions Internet;
  TFakeRegistry Settings;
  TFakeTypeLibrary Library;
  TFakeShell Shell;
  TFakeClock Clock;
  TRecordingViewFactory Views;
};

// Where the open menu was, and the file its picture goes to.
RECT gMenuBounds;
std::string gMenuPicture;

// A timer's tick during a menu's own loop: once the menu is up, notes where it is, takes its picture, closes it.
void CALLBACK TakeMenuPicture(HWND, UINT, UINT_PTR id, DWORD) {
  const HWND menu = FindWindowA("#32768", nullptr);
  if (!menu || !IsWindowVisible(menu)) return;
  KillTimer(nullptr, id);
  GetWindowRect(menu, &gMenuBounds);
  SaveWindowPicture(menu, gMenuPicture);
  EndMenu();
}

class BandHostTest : public ::testing::Test {
 protected:
  BandHostTest() {
    WNDCLASSA hostClass{};
    hostClass.lpfnWndProc = DefWindowProcA;
    hostClass.hInstance = GetModuleHandleA(nullptr);
    hostClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    hostClass.lpszClassName = "HoardscopeTestHost";
    RegisterClassA(&hostClass);
    HostWindow = CreateWindowExA(0, "HoardscopeTestHost", "Band host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0,
                                 260, 420, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(HostWindow, SW_SHOW);
    Site.Window = HostWindow;
    TComPtr<IClassFactory> factory;
    Entry.GetClassObject(CLSID_IECacheBand, IID_IClassFactory, reinterpret_cast<void**>(factory.Out()));
    if (factory) factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(Band.Out()));
  }
  ~BandHostTest() override { DestroyWindow(HostWindow); }

  void AddEntry(const std::string& url, const std::string& contentType, std::uint32_t size) {
    CacheEntryRecord record;
    record.SourceUrl = url;
    record.SizeLow = size;
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    const std::string name = url.substr(url.rfind('/') + 1);
    record.LocalFileName = (std::filesystem::temp_directory_path() / name).string();
    std::ofstream(record.LocalFileName, std::ios::binary) << "<title>" << name << "</title>";
    Host.Cache.Put(record);
  }

  TBandModuleHost Host;
  TModuleEntry Entry{Host};
  THostSite Site;  // outlives the band, which holds it until its last release
  TComPtr<IDeskBand> Band;
  HWND HostWindow = nullptr;
};

TEST_F(BandHostTest, TheBandShowsTheCacheInTheSitesWindowAndSendsTheBrowserToASelectedFile) {
  AddEntry("http://www.example.com/index.htm", "text/html", 2048);
  AddEntry("http://www.example.com/img/logo.gif", "image/gif", 700);
  AddEntry("http://cdn.example.org/app.js", "application/x-javascript", 5000);
  ASSERT_TRUE(Band);

  // The browser's order: SetSite, GetBandInfo, GetWindow, ShowDW.
  const TComPtr<IObjectWithSite> withSite = Band.As<IObjectWithSite>(IID_IObjectWithSite);
  ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IInputObjectSite*>(&Site)));
  DESKBANDINFO info{};
  info.dwMask = DBIM_MINSIZE | DBIM_MODEFLAGS;
  EXPECT_EQ(S_OK, Band->GetBandInfo(0, DBIF_VIEWMODE_VERTICAL, &info));
  HWND viewWindow = nullptr;
  ASSERT_EQ(S_OK, Band->GetWindow(&viewWindow));
  EXPECT_EQ(S_OK, Band->ShowDW(TRUE));

  ASSERT_NE(Host.Views.Last, nullptr);
  TWinMainView& view = Host.Views.Last->View();
  EXPECT_EQ(viewWindow, view.Window());
  EXPECT_EQ(GetParent(viewWindow), HostWindow);
  EXPECT_TRUE(GetWindowLongPtrA(viewWindow, GWL_STYLE) & WS_CHILD);
  RECT hostClient, viewBounds;
  GetClientRect(HostWindow, &hostClient);
  GetClientRect(viewWindow, &viewBounds);
  EXPECT_EQ(viewBounds.right, hostClient.right);
  EXPECT_EQ(viewBounds.bottom, hostClient.bottom);
  EXPECT_TRUE(IsWindowVisible(viewWindow));

  ASSERT_TRUE(PumpUntil([&] { return !view.StartPending(); }));
  const HWND tree = view.Tree();
  THoardscopeMain& presenter = view.Presenter();
  EXPECT_EQ(ChildTexts(tree, view.Mirror().ItemOf(presenter.State().RootNode)), "cdn.example.org|www.example.com");
  EXPECT_EQ(view.StatusPanelText(0), "Platform cache");
  EXPECT_EQ(view.StatusPanelText(1), "Total  3  Files  8  KB Used");

  TTreeNode* host = presenter.State().RootNode->Child(1);
  view.ExpandNode(host);
  EXPECT_EQ(ChildTexts(tree, view.Mirror().ItemOf(host)), "index.htm|img");
  view.SelectNode(host->Child(0));
  ASSERT_TRUE(PumpUntil([&] { return !view.SelectionChangePending(); }));
  EXPECT_EQ(Site.Browser.Navigations, std::vector<std::string>{"http://www.example.com/index.htm"});
  EXPECT_EQ(Host.Internet.ForcedOffline, 1);
  view.SelectNode(host);
  ASSERT_TRUE(PumpUntil([&] { return !view.SelectionChangePending(); }));
  EXPECT_EQ(view.StatusPanelText(1), "Total  2  Files  3  KB Used");

  UpdateWindow(HostWindow);
  PumpUntil([] { return true; });
  const std::string picture = (std::filesystem::path(BinFolderOfTest()) / "band-host.bmp").string();
  EXPECT_TRUE(SaveWindowPicture(HostWindow, picture));
  EXPECT_GT(std::filesystem::file_size(picture), 54u);

  // The arrow of "&Files" drops its menu under the button, its entries as high as their pictures.
  gMenuBounds = {};
  gMenuPicture = (std::filesystem::path(BinFolderOfTest()) / "band-menu.bmp").string();
  SetTimer(nullptr, 0, 50, TakeMenuPicture);
  NMTOOLBARA arrow{};
  arrow.hdr = {view.ToolBar(), 0, static_cast<UINT>(TBN_DROPDOWN)};
  arrow.iItem = kFilesButtonId;
  SendMessageA(viewWindow, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&arrow));
  RECT button;
  SendMessageA(view.ToolBar(), TB_GETRECT, kFilesButtonId, reinterpret_cast<LPARAM>(&button));
  MapWindowPoints(view.ToolBar(), nullptr, reinterpret_cast<POINT*>(&button), 2);
  EXPECT_EQ(gMenuBounds.top, button.bottom);
  EXPECT_GE(gMenuBounds.bottom - gMenuBounds.top, 7 * 32);  // seven entries and two separators
  EXPECT_TRUE(std::filesystem::exists(gMenuPicture));

  // Closing: ShowDW(FALSE), CloseDW, SetSite(nullptr), the last release.
  EXPECT_EQ(S_OK, Band->ShowDW(FALSE));
  EXPECT_FALSE(IsWindowVisible(viewWindow));
  EXPECT_EQ(S_OK, Band->CloseDW(0));
  EXPECT_FALSE(IsWindow(viewWindow));
  EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
}

}  // namespace
}  // namespace hoardscope
