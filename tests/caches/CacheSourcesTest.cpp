// Finding a user's browser caches in a home laid out as the browsers lay out theirs.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <filesystem>
#include <fstream>

#include "platform/caches/CacheSources.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

void Touch(const fs::path& file, const std::string& content = "x") {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << content;
}

class CacheSourcesTest : public ::testing::Test {
 protected:
  CacheSourcesTest() {
    const fs::path home = Home.Path;
    const fs::path chromium = home / ".cache/chromium/Default/Cache/Cache_Data";
    Touch(chromium / "0123456789abcdef_0");
    Touch(chromium / "fedcba9876543210_0");
    Touch(chromium / "fedcba9876543210_1");
    Touch(chromium / "index");
    Touch(chromium / "index-dir/the-real-index");
    fs::create_directories(home / ".config/chromium");
    // A blockfile cache counts its entries in its index's header.
    Touch(home / ".config/google-chrome/Profile 1/Cache/Cache_Data/index",
          std::string("\xC3\xCA\x03\xC1\x03\x00\x02\x00\x07\x00\x00\x00", 12));
    Touch(home / ".cache/mozilla/firefox/ab12.default-esr/cache2/entries/0A1B");
    Touch(home / ".cache/mozilla/firefox/ab12.default-esr/cache2/entries/0A1C");
    fs::create_directories(home / ".mozilla/firefox/ab12.default-esr");
    fs::create_directories(home / ".cache/chromium/Empty");  // a profile without a cache
  }

  TTempFolder Home{"sources"};
};

TEST_F(CacheSourcesTest, FindsEachProfilesCacheWithItsEntryCountAndLock) {
  const std::vector<TCacheSource> sources = FindCacheSources({Home.Path.string(), "", ""});
  ASSERT_EQ(sources.size(), 4u);
  EXPECT_EQ(sources[0].Name, "platform");
  EXPECT_EQ(sources[1].Name, "chromium/Default");
  EXPECT_EQ(sources[1].Kind, "chromium");
  EXPECT_TRUE(fs::equivalent(sources[1].Folder, Home.Path / ".cache/chromium/Default/Cache/Cache_Data"));
  EXPECT_EQ(sources[2].Name, "firefox/ab12.default-esr");
  EXPECT_EQ(sources[3].Name, "google-chrome/Profile 1");
  EXPECT_EQ(sources[3].Browser, "Google Chrome");
  EXPECT_EQ(CountEntries(sources[1]), 2u);
  EXPECT_EQ(CountEntries(sources[2]), 2u);
  EXPECT_EQ(CountEntries(sources[3]), 7u);

#ifndef _WIN32
  // Chromium's lock is a link in its user data folder, Firefox's one in the profile, not its cache; each names the
  // process that holds it, and a link whose process is gone (Firefox leaves it behind) holds nothing.
  const std::string running = std::to_string(::getpid());
  EXPECT_FALSE(BrowserRuns(sources[1]));
  fs::create_symlink("host-" + running, Home.Path / ".config/chromium/SingletonLock");
  EXPECT_TRUE(BrowserRuns(sources[1]));
  EXPECT_FALSE(BrowserRuns(sources[2]));
  fs::create_symlink("127.0.0.1:+999999999", Home.Path / ".mozilla/firefox/ab12.default-esr/lock");
  EXPECT_FALSE(BrowserRuns(sources[2]));
  fs::remove(Home.Path / ".mozilla/firefox/ab12.default-esr/lock");
  fs::create_symlink("127.0.0.1:+" + running, Home.Path / ".mozilla/firefox/ab12.default-esr/lock");
  EXPECT_TRUE(BrowserRuns(sources[2]));
#endif
}

TEST_F(CacheSourcesTest, WindowsLayoutBelowLocalAppData) {
  const fs::path local = Home.Path / "Local";
  Touch(local / "Microsoft/Edge/User Data/Default/Cache/Cache_Data/data_0");
  Touch(local / "Mozilla/Firefox/Profiles/xy.default-release/cache2/entries/AA");
  const std::vector<TCacheSource> sources = FindCacheSources({"", local.string(), (Home.Path / "Roaming").string()});
  ASSERT_EQ(sources.size(), 3u);
  EXPECT_EQ(sources[1].Name, "firefox/xy.default-release");
  EXPECT_EQ(fs::path(sources[1].LockFile).parent_path(), Home.Path / "Roaming/Mozilla/Firefox/Profiles/xy.default-release");
  EXPECT_EQ(sources[2].Name, "microsoft-edge/Default");
}

TEST_F(CacheSourcesTest, ParsesSourceArguments) {
  const std::vector<TCacheSource> found = FindCacheSources({Home.Path.string(), "", ""});
  std::string error;
  EXPECT_EQ(ParseCacheSource("platform", found, error)->Kind, "platform");
  EXPECT_EQ(ParseCacheSource("firefox/ab12.default-esr", found, error)->Kind, "firefox");
  // A folder that is also found under a name keeps that name's browser and lock.
  const auto byFolder = ParseCacheSource("chromium:" + found[1].Folder + "/", found, error);
  ASSERT_TRUE(byFolder);
  EXPECT_EQ(byFolder->Name, "chromium:" + found[1].Folder + "/");
  EXPECT_EQ(byFolder->LockFile, found[1].LockFile);
  EXPECT_FALSE(ParseCacheSource("opera/Default", found, error));
  EXPECT_NE(error.find("hoardscope caches"), std::string::npos);
  EXPECT_FALSE(ParseCacheSource("firefox:" + (Home.Path / "none").string(), found, error));
  EXPECT_NE(error.find("none"), std::string::npos);
}

}  // namespace
}  // namespace hoardscope
