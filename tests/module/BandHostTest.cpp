// libhoardscope.so as the browser window hosts it: registered in a temporary home, found among the explorer bars,
// loaded, its band driven in the browser's order inside a pane, its view loading the cache and navigating the
// window's browser; and unloaded again.
#include <gtest/gtest.h>

#include <QDeadlineTimer>
#include <QTest>
#include <QTreeView>
#include <cstdlib>

#include "com/ComSupport.h"
#include "com/Hoardscope_TLB.h"
#include "platform/linux/CacheStore.h"
#include "platform/linux/RegistryStore.h"
#include "platform/browser/BandHost.h"
#include "platform/qt/BarView.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

constexpr int kLoadWaitMs = 10000;  // the first load starts a second after the view is shown

class TRecordingBrowser : public IBrowser {
 public:
  bool IsOffline() override { return true; }
  void Navigate(const std::string& url) override { Navigations.push_back(url); }
  void NavigateInNewWindow(const std::string& url) override { Navigations.push_back("new window: " + url); }
  std::vector<std::string> Navigations;
};

// Whether libhoardscope.so is mapped into this process.
bool ModuleLoaded() {
  return ReadFile("/proc/self/maps").find(std::filesystem::path(HOARDSCOPE_MODULE).filename().string() + "\n") !=
         std::string::npos;
}

// Processes events until condition holds or the wait is over; whether it holds.
template <class Condition>
bool WaitFor(Condition condition) {
  QDeadlineTimer deadline(kLoadWaitMs);
  while (!condition() && !deadline.hasExpired()) QTest::qWait(20);
  return condition();
}

class BandHostTest : public ::testing::Test {
 protected:
  BandHostTest() {
    setenv("HOARDSCOPE_HOME", Home.Path.c_str(), 1);
    Pane.resize(240, 480);
    Pane.show();
  }
  ~BandHostTest() override {
    Host.Close();
    unsetenv("HOARDSCOPE_HOME");
  }

  void RegisterModule() {
    TComModule module(HOARDSCOPE_MODULE);
    ASSERT_EQ(S_OK, module.RegisterServer());
  }

  QWidget* View() { return Pane.findChild<QWidget*>("HoardscopeMain"); }

  TTempFolder Home{"band-host"};
  TRegistryStore Registry{Home.Path / "registry.db"};
  QWidget Pane;
  std::shared_ptr<TRecordingBrowser> Browser = std::make_shared<TRecordingBrowser>();
  TBandHost Host{Registry, Pane, Browser};
};

TEST_F(BandHostTest, TheRegisteredModuleIsAVerticalExplorerBar) {
  EXPECT_TRUE(FindExplorerBars(Registry).empty());
  RegisterModule();
  const std::vector<TExplorerBar> bars = FindExplorerBars(Registry);
  ASSERT_EQ(1u, bars.size());
  EXPECT_EQ(CLSID_IECacheBand, bars[0].Clsid);
  EXPECT_EQ("Hoard&scope", bars[0].MenuText);
}

TEST_F(BandHostTest, TheOpenBarFillsThePaneLoadsTheCacheAndNavigatesTheWindowsBrowser) {
  {
    TCacheStore cache(Home.Path / "cache");
    const CreatedCacheFile file = cache.CreateEntry("http://band.test/page.htm", 5, "htm");
    WriteFile(file.LocalFileName, "<p>x");
    ASSERT_EQ(0u, cache.CommitEntry("http://band.test/page.htm", file.LocalFileName, 0, 0, kNormalCacheEntry,
                                    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"));
  }
  RegisterModule();
  Host.Open(CLSID_IECacheBand);
  ASSERT_TRUE(Host.IsOpen());
  EXPECT_EQ(QSize(180, 200), Host.MinimumSize());
  QWidget* view = View();
  ASSERT_NE(nullptr, view);
  EXPECT_TRUE(view->isVisible());
  EXPECT_EQ(Pane.rect(), view->geometry());

  // The module's own copy of the view answers the host's typed interface.
  IBarView* bar = BarViewOf(view);
  ASSERT_NE(nullptr, bar);
  QTreeView* tree = bar->Tree();
  ASSERT_NE(nullptr, tree);
  const QModelIndex root = tree->model()->index(0, 0);
  ASSERT_TRUE(WaitFor([&] { return tree->model()->rowCount(root) == 1; })) << "the first load did not come";
  const QModelIndex host = tree->model()->index(0, 0, root);
  EXPECT_EQ("band.test", tree->model()->data(host).toString().toStdString());
  tree->expand(host);
  ASSERT_TRUE(WaitFor([&] { return tree->model()->rowCount(host) == 1; }));
  tree->setCurrentIndex(tree->model()->index(0, 0, host));
  ASSERT_TRUE(WaitFor([&] { return !Browser->Navigations.empty(); }));
  EXPECT_EQ(std::vector<std::string>{"http://band.test/page.htm"}, Browser->Navigations);

  Host.Close();
  EXPECT_FALSE(Host.IsOpen());
  EXPECT_TRUE(WaitFor([&] { return View() == nullptr; }));
  EXPECT_EQ(2, Browser.use_count()) << "only the host and the test hold the browser";
  EXPECT_FALSE(ModuleLoaded()) << "the module stayed after its last object";
}

TEST_F(BandHostTest, TheBarOpensAgainAfterTheModuleWasUnloaded) {
  RegisterModule();
  Host.Open(CLSID_IECacheBand);
  EXPECT_TRUE(ModuleLoaded());
  Host.Close();
  EXPECT_FALSE(ModuleLoaded());
  Host.Open(CLSID_IECacheBand);
  EXPECT_NE(nullptr, View());
}

TEST_F(BandHostTest, ABarThatCannotBeLoadedSaysWhy) {
  try {
    Host.Open(CLSID_IECacheBand);
    FAIL() << "an unregistered bar opened";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string::npos, std::string(error.what()).find("No module is registered")) << error.what();
  }
  Registry.CreateKey(RegistryRoot::ClassesRoot, "CLSID\\" + GuidText(CLSID_IECacheBand) + "\\InprocServer32")
      ->WriteValue(MakeStringValue("", (Home.Path / "gone.so").string()));
  EXPECT_THROW(Host.Open(CLSID_IECacheBand), std::runtime_error);
  EXPECT_FALSE(Host.IsOpen());
  EXPECT_EQ(nullptr, View());
}

}  // namespace
}  // namespace hoardscope
