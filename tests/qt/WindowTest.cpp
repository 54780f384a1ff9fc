// The browser window under a real display: the bar's life in its pane, pages shown offline from the cache, and
// online browsing of a loopback server filling the cache. Selecting a file forces the whole process offline for
// good, so each case runs in a process of its own (see CMakeLists.txt), and an online case fails in a process
// that an earlier case forced offline.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QImage>
#include <QLineEdit>
#include <QPointer>
#include <QRegularExpression>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QTreeView>
#include <QUdpSocket>
#include <QNetworkDatagram>
#include <optional>

#include <QMenu>
#include <functional>

#include "platform/linux/RegistryStore.h"
#include "settings/SettingsStore.h"
#include "com/ComModule.h"
#include "platform/linux/com/ConnectedState.h"
#include "platform/browser/BrowserApp.h"
#include "platform/browser/PagePane.h"
#include "platform/qt/BarView.h"
#include "tests/linux/LoopbackHttpServer.h"
#include "tests/qt/WindowTestSupport.h"

namespace hoardscope {
namespace {

class WindowTestBase : public ::testing::Test {
 protected:
  TBrowserWindow& OpenWindow() {
    if (!Session) Session.emplace(Home.CacheRoot(), Home.RegistryFile(), Home.CopiesRoot());
    return Session->OpenWindow();
  }

  // Waits for the first load of the window's bar (it starts a second after the bar opens).
  static bool WaitForBarLoad(TBrowserWindow& window) {
    IBarView* view = BarViewOf(window.View());
    if (!view) return false;
    int loads = 0;
    QObject listener;
    view->WhenLoadFinished(&listener, [&] { ++loads; });
    return WaitFor([&] { return loads > 0; });
  }

  // Selects the bar's node by its name; false when the window has no bar or the bar no such node.
  static bool SelectNode(TBrowserWindow& window, const QString& name) {
    IBarView* view = BarViewOf(window.View());
    return view && view->SelectNodeNamed(name);
  }

  // The entry of View > Explorer Bar with this text.
  static QAction* ExplorerBarEntry(TBrowserWindow& window, const QString& text) {
    emit window.ExplorerBarMenu()->aboutToShow();
    for (QAction* action : window.ExplorerBarMenu()->actions()) {
      if (action->text() == text) return action;
    }
    return nullptr;
  }

  // Runs action once the bar's view is loading (its tool bar is disabled then), from inside the load.
  static bool DuringTheNextLoad(TBrowserWindow& window, const std::function<void()>& action) {
    if (!window.View()) return false;
    QPointer<QWidget> toolBar = window.View()->findChild<QWidget*>(QStringLiteral("ToolBar1"));
    bool done = false;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
      if (!toolBar || toolBar->isEnabled()) return;
      poll.stop();
      action();
      done = true;
    });
    poll.start(0);
    return WaitFor([&] { return done; });
  }

  // Loads a URL into the page pane and waits until the page has finished loading.
  static bool Browse(TBrowserWindow& window, const std::string& url) {
    QSignalSpy finished(window.PagePane(), &QWebEngineView::loadFinished);
    window.PagePane()->LoadTyped(QString::fromStdString(url));
    return WaitFor([&] { return finished.count() > 0; });
  }

  static QString Title(TBrowserWindow& window) { return RunScript(*window.PagePane(), "document.title").toString(); }

  // The captions of the top-level nodes of the bar's tree widget, below its root.
  static QStringList HostCaptions(QWidget* view) {
    QAbstractItemModel* model = BarViewOf(view)->Tree()->model();
    const QModelIndex root = model->index(0, 0);
    QStringList captions;
    for (int row = 0; row < model->rowCount(root); ++row) captions << model->index(row, 0, root).data().toString();
    return captions;
  }

  TWindowTestHome Home;
  std::optional<TBrowserSession> Session;
};

// ---- Online: a loopback server behind the page pane --------------------------------------------------------

class WindowOnlineTest : public WindowTestBase {
 protected:
  void SetUp() override {
    ASSERT_FALSE(TConnectedState::ForcedOffline()) << "an earlier case forced this process offline: run each case "
                                                       "in a process of its own (ctest does)";
  }

  static std::string Page(const std::string& title, const std::string& head = "", const std::string& body = "") {
    return TLoopbackHttpServer::Response(
        "HTTP/1.1 200 OK", {"Content-Type: text/html; charset=utf-8"},
        "<html><head><title>" + title + "</title>" + head + "</head><body>" + body + "</body></html>");
  }

  static std::string PngOf(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::darkGreen);
    QBuffer png;
    png.open(QIODevice::WriteOnly);
    image.save(&png, "PNG");
    return png.data().toStdString();
  }

  TLoopbackHttpServer Server;
};

TEST_F(WindowOnlineTest, BrowsingFillsTheCacheAndTheReopenedBarListsWhatCameIn) {
  Server.Serve("/shop/index.html", Page("Loopback Tea", "<link rel=\"stylesheet\" href=\"style.css\">",
                                        "<img id=\"pic\" src=\"img/pic.png\">"));
  Server.Serve("/shop/style.css",
               TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: text/css"}, "body{background:#010203}"));
  Server.Serve("/shop/img/pic.png", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: image/png"},
                                                                  PngOf(3, 2)));
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(WaitForBarLoad(window));
  const QPointer<QWidget> firstView = window.View();

  ASSERT_TRUE(Browse(window, Server.Url("/shop/index.html")));

  EXPECT_EQ("Loopback Tea", Title(window));
  // Relative links resolved against the page's web address and went through the HTTP layer too.
  EXPECT_EQ("rgb(1, 2, 3)", RunScript(*window.PagePane(), "getComputedStyle(document.body).backgroundColor"));
  EXPECT_EQ(3, RunScript(*window.PagePane(), "document.getElementById('pic').naturalWidth").toInt());
  EXPECT_EQ(QString::fromStdString(Server.Url("/shop/index.html")), window.AddressField()->text());
  TCacheStore store(Home.CacheRoot());
  for (const char* path : {"/shop/index.html", "/shop/style.css", "/shop/img/pic.png"}) {
    const auto record = store.GetEntryInfo(Server.Url(path));
    ASSERT_TRUE(record) << path;
    EXPECT_TRUE(record->HeaderInfo.value_or("").starts_with("HTTP/1.1 200 OK\r\n")) << path;
  }

  QAction* bar = ExplorerBarEntry(window, "Hoard&scope");
  ASSERT_NE(nullptr, bar);
  EXPECT_TRUE(bar->isChecked());
  bar->trigger();
  EXPECT_TRUE(firstView.isNull());
  EXPECT_EQ(nullptr, window.View());
  bar = ExplorerBarEntry(window, "Hoard&scope");
  EXPECT_FALSE(bar->isChecked());
  bar->trigger();
  ASSERT_NE(nullptr, window.View());
  ASSERT_TRUE(WaitForBarLoad(window));
  EXPECT_TRUE(HostCaptions(window.View()).contains("127.0.0.1"));
  EXPECT_TRUE(BarViewOf(window.View())->OpenNodeNamed("http://127.0.0.1/shop/img/pic.png"));
}

TEST_F(WindowOnlineTest, WorkingOfflineAnswersFromTheCacheAndNeverAsksTheServer) {
  Server.Serve("/tea.html", Page("Cached Tea"));
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(Browse(window, Server.Url("/tea.html")));
  ASSERT_EQ("Cached Tea", Title(window));
  const int requestsOnline = Server.RequestCount();
  Server.Serve("/tea.html", Page("Fresh Tea"));

  window.WorkOfflineAction()->trigger();
  ASSERT_TRUE(window.PagePane()->IsOffline());
  ASSERT_TRUE(Browse(window, Server.Url("/never.html")));
  const QString missingTitle = Title(window);
  const QString missingText = RunScript(*window.PagePane(), "document.body.innerText").toString();
  ASSERT_TRUE(Browse(window, Server.Url("/tea.html")));

  EXPECT_EQ("Not in the cache", missingTitle);
  EXPECT_TRUE(missingText.contains(QString::fromStdString(Server.Url("/never.html")))) << missingText.toStdString();
  EXPECT_EQ("Cached Tea", Title(window));
  EXPECT_EQ(requestsOnline, Server.RequestCount());
}

TEST_F(WindowOnlineTest, RedirectsLeadToTheirTargetsOnlineAndFromTheCache) {
  Server.Serve("/go", TLoopbackHttpServer::Response("HTTP/1.1 302 Found", {"Location: shop/target.html"}, ""));
  Server.Serve("/shop/target.html", Page("Target Tea"));
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(Browse(window, Server.Url("/go")));
  ASSERT_EQ("Target Tea", Title(window));
  const int requestsOnline = Server.RequestCount();

  window.WorkOfflineAction()->trigger();
  ASSERT_TRUE(Browse(window, "about:blank"));
  ASSERT_TRUE(Browse(window, Server.Url("/go")));

  EXPECT_EQ("Target Tea", Title(window));
  EXPECT_EQ(QString::fromStdString(Server.Url("/shop/target.html")), window.AddressField()->text());
  EXPECT_EQ(requestsOnline, Server.RequestCount());
}

TEST_F(WindowOnlineTest, ANewWindowHasItsOwnBarAndItsOwnWorkOfflineSetting) {
  TBrowserWindow& first = OpenWindow();
  const QList<QAction*> actions = first.findChildren<QAction*>();
  const auto newWindow = std::find_if(actions.begin(), actions.end(),
                                      [](const QAction* action) { return action->text() == "&New Window"; });
  ASSERT_NE(actions.end(), newWindow);

  (*newWindow)->trigger();

  ASSERT_EQ(2u, Session->Windows().size());
  TBrowserWindow& second = *Session->Windows().back();
  ASSERT_NE(nullptr, second.View());
  EXPECT_NE(first.View(), second.View());
  EXPECT_TRUE(WaitForBarLoad(second));
  second.WorkOfflineAction()->trigger();
  EXPECT_TRUE(second.PagePane()->IsOffline());
  EXPECT_FALSE(first.PagePane()->IsOffline());
  EXPECT_FALSE(first.WorkOfflineAction()->isChecked());
}

// ---- The demo cache ----------------------------------------------------------------------------------------

class WindowTest : public WindowTestBase {
 protected:
  void SetUp() override {
    TCacheStore store(Home.CacheRoot());
    LoadDemo(store);
  }
};

TEST_F(WindowTest, TheRegisteredBarIsListedAndFillsItsPaneWithTheDemoHosts) {
  TBrowserWindow& window = OpenWindow();
  QWidget* view = window.View();
  ASSERT_NE(nullptr, view);
  EXPECT_EQ("HoardscopeMain", view->objectName());

  ASSERT_TRUE(WaitForBarLoad(window));

  EXPECT_TRUE(view->isVisible());
  ASSERT_NE(nullptr, ExplorerBarEntry(window, "Hoard&scope"));
  EXPECT_TRUE(ExplorerBarEntry(window, "Hoard&scope")->isChecked());
  EXPECT_EQ(view->parentWidget()->contentsRect().size(), view->size());
  EXPECT_GE(view->parentWidget()->minimumWidth(), 180);
  EXPECT_EQ((QStringList{"media.example.net", "news.example.org", "static.example.com", "www.example.com"}),
            HostCaptions(view));
  window.resize(window.width() + 50, window.height() + 40);
  EXPECT_TRUE(WaitFor([&] { return view->parentWidget()->contentsRect().size() == view->size(); }));
}

TEST_F(WindowTest, WithoutARegisteredBarTheWindowOpensBareAndSaysSo) {
  TComModule(HOARDSCOPE_MODULE).UnregisterServer();
  TBrowserWindow& window = OpenWindow();
  EXPECT_EQ(nullptr, window.View());
  EXPECT_EQ(nullptr, ExplorerBarEntry(window, "Hoard&scope"));
  EXPECT_FALSE(window.ExplorerBarMenu()->actions().value(0)->isEnabled());
}

TEST_F(WindowTest, ClosingTheBarDuringItsLoadKeepsTheViewHiddenUntilTheLoadIsOver) {
  TBrowserWindow& window = OpenWindow();
  QPointer<QWidget> view = window.View();
  bool hiddenDuringLoad = false;

  ASSERT_TRUE(DuringTheNextLoad(window, [&] {
    window.CloseBar();
    hiddenDuringLoad = !view.isNull() && !view->isVisible();
  }));

  EXPECT_TRUE(hiddenDuringLoad);
  EXPECT_EQ(nullptr, window.View());
  EXPECT_TRUE(WaitFor([&] { return view.isNull(); }));
}

TEST_F(WindowTest, ClosingTheWindowDuringALoadClosesItAndTheViewGoesWhenTheLoadIsOver) {
  TBrowserWindow& window = OpenWindow();
  QPointer<QWidget> view = window.View();

  ASSERT_TRUE(DuringTheNextLoad(window, [&] { window.close(); }));

  EXPECT_TRUE(WaitFor([&] { return view.isNull() && Session->Windows().empty(); }));
}

TEST_F(WindowTest, ClosingTheLastWindowReleasesIt) {
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(WaitForBarLoad(window));
  QSignalSpy lastClosed(&*Session, &TBrowserSession::LastWindowClosed);

  window.close();

  EXPECT_TRUE(WaitFor([&] { return Session->Windows().empty(); }));
  EXPECT_EQ(1, lastClosed.count());
}

TEST_F(WindowTest, TheBarsHelpOpensInANewWindowWithItsStylesheet) {
  const std::filesystem::path app = Home.Folder.Path / "app";
  std::filesystem::create_directories(app);
  std::filesystem::copy(std::filesystem::path(HOARDSCOPE_SOURCE_DIR) / "resources" / "help", app / "help");
  {
    TRegistryStore registry(Home.RegistryFile());
    registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope")
        ->WriteValue(MakeStringValue("AppFolder", app.string() + "/"));
  }
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(WaitForBarLoad(window));
  QAction* help = window.View()->findChild<QAction*>(QStringLiteral("alHelp"));
  ASSERT_NE(nullptr, help);

  help->trigger();

  ASSERT_TRUE(WaitFor([&] { return Session->Windows().size() == 2; }));
  TBrowserWindow& helpWindow = *Session->Windows().back();
  EXPECT_EQ(nullptr, helpWindow.View());
  EXPECT_TRUE(WaitFor([&] { return Title(helpWindow) == "Hoardscope Help"; })) << Title(helpWindow).toStdString();
  EXPECT_EQ("rgb(31, 78, 121)", RunScript(*helpWindow.PagePane(), "getComputedStyle(document.querySelector('h1')).color"))
      << "the stylesheet beside the page was not read";
  EXPECT_EQ(QUrl::fromLocalFile(QString::fromStdString((app / "help" / "index.html").string())),
            helpWindow.PagePane()->url());
}

// Selects a page, which forces the process offline as the last test does.
TEST_F(WindowTest, TrashingTheShownFileThroughTheBarsMenuDropsItsEntryAndEmptiesThePage) {
  setenv("XDG_DATA_HOME", (Home.Folder.Path / "data").c_str(), 1);
  const std::string url = "http://www.example.com/visit.html";
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(WaitForBarLoad(window));
  QSignalSpy shown(window.PagePane(), &QWebEngineView::loadFinished);
  ASSERT_TRUE(SelectNode(window, QString::fromStdString(url)));
  ASSERT_TRUE(WaitFor([&] { return shown.count() > 0; }));
  QTreeView* tree = BarViewOf(window.View())->Tree();
  const QModelIndex file = tree->currentIndex();
  const QString caption = file.data().toString();
  const QModelIndex host = file.parent();

  // The menu opens at the pointer and waits for the user, who picks Move to Trash with the keyboard.
  QTimer pick;
  QObject::connect(&pick, &QTimer::timeout, [&] {
    auto* menu = qobject_cast<QMenu*>(QApplication::activePopupWidget());
    if (!menu) return;
    pick.stop();
    for (QAction* action : menu->actions()) {
      if (action->text() == "Move to Trash") menu->setActiveAction(action);
    }
    QTest::keyClick(menu, Qt::Key_Return);
  });
  pick.start(20);
  emit tree->customContextMenuRequested(tree->visualRect(file).center());

  EXPECT_FALSE(pick.isActive()) << "no menu opened";
  // No neighbour takes the removed node's selection, so nothing replaces the empty page afterwards.
  EXPECT_FALSE(tree->selectionModel()->hasSelection());
  EXPECT_TRUE(WaitFor([&] { return window.PagePane()->url() == QUrl("about:blank"); }))
      << window.PagePane()->url().toString().toStdString();
  EXPECT_FALSE(TCacheStore(Home.CacheRoot()).GetEntryInfo(url));
  QStringList captions;
  for (int row = 0; row < tree->model()->rowCount(host); ++row) captions << tree->model()->index(row, 0, host).data().toString();
  EXPECT_FALSE(captions.contains(caption)) << caption.toStdString();
  unsetenv("XDG_DATA_HOME");
}

// A cached page that opens a peer connection reaches no one: the page pane sends no WebRTC datagram, not even to
// a STUN server of its own choosing.
TEST_F(WindowTest, ACachedPageGetsNoPeerConnectionTrafficOut) {
  QUdpSocket stun;
  ASSERT_TRUE(stun.bind(QHostAddress::LocalHost, 0));
  int datagrams = 0;
  QObject::connect(&stun, &QUdpSocket::readyRead, [&] {
    while (stun.hasPendingDatagrams()) datagrams += stun.receiveDatagram().isValid();
  });
  const std::string url = "http://rtc.example.com/call.html";
  const std::string page =
      "<html><head><title>calling</title><script>"
      "const call = new RTCPeerConnection({iceServers: [{urls: 'stun:127.0.0.1:" + std::to_string(stun.localPort()) +
      "'}]});"
      "call.onicegatheringstatechange = () => { if (call.iceGatheringState == 'complete') document.title = 'gathered'; };"
      "call.createDataChannel('chat');"
      "call.createOffer().then(offer => call.setLocalDescription(offer));"
      "</script></head><body></body></html>";
  {
    TCacheStore store(Home.CacheRoot());
    const CreatedCacheFile created = store.CreateEntry(url, page.size(), "html");
    ASSERT_TRUE(created.Ok);
    WriteFile(created.LocalFileName, page);
    ASSERT_EQ(0u, store.CommitEntry(url, created.LocalFileName, 0, 0, kNormalCacheEntry,
                                    "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n"));
  }
  TBrowserWindow& window = OpenWindow();
  window.WorkOfflineAction()->trigger();
  ASSERT_TRUE(Browse(window, url));

  // Gathering ends at once without a way out; a STUN request arrives within moments where there is one.
  EXPECT_TRUE(WaitFor([&] { return datagrams > 0 || window.windowTitle().startsWith("gathered"); }));
  EXPECT_EQ(0, datagrams);
}

// The selection forces the process offline.
TEST_F(WindowTest, SelectingCachedPagesShowsThemOfflineWithTheirPicturesAndStylesheets) {
  TBrowserWindow& window = OpenWindow();
  ASSERT_TRUE(WaitForBarLoad(window));
  const auto select = [&](const std::string& url) {
    QSignalSpy finished(window.PagePane(), &QWebEngineView::loadFinished);
    return SelectNode(window, QString::fromStdString(url)) &&
           WaitFor([&] { return finished.count() > 0; });
  };

  ASSERT_TRUE(select("http://www.example.com/visit.html"));

  EXPECT_TRUE(TConnectedState::ForcedOffline());
  EXPECT_EQ("Visit Us", Title(window));
  EXPECT_EQ("rgb(247, 241, 230)", RunScript(*window.PagePane(), "getComputedStyle(document.body).backgroundColor"));
  EXPECT_LT(0, RunScript(*window.PagePane(), "document.images[0].naturalWidth").toInt());
  EXPECT_EQ("http://www.example.com/visit.html", window.AddressField()->text());
  EXPECT_TRUE(window.WorkOfflineAction()->isChecked());
  EXPECT_FALSE(window.WorkOfflineAction()->isEnabled());

  // Listed with an upper-case scheme, which the engine writes in lower case.
  ASSERT_TRUE(select("HTTP://www.example.com/Specials.html"));
  EXPECT_EQ("Seasonal Specials", Title(window));

  // A cached file removed through its context menu sends the pane to the empty page.
  QSignalSpy blank(window.PagePane(), &QWebEngineView::loadFinished);
  EXPECT_NO_THROW(window.PagePane()->NavigateTo("about:blank"));
  EXPECT_TRUE(WaitFor([&] { return blank.count() > 0; }));
  EXPECT_EQ(QUrl("about:blank"), window.PagePane()->url());
}

// A window whose bar shows the Chromium cache of tests/data, copied into the home.
class WindowBrowserCacheTest : public WindowTestBase {
 protected:
  TBrowserWindow& OpenChromiumWindow() {
    const std::filesystem::path chromium = Home.Folder.Path / "Cache_Data";
    std::filesystem::copy(std::filesystem::path(HOARDSCOPE_SOURCE_DIR) / "tests/data/browser-caches/chromium",
                          chromium, std::filesystem::copy_options::recursive);
    {
      TRegistryStore registry(Home.RegistryFile());
      WriteCacheSource(registry, "chromium:" + chromium.string());
    }
    TBrowserWindow& window = OpenWindow();
    EXPECT_TRUE(WaitForBarLoad(window));
    return window;
  }

  // Selects the bar's node and waits until the page pane has loaded what it was sent to.
  static bool ShowNode(TBrowserWindow& window, const QString& node) {
    QSignalSpy finished(window.PagePane(), &QWebEngineView::loadFinished);
    return SelectNode(window, node) && WaitFor([&] { return finished.count() > 0; });
  }

  static QVariant Script(TBrowserWindow& window, const QString& script) { return RunScript(*window.PagePane(), script); }

  // Whether an address is that of the page of the fixture's site (served from a port of the moment).
  static bool IsSitePage(const QString& address, const QString& page) {
    return QRegularExpression(QStringLiteral("^http://127\\.0\\.0\\.1:[0-9]+/") + QRegularExpression::escape(page) + "$")
        .match(address)
        .hasMatch();
  }
};

// The gzip page shows as the text it holds.
TEST_F(WindowBrowserCacheTest, ABrowsersCacheShowsItsCompressedPageDecoded) {
  TBrowserWindow& window = OpenChromiumWindow();
  ASSERT_TRUE(ShowNode(window, "http://127.0.0.1/packed.html"));
  EXPECT_EQ("Packed Cargo Manifest", Title(window));
  EXPECT_TRUE(Script(window, "document.body.textContent").toString().contains("quinceblossom"));
}

// The page keeps its own URL, and its stylesheet, picture and frames come from the same cache, decoded; the frame
// is stored under a key of its own (a subframe's).
TEST_F(WindowBrowserCacheTest, ABrowsersCachePageShowsWholeFromItsSource) {
  TBrowserWindow& window = OpenChromiumWindow();
  ASSERT_TRUE(ShowNode(window, "http://127.0.0.1/index.html"));
  EXPECT_EQ("Harbour Lights Home", Title(window));
  EXPECT_TRUE(IsSitePage(window.AddressField()->text(), "index.html")) << window.AddressField()->text().toStdString();
  EXPECT_EQ("rgb(238, 244, 248)", Script(window, "getComputedStyle(document.body).backgroundColor"));
  EXPECT_EQ(16, Script(window, "document.images[0].naturalWidth").toInt());
  EXPECT_EQ("About the Harbour", Script(window, "document.querySelector('iframe').contentDocument.title"));
}

// A link the user follows from such a page is answered from the same cache, its stylesheet too.
TEST_F(WindowBrowserCacheTest, ALinkFollowedFromABrowsersCachePageStaysInItsSource) {
  TBrowserWindow& window = OpenChromiumWindow();
  ASSERT_TRUE(ShowNode(window, "http://127.0.0.1/index.html"));
  QSignalSpy finished(window.PagePane(), &QWebEngineView::loadFinished);
  Script(window, "location.href = 'about.html'");
  ASSERT_TRUE(WaitFor([&] { return finished.count() > 0; }));
  EXPECT_EQ("About the Harbour", Title(window));
  EXPECT_EQ("rgb(238, 244, 248)", Script(window, "getComputedStyle(document.body).backgroundColor"));
  EXPECT_TRUE(IsSitePage(window.AddressField()->text(), "about.html")) << window.AddressField()->text().toStdString();
}

}  // namespace
}  // namespace hoardscope
