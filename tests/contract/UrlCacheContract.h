// The behaviour every URL cache backend owes the view, as typed GoogleTest suites, one for each half of the port
// and for what only some caches keep. A test file runs a backend through the suites that fit it:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Fake, UrlCacheReaderContract, ::testing::Types<TFakeCacheBackend>);
//
//   UrlCacheReaderContract        every cache: the walk, entry info, the URL split
//   UrlCacheDeleterContract       every cache that deletes
//   UrlCacheWriterContract        every cache that takes entries
//   UrlCacheFileWriterContract    a writer whose local files are files on disk, measured by the commit
//   ExactUrlCacheWriterContract   a writer that walks in the order of its commits and names a reserved file exactly
//                                 after the URL (WinInet walks its hash table and numbers its names)
//   ReadOnlyUrlCacheContract      a browser's cache, which is only read
//
// A backend type is default-constructible (each test gets a new one holding an empty cache) and offers
//   IUrlCache& Cache();
// A backend of a cache that takes entries also offers
//   void WriteReserved(const std::string& localFile, const std::string& content);   // fills a reserved file
//   static constexpr bool kKeepsExactTypesAndTimes;  // false where the system's cache rounds times and adds type
//                                                    // bits (Wine's)
// and one of a cache that takes none offers
//   void Store(const std::string& url, const std::string& headers, const std::string& content);
// which puts a normal entry into it as its browser would.
//
// Portable: the Windows build compiles and runs it too.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Tools.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

template <typename TBackend>
class UrlCacheFixture : public ::testing::Test {
 protected:
  static constexpr std::uint32_t kInvalidParameter = 87;
  static constexpr std::uint32_t kCookie = 0x00100001;
  static constexpr std::uint32_t kHistory = 0x00200001;

  IUrlCache& Cache() { return Backend.Cache(); }
  // The halves a suite needs; a cache that lacks one fails the case.
  IUrlCacheDeleter& Deleter() { return Half(Cache().Deleter(), "a deleter"); }
  IUrlCacheWriter& Writer() { return Half(Cache().Writer(), "a writer"); }

  // Puts a normal entry into the cache the way it gets one: through its writer, or as its browser writes it.
  // Returns the local file name where the cache took it from a writer, else empty.
  std::string Put(const std::string& url, const std::string& headers = "", const std::string& content = "content") {
    if constexpr (requires { Backend.Store(url, headers, content); }) {
      Backend.Store(url, headers, content);
      return std::string();
    } else {
      return Add(url, kNormalCacheEntry, headers, content);
    }
  }

  // Reserves a file for url, fills it and commits it; returns the local file name.
  std::string Add(const std::string& url, std::uint32_t type = kNormalCacheEntry, const std::string& headers = "",
                  const std::string& content = "content") {
    const CreatedCacheFile created = Writer().CreateEntry(url, content.size(), "");
    EXPECT_TRUE(created.Ok) << url;
    Backend.WriteReserved(created.LocalFileName, content);
    EXPECT_EQ(0u, Writer().CommitEntry(url, created.LocalFileName, 0, 0, type, headers)) << url;
    return created.LocalFileName;
  }

  // The URLs of a walk in its order.
  std::vector<std::string> WalkOrder() {
    std::vector<std::string> urls;
    CacheEntryRecord record;
    auto walk = Cache().FindFirst(record);
    if (!walk) return urls;
    do {
      urls.push_back(record.SourceUrl);
    } while (walk->FindNext(record));
    EXPECT_FALSE(walk->FindNext(record)) << "a finished walk stays finished";
    return urls;
  }
  // The URLs of a walk, whatever its order; a URL walked twice counts once more.
  std::multiset<std::string> Walked() {
    const std::vector<std::string> urls = WalkOrder();
    return std::multiset<std::string>(urls.begin(), urls.end());
  }

  TBackend Backend;

 private:
  template <typename THalf>
  static THalf& Half(THalf* half, const char* name) {
    if (!half) throw std::logic_error(std::string("the cache has no ") + name);
    return *half;
  }
};

template <typename TBackend>
class UrlCacheReaderContract : public UrlCacheFixture<TBackend> {};
template <typename TBackend>
class UrlCacheDeleterContract : public UrlCacheFixture<TBackend> {};
template <typename TBackend>
class UrlCacheWriterContract : public UrlCacheFixture<TBackend> {};
template <typename TBackend>
class UrlCacheFileWriterContract : public UrlCacheFixture<TBackend> {};
template <typename TBackend>
class ExactUrlCacheWriterContract : public UrlCacheFixture<TBackend> {};
template <typename TBackend>
class ReadOnlyUrlCacheContract : public UrlCacheFixture<TBackend> {};

// A test program runs the suites that fit its backends and leaves the others.
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(UrlCacheReaderContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(UrlCacheDeleterContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(UrlCacheWriterContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(UrlCacheFileWriterContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ExactUrlCacheWriterContract);
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(ReadOnlyUrlCacheContract);

// --- the reader: the walk, entry info and the URL split ---

TYPED_TEST_SUITE_P(UrlCacheReaderContract);

TYPED_TEST_P(UrlCacheReaderContract, EmptyCacheGivesNoWalk) {
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, this->Cache().FindFirst(record));
}

TYPED_TEST_P(UrlCacheReaderContract, WalkRecordsCarryTheStoredFields) {
  const std::string local = this->Put("http://h/a.htm", "HTTP/1.1 200 OK\r\n\r\n");
  CacheEntryRecord walked;
  auto walk = this->Cache().FindFirst(walked);
  ASSERT_NE(nullptr, walk);
  EXPECT_EQ("http://h/a.htm", walked.SourceUrl);
  if (!local.empty()) {
    EXPECT_EQ(local, walked.LocalFileName);
  }
  EXPECT_FALSE(walked.LocalFileName.empty());
  EXPECT_EQ(kNormalCacheEntry, walked.CacheEntryType);
  EXPECT_EQ(std::optional<std::string>("HTTP/1.1 200 OK\r\n\r\n"), walked.HeaderInfo);
  const auto info = this->Cache().GetEntryInfo("http://h/a.htm");
  ASSERT_TRUE(info);
  EXPECT_EQ(info->LastSyncTime, walked.LastSyncTime);
  EXPECT_EQ(info->SizeLow, walked.SizeLow);
}

TYPED_TEST_P(UrlCacheReaderContract, InfoFindsTheExactUrlOnly) {
  this->Put("http://h/Page.htm?id=5");
  EXPECT_TRUE(this->Cache().GetEntryInfo("http://h/Page.htm?id=5"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/page.htm?id=5"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/Page.htm"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/Page.htm?id=5#top"));
  EXPECT_FALSE(this->Cache().GetEntryInfo(""));
}

TYPED_TEST_P(UrlCacheReaderContract, UrlsThatDifferInCaseOrQueryAreSeparateEntries) {
  this->Put("http://h/a.htm");
  this->Put("http://h/A.htm");
  this->Put("http://h/a.htm?x=1");
  EXPECT_EQ(3u, this->Walked().size());
}

TYPED_TEST_P(UrlCacheReaderContract, SplitGivesHostPathAndPortAsWritten) {
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

REGISTER_TYPED_TEST_SUITE_P(UrlCacheReaderContract, EmptyCacheGivesNoWalk, WalkRecordsCarryTheStoredFields,
                            InfoFindsTheExactUrlOnly, UrlsThatDifferInCaseOrQueryAreSeparateEntries,
                            SplitGivesHostPathAndPortAsWritten);

// --- the deleter ---

TYPED_TEST_SUITE_P(UrlCacheDeleterContract);

TYPED_TEST_P(UrlCacheDeleterContract, DeleteRemovesTheEntry) {
  this->Put("http://h/a.htm");
  this->Put("http://h/b.htm");
  EXPECT_TRUE(this->Deleter().DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/a.htm"));
  EXPECT_EQ(std::multiset<std::string>{"http://h/b.htm"}, this->Walked());
  EXPECT_EQ("", this->Deleter().LastDeleteFailure());
}

TYPED_TEST_P(UrlCacheDeleterContract, DeleteOfAnUnknownUrlFails) {
  this->Put("http://h/a.htm");
  EXPECT_FALSE(this->Deleter().DeleteEntry("http://h/A.htm"));
  EXPECT_TRUE(this->Deleter().DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(this->Deleter().DeleteEntry("http://h/a.htm"));
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, this->Cache().FindFirst(record));
}

REGISTER_TYPED_TEST_SUITE_P(UrlCacheDeleterContract, DeleteRemovesTheEntry, DeleteOfAnUnknownUrlFails);

// --- the writer ---

TYPED_TEST_SUITE_P(UrlCacheWriterContract);

TYPED_TEST_P(UrlCacheWriterContract, TheCacheThatTakesEntriesIsThePlatformsOwn) {
  const UrlCacheDescription description = this->Cache().Description();
  EXPECT_EQ(UrlCacheKind::Platform, description.Kind);
  EXPECT_TRUE(description.ServesPageRequests);
}

TYPED_TEST_P(UrlCacheWriterContract, WalkYieldsNormalEntriesOnly) {
  this->Add("Cookie:user@h/", this->kCookie);
  this->Add("http://h/normal-and-more.htm", 0x00000005);
  this->Add("Visited: user@http://h/", this->kHistory);
  if constexpr (TypeParam::kKeepsExactTypesAndTimes) {
    this->Add("http://h/no-normal-bit.htm", 0x00000004);
  }
  this->Add("http://h/normal.htm");
  EXPECT_EQ((std::multiset<std::string>{"http://h/normal-and-more.htm", "http://h/normal.htm"}), this->Walked());
}

TYPED_TEST_P(UrlCacheWriterContract, CacheOfCookiesOnlyGivesNoWalk) {
  this->Add("Cookie:user@h/", this->kCookie);
  CacheEntryRecord record;
  EXPECT_EQ(nullptr, this->Cache().FindFirst(record));
  this->Add("http://h/only.htm");
  EXPECT_EQ(std::vector<std::string>{"http://h/only.htm"}, this->WalkOrder());
}

TYPED_TEST_P(UrlCacheWriterContract, InfoFindsEntriesTheWalkSkips) {
  this->Add("Cookie:user@h/", this->kCookie);
  const auto info = this->Cache().GetEntryInfo("Cookie:user@h/");
  ASSERT_TRUE(info);
  EXPECT_EQ(this->kCookie, info->CacheEntryType);
}

TYPED_TEST_P(UrlCacheWriterContract, CommitKeepsEveryField) {
  const CreatedCacheFile created = this->Writer().CreateEntry("http://h/a.gif", 3, "");
  ASSERT_TRUE(created.Ok);
  this->Backend.WriteReserved(created.LocalFileName, "GIF");
  const std::string headers = "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\nX-Bytes: \x01\xff\r\n\r\n";
  const FileTime expire = TypeParam::kKeepsExactTypesAndTimes ? 0x8000000000000001ull : 134090568000000000ull;
  const FileTime modified = 133537247990000000ull;
  ASSERT_EQ(0u, this->Writer().CommitEntry("http://h/a.gif", created.LocalFileName, expire, modified, 0x41, headers));
  const auto info = this->Cache().GetEntryInfo("http://h/a.gif");
  ASSERT_TRUE(info);
  EXPECT_EQ("http://h/a.gif", info->SourceUrl);
  EXPECT_EQ(created.LocalFileName, info->LocalFileName);
  EXPECT_EQ(expire, info->ExpireTime);
  EXPECT_EQ(modified, info->LastModifiedTime);
  EXPECT_EQ(0x41u, info->CacheEntryType);
  EXPECT_EQ(std::optional<std::string>(headers), info->HeaderInfo);
}

TYPED_TEST_P(UrlCacheWriterContract, EmptyHeaderTextRecordsNoHeaderBlock) {
  this->Add("http://h/a.gif", kNormalCacheEntry, "");
  const auto info = this->Cache().GetEntryInfo("http://h/a.gif");
  ASSERT_TRUE(info);
  EXPECT_EQ(std::nullopt, info->HeaderInfo);
}

TYPED_TEST_P(UrlCacheWriterContract, CommitReplacesTheEntryOfTheSameUrl) {
  this->Add("http://h/a.htm", kNormalCacheEntry, "old");
  const std::string second = this->Add("http://h/a.htm", kNormalCacheEntry, "new");
  EXPECT_EQ(std::vector<std::string>{"http://h/a.htm"}, this->WalkOrder());
  const auto info = this->Cache().GetEntryInfo("http://h/a.htm");
  ASSERT_TRUE(info);
  EXPECT_EQ(std::optional<std::string>("new"), info->HeaderInfo);
  EXPECT_EQ(second, info->LocalFileName);
}

TYPED_TEST_P(UrlCacheWriterContract, ReservationsNeverShareAName) {
  std::set<std::string> names;
  for (int i = 0; i < 5; ++i) {
    const CreatedCacheFile created = this->Writer().CreateEntry("http://h/page.htm", 0, "");
    ASSERT_TRUE(created.Ok);
    names.insert(created.LocalFileName);
  }
  EXPECT_EQ(5u, names.size());
}

TYPED_TEST_P(UrlCacheWriterContract, CommitRefusesAFileItDidNotReserve) {
  EXPECT_EQ(this->kInvalidParameter,
            this->Writer().CommitEntry("http://h/a.htm", "not-reserved.htm", 0, 0, kNormalCacheEntry, ""));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/a.htm"));
}

TYPED_TEST_P(UrlCacheWriterContract, ADiscardedReservationCannotBeCommitted) {
  const CreatedCacheFile created = this->Writer().CreateEntry("http://h/a.gif", 3, "");
  ASSERT_TRUE(created.Ok);
  this->Backend.WriteReserved(created.LocalFileName, "GIF");
  EXPECT_TRUE(this->Writer().DiscardReservedFile(created.LocalFileName));
  EXPECT_NE(0u, this->Writer().CommitEntry("http://h/a.gif", created.LocalFileName, 0, 0, kNormalCacheEntry, ""));
  EXPECT_FALSE(this->Cache().GetEntryInfo("http://h/a.gif"));
  const std::string committed = this->Add("http://h/b.gif");
  EXPECT_FALSE(this->Writer().DiscardReservedFile(committed)) << "a committed file is no reservation";
  EXPECT_TRUE(this->Cache().GetEntryInfo("http://h/b.gif"));
}

REGISTER_TYPED_TEST_SUITE_P(UrlCacheWriterContract, TheCacheThatTakesEntriesIsThePlatformsOwn,
                            WalkYieldsNormalEntriesOnly, CacheOfCookiesOnlyGivesNoWalk, InfoFindsEntriesTheWalkSkips,
                            CommitKeepsEveryField, EmptyHeaderTextRecordsNoHeaderBlock,
                            CommitReplacesTheEntryOfTheSameUrl, ReservationsNeverShareAName,
                            CommitRefusesAFileItDidNotReserve, ADiscardedReservationCannotBeCommitted);

// --- a writer of files on disk ---

TYPED_TEST_SUITE_P(UrlCacheFileWriterContract);

TYPED_TEST_P(UrlCacheFileWriterContract, CommitMeasuresTheLocalFile) {
  this->Add("http://h/a.txt", kNormalCacheEntry, "", "12345");
  const auto info = this->Cache().GetEntryInfo("http://h/a.txt");
  ASSERT_TRUE(info);
  EXPECT_EQ(5u, info->SizeLow);
  EXPECT_EQ(0u, info->SizeHigh);
}

TYPED_TEST_P(UrlCacheFileWriterContract, ADiscardedReservationLeavesNoFile) {
  const CreatedCacheFile created = this->Writer().CreateEntry("http://h/a.gif", 3, "");
  ASSERT_TRUE(created.Ok);
  this->Backend.WriteReserved(created.LocalFileName, "GIF");
  EXPECT_TRUE(this->Writer().DiscardReservedFile(created.LocalFileName));
  EXPECT_FALSE(std::filesystem::exists(created.LocalFileName));
}

REGISTER_TYPED_TEST_SUITE_P(UrlCacheFileWriterContract, CommitMeasuresTheLocalFile, ADiscardedReservationLeavesNoFile);

// --- a writer that walks in the order of its commits and names its files plainly ---

TYPED_TEST_SUITE_P(ExactUrlCacheWriterContract);

TYPED_TEST_P(ExactUrlCacheWriterContract, WalkYieldsEntriesInInsertionOrder) {
  this->Add("http://b.example/2.gif");
  this->Add("http://a.example/1.gif");
  this->Add("http://c.example/3.gif");
  EXPECT_EQ((std::vector<std::string>{"http://b.example/2.gif", "http://a.example/1.gif", "http://c.example/3.gif"}),
            this->WalkOrder());
}

TYPED_TEST_P(ExactUrlCacheWriterContract, ReplacedEntryMovesToTheEndOfTheWalk) {
  this->Add("http://h/a.htm");
  this->Add("http://h/b.htm");
  this->Add("http://h/a.htm");
  EXPECT_EQ((std::vector<std::string>{"http://h/b.htm", "http://h/a.htm"}), this->WalkOrder());
}

TYPED_TEST_P(ExactUrlCacheWriterContract, CreateNamesTheFileAfterTheLastPathSegment) {
  const CreatedCacheFile created = this->Writer().CreateEntry("http://h/dir/page.htm?x=1#top", 0, "");
  ASSERT_TRUE(created.Ok);
  EXPECT_EQ("page.htm", FileNameOf(created.LocalFileName, true));
}

TYPED_TEST_P(ExactUrlCacheWriterContract, CreateUsesTheExtensionOnlyWhenTheSegmentHasNone) {
  const CreatedCacheFile plain = this->Writer().CreateEntry("http://h/dir/page", 0, "htm");
  ASSERT_TRUE(plain.Ok);
  EXPECT_EQ("page.htm", FileNameOf(plain.LocalFileName, true));
  const CreatedCacheFile picture = this->Writer().CreateEntry("http://h/a.gif", 0, "htm");
  ASSERT_TRUE(picture.Ok);
  EXPECT_EQ("a.gif", FileNameOf(picture.LocalFileName, true));
}

TYPED_TEST_P(ExactUrlCacheWriterContract, ReservationsOfOneUrlAllCarryItsName) {
  for (int i = 0; i < 5; ++i) {
    const CreatedCacheFile created = this->Writer().CreateEntry("http://h/page.htm", 0, "");
    ASSERT_TRUE(created.Ok);
    EXPECT_EQ("page.htm", FileNameOf(created.LocalFileName, true)) << created.LocalFileName;
  }
}

REGISTER_TYPED_TEST_SUITE_P(ExactUrlCacheWriterContract, WalkYieldsEntriesInInsertionOrder,
                            ReplacedEntryMovesToTheEndOfTheWalk, CreateNamesTheFileAfterTheLastPathSegment,
                            CreateUsesTheExtensionOnlyWhenTheSegmentHasNone, ReservationsOfOneUrlAllCarryItsName);

// --- a cache that is only read ---

TYPED_TEST_SUITE_P(ReadOnlyUrlCacheContract);

TYPED_TEST_P(ReadOnlyUrlCacheContract, ACacheThatIsOnlyReadHasNoWriterAndSaysWhatItIs) {
  this->Put("http://h/a.htm");
  EXPECT_EQ(nullptr, this->Cache().Writer());
  const UrlCacheDescription description = this->Cache().Description();
  EXPECT_EQ(UrlCacheKind::Browser, description.Kind);
  EXPECT_FALSE(description.ServesPageRequests) << "a browser is sent to its pages' copies";
  EXPECT_EQ(std::vector<std::string>{"http://h/a.htm"}, this->WalkOrder());
}

REGISTER_TYPED_TEST_SUITE_P(ReadOnlyUrlCacheContract, ACacheThatIsOnlyReadHasNoWriterAndSaysWhatItIs);

}  // namespace hoardscope
