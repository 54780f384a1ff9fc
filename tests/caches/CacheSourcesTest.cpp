// Finding a user's browser caches in a home laid out as the browsers lay out theirs.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <unistd.h>
#endif

#include <algorithm>
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
    Touch(home / ".config/chromium/Local State", R"({"profile":{"info_cache":{"Default":{"name":"Person 1"}}}})");
    fs::create_directories(home / ".config/chromium/Default");
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

#ifndef _WIN32
// Firefox 153 keeps its profiles in ~/.config/mozilla/firefox; a profile that profiles.ini names elsewhere keeps its
// cache inside it.
TEST_F(CacheSourcesTest, FindsTheFirefoxLockWhereverTheProfileLives) {
  const fs::path config = Home.Path / ".config/mozilla/firefox";
  const fs::path elsewhere = Home.Path / "data/profile";
  Touch(Home.Path / ".cache/mozilla/firefox/cd34.default-release/cache2/entries/0A1B");
  Touch(elsewhere / "cache2/entries/0A1B");
  Touch(config / "profiles.ini", "[Profile0]\r\nName=x\r\nIsRelative=1\r\nPath=cd34.default-release\r\n\r\n"
                                 "[Profile1]\r\nName=y\r\nIsRelative=0\r\nPath=" + elsewhere.string() + "\r\n");
  const std::vector<TCacheSource> sources = FindCacheSources({Home.Path.string(), "", ""});
  const auto source = [&](const std::string& name) {
    const auto found = std::find_if(sources.begin(), sources.end(), [&](const TCacheSource& s) { return s.Name == name; });
    return found == sources.end() ? TCacheSource{} : *found;
  };
  EXPECT_EQ(source("firefox/profile").Folder, (elsewhere / "cache2").string());
  const std::string running = "127.0.0.1:+" + std::to_string(::getpid());
  for (const auto& [name, profile] : {std::pair{"firefox/cd34.default-release", config / "cd34.default-release"},
                                      std::pair{"firefox/profile", elsewhere}}) {
    fs::create_directories(profile);
    EXPECT_FALSE(BrowserRuns(source(name))) << name;
    fs::create_symlink(running, profile / "lock");
    EXPECT_TRUE(BrowserRuns(source(name))) << name;
  }
  EXPECT_FALSE(BrowserRuns(source("firefox/ab12.default-esr")));
}
#endif

#ifndef _WIN32
// A cache named by its folder belongs to the profile that owns it wherever it is reached from: its real path is
// looked up as well as the path given, and a cache no profile names (one kept where Chromium was told to keep it
// with --disk-cache-dir, a copy) has no owner, so that nothing can tell whether its browser uses it.
TEST_F(CacheSourcesTest, AFolderNamedByItsPathIsOwnedByTheProfileThatKeepsItOrByNone) {
  const fs::path userData = Home.Path / "elsewhere/chromium-data";
  Touch(userData / "Local State", R"({"profile":{"info_cache":{"Profile 2":{}}}})");
  Touch(userData / "Profile 2/Cache/Cache_Data/0123456789abcdef_0");
  Touch(Home.Path / "disk-cache-dir/Profile 2/Cache/Cache_Data/0123456789abcdef_0");
  Touch(Home.Path / "copies/Cache_Data/0123456789abcdef_0");
  fs::create_symlink(userData / "Profile 2", Home.Path / "linked-profile");
  fs::create_symlink(Home.Path / ".cache/chromium/Default", Home.Path / "linked-cache");
  Touch(Home.Path / "profiles/own/prefs.js");
  Touch(Home.Path / "profiles/own/cache2/entries/0A1B");
  Touch(Home.Path / "profiles/none/cache2/entries/0A1B");
  const std::string chromiumLock = (Home.Path / ".config/chromium/SingletonLock").string();
  struct TCase {
    std::string Source;
    std::vector<std::string> Locks;
  };
  const TCase cases[] = {
      {"chromium:" + (userData / "Profile 2/Cache/Cache_Data").string(), {(userData / "SingletonLock").string()}},
      {"chromium:" + (Home.Path / "linked-profile/Cache/Cache_Data").string(), {(userData / "SingletonLock").string()}},
      {"chromium:" + (Home.Path / "linked-cache/Cache/Cache_Data").string(), {chromiumLock}},
      {"chromium:" + (Home.Path / "disk-cache-dir/Profile 2/Cache/Cache_Data").string(), {}},
      {"chromium:" + (Home.Path / "copies/Cache_Data").string(), {}},
      {"firefox:" + (Home.Path / "profiles/own/cache2").string(), {(Home.Path / "profiles/own/lock").string()}},
      {"firefox:" + (Home.Path / "profiles/none/cache2").string(), {}},
  };
  for (const TCase& sourceCase : cases) {
    std::string error;
    const std::optional<TCacheSource> source = ParseCacheSource(sourceCase.Source, {Home.Path.string(), "", ""}, error);
    ASSERT_TRUE(source) << error;
    EXPECT_EQ(source->LockFiles, sourceCase.Locks) << sourceCase.Source;
  }
}
#endif

TEST_F(CacheSourcesTest, WindowsLayoutBelowLocalAppData) {
  const fs::path local = Home.Path / "Local";
  Touch(local / "Microsoft/Edge/User Data/Default/Cache/Cache_Data/data_0");
  Touch(local / "Mozilla/Firefox/Profiles/xy.default-release/cache2/entries/AA");
  fs::create_directories(Home.Path / "Roaming/Mozilla/Firefox/Profiles/xy.default-release");
  const std::vector<TCacheSource> sources = FindCacheSources({"", local.string(), (Home.Path / "Roaming").string()});
  ASSERT_EQ(sources.size(), 3u);
  EXPECT_EQ(sources[1].Name, "firefox/xy.default-release");
  ASSERT_EQ(sources[1].LockFiles.size(), 1u);
  EXPECT_EQ(fs::path(sources[1].LockFiles[0]).parent_path(),
            (Home.Path / "Roaming/Mozilla/Firefox/Profiles/xy.default-release").make_preferred());
  EXPECT_EQ(sources[2].Name, "microsoft-edge/Default");
}

TEST_F(CacheSourcesTest, ParsesSourceArguments) {
  const TUserFolders folders{Home.Path.string(), "", ""};
  const std::vector<TCacheSource> found = FindCacheSources(folders);
  std::string error;
  EXPECT_EQ(ParseCacheSource("platform", folders, error)->Kind, "platform");
  EXPECT_EQ(ParseCacheSource("firefox/ab12.default-esr", folders, error)->Kind, "firefox");
  // A folder that is also found under a name keeps that name's browser and lock.
  const auto byFolder = ParseCacheSource("chromium:" + found[1].Folder + "/", folders, error);
  ASSERT_TRUE(byFolder);
  EXPECT_EQ(byFolder->Name, "chromium:" + found[1].Folder + "/");
  EXPECT_EQ(byFolder->LockFiles, found[1].LockFiles);
  EXPECT_FALSE(ParseCacheSource("opera/Default", folders, error));
  EXPECT_NE(error.find("hoardscope caches"), std::string::npos);
  EXPECT_FALSE(ParseCacheSource("firefox:" + (Home.Path / "none").string(), folders, error));
  EXPECT_NE(error.find("none"), std::string::npos);
}

}  // namespace
}  // namespace hoardscope
