// The WinInet cache as the download object and the test seeding use it, against Wine's WinInet.
#include "platform/win32/WinInetCache.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

class WinInetCacheTest : public ::testing::Test {
 protected:
  // Reserves, fills and commits an entry; its local file.
  std::string Add(const std::string& url, const std::string& content, const std::string& headers = "") {
    const CreatedCacheFile created = Cache.CreateEntry(url, content.size(), "");
    EXPECT_TRUE(created.Ok) << url;
    WriteFile(created.LocalFileName, content);
    EXPECT_EQ(0u, Cache.CommitEntry(url, created.LocalFileName, 0, 0, kNormalCacheEntry, headers)) << url;
    return created.LocalFileName;
  }
  ~WinInetCacheTest() override {
    Cache.DeleteEntry("http://cache.test/dir/picture.gif");
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
