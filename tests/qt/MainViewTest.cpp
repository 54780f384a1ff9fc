// The bar: its load and tree over the presenter, the tool bar's buttons, the actions, keys and menus, the
// selection with its delay, the status panels, and a screenshot for people to look at.
#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QDesktopServices>
#include <QHeaderView>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QProgressBar>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QToolButton>
#include <QToolTip>
#include <QTreeView>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <optional>

#include "platform/qt/MainView.h"
#include "settings/UnitReg.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/support/TestFiles.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

// Takes the place of the desktop's viewer of local files: the help pages open here.
class THelpCatcher : public QObject {
  Q_OBJECT

 public slots:
  void Open(const QUrl& url) { Opened << url; }

 public:
  QList<QUrl> Opened;
};

// The sources the Cache submenu offers; choosing one runs OnSelect, which fills the view's cache as that source.
class TFakeSources : public ICacheSourceChoice {
 public:
  std::vector<std::string> SourceNames() override { return Names; }
  std::string CurrentSource() const override { return Current; }
  std::string CurrentCaption() const override { return "caption of " + Current; }
  std::string SelectSource(const std::string& name) override {
    Current = name;
    if (OnSelect) OnSelect(name);
    return std::string();
  }

  std::vector<std::string> Names{"platform"};
  std::string Current = "platform";
  std::function<void(const std::string&)> OnSelect;
};

QPoint FaceOf(const QToolButton* button) { return QPoint(8, button->height() / 2); }
QPoint ArrowOf(const QToolButton* button) { return QPoint(button->width() - 4, button->height() / 2); }

class MainViewTest : public ::testing::Test {
 protected:
  MainViewTest()
      : View(std::make_unique<TMainView>(Cache, Registry, Internet, CacheFiles.Path, nullptr, &Sources)),
        Tester(&View->Model(), QAbstractItemModelTester::FailureReportingMode::Warning) {
    View->resize(237, 400);
    View->Presenter().SetBrowser(Browser);
    Registry.CreateKey(RegistryRoot::ClassesRoot, "MIME\\Database\\Content Type\\text/html")
        ->WriteValue(MakeStringValue("Extension", ".htm"));
    Registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope")
        ->WriteValue(MakeStringValue("AppFolder", "/opt/hoardscope"));
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &Help, "Open");
  }
  ~MainViewTest() override { QDesktopServices::unsetUrlHandler(QStringLiteral("file")); }

  void TearDown() override { EXPECT_TRUE(Log.Failures().isEmpty()) << Log.Failures().join('\n').toStdString(); }

  // An entry whose local file (empty, so captioned with its file name) is named as the URL's last part.
  void AddEntry(const std::string& url, std::uint64_t size = 100, const std::string& contentType = "text/html") {
    const std::filesystem::path folder = CacheFiles.Path / std::to_string(Cache.Entries().size());
    std::filesystem::create_directories(folder);
    CacheEntryRecord record;
    record.SourceUrl = url;
    record.LocalFileName = (folder / url.substr(url.rfind('/') + 1)).string();
    std::ofstream{record.LocalFileName};
    record.SizeLow = static_cast<std::uint32_t>(size);
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    Cache.Put(record);
  }
  void AddHosts(int count) {
    for (int i = 0; i < count; ++i) AddEntry("http://h" + std::to_string(100 + i) + "/x.htm");
  }

  // Shows the view and runs its start-up tick at once.
  void Load() {
    View->show();
    View->Presenter().Timer1Timer();
  }

  TTreeNode* Root() { return View->Presenter().State().RootNode; }
  TTreeNode* Child(const TTreeNode* parent, const std::string& caption) {
    for (std::size_t i = 0; i < parent->ChildCount(); ++i) {
      if (parent->Child(i)->Caption() == caption) return parent->Child(i);
    }
    ADD_FAILURE() << "no node " << caption;
    return nullptr;
  }
  QModelIndex IndexOf(const TTreeNode* node) { return View->Model().IndexOf(node); }
  int Rows(const TTreeNode* node) { return View->Tree()->model()->rowCount(IndexOf(node)); }
  TTreeNode* TopRowNode() { return View->Model().NodeOf(View->Tree()->indexAt(QPoint(0, 0))); }
  bool Enabled(TActionId id) { return View->Action(id)->isEnabled(); }

  void SelectAndSettle(const TTreeNode* node) {
    View->SelectNode(node);
    EXPECT_TRUE(QTest::qWaitFor([this] { return !View->SelectionChangePending(); }));
  }
  void Activate(QWidget* window) {
    window->show();
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window));
  }
  // The entries of the menu that a tool button's arrow drops ("-" for a separator), and which menu it was.
  std::pair<QWidget*, QStringList> DroppedMenu(QToolButton* button) {
    std::pair<QWidget*, QStringList> dropped;
    const TModalAnswer answer([&](QWidget* popup) {
      dropped.first = popup;
      for (const QAction* action : popup->actions()) dropped.second << (action->isSeparator() ? "-" : action->text());
      popup->close();
    });
    QTest::mousePress(button, Qt::LeftButton, {}, ArrowOf(button));
    return dropped;
  }

  TModelCheckLog Log;
  THelpCatcher Help;
  TTempFolder CacheFiles{"qt-view-cache"};
  TFakeUrlCache Cache;
  TFakeRegistry Registry;
  TFakeInternetOptions Internet;
  TFakeSources Sources;
  std::shared_ptr<TFakeBrowser> Browser = std::make_shared<TFakeBrowser>();
  std::unique_ptr<TMainView> View;
  QAbstractItemModelTester Tester;
};

// ---- Load and tree --------------------------------------------------------------------------------------------

TEST_F(MainViewTest, ShowingStartsTheFirstLoadAfterWhichTheTreeShowsTheOpenRoot) {
  AddEntry("http://www.example.com/index.htm");
  AddEntry("http://static.example.com/logo.gif", 100, "image/gif");
  QSignalSpy finished(View.get(), &TMainView::LoadFinished);
  View->show();
  EXPECT_EQ(Rows(Root()), 0);  // until the start-up timer fires
  ASSERT_TRUE(finished.wait(5000));
  EXPECT_TRUE(View->Tree()->isExpanded(IndexOf(Root())));
  EXPECT_EQ(Rows(Root()), 2);
  EXPECT_TRUE(View->StatusPanel(1)->text().startsWith("Total  2  Files"));
}

TEST_F(MainViewTest, ExpandingAndCollapsingInTheTreeRunTheHandlers) {
  AddEntry("http://h/b.htm");
  AddEntry("http://h/a.htm");
  AddEntry("http://h/img/x.gif", 100, "image/gif");
  Load();
  TTreeNode* host = Child(Root(), "h");
  const QModelIndex hostIndex = IndexOf(host);

  View->Tree()->expand(hostIndex);
  EXPECT_TRUE(host->Expanded());
  EXPECT_EQ(host->ImageIndex(), kImageFolderOpen);
  ASSERT_EQ(Rows(host), 3);
  const QModelIndex first = View->Tree()->model()->index(0, 0, hostIndex);
  EXPECT_EQ(first.data().toString(), "a.htm");
  EXPECT_FALSE(first.data(Qt::DecorationRole).value<QIcon>().isNull());

  View->Tree()->collapse(hostIndex);
  EXPECT_EQ(host->ImageIndex(), kImageFolderClosed);
  View->Tree()->expand(hostIndex);
  EXPECT_EQ(Rows(host), 3);  // built once
}

TEST_F(MainViewTest, TopRowFollowsItsNodeAndAGoneRowIsLeftAlone) {
  AddHosts(60);
  View->resize(237, 200);
  Load();
  TTreeNode* h130 = Child(Root(), "h130");
  View->Tree()->scrollTo(IndexOf(h130), QAbstractItemView::PositionAtTop);
  ASSERT_EQ(View->TopVisibleNode(), h130);
  View->Tree()->scrollToTop();
  // A host above it goes: its row moves up by one.
  View->Presenter().TreeView1Change(Child(Root(), "h100"));
  View->Presenter().aLVDeleteExecute(true);
  ASSERT_EQ(h130->Row(), 29u);
  View->SetTopVisibleNode(h130);
  EXPECT_EQ(TopRowNode(), h130);

  // h140 just above the top row: once it opens, its placeholder is the top row, which the expansion drops.
  TTreeNode* h140 = Child(Root(), "h140");
  View->Tree()->scrollTo(IndexOf(h140), QAbstractItemView::PositionAtTop);
  View->Tree()->verticalScrollBar()->setValue(View->Tree()->verticalScrollBar()->value() + 1);
  View->ExpandNode(h140);
  ASSERT_EQ(h140->ChildCount(), 1u);
  EXPECT_EQ(h140->Child(0)->Caption(), "x.htm");
  EXPECT_NE(TopRowNode(), nullptr);
}

// ---- Tool bar, actions, keys and menus -------------------------------------------------------------------------

TEST_F(MainViewTest, ButtonFacesRunTheirActionsAndTheirArrowsDropTheMenus) {
  Load();
  QSignalSpy help(View->Action(TActionId::alHelp), &QAction::triggered);
  std::vector<std::unique_ptr<QSignalSpy>> anyAction;
  for (const TAction& entry : View->Presenter().State().Actions.All()) {
    anyAction.push_back(std::make_unique<QSignalSpy>(View->Action(entry.Id), &QAction::triggered));
  }
  QTest::mouseClick(View->FilesButton(), Qt::LeftButton, {}, FaceOf(View->FilesButton()));
  for (const auto& spy : anyAction) EXPECT_EQ(spy->count(), 0);
  EXPECT_EQ(QApplication::activePopupWidget(), nullptr);
  EXPECT_EQ(DroppedMenu(View->FilesButton()),
            std::make_pair(static_cast<QWidget*>(View->FilesMenu()),
                           QStringList{"CopyURL", "Del&ete", "-", "&Option", "&Search", "Cl&ear Search", "-",
                                       "&Import", "Export", "Save Report\u2026", "-", "Details List", "Cache"}));

  EXPECT_EQ(View->HelpButton()->text(), "&Help");
  QTest::mouseClick(View->HelpButton(), Qt::LeftButton, {}, FaceOf(View->HelpButton()));
  EXPECT_EQ(help.count(), 1);
  // The help pages open in a new window of the view's browser; without a browser, in the desktop's.
  EXPECT_EQ(Browser->NewWindows, std::vector<std::string>{"file:///opt/hoardscope/help/index.html"});
  EXPECT_TRUE(Help.Opened.isEmpty());
  EXPECT_EQ(DroppedMenu(View->HelpButton()),
            std::make_pair(static_cast<QWidget*>(View->HelpMenu()), QStringList{"&Help", "-", "About Hoardscope"}));
  EXPECT_EQ(help.count(), 1);
  View->Presenter().SetBrowser(nullptr);
  View->Action(TActionId::alHelp)->trigger();
  EXPECT_EQ(Help.Opened, QList<QUrl>{QUrl::fromLocalFile("/opt/hoardscope/help/index.html")});
}

TEST_F(MainViewTest, CacheSubmenuSwitchesSourcesAndHttpsEntriesAndReloadsTheView) {
  AddEntry("http://plain.test/a.htm");
  AddEntry("https://secure.test/b.htm");
  Sources.Names.push_back("chromium/Default");
  Sources.OnSelect = [this](const std::string&) {
    Cache.DeleteEntry("http://plain.test/a.htm");
    AddEntry("https://browser.test/c.htm");
  };
  Load();
  const auto hosts = [this] {
    QStringList names;
    for (std::size_t i = 0; i < Root()->ChildCount(); ++i) names << QString::fromStdString(Root()->Child(i)->Caption());
    return names;
  };
  const auto entries = [this] {
    emit View->CacheMenu()->aboutToShow();
    QStringList names;
    for (const QAction* action : View->CacheMenu()->actions()) {
      names << (action->isSeparator() ? "-" : (action->isChecked() ? "*" : "") + action->text());
    }
    return names;
  };
  const auto choose = [this](const QString& text) {
    for (QAction* action : View->CacheMenu()->actions()) {
      if (action->text() == text) action->trigger();
    }
  };
  const auto setting = [this](const char* name) {
    return Registry.OpenKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope", false)
        ->ReadValue(name)
        .value_or(RegistryValue());
  };
  EXPECT_EQ(hosts(), QStringList{"plain.test"});
  EXPECT_EQ(entries(), (QStringList{"*platform", "chromium/Default", "-", "Include https entries"}));

  choose("Include https entries");
  EXPECT_EQ(hosts(), (QStringList{"plain.test", "secure.test"}));
  EXPECT_EQ(DwordOf(setting("ShowSecure")), 1u);
  EXPECT_EQ(entries(), (QStringList{"*platform", "chromium/Default", "-", "*Include https entries"}));

  choose("chromium/Default");
  EXPECT_EQ(hosts(), (QStringList{"browser.test", "secure.test"}));
  EXPECT_EQ(StringOf(setting("CacheSource")), "chromium/Default");
  EXPECT_EQ(entries(), (QStringList{"platform", "*chromium/Default", "-", "*Include https entries"}));
}

TEST_F(MainViewTest, ShortcutsRunTheirActionsWhileTheViewHasTheFocus) {
  Load();
  const std::vector<std::pair<TActionId, QKeySequence>> keys = {
      {TActionId::aLVDelete, QKeySequence(Qt::Key_Delete)}, {TActionId::alOption, QKeySequence("Ctrl+O")},
      {TActionId::alSearch, QKeySequence("Ctrl+S")},        {TActionId::alImport, QKeySequence("Ctrl+I")},
      {TActionId::alHelp, QKeySequence(Qt::Key_F1)}};
  for (const auto& [id, key] : keys) {
    EXPECT_EQ(View->Action(id)->shortcut(), key);
    EXPECT_EQ(View->Action(id)->icon().availableSizes().value(0), QSize(kActionImageSize, kActionImageSize));
    std::optional<TModalAnswer> dialog;  // the Options dialog, the file to import
    if (id == TActionId::alOption || id == TActionId::alImport) dialog.emplace([](QWidget* modal) { modal->close(); });
    Activate(View.get());
    View->Tree()->setFocus();
    QSignalSpy triggered(View->Action(id), &QAction::triggered);
    QTest::keySequence(View->Tree(), key);
    EXPECT_EQ(triggered.count(), 1) << View->Action(id)->objectName().toStdString();
  }
  EXPECT_EQ(View->FilesMenu()->style()->pixelMetric(QStyle::PM_SmallIconSize, nullptr, View->FilesMenu()),
            kActionImageSize);

  QLineEdit elsewhere;
  Activate(&elsewhere);
  QTest::keyClick(&elsewhere, Qt::Key_F1);
  EXPECT_EQ(Browser->NewWindows.size(), 1u);  // F1 in the view opened the help, F1 elsewhere nothing
}

TEST_F(MainViewTest, DeleteDeletesTheSelectedNodeOnlyWhileTheTreeHasTheFocus) {
  AddEntry("http://h/a.htm");
  AddEntry("http://h/b.htm");
  Load();
  Activate(View.get());
  TTreeNode* host = Child(Root(), "h");
  View->ExpandNode(host);
  SelectAndSettle(Child(host, "a.htm"));

  View->StatusBar()->setFocusPolicy(Qt::StrongFocus);
  View->StatusBar()->setFocus();
  View->Action(TActionId::aLVDelete)->trigger();
  EXPECT_EQ(Rows(host), 2);

  View->Tree()->setFocus();
  QTest::keyClick(View->Tree(), Qt::Key_Delete);
  EXPECT_EQ(Rows(host), 1);
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/a.htm"));
}

// ---- Details list ---------------------------------------------------------------------------------------------

TEST_F(MainViewTest, DetailsListShowsTheSelectedFoldersFilesWithTheirSizesAndSortsBySize) {
  const QAbstractItemModelTester detailsTester(&View->DetailsModel(),
                                               QAbstractItemModelTester::FailureReportingMode::Warning);
  AddEntry("http://h/a/one.htm", 300);
  AddEntry("http://h/a/two.htm", 100);
  AddEntry("http://h/a/three.htm", 200);
  AddEntry("http://h/b.htm", 5);
  View->resize(900, 400);  // every column in sight
  Load();
  TTreeNode* host = Child(Root(), "h");
  View->ExpandNode(host);
  SelectAndSettle(Child(host, "a"));
  QTreeView* details = View->Details();
  ASSERT_TRUE(details->isVisible());
  const auto column = [&](TDetailsColumn wanted) {
    QStringList cells;
    const int section = static_cast<int>(wanted);
    for (int row = 0; row < details->model()->rowCount(); ++row) {
      cells << details->model()->index(row, section).data().toString();
    }
    return cells;
  };
  EXPECT_EQ(details->model()->headerData(3, Qt::Horizontal).toString(), "Size");
  EXPECT_EQ(column(TDetailsColumn::Caption), (QStringList{"one.htm", "three.htm", "two.htm"}));
  EXPECT_EQ(column(TDetailsColumn::Size), (QStringList{"300", "200", "100"}));

  QHeaderView* header = details->header();
  const QPoint sizeTitle(header->sectionViewportPosition(3) + header->sectionSize(3) / 2, header->height() / 2);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeTitle);
  EXPECT_EQ(column(TDetailsColumn::Size), (QStringList{"100", "200", "300"}));
  EXPECT_EQ(header->sortIndicatorSection(), 3);
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::AscendingOrder);
  QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, sizeTitle);
  EXPECT_EQ(column(TDetailsColumn::Size), (QStringList{"300", "200", "100"}));
  EXPECT_EQ(header->sortIndicatorOrder(), Qt::DescendingOrder);
}

// Long work shows its progress and Stop in the status bar; the Stop button, or Esc in the tree, ends a load that
// would go on, with the entries walked so far listed, sorted, and the status saying it stopped. The bar keeps its
// width.
TEST_F(MainViewTest, StopAndEscEndALoadWithTheEntriesListedSoFar) {
  for (const bool byEsc : {false, true}) {
    TEndlessUrlCache endless;
    TMainView view(endless, Registry, Internet, CacheFiles.Path);
    view.resize(237, 400);
    Activate(&view);
    view.Tree()->setFocus();
    bool progressShown = false;
    // Posted before the load: it runs only once the load lets waiting events run.
    QTimer::singleShot(0, &view, [&] {
      progressShown = view.StopButton()->isVisible() && view.ProgressBar()->isVisible() &&
                      view.ProgressText()->text().startsWith(QStringLiteral("Loading ")) &&
                      !view.StatusPanel(0)->isVisible();
      if (byEsc) {
        QTest::keyClick(view.Tree(), Qt::Key_Escape);
      } else {
        QTest::mouseClick(view.StopButton(), Qt::LeftButton);
      }
    });
    view.Presenter().Timer1Timer();
    EXPECT_TRUE(progressShown) << "Esc: " << byEsc;
    const TEntryList& listed = view.Presenter().State().EntryList;
    EXPECT_LT(endless.Walked, TEndlessUrlCache::kLimit);
    EXPECT_EQ(listed.Count(), endless.Walked);
    std::vector<std::string> keys;
    for (const TEntryItem& item : listed.Items()) keys.push_back(item.Key);
    EXPECT_TRUE(std::is_sorted(keys.begin(), keys.end()));
    EXPECT_EQ(view.StatusPanel(0)->text().toStdString(), "Load stopped: " + std::string(kPlatformCaption));
    EXPECT_TRUE(view.StatusPanel(0)->isVisible());
    EXPECT_FALSE(view.StopButton()->isVisible());
    EXPECT_EQ(view.width(), 237);
  }
}

TEST_F(MainViewTest, ToolBarIsDisabledWhileALoadRunsAndLetsEventsRun) {
  AddHosts(5);
  QSignalSpy help(View->Action(TActionId::alHelp), &QAction::triggered);
  std::vector<bool> toolBarEnabled;
  QTimer probe;  // runs whenever the view lets waiting events run
  QObject::connect(&probe, &QTimer::timeout, [&] {
    toolBarEnabled.push_back(View->ToolBar()->isEnabled());
    QTest::mouseClick(View->HelpButton(), Qt::LeftButton, {}, FaceOf(View->HelpButton()));
  });
  probe.start(0);
  Load();
  ASSERT_FALSE(toolBarEnabled.empty());  // the walk let waiting events run
  EXPECT_EQ(toolBarEnabled, std::vector<bool>(toolBarEnabled.size(), false));
  EXPECT_EQ(help.count(), 0);
  EXPECT_TRUE(View->ToolBar()->isEnabled());
}

// ---- Selection, status bar, activation --------------------------------------------------------------------------

TEST_F(MainViewTest, ActionStatesFollowTheSelection) {
  AddEntry("http://h/a.htm");
  AddEntry("http://h/img/x.gif", 100, "image/gif");
  for (const TAction& entry : View->Presenter().State().Actions.All()) {
    EXPECT_EQ(Enabled(entry.Id), entry.Id != TActionId::aLVCopyURL && entry.Id != TActionId::alClearSearch);
  }
  Load();
  TTreeNode* host = Child(Root(), "h");
  SelectAndSettle(Root());
  EXPECT_FALSE(Enabled(TActionId::alExport));
  EXPECT_FALSE(Enabled(TActionId::aLVDelete));
  SelectAndSettle(host);
  EXPECT_TRUE(Enabled(TActionId::aLVDelete) && Enabled(TActionId::alSearch) && Enabled(TActionId::alExport));
  EXPECT_FALSE(Enabled(TActionId::aLVCopyURL));
  View->ExpandNode(host);
  SelectAndSettle(Child(host, "a.htm"));
  EXPECT_TRUE(Enabled(TActionId::aLVCopyURL));
  EXPECT_FALSE(Enabled(TActionId::alSearch) || Enabled(TActionId::alExport));
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
}

TEST_F(MainViewTest, RightClickSelectsAndClippedCaptionsShowAsToolTip) {
  const std::string longHost = "a-rather-long-host-name-for-a-narrow-bar.example.com";
  AddEntry("http://h/x.htm");
  AddEntry("http://" + longHost + "/x.htm");
  View->resize(160, 300);
  Load();
  const QModelIndex h = IndexOf(Child(Root(), "h"));
  QTest::mouseClick(View->Tree()->viewport(), Qt::RightButton, {}, View->Tree()->visualRect(h).center());
  EXPECT_TRUE(View->Tree()->selectionModel()->isSelected(h));

  const auto tipAt = [this](const QModelIndex& index) {
    const QPoint at = View->Tree()->visualRect(index).center();
    QHelpEvent tip(QEvent::ToolTip, at, View->Tree()->viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(View->Tree()->viewport(), &tip);
    return QToolTip::text().toStdString();
  };
  EXPECT_EQ(tipAt(h), "");
  EXPECT_EQ(tipAt(IndexOf(Child(Root(), longHost))), longHost);
  View->Tree()->expand(h);
  EXPECT_EQ(tipAt(IndexOf(Child(Child(Root(), "h"), "x.htm"))), "http://h/x.htm");  // a file tips its URL
}

TEST_F(MainViewTest, StatusPanelsShowTheTotalsAndKeepTheirWidths) {
  AddEntry("http://h/a.htm", 600);
  AddEntry("http://h/b.htm", 900);
  AddEntry("http://k/c.htm", 50);
  Load();
  EXPECT_EQ(View->StatusPanel(0)->text(), "caption of platform");  // the source on show
  SelectAndSettle(Child(Root(), "h"));
  EXPECT_EQ(View->StatusPanel(1)->text(), "Total  2  Files  2  KB Used");
  EXPECT_EQ(View->windowTitle(), QString::fromUtf8("h \u2014 caption of platform"));
  View->SetStatusText(0, "Found 3 items");
  EXPECT_EQ(View->StatusPanel(0)->text(), "Found 3 items");

  EXPECT_EQ(View->StatusBar()->height(), 19);
  EXPECT_EQ(View->ToolBar()->height(), 24);
  EXPECT_EQ(View->Tree()->indentation(), 19);
  const int narrow = View->StatusPanel(1)->width();
  View->resize(437, 400);
  QCoreApplication::processEvents();
  EXPECT_EQ(View->StatusPanel(0)->width(), 150);
  EXPECT_EQ(View->StatusPanel(1)->width(), narrow + 200);
  EXPECT_GE(View->StatusPanel(1)->x(), View->StatusPanel(0)->geometry().right());
  EXPECT_GE(View->StatusPanel(1)->geometry().right(), View->StatusBar()->width() - 4);
}

TEST_F(MainViewTest, TheFilterBarsUrlTextNarrowsTheTreeOnEnterAndItsClearButtonShowsEverythingAgain) {
  AddEntry("http://www.example.com/index.htm");
  AddEntry("http://static.example.com/logo.gif", 100, "image/gif");
  AddEntry("http://news.example.org/index.htm");
  Load();
  ASSERT_EQ(Rows(Root()), 3);
  QLineEdit* url = View->FilterBar()->UrlEdit();
  QTest::keyClicks(url, "EXAMPLE.COM");
  EXPECT_EQ(Rows(Root()), 3);  // typing alone applies nothing
  QTest::keyClick(url, Qt::Key_Return);
  EXPECT_EQ(Rows(Root()), 2);
  EXPECT_EQ(View->StatusPanel(0)->text(), "caption of platform (filtered)");
  EXPECT_TRUE(View->FilterBar()->isEnabled());

  // The range's days show with its choice, which applies at once: nothing here was cached in the last week.
  EXPECT_FALSE(View->FilterBar()->FromEdit()->isVisibleTo(View.get()));
  QTest::keyClick(View->FilterBar()->CachedChoice(), Qt::Key_End);
  EXPECT_TRUE(View->FilterBar()->FromEdit()->isVisibleTo(View.get()));
  EXPECT_EQ(Rows(Root()), 0);

  QTest::mouseClick(View->FilterBar()->ClearButton(), Qt::LeftButton);
  EXPECT_EQ(Rows(Root()), 3);
  EXPECT_EQ(url->text(), "");
  EXPECT_FALSE(View->FilterBar()->FromEdit()->isVisibleTo(View.get()));
  EXPECT_EQ(View->StatusPanel(0)->text(), "caption of platform");
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
  EXPECT_TRUE(QTest::qWaitFor([&] { return answer.Answered() && Rows(Root()) == 2; }));
  EXPECT_EQ(shown, "IE Cache have been midified. \r\nApplicatio will reload Cache file list");
}

TEST_F(MainViewTest, ScreenshotOfTheBar) {
  for (const char* url : {"http://www.example.com/index.htm", "http://www.example.com/menu/teas/green.htm",
                          "http://www.example.com/Specials.htm", "http://news.example.org/index.htm",
                          "http://static.example.com/img/logo.gif"}) {
    AddEntry(url, 2048);
  }
  Load();
  TTreeNode* www = Child(Root(), "www.example.com");
  View->ExpandNode(www);
  View->ExpandNode(Child(www, "menu"));
  SelectAndSettle(Child(www, "index.htm"));

  const QImage shot = View->grab().toImage();
  const QString file = BuildFolder() + QStringLiteral("/hoardscope-bar.png");
  ASSERT_TRUE(shot.save(file)) << file.toStdString();
  EXPECT_NE(shot.pixel(5, 5), shot.pixel(shot.width() / 2, 60));  // tool bar and tree are drawn
}

}  // namespace
}  // namespace hoardscope

#include "MainViewTest.moc"
