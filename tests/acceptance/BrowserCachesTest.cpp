// The caches Chromium and Firefox wrote, found in a home laid out as theirs and shown through --cache: the tree
// under the pages' titles with the frame two sites showed once, a search inside the gzip page, an export of decoded
// copies, the cache list of every key, deletion refused while the browser runs, and the browsers' folders byte for
// byte as they were.
#include <algorithm>
#include <tuple>

#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

const fs::path kFixtures = fs::path(HOARDSCOPE_SOURCE_DIR) / "tests/data/browser-caches";
const fs::path kSite = fs::path(HOARDSCOPE_SOURCE_DIR) / "tests/data/browser-site";

// Whether two folders hold the same files with the same bytes.
std::size_t CountOf(const std::string& text, const std::string& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

// The URLs of the frame's keys, as the cache list names them.
std::vector<std::string> FrameKeys(const std::string& list) {
  std::vector<std::string> urls;
  for (const std::string& line : Lines(list)) {
    const std::string url = line.substr(0, line.find('\t'));
    if (url.ends_with("/frame.html")) urls.push_back(url);
  }
  return urls;
}

// The key a Chromium entry file holds: its length at offset 12 (little-endian), the key from offset 24 on.
std::string KeyOfEntryFile(const fs::path& file) {
  const std::string bytes = ReadFile(file);
  if (bytes.size() < 24) return std::string();
  std::size_t length = 0;
  for (int i = 3; i >= 0; --i) length = length << 8 | static_cast<unsigned char>(bytes[12 + i]);
  return bytes.substr(24, length);
}

std::string FrameUrl(const std::string& list) {
  const std::vector<std::string> urls = FrameKeys(list);
  return urls.empty() ? std::string() : urls.front();
}

bool SameTree(const fs::path& a, const fs::path& b) {
  std::vector<std::string> names;
  for (const fs::path& root : {a, b}) {
    for (const auto& item : fs::recursive_directory_iterator(root)) {
      names.push_back(fs::relative(item.path(), root).string());
    }
  }
  for (const std::string& name : names) {
    if (fs::is_directory(a / name) != fs::is_directory(b / name)) return false;
    if (!fs::is_directory(a / name) && ReadFile(a / name) != ReadFile(b / name)) return false;
  }
  return true;
}

class BrowserCachesTest : public ::testing::Test {
 protected:
  // Chromium's user data folder names its profile, whose cache lies at the same place below ~/.cache.
  BrowserCachesTest() : FHome("browser-caches") {
    fs::copy(kFixtures / "chromium", ChromiumFolder(), fs::copy_options::recursive);
    fs::copy(kFixtures / "firefox", FirefoxFolder(), fs::copy_options::recursive);
    fs::create_directories(User() / ".config/chromium/Default");
    WriteFile(User() / ".config/chromium/Local State", R"({"profile":{"info_cache":{"Default":{}}}})");
  }

  fs::path User() const { return FHome.Path() / "user"; }
  fs::path ChromiumFolder() const {
    const fs::path folder = User() / ".cache/chromium/Default/Cache/Cache_Data";
    fs::create_directories(folder.parent_path());
    return folder;
  }
  fs::path FirefoxFolder() const {
    const fs::path folder = User() / ".cache/mozilla/firefox/p1.default-esr/cache2";
    fs::create_directories(folder.parent_path());
    return folder;
  }

  TRun Hoardscope(const std::vector<std::string>& args) {
    return RunShell("HOME=" + Quoted(User().string()) + " " + CommandInHome(FHome.Path(), HoardscopeProgram(), args),
                    FHome.Path());
  }

  // The tree shows the site's pages under their titles and the frame that two sites showed once, a search finds
  // the word only the gzip page holds and the frame once, neither writing a decoded copy, an export writes the
  // decoded copies, each once, the cache list names the real URLs with the frame under both keys, and nothing is
  // written into the cache.
  void CheckSource(const std::string& source) {
    SCOPED_TRACE(source);
    fs::remove_all(FHome.Path() / "copies");  // what an earlier source's search and export wrote
    const TRun tree = Hoardscope({"--cache", source, "tree", "--all"});
    ASSERT_EQ(tree.ExitCode, 0) << tree.Err;
    for (const char* caption : {"  127.0.0.1\n", "    Harbour Lights Home\n", "    Packed Cargo Manifest\n",
                                "    lighthouse.png\n", "    style.css\n", "  localhost\n", "    Second Port Pier\n",
                                "    Fish & Chips \u2014 Quay Side\n", "    Caf\u00e9 du Port\n"}) {
      EXPECT_NE(tree.Out.find(caption), std::string::npos) << caption << tree.Out;
    }
    EXPECT_EQ(CountOf(tree.Out, "    Harbour Frame\n"), 1u) << tree.Out;

    const TRun search = Hoardscope({"--cache", source, "search", "quinceblossom", "--whole"});
    EXPECT_NE(search.Out.find("Search Result\n  127.0.0.1\n    Packed Cargo Manifest\npanel0: Found 1 items\n"),
              std::string::npos) << search.Out << search.Err;
    const TRun frameSearch = Hoardscope({"--cache", source, "search", "two sites show", "--whole"});
    EXPECT_NE(frameSearch.Out.find("    Harbour Frame\npanel0: Found 1 items\n"), std::string::npos)
        << frameSearch.Out << frameSearch.Err;
    // The titles come from the starts of the bodies and the search reads the bodies as it decodes them: no decoded
    // copy is written.
    if (!TestsOtherEdition()) {
      std::size_t copies = 0;
      if (fs::exists(FHome.Path() / "copies")) {
        for (const auto& item : fs::recursive_directory_iterator(FHome.Path() / "copies")) copies += item.is_regular_file();
      }
      EXPECT_EQ(copies, 0u);
    }

    const fs::path exportFile = FHome.Path() / "export.hef";
    fs::remove_all(FHome.Path() / "export");
    const TRun exported = Hoardscope({"--cache", source, "export", "127.0.0.1", exportFile.string()});
    ASSERT_EQ(exported.ExitCode, 0) << exported.Out << exported.Err;
    EXPECT_EQ(ReadFile(FHome.Path() / "export/style.css"), ReadFile(kSite / "style.css"));
    EXPECT_EQ(ReadFile(FHome.Path() / "export/lighthouse.png"), ReadFile(kSite / "lighthouse.png"));
    EXPECT_NE(ReadFile(FHome.Path() / "export/packed.html").find("quinceblossom"), std::string::npos);
    const std::string records = ReadFile(exportFile);
    EXPECT_NE(records.find("http://127.0.0.1:"), std::string::npos);
    EXPECT_EQ(CountOf(records, FrameUrl(Hoardscope({"--cache", source, "cache", "list"}).Out)), 1u);
    for (const auto& copy : fs::directory_iterator(FHome.Path() / "export")) {
      EXPECT_FALSE(copy.path().filename().string().starts_with("hstemp")) << copy.path();  // no file twice
    }

    const TRun list = Hoardscope({"--cache", source, "cache", "list"});
    ASSERT_EQ(list.ExitCode, 0) << list.Err;
    for (const std::string& line : Lines(list.Out)) {
      EXPECT_TRUE(line.starts_with("http://127.0.0.1:") || line.starts_with("http://localhost:")) << line;
    }
    EXPECT_EQ(FrameKeys(list.Out).size(), 2u) << list.Out;
    EXPECT_EQ(Hoardscope({"--cache", source, "cache", "clear"}).ExitCode, 1);
  }

  TTempHome FHome;
};

TEST_F(BrowserCachesTest, CachesListsBothWithTheirEntries) {
  if (TestsOtherEdition()) GTEST_SKIP() << "the Windows edition looks in %LOCALAPPDATA%: see the next test";
  const TRun run = Hoardscope({"caches"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u) << run.Out;
  EXPECT_TRUE(lines[0].starts_with("platform\tplatform\t")) << lines[0];
  EXPECT_EQ(lines[1], "chromium/Default\tchromium\t" + ChromiumFolder().string() + "\t10");
  EXPECT_EQ(lines[2], "firefox/p1.default-esr\tfirefox\t" + FirefoxFolder().string() + "\t10");
}

// Wine sets %LOCALAPPDATA% to the prefix's own folder whatever the environment says, so the caches go there for
// the time of the test.
TEST_F(BrowserCachesTest, TheWindowsEditionFindsTheCachesInLocalAppData) {
  const char* prefix = std::getenv("HOARDSCOPE_WINEPREFIX");
  if (!TestsOtherEdition() || !prefix) GTEST_SKIP() << "for the Windows edition under Wine";
  std::string user;  // Wine names the user's folder after the account that runs it
  for (const auto& folder : fs::directory_iterator(fs::path(prefix) / "drive_c/users")) {
    if (folder.path().filename() != "Public") user = folder.path().filename().string();
  }
  const fs::path local = fs::path(prefix) / "drive_c/users" / user / "AppData/Local";
  ASSERT_TRUE(!user.empty() && fs::is_directory(local)) << local;
  const std::string windowsLocal = std::string("C:\\users\\") + user + "\\AppData\\Local\\";
  struct TPlaced {
    ~TPlaced() {
      for (const fs::path& folder : Folders) fs::remove_all(folder);
    }
    std::vector<fs::path> Folders;
  } placed{{local / "Chromium", local / "Mozilla"}};
  for (const fs::path& folder : placed.Folders) fs::remove_all(folder);  // left by a run that was cut short
  fs::create_directories(local / "Chromium/User Data/Default/Cache");
  fs::copy(kFixtures / "chromium", local / "Chromium/User Data/Default/Cache/Cache_Data", fs::copy_options::recursive);
  fs::create_directories(local / "Mozilla/Firefox/Profiles/p1.default-esr");
  fs::copy(kFixtures / "firefox", local / "Mozilla/Firefox/Profiles/p1.default-esr/cache2",
           fs::copy_options::recursive);

  const TRun run = Hoardscope({"caches"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 3u) << run.Out;
  EXPECT_EQ(lines[1], "chromium/Default\tchromium\t" + windowsLocal + "Chromium\\User Data\\Default\\Cache\\Cache_Data\t10");
  EXPECT_EQ(lines[2], "firefox/p1.default-esr\tfirefox\t" + windowsLocal +
                          "Mozilla\\Firefox\\Profiles\\p1.default-esr\\cache2\t10");
  const TRun tree = Hoardscope({"--cache", "chromium/Default", "tree", "--all"});
  EXPECT_NE(tree.Out.find("    Harbour Lights Home\n"), std::string::npos) << tree.Out << tree.Err;
}

TEST_F(BrowserCachesTest, EachCacheIsTreeSearchExportAndListWithoutChangingIt) {
  const fs::path blockfile = FHome.Path() / "blockfile";  // the backend Chromium uses on Windows
  fs::copy(kFixtures / "chromium-blockfile", blockfile, fs::copy_options::recursive);
  for (const std::string& source : {"chromium:" + ChromiumFolder().string(), "firefox:" + FirefoxFolder().string(),
                                   "chromium:" + blockfile.string()}) {
    CheckSource(source);
  }
  EXPECT_TRUE(SameTree(ChromiumFolder(), kFixtures / "chromium"));
  EXPECT_TRUE(SameTree(FirefoxFolder(), kFixtures / "firefox"));
  EXPECT_TRUE(SameTree(blockfile, kFixtures / "chromium-blockfile"));
  EXPECT_EQ(Hoardscope({"--cache", "opera/Default", "tree"}).ExitCode, 1);
}

// Deleting the frame removes both keys the browser keeps it under, and is refused while the browser runs: Firefox
// 153 holds its lock in ~/.config/mozilla/firefox, Chromium in its user data folder; a blockfile cache keeps its
// entries in shared files and cannot be deleted from.
TEST_F(BrowserCachesTest, DeletingAUrlRemovesEveryKeyOfItUnlessTheBrowserRuns) {
  SKIP_ON_THE_WINDOWS_EDITION("the browsers' locks are Linux links here");
  const std::string running = std::to_string(::getpid());  // this test's own process stands for the browser
  const fs::path firefoxLock = User() / ".config/mozilla/firefox/p1.default-esr/lock";
  const fs::path chromiumLock = User() / ".config/chromium/SingletonLock";
  for (const auto& [source, lock, holder, browser] :
       {std::tuple{std::string("firefox/p1.default-esr"), firefoxLock, "127.0.0.1:+" + running, "Firefox"},
        std::tuple{std::string("chromium/Default"), chromiumLock, "host-" + running, "Chromium"}}) {
    SCOPED_TRACE(source);
    const std::string url = FrameUrl(Hoardscope({"--cache", source, "cache", "list"}).Out);
    ASSERT_FALSE(url.empty());
    fs::create_directories(lock.parent_path());
    fs::create_symlink(holder, lock);
    const TRun refused = Hoardscope({"--cache", source, "delete", url});
    EXPECT_EQ(refused.ExitCode, 1);
    EXPECT_NE(refused.Out.find(std::string("message: Close ") + browser + " first."), std::string::npos)
        << refused.Out;
    EXPECT_EQ(FrameKeys(Hoardscope({"--cache", source, "cache", "list"}).Out).size(), 2u);
    fs::remove(lock);
    const TRun deleted = Hoardscope({"--cache", source, "delete", url});
    EXPECT_EQ(deleted.ExitCode, 0) << deleted.Out << deleted.Err;
    EXPECT_TRUE(FrameKeys(Hoardscope({"--cache", source, "cache", "list"}).Out).empty());
  }
  const fs::path blockfile = FHome.Path() / "blockfile";
  fs::copy(kFixtures / "chromium-blockfile", blockfile, fs::copy_options::recursive);
  const std::string source = "chromium:" + blockfile.string();
  const TRun shared = Hoardscope({"--cache", source, "delete", FrameUrl(Hoardscope({"--cache", source, "cache", "list"}).Out)});
  EXPECT_EQ(shared.ExitCode, 1);
  EXPECT_NE(shared.Out.find("cannot be deleted"), std::string::npos) << shared.Out;
}

// A cache read in part or not at all says why and how much, in the view's first panel and on standard error, and
// tree and cache list exit with 1 when nothing of it could be read.
TEST_F(BrowserCachesTest, ACacheReadInPartOrNotAtAllSaysWhyAndATreeOfNothingFails) {
  const fs::path blockfile = FHome.Path() / "blockfile";
  fs::copy(kFixtures / "chromium-blockfile", blockfile, fs::copy_options::recursive);
  std::string index = ReadFile(blockfile / "index");
  index[0] ^= 0x20;
  WriteFile(blockfile / "index", index);
  const fs::path damaged = FHome.Path() / "damaged";
  fs::copy(kFixtures / "chromium", damaged, fs::copy_options::recursive);
  std::vector<fs::path> entries;
  for (const auto& file : fs::directory_iterator(damaged)) {
    if (file.path().string().ends_with("_0")) entries.push_back(file.path());
  }
  std::sort(entries.begin(), entries.end());
  ASSERT_EQ(entries.size(), 10u);
  for (std::size_t i = 0; i < 2; ++i) WriteFile(entries[i], "short");

  // The paths are the edition's own: only their names are looked for.
  const TRun partly = Hoardscope({"--cache", "chromium:" + damaged.string(), "tree"});
  EXPECT_EQ(partly.ExitCode, 0) << partly.Err;
  EXPECT_NE(partly.Out.find("damaged (skipped 2 damaged entries)\npanel1: "), std::string::npos) << partly.Out;
  EXPECT_NE(partly.Err.find("hoardscope: skipped 2 damaged entries of the cache in "), std::string::npos) << partly.Err;
  EXPECT_NE(partly.Err.find(entries[0].filename().string()), std::string::npos) << partly.Err;

  for (const fs::path& entry : entries) WriteFile(entry, "short");
  struct TUnread {
    fs::path Folder;
    std::string Why;
  };
  for (const TUnread& unread : {TUnread{damaged, "none of its 10 entries could be read: each is damaged"},
                                TUnread{blockfile, "index is not the index of a Chromium blockfile cache"}}) {
    const TRun tree = Hoardscope({"--cache", "chromium:" + unread.Folder.string(), "tree"});
    EXPECT_EQ(tree.ExitCode, 1) << tree.Out;
    EXPECT_NE(tree.Out.find(unread.Why + ")\npanel1: "), std::string::npos) << tree.Out;
    EXPECT_NE(tree.Err.find("cannot be read: "), std::string::npos) << tree.Err;
    EXPECT_NE(tree.Err.find(unread.Why + "\n"), std::string::npos) << tree.Err;
    const TRun list = Hoardscope({"--cache", "chromium:" + unread.Folder.string(), "cache", "list"});
    EXPECT_EQ(list.ExitCode, 1);
    EXPECT_NE(list.Err.find(unread.Why), std::string::npos) << list.Err;
  }
}

// A delete that would reach a folder among an entry's files deletes nothing, and a cache that no profile was found
// to own (a copy, one kept with --disk-cache-dir) is deleted from only with --force: both say so and exit with 1.
TEST_F(BrowserCachesTest, ADeleteThatWouldLeaveFilesOrFindsNoOwnerIsRefusedUnlessForced) {
  fs::path file;  // the entry file of the site's index page
  for (const auto& entry : fs::directory_iterator(ChromiumFolder())) {
    if (entry.path().string().ends_with("_0") && KeyOfEntryFile(entry.path()).ends_with("/index.html")) {
      file = entry.path();
    }
  }
  ASSERT_FALSE(file.empty());
  const std::string owned = "chromium:" + ChromiumFolder().string();
  const std::vector<std::string> urls = FrameKeys(Hoardscope({"--cache", owned, "cache", "list"}).Out);
  ASSERT_FALSE(urls.empty());
  const std::string url = urls.front().substr(0, urls.front().rfind('/')) + "/index.html";
  fs::create_directory(file.string().substr(0, file.string().size() - 2) + "_s");
  const TRun refused = Hoardscope({"--cache", owned, "delete", url});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_NE(refused.Out.find("message: Nothing of " + url + " was deleted: "), std::string::npos) << refused.Out;
  EXPECT_TRUE(fs::exists(file));

  const fs::path copy = FHome.Path() / "copy";
  fs::copy(kFixtures / "chromium", copy, fs::copy_options::recursive);
  const std::string source = "chromium:" + copy.string();
  const TRun ownerless = Hoardscope({"--cache", source, "delete", url});
  EXPECT_EQ(ownerless.ExitCode, 1);
  EXPECT_NE(ownerless.Out.find("so Hoardscope cannot tell whether Chromium uses it: nothing was deleted"),
            std::string::npos) << ownerless.Out;
  const TRun listed = Hoardscope({"--cache", source, "cache", "delete", url});
  EXPECT_EQ(listed.ExitCode, 1);
  EXPECT_NE(listed.Err.find("--force"), std::string::npos) << listed.Err;
  const TRun forced = Hoardscope({"--cache", source, "delete", url, "--force"});
  EXPECT_EQ(forced.ExitCode, 0) << forced.Out << forced.Err;
  EXPECT_EQ(Hoardscope({"--cache", source, "cache", "list"}).Out.find(url), std::string::npos);
}

// The browsers themselves, run once against the loopback site with this home as theirs.
TEST_F(BrowserCachesTest, CachesTheBrowsersWroteJustNowAreFoundAndShown) {
  if (TestsOtherEdition()) GTEST_SKIP() << "the browsers run on Linux only";
  fs::remove_all(User());
  const TRun browsers = RunShell(Quoted((fs::path(HOARDSCOPE_SOURCE_DIR) / "tests/browser-caches/make-fixtures.sh").string()) +
                                     " " + Quoted((FHome.Path() / "written").string()) + " " + Quoted(User().string()),
                                 FHome.Path());
  if (browsers.ExitCode == 2) GTEST_SKIP() << browsers.Err;
  ASSERT_EQ(browsers.ExitCode, 0) << browsers.Err;
  const fs::path before = FHome.Path() / "before";
  fs::copy(User() / ".cache", before, fs::copy_options::recursive);

  const TRun caches = Hoardscope({"caches"});
  for (const char* name : {"\nchromium/Default\tchromium\t", "\nfirefox/fixtures.default\tfirefox\t"}) {
    EXPECT_NE(caches.Out.find(name), std::string::npos) << caches.Out;
  }
  for (const std::string source : {"chromium/Default", "firefox/fixtures.default"}) CheckSource(source);
  EXPECT_TRUE(SameTree(User() / ".cache", before));
}

}  // namespace
}  // namespace hoardscope::acceptance
