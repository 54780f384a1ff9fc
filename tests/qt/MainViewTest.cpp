// The bar: its load and tree over the presenter, the tool bar's buttons, the actions and menus, the selection
// with its delay, the status panels, the keys, and a screenshot for people to look at.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QDesktopServices>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <functional>

#include "platform/qt/MainView.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

// The in-memory cache, with a probe that runs as the walk reads each record.
class TProbedCache : public IUrlCache {
 public:
  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override {
    std::unique_ptr<IUrlCacheWalk> walk = Store.FindFirst(first);
    if (!walk) return nullptr;
    Probe();
    return std::make_unique<TWalk>(std::move(walk), *this);
  }
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override { return Store.GetEntryInfo(url); }
  bool DeleteEntry(const std::string& url) override { return Store.DeleteEntry(url); }
  CreatedCacheFile CreateEntry(const std::string& url, std::uint64_t size, const std::string& extension) override {
    return Store.CreateEntry(url, size, extension);
  }
  std::uint32_t CommitEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                            FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers) override {
    return Store.CommitEntry(url, localFileName, expireTime, lastModifiedTime, entryType, headers);
  }
  std::optional<UrlParts> SplitURL(const std::string& url) override { return Store.SplitURL(url); }

  TFakeUrlCache Store;
  std::function<void()> OnRecord;  // runs once for every record the walk reads

 private:
  class TWalk : public IUrlCacheWalk {
   public:
    TWalk(std::unique_ptr<IUrlCacheWalk> walk, TProbedCache& cache) : FWalk(std::move(walk)), FCache(cache) {}
    bool FindNext(CacheEntryRecord& record) override {
      if (!FWalk->FindNext(record)) return false;
      FCache.Probe();
      return true;
    }

   private:
    std::unique_ptr<IUrlCacheWalk> FWalk;
    TProbedCache& FCache;
  };
  void Probe() {
    if (OnRecord) OnRecord();
  }
};

std::filesystem::path CacheFolder() {
  const std::filesystem::path folder = std::filesystem::temp_directory_path() / "hs-qt-view-cache";
  std::filesystem::create_directories(folder);
  return folder;
}

QStringList Captions(const QList<QAction*>& actions) {
  QStringList captions;
  for (const QAction* action : actions) captions << (action->isSeparator() ? QStringLiteral("-") : action->text());
  return captions;
}

// Takes the place of the desktop's viewer for local files: the help pages open here.
class THelpCatcher : public QObject {
  Q_OBJECT

 public slots:
  void Open(const QUrl& url) { Opened << url; }

 public:
  QList<QUrl> Opened;
};

// Where a drop-down tool button's face and its arrow are.
QPoint FaceOf(const QToolButton* button) { return QPoint(8, button->height() / 2); }
QPoint ArrowOf(const QToolButton* button) { return QPoint(button->width() - 4, button->height() / 2); }

class MainViewTest : public ::testing::Test {
 protected:
  MainViewTest()
      : View(std::make_unique<TMainView>(Cache, Registry, Internet, CacheFolder())),
        Tester(&View->Model(), QAbstractItemModelTester::FailureReportingMode::Warning) {
    View->resize(237, 400);
    View->Presenter().FBrowser = Browser;
    Registry.CreateKey(RegistryRoot::ClassesRoot, "MIME\\Database\\Content Type\\text/html")
        ->WriteValue(MakeStringValue("Extension", ".htm"));
    Registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope")
        ->WriteValue(MakeStringValue("AppFolder", "/opt/hoardscope"));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &Help, "Open");
  }
  ~MainViewTest() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

  void TearDown() override { EXPECT_TRUE(Log.Failures().isEmpty()) << Log.Failures().join('\n').toStdString(); }

  // Adds an entry whose local file (empty, so captioned with its file name) is named as the URL's last part.
  void AddEntry(const std::string& url, std::uint64_t size = 100, const std::string& contentType = "text/html") {
    const std::filesystem::path folder = CacheFolder() / std::to_string(Cache.Store.Entries().size());
    std::filesystem::create_directories(folder);
    const std::filesystem::path localFile = folder / url.substr(url.rfind('/') + 1);
    std::ofstream{localFile};
    CacheEntryRecord record;
    record.SourceUrl = url;
    record.LocalFileName = localFile.string();
    record.SizeLow = static_cast<std::uint32_t>(size);
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    Cache.Store.Put(record);
  }

  // Shows the view and runs its start-up tick at once.
  void Load() {
    View->show();
    View->Presenter().Timer1Timer();
  }

  TTreeNode* Root() { return View->Presenter().RootNode; }
  TTreeNode* Child(const TTreeNode* parent, const std::string& caption) {
    for (std::size_t i = 0; i < parent->ChildCount(); ++i) {
      if (parent->Child(i)->Caption() == caption) return parent->Child(i);
    }
    ADD_FAILURE() << "no node " << caption;
    return nullptr;
  }
  QModelIndex IndexOf(const TTreeNode* node) { return View->Model().IndexOf(node); }
  TTreeNode* TopRowNode() { return View->Model().NodeOf(View->Tree()->indexAt(QPoint(0, 0))); }

  void SelectAndSettle(const TTreeNode* node) {
    View->SelectNode(node);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !View->SelectionChangePending(); }));
  }

  bool Enabled(TActionId id) { return View->Action(id)->isEnabled(); }

  TModelCheckLog Log;
  THelpCatcher Help;
  TProbedCache Cache;
  TFakeRegistry Registry;
  TFakeInternetOptions Internet;
  std::shared_ptr<TFakeBrowser> Browser = std::make_shared<TFakeBrowser>();
  std::unique_ptr<TMainView> View;
  QAbstractItemModelTester Tester;
};

// ---- Load and tree --------------------------------------------------------------------------------------------

TEST_F(MainViewTest, ShowingStartsTheFirstLoadAfterwhichTheTreeShowsTheOpenRoot) {
  AddEntry("http://www.example.com/index.htm");
  AddEntry("http://static.example.com/logo.gif", 100, "image/gif");
  QSignalSpy finished(View.get(), &TMainView::LoadFinished);
  View->show();
  EXPECT_EQ(View->Tree()->model()->rowCount(IndexOf(Root())), 0);  // until the start-up timer fires

  ASSERT_TRUE(finished.wait(5000));
  EXPECT_TRUE(View->Tree()->isExpanded(IndexOf(Root())));
  EXPECT_EQ(View->Tree()->model()->rowCount(IndexOf(Root())), 2);
  EXPECT_EQ(View->StatusPanel(1)->text().toStdString(), View->Presenter().StatusText(1));
  EXPECT_TRUE(View->StatusPanel(1)->text().startsWith("Total  2  Files"));
  EXPECT_EQ(View->objectName(), "HoardscopeMain");
}

TEST_F(MainViewTest, ExpandingAndCollapsingInTheTreeRunTheHandlers) {
  AddEntry("http://h/b.htm");
  AddEntry("http://h/a.htm");
  AddEntry("http://h/img/x.gif", 100, "image/gif");
  Load();
  TTreeNode* host = Child(Root(), "h");

  View->Tree()->expand(IndexOf(host));
  EXPECT_TRUE(host->Expanded());
  EXPECT_EQ(host->ImageIndex(), kImageFolderOpen);
  const QModelIndex hostIndex = IndexOf(host);
  ASSERT_EQ(View->Tree()->model()->rowCount(hostIndex), 3);
  EXPECT_EQ(hostIndex.model()->index(0, 0, hostIndex).data().toString(), "a.htm");
  EXPECT_EQ(hostIndex.model()->index(2, 0, hostIndex).data().toString(), "img");
  EXPECT_FALSE(hostIndex.model()->index(0, 0, hostIndex).data(Qt::DecorationRole).value<QIcon>().isNull());

  View->Tree()->collapse(hostIndex);
  EXPECT_FALSE(host->Expanded());
  EXPECT_EQ(host->ImageIndex(), kImageFolderClosed);
  View->Tree()->expand(hostIndex);
  EXPECT_EQ(View->Tree()->model()->rowCount(hostIndex), 3);  // built once
}

TEST_F(MainViewTest, TopRowIsFoundAndRestoredThroughReorders) {
  for (int i = 0; i < 60; ++i) AddEntry("http://h" + std::to_string(100 + i) + "/x.htm");
  View->resize(237, 200);
  Load();
  TTreeNode* h130 = Child(Root(), "h130");
  View->Tree()->scrollTo(IndexOf(h130), QAbstractItemView::PositionAtTop);
  ASSERT_EQ(View->TopVisibleNode(), h130);

  View->Tree()->scrollToTop();
  View->Presenter().TreeView1.SortChildren(Root(), [](const TTreeNode& a, const TTreeNode& b) {
    return a.Caption() > b.Caption();
  });
  View->SetTopVisibleNode(h130);
  EXPECT_EQ(TopRowNode(), h130);
}

TEST_F(MainViewTest, ExpansionWhoseDroppedPlaceholderWasTheTopRowLeavesTheViewWhole) {
  for (int i = 0; i < 60; ++i) AddEntry("http://h" + std::to_string(100 + i) + "/x.htm");
  View->resize(237, 200);
  Load();
  TTreeNode* h140 = Child(Root(), "h140");
  View->Tree()->scrollTo(IndexOf(h140), QAbstractItemView::PositionAtTop);
  QScrollBar* rows = View->Tree()->verticalScrollBar();
  rows->setValue(rows->value() + 1);  // h140 just above the top row: its placeholder will be the top row

  View->ExpandNode(h140);

  ASSERT_EQ(h140->ChildCount(), 1u);
  EXPECT_EQ(h140->Child(0)->Caption(), "x.htm");
  EXPECT_NE(TopRowNode(), nullptr);
}

// ---- Tool bar, actions and menus ------------------------------------------------------------------------------

TEST_F(MainViewTest, FilesButtonFaceDoesNothingAndItsArrowDropsTheFilesMenu) {
  Load();
  std::vector<std::unique_ptr<QSignalSpy>> triggered;
  for (std::size_t i = 0; i < kActionCount; ++i) {
    triggered.push_back(std::make_unique<QSignalSpy>(View->Action(static_cast<TActionId>(i)), &QAction::triggered));
  }
  QTest::mouseClick(View->FilesButton(), Qt::LeftButton, {}, FaceOf(View->FilesButton()));
  for (const auto& spy : triggered) EXPECT_EQ(spy->count(), 0);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);

  QWidget* dropped = nullptr;
  QStringList entries;
  const TModalAnswer answer([&](QWidget* popup) {
    dropped = popup;
    if (auto* menu = qobject_cast<QMenu*>(popup)) entries = Captions(menu->actions());
    popup->close();
  });
  QTest::mousePress(View->FilesButton(), Qt::LeftButton, {}, ArrowOf(View->FilesButton()));
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(dropped, View->FilesMenu());
  EXPECT_EQ(entries, QStringList({"CopyURL", "Del&ete", "-", "&Option", "&Search", "Cl&ear Search", "-", "&Import",
                                  "Export"}));
}

TEST_F(MainViewTest, HelpButtonFaceRunsHelpAndItsArrowDropsTheHelpMenu) {
  Load();
  QSignalSpy help(View->Action(TActionId::alHelp), &QAction::triggered);
  EXPECT_EQ(View->HelpButton()->text(), "&Help");
  QTest::mouseClick(View->HelpButton(), Qt::LeftButton, {}, FaceOf(View->HelpButton()));
  EXPECT_EQ(help.count(), 1);
  ASSERT_EQ(Help.Opened.size(), 1);
  EXPECT_EQ(Help.Opened[0], QUrl::fromLocalFile("/opt/hoardscope/help/index.html"));

  QWidget* dropped = nullptr;
  QStringList entries;
  const TModalAnswer answer([&](QWidget* popup) {
    dropped = popup;
    if (auto* menu = qobject_cast<QMenu*>(popup)) entries = Captions(menu->actions());
    popup->close();
  });
  QTest::mousePress(View->HelpButton(), Qt::LeftButton, {}, ArrowOf(View->HelpButton()));
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(dropped, View->HelpMenu());
  EXPECT_EQ(entries, QStringList({"&Help", "-", "About Hoardscope"}));
  EXPECT_EQ(help.count(), 1);
}

TEST_F(MainViewTest, ActionsCarryTheirTablesShortcutsAndLargePictures) {
  const std::map<TActionId, QKeySequence> keys = {
      {TActionId::aLVDelete, QKeySequence(Qt::Key_Delete)}, {TActionId::alOption, QKeySequence("Ctrl+O")},
      {TActionId::alSearch, QKeySequence("Ctrl+S")},        {TActionId::alImport, QKeySequence("Ctrl+I")},
      {TActionId::alHelp, QKeySequence(Qt::Key_F1)}};
  for (const TAction& entry : View->Presenter().Actions.All()) {
    const QAction* action = View->Action(entry.Id);
    EXPECT_EQ(action->objectName().toStdString(), entry.Name);
    EXPECT_EQ(action->text().toStdString(), entry.Caption);
    const auto key = keys.find(entry.Id);
    EXPECT_EQ(action->shortcut(), key == keys.end() ? QKeySequence() : key->second) << entry.Name;
    EXPECT_EQ(action->icon().availableSizes().value(0), QSize(kActionImageSize, kActionImageSize));
  }
  EXPECT_EQ(View->FilesMenu()->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, View->FilesMenu()),
            kActionImageSize);
}

TEST_F(MainViewTest, ShortcutsRunTheirActionsWhileTheViewHasTheFocus) {
  Load();
  View->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(View.get()));
  View->Tree()->setFocus();
  const std::vector<std::pair<TActionId, QKeyCombination>> keys = {
      {TActionId::aLVDelete, QKeyCombination(Qt::Key_Delete)},
      {TActionId::alOption, QKeyCombination(Qt::ControlModifier, Qt::Key_O)},
      {TActionId::alSearch, QKeyCombination(Qt::ControlModifier, Qt::Key_S)},
      {TActionId::alImport, QKeyCombination(Qt::ControlModifier, Qt::Key_I)},
      {TActionId::alHelp, QKeyCombination(Qt::Key_F1)}};
  for (const auto& [id, key] : keys) {
    QSignalSpy triggered(View->Action(id), &QAction::triggered);
    std::optional<TModalAnswer> dialog;
    if (id == TActionId::alOption || id == TActionId::alImport) {
      dialog.emplace([](QWidget* modal) { modal->close(); });  // the Options dialog, the file to import
    }
    View->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(View.get()));
    View->Tree()->setFocus();
    QTest::keyClick(View->Tree(), key.key(), key.keyboardModifiers());
    EXPECT_EQ(triggered.count(), 1) << View->Action(id)->objectName().toStdString();
  }

  QLineEdit elsewhere;
  elsewhere.show();
  elsewhere.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&elsewhere));
  QSignalSpy help(View->Action(TActionId::alHelp), &QAction::triggered);
  QTest::keyClick(&elsewhere, Qt::Key_F1);
  EXPECT_EQ(help.count(), 0);
}

TEST_F(MainViewTest, DeleteKeyDeletesTheSelectedNodeOnlyWhileTheTreeHasTheFocus) {
  AddEntry("http://h/a.htm");
  AddEntry("http://h/b.htm");
  Load();
  View->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(View.get()));
  TTreeNode* host = Child(Root(), "h");
  View->ExpandNode(host);
  SelectAndSettle(Child(host, "a.htm"));
  const QModelIndex hostIndex = IndexOf(host);

  View->StatusBar()->setFocusPolicy(Qt::StrongFocus);
  View->StatusBar()->setFocus();
  View->Action(TActionId::aLVDelete)->trigger();
  EXPECT_EQ(View->Tree()->model()->rowCount(hostIndex), 2);

  View->Tree()->setFocus();
  QTest::keyClick(View->Tree(), Qt::Key_Delete);
  EXPECT_EQ(View->Tree()->model()->rowCount(hostIndex), 1);
  EXPECT_FALSE(Cache.Store.GetEntryInfo("http://h/a.htm"));
}

TEST_F(MainViewTest, ToolBarIsDisabledWhileALoadRuns) {
  for (int i = 0; i < 5; ++i) AddEntry("http://h" + std::to_string(i) + "/a.htm");
  QSignalSpy help(View->Action(TActionId::alHelp), &QAction::triggered);
  bool eventRan = false;
  std::vector<bool> eventRanAt;
  std::vector<bool> toolBarEnabledAt;
  QMetaObject::invokeMethod(View.get(), [&] { eventRan = true; }, Qt::QueuedConnection);
  Cache.OnRecord = [&] {
    eventRanAt.push_back(eventRan);
    toolBarEnabledAt.push_back(View->ToolBar()->isEnabled());
    QTest::mouseClick(View->HelpButton(), Qt::LeftButton, {}, FaceOf(View->HelpButton()));
  };
  Load();

  EXPECT_EQ(toolBarEnabledAt, std::vector<bool>(5, false));
  EXPECT_EQ(help.count(), 0);
  EXPECT_EQ(eventRanAt, (std::vector<bool>{false, true, true, true, true}));  // waiting events run during the walk
  Cache.OnRecord = nullptr;
  EXPECT_TRUE(View->ToolBar()->isEnabled());
  QTest::mouseClick(View->HelpButton(), Qt::LeftButton, {}, FaceOf(View->HelpButton()));
  EXPECT_EQ(help.count(), 1);
}

TEST_F(MainViewTest, AHostMayLetTheViewGoDuringItsLoad) {
  for (int i = 0; i < 5; ++i) AddEntry("http://h" + std::to_string(i) + "/a.htm");
  const QPointer<TMainView> watch(View.get());
  int records = 0;
  Cache.OnRecord = [&] {
    if (++records == 2) View.release()->deleteLater();  // the bar is closed while the walk lets events run
  };
  View->show();
  watch->Presenter().Timer1Timer();
  ASSERT_FALSE(watch.isNull());  // the load ends first
  EXPECT_EQ(watch->Presenter().EntryList.Count(), 5u);
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  EXPECT_TRUE(watch.isNull());
}

// ---- Selection ------------------------------------------------------------------------------------------------

TEST_F(MainViewTest, ActionStatesFollowTheSelection) {
  AddEntry("http://h/a.htm");
  AddEntry("http://h/img/x.gif", 100, "image/gif");
  EXPECT_FALSE(Enabled(TActionId::aLVCopyURL));
  EXPECT_FALSE(Enabled(TActionId::alClearSearch));
  for (const TActionId id : {TActionId::aLVDelete, TActionId::alOption, TActionId::alSearch, TActionId::alImport,
                             TActionId::alExport, TActionId::alHelp, TActionId::alAbout}) {
    EXPECT_TRUE(Enabled(id));
  }
  Load();
  TTreeNode* host = Child(Root(), "h");

  SelectAndSettle(Root());
  EXPECT_FALSE(Enabled(TActionId::alExport));
  EXPECT_FALSE(Enabled(TActionId::aLVDelete));

  SelectAndSettle(host);
  EXPECT_TRUE(Enabled(TActionId::aLVDelete));
  EXPECT_TRUE(Enabled(TActionId::alSearch));
  EXPECT_TRUE(Enabled(TActionId::alExport));
  EXPECT_FALSE(Enabled(TActionId::aLVCopyURL));

  View->ExpandNode(host);
  SelectAndSettle(Child(host, "a.htm"));
  EXPECT_TRUE(Enabled(TActionId::aLVCopyURL));
  EXPECT_FALSE(Enabled(TActionId::alSearch));
  EXPECT_FALSE(Enabled(TActionId::alExport));
  EXPECT_EQ(Browser->Navigations, std::vector<std::string>{"http://h/a.htm"});
}

TEST_F(MainViewTest, SelectionIsReportedOnceItHasSettled) {
  AddEntry("http://h/a.htm");
  AddEntry("http://h/b.htm");
  Load();
  TTreeNode* host = Child(Root(), "h");
  View->ExpandNode(host);

  View->SelectNode(Child(host, "a.htm"));
  View->SelectNode(Child(host, "b.htm"));
  EXPECT_TRUE(View->SelectionChangePending());
  EXPECT_TRUE(Browser->Navigations.empty());
  EXPECT_TRUE(QTest::qWaitFor([this] { return !View->SelectionChangePending(); }));
  EXPECT_EQ(Browser->Navigations, std::vector<std::string>{"http://h/b.htm"});
  EXPECT_EQ(View->Presenter().Selected, Child(host, "b.htm"));
}

TEST_F(MainViewTest, RightClickSelectsTheNodeUnderTheMouse) {
  AddEntry("http://a/x.htm");
  AddEntry("http://b/x.htm");
  Load();
  const QModelIndex b = IndexOf(Child(Root(), "b"));
  QTest::mouseClick(View->Tree()->viewport(), Qt::RightButton, {}, View->Tree()->visualRect(b).center());
  EXPECT_EQ(View->Tree()->currentIndex(), b);
  EXPECT_TRUE(View->Tree()->selectionModel()->isSelected(b));
}

TEST_F(MainViewTest, ClippedCaptionsShowTheirWholeTextAsToolTip) {
  const std::string longHost = "a-rather-long-host-name-for-a-narrow-bar.example.com";
  AddEntry("http://h/x.htm");
  AddEntry("http://" + longHost + "/x.htm");
  View->resize(160, 300);
  Load();
  const auto tipAt = [this](const TTreeNode* node) {
    const QPoint at = View->Tree()->visualRect(IndexOf(node)).center();
    QHelpEvent tip(QEvent::ToolTip, at, View->Tree()->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(View->Tree()->viewport(), &tip);
    return QToolTip::text();
  };
  EXPECT_EQ(tipAt(Child(Root(), "h")), "");
  EXPECT_EQ(tipAt(Child(Root(), longHost)).toStdString(), longHost);
}

// ---- Status bar and layout ------------------------------------------------------------------------------------

TEST_F(MainViewTest, StatusPanelsShowTheTotalsAndKeepTheirWidths) {
  AddEntry("http://h/a.htm", 600);
  AddEntry("http://h/b.htm", 900);
  AddEntry("http://k/c.htm", 50);
  Load();
  SelectAndSettle(Child(Root(), "h"));
  EXPECT_EQ(View->StatusPanel(1)->text(), "Total  2  Files  2  KB Used");
  EXPECT_EQ(View->windowTitle(), "h");
  View->SetStatusText(0, "Found 3 items");
  EXPECT_EQ(View->StatusPanel(0)->text(), "Found 3 items");

  EXPECT_EQ(View->StatusBar()->height(), 19);
  EXPECT_EQ(View->ToolBar()->height(), 24);
  EXPECT_EQ(View->Tree()->indentation(), 19);
  EXPECT_EQ(View->StatusPanel(0)->width(), 150);
  const int narrow = View->StatusPanel(1)->width();
  View->resize(437, 400);
  QCoreApplication::processEvents();
  EXPECT_EQ(View->StatusPanel(0)->width(), 150);
  EXPECT_EQ(View->StatusPanel(1)->width(), narrow + 200);
  EXPECT_GE(View->StatusPanel(1)->x(), View->StatusPanel(0)->geometry().right());
  EXPECT_GE(View->StatusPanel(1)->geometry().right(), View->StatusBar()->width() - 4);
}

TEST_F(MainViewTest, ActivationRunsTheReloadThatAChangeNoticeLeftPending) {
  AddEntry("http://h/a.htm");
  Load();
  AddEntry("http://new.example.com/a.htm");
  TViewNotifier::Instance().Notify(kCacheChangedCode);
  QString shown;
  const TModalAnswer answer([&](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text();
    modal->close();
  });
  QEvent activate(QEvent::WindowActivate);
  QCoreApplication::sendEvent(View.get(), &activate);
  EXPECT_TRUE(QTest::qWaitFor([&] { return answer.Answered() && Root()->ChildCount() == 2; }));
  EXPECT_EQ(shown, "IE Cache have been midified. \r\nApplicatio will reload Cache file list");
  EXPECT_EQ(View->Tree()->model()->rowCount(IndexOf(Root())), 2);
}

TEST_F(MainViewTest, ScreenshotOfTheBar) {
  for (const char* url : {"http://www.example.com/index.htm", "http://www.example.com/menu/teas/green.htm",
                          "http://www.example.com/Specials.htm", "http://news.example.org/index.htm",
                          "http://static.example.com/img/logo.gif", "http://static.example.com/css/site.css"}) {
    AddEntry(url, 2048, std::string(url).ends_with(".gif") ? "image/gif" : "text/html");
  }
  Load();
  TTreeNode* www = Child(Root(), "www.example.com");
  View->ExpandNode(www);
  View->ExpandNode(Child(www, "menu"));
  SelectAndSettle(Child(www, "index.htm"));

  const QImage shot = View->grab().toImage();
  const QString file = BuildFolder() + QStringLiteral("/hoardscope-bar.png");
  ASSERT_TRUE(shot.save(file)) << file.toStdString();
  EXPECT_EQ(shot.size(), View->size() * shot.devicePixelRatio());
  EXPECT_NE(shot.pixel(5, 5), shot.pixel(shot.width() / 2, 60));  // tool bar and tree are drawn
}

}  // namespace
}  // namespace hoardscope

#include "MainViewTest.moc"
