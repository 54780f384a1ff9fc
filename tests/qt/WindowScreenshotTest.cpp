// hoardscope --screenshot: the real program over a home with the demo cache, its picture read back.
#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>

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

  TProgramRun Run(const QStringList& args) {
    QProcess program;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("HOARDSCOPE_HOME", QString::fromStdString(Home.Folder.Path.string()));
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

  QString Picture() const { return QString::fromStdString((Home.Folder.Path / "shot.png").string()); }

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

}  // namespace
}  // namespace hoardscope
