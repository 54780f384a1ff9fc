// The cache-changed notice between processes: `hoardscope notify` in another process reaches this process's bar
// over the session bus, and the bar reloads, with its message, when its window is next activated.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QTreeView>

#include "platform/qt/MainView.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

// Runs `hoardscope notify` while this process keeps serving the bus; returns what it printed.
QString NotifyFromAnotherProcess() {
  QProcess notify;
  notify.start(HOARDSCOPE_BIN, {"notify"});
  const QDeadlineTimer deadline(20000);
  while (!notify.waitForFinished(10) && !deadline.hasExpired()) QCoreApplication::processEvents();
  return QString::fromUtf8(notify.readAllStandardOutput());
}

void WaitForLoad(TMainView& view) {
  const QDeadlineTimer deadline(10000);
  while ((view.Presenter().State().RootNode->ChildCount() == 0 || view.Presenter().Busy()) && !deadline.hasExpired()) {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  }
}

CacheEntryRecord Entry(const std::string& url) {
  CacheEntryRecord record;
  record.SourceUrl = url;
  return record;
}

TEST(CrossProcessNotice, ReachesTheBarOfAnotherProcessWhichReloadsWhenActivated) {
  if (!QDBusConnection::sessionBus().isConnected()) GTEST_SKIP() << "no session bus";
  TFakeUrlCache cache;
  TFakeRegistry registry;
  TFakeInternetOptions internet;
  cache.Put(Entry("http://before.example/a.htm"));
  TMainView view(cache, registry, internet, std::filesystem::temp_directory_path());
  view.show();
  WaitForLoad(view);
  ASSERT_EQ(view.Presenter().State().RootNode->Child(0)->Caption(), "before.example");

  cache.DeleteEntry("http://before.example/a.htm");
  cache.Put(Entry("http://after.example/b.htm"));
  EXPECT_EQ(NotifyFromAnotherProcess(), "notified: 1\n");
  EXPECT_TRUE(view.Presenter().State().ReloadPending);
  EXPECT_EQ(view.Presenter().State().RootNode->Child(0)->Caption(), "before.example");  // nothing until activation

  QString shown;
  const TModalAnswer answer([&](QWidget* modal) {
    if (auto* box = qobject_cast<QMessageBox*>(modal)) shown = box->text();
    modal->close();
  });
  QLineEdit elsewhere;  // the focus comes into the bar from another widget, as when the user clicks the tree
  elsewhere.show();
  elsewhere.activateWindow();
  elsewhere.setFocus();
  QApplication::processEvents();
  view.activateWindow();
  view.Tree()->setFocus();
  const QDeadlineTimer deadline(10000);
  while (view.Presenter().State().ReloadPending && !deadline.hasExpired()) QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
  WaitForLoad(view);
  EXPECT_EQ(shown, "IE Cache have been midified. \r\nApplicatio will reload Cache file list");
  EXPECT_EQ(view.Presenter().State().RootNode->Child(0)->Caption(), "after.example");
}

}  // namespace
}  // namespace hoardscope
