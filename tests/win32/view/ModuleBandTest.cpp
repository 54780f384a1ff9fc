// hoardscope.dll as the browser loads it: the band made through the module's class factory in a host window,
// over Wine's own WinInet cache (entries created with CreateUrlCacheEntryA and CommitUrlCacheEntryA) and the
// settings of the test's prefix. The view is read through its controls, as a user sees it.
#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "com/ComPtr.h"
#include "tests/win32/view/BandSite.h"
#include "tests/win32/view/ViewTestSupport.h"

#include <wininet.h>

namespace hoardscope {
namespace {

constexpr const char* kPageUrl = "http://band-module.example/news/today.htm";
constexpr const char* kPictureUrl = "http://band-module.example/logo.gif";

// Creates, fills and commits a cache entry; false when WinInet refused.
bool PutCacheEntry(const std::string& url, const std::string& extension, const std::string& content,
                   const std::string& contentType) {
  char fileName[MAX_PATH] = {};
  if (!CreateUrlCacheEntryA(url.c_str(), static_cast<DWORD>(content.size()), extension.c_str(), fileName, 0)) {
    return false;
  }
  std::ofstream(fileName, std::ios::binary | std::ios::trunc) << content;
  std::string headers = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
  const FILETIME none{};
  return CommitUrlCacheEntryA(url.c_str(), fileName, none, none, NORMAL_CACHE_ENTRY,
                              reinterpret_cast<LPBYTE>(headers.data()), static_cast<DWORD>(headers.size()), nullptr,
                              nullptr) != FALSE;
}

HTREEITEM ChildNamed(HWND tree, HTREEITEM parent, const std::string& caption) {
  for (HTREEITEM item = TreeView_GetChild(tree, parent); item; item = TreeView_GetNextSibling(tree, item)) {
    if (ItemText(tree, item) == caption) return item;
  }
  return nullptr;
}

std::string PanelText(HWND statusBar, int panel) {
  char text[256] = {};
  SendMessageA(statusBar, SB_GETTEXTA, static_cast<WPARAM>(panel), reinterpret_cast<LPARAM>(text));
  return text;
}

class ModuleBandTest : public ::testing::Test {
 protected:
  ModuleBandTest() {
    OleInitialize(nullptr);
    Module = LoadLibraryA((BinFolderOfTest() + "\\hoardscope.dll").c_str());
    HostWindow = CreateWindowExA(0, "STATIC", "Module host", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 260, 420,
                                 nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ShowWindow(HostWindow, SW_SHOW);
    Site.Window = HostWindow;
  }
  ~ModuleBandTest() override {
    Band = TComPtr<IDeskBand>();
    DestroyWindow(HostWindow);
    DeleteUrlCacheEntryA(kPageUrl);
    DeleteUrlCacheEntryA(kPictureUrl);
    OleUninitialize();
  }

  void CreateBand() {
    using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
    const auto getClassObject = reinterpret_cast<GetClassObject>(
        reinterpret_cast<void*>(GetProcAddress(Module, "DllGetClassObject")));
    ASSERT_NE(getClassObject, nullptr);
    TComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, getClassObject(CLSID_IECacheBand, IID_IClassFactory, reinterpret_cast<void**>(factory.Out())));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(Band.Out())));
  }

  HMODULE Module = nullptr;
  THostSite Site;  // outlives the band, which holds it until its last release
  TComPtr<IDeskBand> Band;
  HWND HostWindow = nullptr;
};

TEST_F(ModuleBandTest, TheModulesBandShowsWinesCacheAndNavigatesTheSitesBrowser) {
  ASSERT_NE(Module, nullptr);
  ASSERT_TRUE(PutCacheEntry(kPageUrl, "htm", "<html><title>Today</title></html>", "text/html"));
  ASSERT_TRUE(PutCacheEntry(kPictureUrl, "gif", "GIF89a", "image/gif"));
  CreateBand();
  ASSERT_TRUE(Band);

  const TComPtr<IObjectWithSite> withSite = Band.As<IObjectWithSite>(IID_IObjectWithSite);
  ASSERT_EQ(S_OK, withSite->SetSite(static_cast<IInputObjectSite*>(&Site)));
  HWND view = nullptr;
  ASSERT_EQ(S_OK, Band->GetWindow(&view));
  EXPECT_EQ(S_OK, Band->ShowDW(TRUE));
  char className[64] = {};
  GetClassNameA(view, className, sizeof className);
  EXPECT_STREQ(className, "THoardscopeMain");
  EXPECT_EQ(GetParent(view), HostWindow);

  const HWND tree = FindWindowExA(view, nullptr, WC_TREEVIEWA, nullptr);
  const HWND statusBar = FindWindowExA(view, nullptr, STATUSCLASSNAMEA, nullptr);
  ASSERT_TRUE(tree && statusBar);
  const HTREEITEM root = TreeView_GetRoot(tree);
  EXPECT_EQ(ItemText(tree, root), "Hoardscope");
  HTREEITEM host = nullptr;
  ASSERT_TRUE(PumpUntil([&] { return (host = ChildNamed(tree, root, "band-module.example")) != nullptr; }));
  EXPECT_EQ(PanelText(statusBar, 1).rfind("Total  ", 0), 0u) << PanelText(statusBar, 1);

  // The user opens the host (its folder and file appear) and selects the page.
  TreeView_SelectItem(tree, host);
  SendMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);
  ASSERT_TRUE(PumpUntil([&] { return ChildNamed(tree, host, "news") != nullptr; }));
  EXPECT_EQ(ChildTexts(tree, host), "logo.gif|news");
  const HTREEITEM folder = ChildNamed(tree, host, "news");
  TreeView_SelectItem(tree, folder);
  SendMessageA(tree, WM_KEYDOWN, VK_RIGHT, 0);
  ASSERT_TRUE(PumpUntil([&] { return ChildNamed(tree, folder, "Today") != nullptr; }));
  TreeView_SelectItem(tree, ChildNamed(tree, folder, "Today"));
  ASSERT_TRUE(PumpUntil([&] { return !Site.Browser.Navigations.empty(); }));
  EXPECT_EQ(Site.Browser.Navigations, std::vector<std::string>{kPageUrl});

  UpdateWindow(HostWindow);
  EXPECT_TRUE(SaveWindowPicture(HostWindow, BinFolderOfTest() + "\\band-module.bmp"));

  EXPECT_EQ(S_OK, Band->ShowDW(FALSE));
  EXPECT_EQ(S_OK, Band->CloseDW(0));
  EXPECT_FALSE(IsWindow(view));
  EXPECT_EQ(S_OK, withSite->SetSite(nullptr));
}

}  // namespace
}  // namespace hoardscope
