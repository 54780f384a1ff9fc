// The window tests' application object and helpers.
#include "tests/qt/WindowTestSupport.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEventLoop>
#include <QTimer>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <sstream>

#include "platform/linux/CacheStore.h"
#include "com/ComModule.h"
#include "platform/browser/BrowserApp.h"
#include "platform/browser/PagePane.h"

namespace hoardscope {
namespace {

constexpr int kPollMs = 5;

// One application object for the whole program, prepared for Qt WebEngine as the hoardscope program prepares it.
class TBrowserApplicationEnvironment : public ::testing::Environment {
 public:
  void SetUp() override {
    PrepareBrowserProcess();
    FApplication = std::make_unique<QApplication>(FArgc, FArgv);
  }
  void TearDown() override { FApplication.reset(); }

 private:
  int FArgc = 1;
  char FName[12] = "window_test";
  char* FArgv[2] = {FName, nullptr};
  std::unique_ptr<QApplication> FApplication;
};

[[maybe_unused]] ::testing::Environment* const kApplication =
    ::testing::AddGlobalTestEnvironment(new TBrowserApplicationEnvironment);  // GoogleTest takes ownership

}  // namespace

TWindowTestHome::TWindowTestHome() {
  setenv("HOARDSCOPE_HOME", Folder.Path.c_str(), 1);
  // A module kept by the views of an earlier test would still work on that test's home.
  FreeUnusedModules();
  TComModule module(HOARDSCOPE_MODULE);
  EXPECT_EQ(S_OK, module.RegisterServer()) << "libhoardscope.so did not register";
}

void LoadDemo(TCacheStore& store) {
  const std::filesystem::path demo = std::filesystem::path(HOARDSCOPE_SOURCE_DIR) / "resources" / "demo";
  std::ifstream manifest(demo / "manifest.tsv");
  ASSERT_TRUE(manifest) << "no demo manifest in " << demo;
  for (std::string line; std::getline(manifest, line);) {
    std::istringstream fields(line);
    std::string url, file, headers;
    if (!std::getline(fields, url, '\t') || !std::getline(fields, file, '\t') || !std::getline(fields, headers, '\t')) {
      continue;
    }
    const std::string content = ReadFile(demo / "files" / file);
    const CreatedCacheFile created = store.CreateEntry(url, content.size(), "");
    ASSERT_TRUE(created.Ok) << url;
    WriteFile(created.LocalFileName, content);
    ASSERT_EQ(0u, store.CommitEntry(url, created.LocalFileName, 0, 0, kNormalCacheEntry,
                                    ReadFile(demo / "headers" / headers)))
        << url;
  }
}

bool WaitFor(const std::function<bool()>& condition) {
  // A real event loop: Qt WebEngine does part of its work in tasks of the UI thread, which a loop of
  // processEvents and sleeps serves only slowly.
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
    if (condition()) loop.quit();
  });
  QTimer::singleShot(kWindowWaitMs, &loop, &QEventLoop::quit);
  if (condition()) return true;
  poll.start(kPollMs);
  loop.exec();
  return condition();
}

QVariant RunScript(TPagePane& pane, const QString& script) {
  auto result = std::make_shared<std::optional<QVariant>>();
  pane.page()->runJavaScript(script, [result](const QVariant& value) { *result = value; });
  if (!WaitFor([&] { return result->has_value(); })) return {};
  return **result;
}

}  // namespace hoardscope
