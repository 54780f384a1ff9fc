// A browser's cache behind the view's cache port, over a reader and a decoder the test supplies.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/Tools.h"
#include "core/EntryList.h"
#include "platform/caches/BrowserCache.h"
#include "search/SearchPipeline.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

class BrowserCacheTest : public ::testing::Test {
 protected:
  // An entry whose body lies alone in its own file, as the simple backend keeps it.
  TBrowserCacheEntry Entry(const std::string& key, const std::string& url, const std::string& type,
                           const std::string& body) {
    TBrowserCacheEntry entry;
    entry.Key = key;
    entry.Url = url;
    entry.ResponseHeaders = "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\n\r\n";
    entry.SyncTime = 133000000000000000ULL;
    WriteFile(Browser.Path / HashName(key), body);
    entry.Body = {(Browser.Path / HashName(key)).string(), 0, body.size()};
    entry.Files = {entry.Body.File};
    return entry;
  }

  TBrowserCache Cache() {
    TBrowserCacheSetup setup{Browser.Path.string(), (Ours.Path / "copies").string(), "Chromium",
                           [this] { return Runs; },
                           [this](const std::string&, const TBrowserCacheSink& sink) {
                             for (TBrowserCacheEntry entry : Entries) sink(std::move(entry));
                             TCacheReadReport report;
                             report.Skipped = 2;
                             return report;
                           },
                           [this](const TBrowserCacheEntry& entry, const TBodySink& sink) {
                             ++Decodes;
                             if (entry.Url.find("brotli") != std::string::npos) {
                               sink("half of it");
                               return std::string("br bodies cannot be decoded in this edition");
                             }
                             sink("decoded:");
                             sink(ReadAll(entry.Body.File));
                             return std::string();
                           },
                           OwnerKnown};
    return TBrowserCache(std::move(setup));
  }

  std::vector<CacheEntryRecord> Walk(TBrowserCache& cache) {
    std::vector<CacheEntryRecord> records(1);
    auto walk = cache.FindFirst(records[0]);
    if (!walk) return {};
    CacheEntryRecord next;
    while (walk->FindNext(next)) records.push_back(next);
    return records;
  }

  TTempFolder Browser{"browser"};
  TTempFolder Ours{"ours"};
  std::vector<TBrowserCacheEntry> Entries;
  bool Runs = false;
  bool OwnerKnown = true;
  int Decodes = 0;
};

TEST_F(BrowserCacheTest, ListsEntriesWithCopiesWrittenOnceWhenFirstRead) {
  Entries = {Entry("1/0/_dk_https://a.test https://a.test/docs/guide", "https://a.test/docs/guide",
                   "text/html; charset=utf-8", "<title>Guide</title>"),
             Entry("1/0/http://a.test/logo.jpeg", "http://a.test/logo.jpeg", "image/jpeg", "JPEG")};
  TBrowserCache cache = Cache();
  const std::vector<CacheEntryRecord> records = Walk(cache);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].SourceUrl, "https://a.test/docs/guide");
  EXPECT_EQ(records[0].SizeLow, 20u);
  EXPECT_EQ(records[0].LastSyncTime, 133000000000000000ULL);
  EXPECT_EQ(records[0].HeaderInfo, Entries[0].ResponseHeaders);
  EXPECT_EQ(fs::path(records[0].LocalFileName).filename(), "guide.html");  // the view goes by the extension
  EXPECT_EQ(fs::path(records[1].LocalFileName).filename(), "logo.jpeg");
  EXPECT_NE(fs::path(records[0].LocalFileName).parent_path(), fs::path(records[1].LocalFileName).parent_path());
  EXPECT_EQ(cache.SkippedEntries(), 2u);
  EXPECT_FALSE(fs::exists(records[0].LocalFileName));  // nothing is decoded by the walk

  EXPECT_EQ(cache.PrepareLocalFile(records[0].LocalFileName), "");
  EXPECT_EQ(cache.PrepareLocalFile(records[0].LocalFileName), "");
  EXPECT_EQ(ReadAll(records[0].LocalFileName), "decoded:<title>Guide</title>");
  EXPECT_EQ(Decodes, 1);

  // The browser stored the entry again, a body of the same size whose file is older than the copy: the copy
  // goes by the entry, not by the files' times, and is renewed.
  WriteFile(Entries[0].Body.File, "<title>Guidf</title>");
  fs::last_write_time(Entries[0].Body.File, fs::last_write_time(records[0].LocalFileName) - std::chrono::hours(1));
  Entries[0].SyncTime += 1;
  Walk(cache);
  EXPECT_EQ(cache.PrepareLocalFile(records[0].LocalFileName), "");
  EXPECT_EQ(Decodes, 2);
  EXPECT_EQ(ReadAll(records[0].LocalFileName), "decoded:<title>Guidf</title>");
  EXPECT_NE(cache.PrepareLocalFile((Ours.Path / "elsewhere").string()), "");
}

TEST_F(BrowserCacheTest, AUrlKeptForTwoSitesIsWalkedOnceAsItsNewestCopy) {
  Entries = {Entry("1/0/_dk_http://a.test http://a.test http://c.test/frame", "http://c.test/frame", "text/html", "old"),
             Entry("1/0/_dk_http://b.test http://b.test http://c.test/frame", "http://c.test/frame", "text/html", "new"),
             Entry("1/0/_dk_http://d.test http://d.test http://c.test/frame", "http://c.test/frame", "text/html", "tie"),
             Entry("1/0/http://c.test/other", "http://c.test/other", "text/html", "x")};
  Entries[1].SyncTime += 10;
  Entries[2].SyncTime += 10;
  TBrowserCache cache = Cache();
  const std::vector<CacheEntryRecord> records = Walk(cache);
  ASSERT_EQ(records.size(), 2u);
  EXPECT_EQ(records[0].SourceUrl, "http://c.test/frame");
  EXPECT_EQ(records[0].LastSyncTime, Entries[1].SyncTime);
  ASSERT_EQ(cache.PrepareLocalFile(records[0].LocalFileName), "");
  EXPECT_EQ(ReadAll(records[0].LocalFileName), "decoded:new");
  EXPECT_EQ(cache.GetEntryInfo("http://c.test/frame")->LocalFileName, records[0].LocalFileName);

  CacheEntryRecord first;
  auto everyKey = cache.FindFirstOfEveryKey(first);
  std::size_t keys = 1;
  for (CacheEntryRecord next; everyKey->FindNext(next);) ++keys;
  EXPECT_EQ(keys, 4u);
}

TEST_F(BrowserCacheTest, CopyNamesFromHostileUrlsStayInsideTheCopiesFolder) {
  for (const std::string url : {"http://a.test/x/..", "http://a.test/..%2f..%2fetc%2fpasswd", "http://a.test/a\\..\\..\\b",
                                "http://a.test/.bashrc", "http://a.test/", "http://a.test/CON.txt", "http://a.test/nul"}) {
    Entries.push_back(Entry("key " + url, url, "text/plain", "x"));
  }
  TBrowserCache cache = Cache();
  const fs::path copies = (Ours.Path / "copies").lexically_normal();
  for (const CacheEntryRecord& record : Walk(cache)) {
    ASSERT_EQ(cache.PrepareLocalFile(record.LocalFileName), "") << record.SourceUrl;
    const fs::path copy = fs::weakly_canonical(record.LocalFileName);
    EXPECT_EQ(copy.parent_path().parent_path(), fs::weakly_canonical(copies)) << record.SourceUrl;
    const std::string name = copy.filename().string();
    EXPECT_NE(name.front(), '.') << record.SourceUrl;
    EXPECT_NE(LowerAscii(name.substr(0, 3)), "con") << record.SourceUrl;
    EXPECT_NE(LowerAscii(name.substr(0, 3)), "nul") << record.SourceUrl;
  }
}

TEST_F(BrowserCacheTest, DeletesTheFilesOfEveryEntryOfTheUrlOnlyWhileTheBrowserIsClosed) {
  Entries = {Entry("1/0/_dk_http://a.test http://a.test/s.css", "http://a.test/s.css", "text/css", "a"),
             Entry("1/0/_dk_http://b.test http://a.test/s.css", "http://a.test/s.css", "text/css", "b"),
             Entry("1/0/http://a.test/shared", "http://a.test/shared", "text/css", "c")};
  Entries[2].Files.clear();  // kept in a block file with other entries
  TBrowserCache cache = Cache();
  Walk(cache);
  Runs = true;
  EXPECT_EQ(cache.DeleteRefusal("http://a.test/s.css"), "Close Chromium first.");
  EXPECT_FALSE(cache.DeleteEntry("http://a.test/s.css"));
  EXPECT_TRUE(fs::exists(Entries[0].Body.File));
  Runs = false;
  EXPECT_NE(cache.DeleteRefusal("http://a.test/shared"), "");
  EXPECT_FALSE(cache.DeleteEntry("http://a.test/shared"));
  EXPECT_TRUE(fs::exists(Entries[2].Body.File));
  EXPECT_TRUE(cache.DeleteEntry("http://a.test/s.css"));
  EXPECT_FALSE(fs::exists(Entries[0].Body.File));
  EXPECT_FALSE(fs::exists(Entries[1].Body.File));
  EXPECT_FALSE(cache.GetEntryInfo("http://a.test/s.css"));
  EXPECT_EQ(nullptr, cache.Writer());  // nothing is ever added
}

#ifndef _WIN32
// Deleting never removes a folder or what a link names, also where a link stands for the folder an entry's files
// lie in: such a delete is refused before anything is removed, or fails and says what it left. A folder that no
// profile was found to own is only deleted from when told to.
TEST_F(BrowserCacheTest, DeletesNoFolderNothingThroughALinkAndFromAFolderWithoutOwnerOnlyWhenTold) {
  const TTempFolder decoy("decoy");
  WriteFile(decoy.Path / "kept", "the decoy's");
  Entries = {Entry("1/0/http://a.test/folder", "http://a.test/folder", "text/css", "a"),
             Entry("1/0/http://a.test/link", "http://a.test/link", "text/css", "b"),
             Entry("1/0/http://a.test/through", "http://a.test/through", "text/css", "c"),
             Entry("1/0/http://a.test/owned", "http://a.test/owned", "text/css", "d")};
  fs::create_directory(Browser.Path / "sparse-folder");
  Entries[0].Files.push_back((Browser.Path / "sparse-folder").string());
  fs::create_symlink(decoy.Path / "kept", Browser.Path / "linked-sibling");
  Entries[1].Files.push_back((Browser.Path / "linked-sibling").string());
  fs::create_symlink(decoy.Path, Browser.Path / "linked-folder");
  Entries[2].Files = {(Browser.Path / "linked-folder/kept").string()};
  TBrowserCache cache = Cache();
  Walk(cache);
  for (const char* url : {"http://a.test/folder", "http://a.test/link"}) {
    EXPECT_FALSE(cache.DeleteEntry(url)) << url;
    EXPECT_NE(cache.LastDeleteFailure().find("Nothing of " + std::string(url) + " was deleted"), std::string::npos)
        << cache.LastDeleteFailure();
  }
  EXPECT_TRUE(fs::exists(Entries[0].Body.File));
  EXPECT_TRUE(fs::exists(Entries[1].Body.File));
  EXPECT_FALSE(cache.DeleteEntry("http://a.test/through"));
  EXPECT_NE(cache.LastDeleteFailure().find("could not be removed"), std::string::npos) << cache.LastDeleteFailure();
  EXPECT_EQ(ReadAll(decoy.Path / "kept"), "the decoy's");

  OwnerKnown = false;
  TBrowserCache ownerless = Cache();
  Walk(ownerless);
  EXPECT_FALSE(ownerless.DeleteEntry("http://a.test/owned"));
  EXPECT_NE(ownerless.LastDeleteFailure().find("--force"), std::string::npos) << ownerless.LastDeleteFailure();
  EXPECT_TRUE(fs::exists(Entries[3].Body.File));
  ownerless.DeleteWithoutOwner();
  EXPECT_TRUE(ownerless.DeleteEntry("http://a.test/owned"));
  EXPECT_FALSE(fs::exists(Entries[3].Body.File));
}
#endif

TEST_F(BrowserCacheTest, AFolderWhoseEveryEntryIsDamagedSaysSo) {
  TBrowserCache cache = Cache();
  EXPECT_TRUE(Walk(cache).empty());
  EXPECT_EQ(cache.ReadFailure(), "none of its 2 entries could be read: each is damaged");
  Entries = {Entry("1/0/http://a.test/x", "http://a.test/x", "text/css", "x")};
  EXPECT_EQ(Walk(cache).size(), 1u);
  EXPECT_EQ(cache.ReadFailure(), "");
}

TEST_F(BrowserCacheTest, BodyThatCannotBeDecodedIsReportedAndLeavesNoCopy) {
  Entries = {Entry("1/0/http://a.test/brotli.js", "http://a.test/brotli.js", "text/javascript", "...")};
  TBrowserCache cache = Cache();
  const std::vector<CacheEntryRecord> records = Walk(cache);
  EXPECT_EQ(cache.PrepareLocalFile(records[0].LocalFileName), "br bodies cannot be decoded in this edition");
  EXPECT_TRUE(fs::is_empty(fs::path(records[0].LocalFileName).parent_path()));
}

// A page's title is read from the start of its decoded body: nothing is written, and a body that cannot be
// decoded is said to be unreadable.
TEST_F(BrowserCacheTest, TheStartOfABodyIsDecodedWithoutACopy) {
  Entries = {Entry("1/0/http://a.test/big.html", "http://a.test/big.html", "text/html", std::string(1 << 20, 'x')),
             Entry("1/0/http://a.test/brotli.html", "http://a.test/brotli.html", "text/html", "...")};
  TBrowserCache cache = Cache();
  const std::vector<CacheEntryRecord> records = Walk(cache);
  const BodyStart start = cache.ReadBodyStart(records[0].LocalFileName, 12);
  EXPECT_EQ(start.State, BodyStartState::Read);
  EXPECT_EQ(start.Bytes, "decoded:xxxx");
  EXPECT_EQ(cache.ReadBodyStart(records[1].LocalFileName, 12).State, BodyStartState::Unreadable);
  EXPECT_EQ(cache.ReadBodyStart((Ours.Path / "elsewhere").string(), 12).State, BodyStartState::Unreadable);
  EXPECT_FALSE(fs::exists(Ours.Path / "copies"));
}

// The search reads each body as the cache decodes it: it finds a text that only the decoded body holds (here
// across the seam between two of the decoder's pieces), names a body that cannot be decoded, and writes no copy.
TEST_F(BrowserCacheTest, TheSearchMatchesDecodedBodiesWithoutACopy) {
  Entries = {Entry("1/0/http://a.test/a.html", "http://a.test/a.html", "text/html", "Needle here"),
             Entry("1/0/http://a.test/brotli.html", "http://a.test/brotli.html", "text/html", "decoded:needle"),
             Entry("1/0/http://a.test/b.html", "http://a.test/b.html", "text/html", "no")};
  TBrowserCache cache = Cache();
  TEntryList list;
  for (CacheEntryRecord& record : Walk(cache)) {
    TURLInfo info;
    FillURLInfo(std::move(record), info);
    list.Add(info.SourceUrl, std::move(info));
  }
  std::vector<std::string> found;
  std::vector<std::string> unreadable;
  TSearchPipeline(cache, nullptr).Run(
      list.Items(), {"decoded:needle", false, "", TDateChoice::dcAll},
      {[&](const TEntryItem& item) { found.push_back(item.Key); },
       [&](const TEntryItem& item, const std::string& why) { unreadable.push_back(item.Key + ": " + why); }});
  EXPECT_EQ(found, std::vector<std::string>{"http://a.test/a.html"});
  EXPECT_EQ(unreadable,
            std::vector<std::string>{"http://a.test/brotli.html: br bodies cannot be decoded in this edition"});
  EXPECT_FALSE(fs::exists(Ours.Path / "copies"));
}

}  // namespace
}  // namespace hoardscope
