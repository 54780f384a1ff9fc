// The WinInet cache layer against Wine's WinInet: the URL cache contracts a platform cache owes the view, then what
// the command line's cache administration adds (the walk over every entry type, last-sync times, emptying). Wine
// has no extended walk, so the plain walk over the content container serves.
#include <algorithm>
#include <vector>

#include "platform/win32/WinInetCache.h"
#include "tests/contract/UrlCacheContract.h"
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

TEST_F(WinInetCacheTest, TheWalkOfAnyTypeYieldsWhatThePageWalkLeavesOut) {
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, Cache.FindFirstOfAnyType(record));
  Add("http://walk.test/a.htm");
  Add("HTTPS://walk.test/b.htm");
  Add("ftp://walk.test/c.txt");
  Add("Cookie:user@walk.test/", "cookie", "", kCookie);
  Add("Visited: user@http://walk.test/a.htm", "", "", kHistory);
  EXPECT_EQ((std::vector<std::string>{"HTTPS://walk.test/b.htm", "http://walk.test/a.htm"}),
            Walked(&TWinInetCache::FindFirst));
  const std::vector<std::string> all = Walked(&TWinInetCache::FindFirstOfAnyType);
  for (const char* url : {"ftp://walk.test/c.txt", "Cookie:user@walk.test/", "Visited: user@http://walk.test/a.htm"}) {
    EXPECT_NE(all.end(), std::find(all.begin(), all.end(), url)) << url;
  }
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

// The view's side of the cache, as every backend owes it; each test starts on an emptied cache.
// Its walk follows WinInet's hash table and its reserved names carry a number, so it has no part in the exact
// writer's contract.
struct TWinInetBackend {
  static constexpr bool kKeepsExactTypesAndTimes = false;
  TWinInetBackend() { WinInet.Clear(); }
  ~TWinInetBackend() { WinInet.Clear(); }
  IUrlCache& Cache() { return WinInet; }
  void WriteReserved(const std::string& localFile, const std::string& content) { WriteFile(localFile, content); }
  TWinInetCache WinInet;
};

}  // namespace
}  // namespace hoardscope::win32

namespace hoardscope {
using TWinInet = ::testing::Types<win32::TWinInetBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(WinInet, UrlCacheReaderContract, TWinInet);
INSTANTIATE_TYPED_TEST_SUITE_P(WinInet, UrlCacheDeleterContract, TWinInet);
INSTANTIATE_TYPED_TEST_SUITE_P(WinInet, UrlCacheWriterContract, TWinInet);
INSTANTIATE_TYPED_TEST_SUITE_P(WinInet, UrlCacheFileWriterContract, TWinInet);
}  // namespace hoardscope
