// hoardscope --screenshot: the real program over a home with the demo cache, its picture read back.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <QRegularExpression>

#include "platform/linux/CacheStore.h"
#include "tests/qt/WindowTestSupport.h"

namespace hoardscope {
namespace {

// The demo's page header colour (#3d5a40).
constexpr QRgb kDemoHeaderColour = 0xff3d5a40;

struct TProgramRun {
  int ExitCode = -1;
  QString Err;
};

class WindowScreenshotTest : public ::testing::Test {
 protected:
  void SetUp() override {
    TCacheStore store(Home.CacheRoot());
    LoadDemo(store);
  }

  TProgramRun Run(const QStringList& args) { return RunIn(Home.Folder.Path, args); }

  static TProgramRun RunIn(const std::filesystem::path& home, const QStringList& args) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOARDSCOPE_HOME", QString::fromStdString(home.string()));
    program.setProcessEnvironment(environment);
    program.start(HOARDSCOPE_BIN, args);
    if (!program.waitForFinished(3 * kWindowWaitMs)) {
      program.kill();
      program.waitForFinished();
      return {};
    }
    return {program.exitStatus() == QProcess::NormalExit ? program.exitCode() : -1,
            QString::fromLocal8Bit(program.readAllStandardError())};
  }

  QString Picture() const { return PictureIn(Home.Folder.Path); }
  // The lines of standard error that are the program's own (Qt and the engine add some of theirs).
  static QStringList OwnLines(const QString& err) {
    return err.split('\n').filter(QRegularExpression(QStringLiteral("^hoardscope: ")));
  }

  static QString PictureIn(const std::filesystem::path& home) { return QString::fromStdString((home / "shot.png").string()); }

  TWindowTestHome Home;
};

TEST_F(WindowScreenshotTest, ThePictureShowsTheWindowWithTheSelectedPage) {
  const TProgramRun run = Run({"--screenshot", Picture(), "--expand", "static.example.com", "--select",
                               "http://www.example.com/visit.html"});

  ASSERT_EQ(0, run.ExitCode) << run.Err.toStdString();
  const QImage picture(Picture());
  ASSERT_FALSE(picture.isNull());
  EXPECT_GE(picture.width(), 800);
  EXPECT_GE(picture.height(), 600);
  // The page's header band lies across the top of the page pane, right of the bar.
  int headerPixels = 0;
  for (int x = picture.width() / 2; x < picture.width(); ++x) {
    for (int y = 0; y < picture.height() / 4; ++y) headerPixels += picture.pixel(x, y) == kDemoHeaderColour;
  }
  EXPECT_GT(headerPixels, 1000);
}

TEST_F(WindowScreenshotTest, AnUnknownNodeSavesNothingAndSaysWhy) {
  const TProgramRun run = Run({"--screenshot", Picture(), "--select", "nowhere.example"});

  EXPECT_EQ(1, run.ExitCode);
  EXPECT_TRUE(run.Err.contains("no node 'nowhere.example'")) << run.Err.toStdString();
  EXPECT_TRUE(QImage(Picture()).isNull());
}

// A brand-new home sets itself up on its first run, once, and the bar shows; a home whose bar has been
// unregistered since ends the run at once with the reason.
TEST_F(WindowScreenshotTest, ABrandNewHomeSetsItselfUpAndShowsItsBar) {
  TTempFolder fresh("fresh-home");
  {
    TCacheStore store(fresh.Path / "cache");
    LoadDemo(store);
  }

  const TProgramRun first = RunIn(fresh.Path, {"--screenshot", PictureIn(fresh.Path), "--select",
                                               "http://www.example.com/visit.html"});
  ASSERT_EQ(0, first.ExitCode) << first.Err.toStdString();
  ASSERT_EQ(1, OwnLines(first.Err).size()) << first.Err.toStdString();
  EXPECT_TRUE(OwnLines(first.Err)[0].startsWith("hoardscope: setting up this home")) << first.Err.toStdString();
  EXPECT_TRUE(std::filesystem::is_directory(fresh.Path / "app" / "Save Files"));
  EXPECT_TRUE(std::filesystem::is_regular_file(fresh.Path / "app" / "help" / "index.html"));

  const TProgramRun again = RunIn(fresh.Path, {"--screenshot", PictureIn(fresh.Path), "--select", "nowhere.example"});
  EXPECT_EQ(1, again.ExitCode);
  EXPECT_EQ(QStringList{"hoardscope: no node 'nowhere.example' in the tree"}, OwnLines(again.Err));

  QProcess unregister;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert("HOARDSCOPE_HOME", QString::fromStdString(fresh.Path.string()));
  unregister.setProcessEnvironment(environment);
  unregister.start(HOARDSCOPE_BIN, {"regsvr", "/u", "/s"});
  ASSERT_TRUE(unregister.waitForFinished(kWindowWaitMs));
  const TProgramRun bare = RunIn(fresh.Path, {"--screenshot", PictureIn(fresh.Path)});
  EXPECT_EQ(1, bare.ExitCode);
  EXPECT_EQ(QStringList{"hoardscope: the Hoardscope bar could not be opened"}, OwnLines(bare.Err));
}

}  // namespace
}  // namespace hoardscope
