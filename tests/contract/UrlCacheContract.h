// The behaviour every URL cache backend owes the view, as one typed GoogleTest suite. A test file runs it against
// a backend by naming a backend type:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Fake, UrlCacheContract, ::testing::Types<TFakeCacheBackend>);
//
// A backend type is default-constructible (each test gets a new one holding an empty cache) and offers
//   IUrlCache& Cache();
//   void WriteReserved(const std::string& localFile, const std::string& content);   // fills a reserved file
//   static constexpr bool kMeasuresFiles;   // true when a commit takes the entry's size from its local file
//   static constexpr bool kWalksInOrder;    // true when the walk follows the order of the commits (WinInet's
//                                           // follows its hash table)
//   static constexpr bool kNamesPlainly;    // true when a reserved file is named exactly after the URL (WinInet
//                                           // decorates the name with a number)
//   static constexpr bool kKeepsExactTypesAndTimes;  // false where the system's cache rounds times and adds type
//                                                    // bits (Wine's)
//   static constexpr bool kTakesEntries;    // false for a browser's cache, which is only read: such a backend
//                                           // offers Store(url, headers, content), which puts an entry into it
//                                           // as the browser would, and holds normal entries only
//
// Portable: the Windows build compiles and runs it too.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "core/Tools.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

template <typename TBackend>
class UrlCacheContract : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kInvalidParameter = 87;
  static constexpr std::uint32_t kCookie = 0x00100001;
  static constexpr std::uint32_t kHistory = 0x00200001;

  IUrlCache& Cache() { return Backend.Cache(); }

  // Reserves a file for url, fills it and commits it; returns the local file name (empty where the cache is only
  // read, whose entries the backend stores as the browser would).
  std::string Add(const std::string& url, std::uint32_t type = kNormalCacheEntry, const std::string& headers = "",
                  const std::string& content = "content") {
    if constexpr (!TBackend::kTakesEntries) {
      EXPECT_EQ(kNormalCacheEntry, type) << "a browser's cache holds normal entries only";
      Backend.Store(url, headers, content);
      return std::string();
    } else {
      const CreatedCacheFile created = Cache().CreateEntry(url, content.size(), "");
      EXPECT_TRUE(created.Ok) << url;
      Backend.WriteReserved(created.LocalFileName, content);
      EXPECT_EQ(0u, Cache().CommitEntry(url, created.LocalFileName, 0, 0, type, headers)) << url;
      return created.LocalFileName;
    }
  }

  // The URLs of a walk; sorted where the backend's walk has no order of its own.
  std::vector<std::string> WalkedUrls() {
    std::vector<std::string> urls;
    CacheEntryRecord record;
    auto walk = Cache().FindFirst(record);
    if (!walk) return urls;
    do {
      urls.push_back(record.SourceUrl);
    } while (walk->FindNext(record));
    EXPECT_FALSE(walk->FindNext(record)) << "a finished walk stays finished";
    if constexpr (!TBackend::kWalksInOrder) std::sort(urls.begin(), urls.end());
    return urls;
  }

  TBackend Backend;
};

TYPED_TEST_SUITE_P(UrlCacheContract);

// --- the walk ---

TYPED_TEST_P(UrlCacheContract, EmptyCacheGivesNoWalk) {
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, this->Cache().FindFirst(record));
}

TYPED_TEST_P(UrlCacheContract, WalkYieldsEntriesInInsertionOrder) {
  if constexpr (!TypeParam::kWalksInOrder) GTEST_SKIP() << "this backend walks in its own order";
  this->Add("http://b.example/2.gif");
  this->Add("http://a.example/1.gif");
  this->Add("http://c.example/3.gif");
  EXPECT_EQ((std::vector<std::string>{"http://b.example/2.gif", "http://a.example/1.gif", "http://c.example/3.gif"}),
            this->WalkedUrls());
}

TYPED_TEST_P(UrlCacheContract, WalkYieldsNormalEntriesOnly) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache holds normal entries only";
  this->Add("Cookie:user@h/", this->kCookie);
  this->Add("http://h/normal-and-more.htm", 0x00000005);
  this->Add("Visited: user@http://h/", this->kHistory);
  if constexpr (TypeParam::kKeepsExactTypesAndTimes) {
    this->Add("http://h/no-normal-bit.htm", 0x00000004);
  }
  this->Add("http://h/normal.htm");
  EXPECT_EQ((std::vector<std::string>{"http://h/normal-and-more.htm", "http://h/normal.htm"}), this->WalkedUrls());
}

TYPED_TEST_P(UrlCacheContract, CacheOfCookiesOnlyGivesNoWalk) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache holds normal entries only";
  this->Add("Cookie:user@h/", this->kCookie);
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, this->Cache().FindFirst(record));
  this->Add("http://h/only.htm");
  EXPECT_EQ(std::vector<std::string>{"http://h/only.htm"}, this->WalkedUrls());
}

TYPED_TEST_P(UrlCacheContract, WalkRecordsCarryTheStoredFields) {
  const std::string local = this->Add("http://h/a.htm", kNormalCacheEntry, "HTTP/1.1 200 OK\r\n\r\n");
  CacheEntryRecord walked;
  auto walk = this->Cache().FindFirst(walked);
  ASSERT_NE(nullptr, walk);
  EXPECT_EQ("http://h/a.htm", walked.SourceUrl);
  if constexpr (TypeParam::kTakesEntries) EXPECT_EQ(local, walked.LocalFileName);
  EXPECT_FALSE(walked.LocalFileName.empty());
  EXPECT_EQ(kNormalCacheEntry, walked.CacheEntryType);
  EXPECT_EQ(std::optional<std::string>("HTTP/1.1 200 OK\r\n\r\n"), walked.HeaderInfo);
  const auto info = this->Cache().GetEntryInfo("http://h/a.htm");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->LastSyncTime, walked.LastSyncTime);
  EXPECT_EQ(info->SizeLow, walked.SizeLow);
}

// --- entry info ---

TYPED_TEST_P(UrlCacheContract, InfoFindsTheExactUrlOnly) {
  this->Add("http://h/Page.htm?id=5");
  EXPECT_TRUE(this->Cache().GetEntryInfo("http://h/Page.htm?id=5"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/page.htm?id=5"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/Page.htm"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/Page.htm?id=5#top"));
  EXPECT_FALSE(this->Cache().GetEntryInfo(""));
}

TYPED_TEST_P(UrlCacheContract, InfoFindsEntriesTheWalkSkips) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache holds normal entries only";
  this->Add("Cookie:user@h/", this->kCookie);
  const auto info = this->Cache().GetEntryInfo("Cookie:user@h/");
  ASSERT_TRUE(info);
  EXPECT_EQ(this->kCookie, info->CacheEntryType);
}

TYPED_TEST_P(UrlCacheContract, CommitKeepsEveryField) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  const CreatedCacheFile created = this->Cache().CreateEntry("http://h/a.gif", 3, "");
  ASSERT_TRUE(created.Ok);
  this->Backend.WriteReserved(created.LocalFileName, "GIF");
  const std::string headers = "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nX-Bytes: \x01\xff\r\n\r\n";
  const FileTime expire = TypeParam::kKeepsExactTypesAndTimes ? 0x8000000000000001ull : 134090568000000000ull;
  const FileTime modified = 133537247990000000ull;
  ASSERT_EQ(0u, this->Cache().CommitEntry("http://h/a.gif", created.LocalFileName, expire, modified, 0x41, headers));
  const auto info = this->Cache().GetEntryInfo("http://h/a.gif");
  ASSERT_TRUE(info);
  EXPECT_EQ("http://h/a.gif", info->SourceUrl);
  EXPECT_EQ(created.LocalFileName, info->LocalFileName);
  EXPECT_EQ(expire, info->ExpireTime);
  EXPECT_EQ(modified, info->LastModifiedTime);
  EXPECT_EQ(0x41u, info->CacheEntryType);
  EXPECT_EQ(std::optional<std::string>(headers), info->HeaderInfo);
}

TYPED_TEST_P(UrlCacheContract, EmptyHeaderTextRecordsNoHeaderBlock) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  this->Add("http://h/a.gif", kNormalCacheEntry, "");
  const auto info = this->Cache().GetEntryInfo("http://h/a.gif");
  ASSERT_TRUE(info);
  EXPECT_EQ(std::nullopt, info->HeaderInfo);
}

TYPED_TEST_P(UrlCacheContract, CommitMeasuresTheLocalFile) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  if constexpr (!TypeParam::kMeasuresFiles) GTEST_SKIP() << "this backend keeps no file contents";
  this->Add("http://h/a.txt", kNormalCacheEntry, "", "12345");
  const auto info = this->Cache().GetEntryInfo("http://h/a.txt");
  ASSERT_TRUE(info);
  EXPECT_EQ(5u, info->SizeLow);
  EXPECT_EQ(0u, info->SizeHigh);
}

// --- replacing ---

TYPED_TEST_P(UrlCacheContract, CommitReplacesTheEntryOfTheSameUrl) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  this->Add("http://h/a.htm", kNormalCacheEntry, "old");
  const std::string second = this->Add("http://h/a.htm", kNormalCacheEntry, "new");
  EXPECT_EQ(std::vector<std::string>{"http://h/a.htm"}, this->WalkedUrls());
  const auto info = this->Cache().GetEntryInfo("http://h/a.htm");
  ASSERT_TRUE(info);
  EXPECT_EQ(std::optional<std::string>("new"), info->HeaderInfo);
  EXPECT_EQ(second, info->LocalFileName);
}

TYPED_TEST_P(UrlCacheContract, ReplacedEntryMovesToTheEndOfTheWalk) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  if constexpr (!TypeParam::kWalksInOrder) GTEST_SKIP() << "this backend walks in its own order";
  this->Add("http://h/a.htm");
  this->Add("http://h/b.htm");
  this->Add("http://h/a.htm");
  EXPECT_EQ((std::vector<std::string>{"http://h/b.htm", "http://h/a.htm"}), this->WalkedUrls());
}

TYPED_TEST_P(UrlCacheContract, UrlsThatDifferInCaseOrQueryAreSeparateEntries) {
  this->Add("http://h/a.htm");
  this->Add("http://h/A.htm");
  this->Add("http://h/a.htm?x=1");
  EXPECT_EQ(3u, this->WalkedUrls().size());
}

// --- deleting ---

TYPED_TEST_P(UrlCacheContract, DeleteRemovesTheEntry) {
  this->Add("http://h/a.htm");
  this->Add("http://h/b.htm");
  EXPECT_TRUE(this->Cache().DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/a.htm"));
  EXPECT_EQ(std::vector<std::string>{"http://h/b.htm"}, this->WalkedUrls());
}

TYPED_TEST_P(UrlCacheContract, DeleteOfAnUnknownUrlFails) {
  this->Add("http://h/a.htm");
  EXPECT_FALSE(this->Cache().DeleteEntry("http://h/A.htm"));
  EXPECT_TRUE(this->Cache().DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(this->Cache().DeleteEntry("http://h/a.htm"));
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, this->Cache().FindFirst(record));
}

// --- reserving local files ---

TYPED_TEST_P(UrlCacheContract, CreateNamesTheFileAfterTheLastPathSegment) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  if constexpr (!TypeParam::kNamesPlainly) GTEST_SKIP() << "this backend decorates the names it reserves";
  const CreatedCacheFile created = this->Cache().CreateEntry("http://h/dir/page.htm?x=1#top", 0, "");
  ASSERT_TRUE(created.Ok);
  EXPECT_EQ("page.htm", FileNameOf(created.LocalFileName, true));
}

TYPED_TEST_P(UrlCacheContract, CreateUsesTheExtensionOnlyWhenTheSegmentHasNone) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  if constexpr (!TypeParam::kNamesPlainly) GTEST_SKIP() << "this backend decorates the names it reserves";
  const CreatedCacheFile plain = this->Cache().CreateEntry("http://h/dir/page", 0, "htm");
  ASSERT_TRUE(plain.Ok);
  EXPECT_EQ("page.htm", FileNameOf(plain.LocalFileName, true));
  const CreatedCacheFile picture = this->Cache().CreateEntry("http://h/a.gif", 0, "htm");
  ASSERT_TRUE(picture.Ok);
  EXPECT_EQ("a.gif", FileNameOf(picture.LocalFileName, true));
}

TYPED_TEST_P(UrlCacheContract, ReservationsNeverShareAName) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  std::set<std::string> names;
  for (int i = 0; i < 5; ++i) {
    const CreatedCacheFile created = this->Cache().CreateEntry("http://h/page.htm", 0, "");
    ASSERT_TRUE(created.Ok);
    if constexpr (TypeParam::kNamesPlainly) {
      EXPECT_EQ("page.htm", FileNameOf(created.LocalFileName, true)) << created.LocalFileName;
    }
    names.insert(created.LocalFileName);
  }
  EXPECT_EQ(5u, names.size());
}

TYPED_TEST_P(UrlCacheContract, CommitRefusesAFileItDidNotReserve) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  EXPECT_EQ(this->kInvalidParameter,
            this->Cache().CommitEntry("http://h/a.htm", "not-reserved.htm", 0, 0, kNormalCacheEntry, ""));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/a.htm"));
}

TYPED_TEST_P(UrlCacheContract, ADiscardedReservationCannotBeCommitted) {
  if constexpr (!TypeParam::kTakesEntries) GTEST_SKIP() << "a browser's cache takes no entries";
  const CreatedCacheFile created = this->Cache().CreateEntry("http://h/a.gif", 3, "");
  ASSERT_TRUE(created.Ok);
  this->Backend.WriteReserved(created.LocalFileName, "GIF");
  EXPECT_TRUE(this->Cache().DiscardReservedFile(created.LocalFileName));
  if constexpr (TypeParam::kMeasuresFiles) {
    EXPECT_FALSE(std::filesystem::exists(created.LocalFileName));
  }
  EXPECT_NE(0u, this->Cache().CommitEntry("http://h/a.gif", created.LocalFileName, 0, 0, kNormalCacheEntry, ""));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/a.gif"));
  const std::string committed = this->Add("http://h/b.gif");
  EXPECT_FALSE(this->Cache().DiscardReservedFile(committed)) << "a committed file is no reservation";
  EXPECT_TRUE(this->Cache().GetEntryInfo("http://h/b.gif"));
}

// --- a cache that is only read ---

TYPED_TEST_P(UrlCacheContract, ACacheThatIsOnlyReadRefusesNewEntries) {
  if constexpr (TypeParam::kTakesEntries) GTEST_SKIP() << "this backend takes entries";
  this->Add("http://h/a.htm");
  const CreatedCacheFile created = this->Cache().CreateEntry("http://h/b.htm", 1, "");
  EXPECT_FALSE(created.Ok);
  EXPECT_NE(0u, this->Cache().CommitEntry("http://h/b.htm", "b.htm", 0, 0, kNormalCacheEntry, ""));
  EXPECT_EQ(std::vector<std::string>{"http://h/a.htm"}, this->WalkedUrls());
}

// --- splitting URLs ---

TYPED_TEST_P(UrlCacheContract, SplitGivesHostPathAndPortAsWritten) {
  const auto parts = this->Cache().SplitURL("http://user@Host.example:8080/a%20b/c.htm?x=1#top");
  ASSERT_TRUE(parts);
  EXPECT_EQ("Host.example", parts->Host);
  EXPECT_EQ("/a%20b/c.htm", parts->Path);
  EXPECT_EQ(8080, parts->Port);
  const auto plain = this->Cache().SplitURL("http://host/");
  ASSERT_TRUE(plain);
  EXPECT_EQ(80, plain->Port);
  EXPECT_FALSE(this->Cache().SplitURL("no scheme at all"));
}

REGISTER_TYPED_TEST_SUITE_P(UrlCacheContract, EmptyCacheGivesNoWalk, WalkYieldsEntriesInInsertionOrder,
                            WalkYieldsNormalEntriesOnly, CacheOfCookiesOnlyGivesNoWalk,
                            WalkRecordsCarryTheStoredFields, InfoFindsTheExactUrlOnly, InfoFindsEntriesTheWalkSkips,
                            CommitKeepsEveryField, EmptyHeaderTextRecordsNoHeaderBlock, CommitMeasuresTheLocalFile,
                            CommitReplacesTheEntryOfTheSameUrl, ReplacedEntryMovesToTheEndOfTheWalk,
                            UrlsThatDifferInCaseOrQueryAreSeparateEntries, DeleteRemovesTheEntry,
                            DeleteOfAnUnknownUrlFails, CreateNamesTheFileAfterTheLastPathSegment,
                            CreateUsesTheExtensionOnlyWhenTheSegmentHasNone, ReservationsNeverShareAName,
                            CommitRefusesAFileItDidNotReserve, ADiscardedReservationCannotBeCommitted,
                            ACacheThatIsOnlyReadRefusesNewEntries, SplitGivesHostPathAndPortAsWritten);

}  // namespace hoardscope
