// The WinInet cache layer against Wine's WinInet: entries created and committed, walked (Wine has no extended
// walk, so the plain walk over the content container serves), looked up, given a last-sync time, deleted.
#include <algorithm>
#include <vector>

#include "platform/win32/WinInetCache.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

constexpr std::uint32_t kCookie = 0x00100001;
constexpr std::uint32_t kHistory = 0x00200001;

class WinInetCacheTest : public ::testing::Test {
 protected:
  WinInetCacheTest() { Cache.Clear(); }
  ~WinInetCacheTest() override { Cache.Clear(); }

  // Reserves, fills and commits an entry; its local file.
  std::string Add(const std::string& url, const std::string& content = "content", const std::string& headers = "",
                  std::uint32_t type = kNormalCacheEntry) {
    const CreatedCacheFile created = Cache.CreateEntry(url, content.size(), "");
    EXPECT_TRUE(created.Ok) << url;
    WriteFile(created.LocalFileName, content);
    EXPECT_EQ(0u, Cache.CommitEntry(url, created.LocalFileName, 0, 0, type, headers)) << url;
    return created.LocalFileName;
  }

  using TStart = std::unique_ptr<IUrlCacheWalk> (TWinInetCache::*)(CacheEntryRecord&);

  // The URLs a walk yields, sorted (the cache's hash order is no order).
  std::vector<std::string> Walked(TStart start) {
    std::vector<std::string> urls;
    CacheEntryRecord record;
    auto walk = (Cache.*start)(record);
    if (walk) {
      do {
        urls.push_back(record.SourceUrl);
      } while (walk->FindNext(record));
      EXPECT_FALSE(walk->FindNext(record)) << "a finished walk stays finished";
    }
    std::sort(urls.begin(), urls.end());
    return urls;
  }

  TWinInetCache Cache;
};

TEST_F(WinInetCacheTest, CommittedEntriesAreFoundByTheirExactUrl) {
  const std::string file = Add("http://cache.test/dir/picture.gif", "GIF89a", "HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_EQ(0u, fs::path(file).filename().string().find("picture")) << file;  // named after the URL's file
  const auto record = Cache.GetEntryInfo("http://cache.test/dir/picture.gif");
  ASSERT_TRUE(record);
  EXPECT_EQ(file, record->LocalFileName);
  EXPECT_EQ("http://cache.test/dir/picture.gif", record->SourceUrl);
  EXPECT_EQ(6u, record->SizeLow);
  EXPECT_EQ("HTTP/1.1 200 OK\r\n\r\n", record->HeaderInfo.value_or(""));
  EXPECT_FALSE(Cache.GetEntryInfo("http://cache.test/dir/picture.GIF2"));

  EXPECT_TRUE(Cache.DeleteEntry("http://cache.test/dir/picture.gif"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://cache.test/dir/picture.gif"));
  EXPECT_FALSE(Cache.DeleteEntry("http://cache.test/dir/picture.gif"));
}

TEST_F(WinInetCacheTest, ADiscardedReservationLeavesNoFileAndCannotBeCommitted) {
  const CreatedCacheFile created = Cache.CreateEntry("http://cache.test/discarded.gif", 3, "gif");
  ASSERT_TRUE(created.Ok);
  WriteFile(created.LocalFileName, "GIF");
  EXPECT_TRUE(Cache.DiscardReservedFile(created.LocalFileName));
  EXPECT_FALSE(fs::exists(created.LocalFileName));
  const std::string url = "http://cache.test/discarded.gif";
  EXPECT_NE(0u, Cache.CommitEntry(url, created.LocalFileName, 0, 0, kNormalCacheEntry, ""));
  EXPECT_FALSE(Cache.GetEntryInfo(url));
}

TEST_F(WinInetCacheTest, EmptyCacheGivesNoWalk) {
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, Cache.FindFirst(record));
  EXPECT_EQ(nullptr, Cache.FindFirstOfAnyType(record));
}

TEST_F(WinInetCacheTest, WalkYieldsNormalPageEntriesOnly) {
  Add("http://walk.test/a.htm");
  Add("HTTPS://walk.test/b.htm");
  Add("ftp://walk.test/c.txt");
  Add("http://walk.test/normal-and-more.htm", "content", "", 0x00000005);
  Add("Cookie:user@walk.test/", "cookie", "", kCookie);
  Add("Visited: user@http://walk.test/a.htm", "", "", kHistory);
  EXPECT_EQ((std::vector<std::string>{"HTTPS://walk.test/b.htm", "http://walk.test/a.htm",
                                      "http://walk.test/normal-and-more.htm"}),
            Walked(&TWinInetCache::FindFirst));
  const std::vector<std::string> all = Walked(&TWinInetCache::FindFirstOfAnyType);
  for (const char* url : {"ftp://walk.test/c.txt", "Cookie:user@walk.test/", "Visited: user@http://walk.test/a.htm"}) {
    EXPECT_NE(all.end(), std::find(all.begin(), all.end(), url)) << url;
  }
}

TEST_F(WinInetCacheTest, WalkStartsBehindSkippedEntries) {
  Add("Cookie:user@walk.test/", "cookie", "", kCookie);
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, Cache.FindFirst(record)) << "a cache of cookies has nothing to list";
  Add("http://walk.test/only.htm");
  EXPECT_EQ(std::vector<std::string>{"http://walk.test/only.htm"}, Walked(&TWinInetCache::FindFirst));
}

TEST_F(WinInetCacheTest, WalkedRecordsCarryTheStoredFields) {
  const std::string headers = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
  const std::string local = Add("http://walk.test/a.htm", "12345", headers);
  CacheEntryRecord walked;
  auto walk = Cache.FindFirst(walked);
  ASSERT_NE(nullptr, walk);
  EXPECT_EQ("http://walk.test/a.htm", walked.SourceUrl);
  EXPECT_EQ(local, walked.LocalFileName);
  EXPECT_EQ(5u, walked.SizeLow);
  EXPECT_EQ(0u, walked.SizeHigh);
  EXPECT_EQ(std::optional<std::string>(headers), walked.HeaderInfo);
  EXPECT_NE(0u, walked.LastSyncTime) << "a commit sets the last-sync time";
}

TEST_F(WinInetCacheTest, LastSyncTimeCanBeSetAfterTheCommit) {
  Add("http://walk.test/a.htm");
  const FileTime synced = 134090568000000000ull;  // 2025-12-01T10:00:00Z, whole seconds as the cache keeps them
  ASSERT_TRUE(Cache.SetLastSyncTime("http://walk.test/a.htm", synced));
  EXPECT_EQ(synced, Cache.GetEntryInfo("http://walk.test/a.htm").value().LastSyncTime);
  EXPECT_FALSE(Cache.SetLastSyncTime("http://walk.test/missing.htm", synced));
}

TEST_F(WinInetCacheTest, ClearDeletesEveryEntryAndItsFile) {
  const std::string page = Add("http://walk.test/a.htm");
  Add("Cookie:user@walk.test/", "cookie", "", kCookie);
  EXPECT_EQ(0u, Cache.Clear());
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, Cache.FindFirstOfAnyType(record));
  EXPECT_FALSE(fs::exists(page));
}

TEST_F(WinInetCacheTest, SplitGivesHostPathWithoutQueryAndPort) {
  const auto parts = Cache.SplitURL("http://user@cache.test:8080/a/b.gif?x=1#top");
  ASSERT_TRUE(parts);
  EXPECT_EQ("cache.test", parts->Host);
  EXPECT_EQ("/a/b.gif", parts->Path);
  EXPECT_EQ(8080, parts->Port);
  EXPECT_EQ(80, Cache.SplitURL("http://cache.test")->Port);
  EXPECT_FALSE(Cache.SplitURL("no url"));
}

}  // namespace
}  // namespace hoardscope::win32
