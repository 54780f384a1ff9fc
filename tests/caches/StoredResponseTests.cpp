// Header facts of stored responses: the three HTTP date forms and the expiry rules.
#include "core/ResponseHeaders.h"
#include "platform/caches/StoredResponse.h"

#include <gtest/gtest.h>

namespace hoardscope {
namespace {

constexpr FileTime kSecond = 10000000;
constexpr FileTime k1994Nov6At084937 = 12428585377ULL * kSecond;  // 1994-11-06 08:49:37 UTC

TEST(StoredResponse, ReadsEveryHttpDateFormAndRejectsOtherText) {
  EXPECT_EQ(ParseHttpDate("Sun, 06 Nov 1994 08:49:37 GMT"), k1994Nov6At084937);
  EXPECT_EQ(ParseHttpDate("Sunday, 06-Nov-94 08:49:37 GMT"), k1994Nov6At084937);
  EXPECT_EQ(ParseHttpDate("Sun Nov  6 08:49:37 1994"), k1994Nov6At084937);
  EXPECT_EQ(ParseHttpDate("Thu, 01 Jan 1970 00:00:00 GMT"), 116444736000000000ULL);
  for (const char* text : {"", "0", "-1", "Sun, 31 Feb 1994 08:49:37 GMT", "Sun, 06 Nov 1994 24:00:00 GMT",
                           "Sun, 06 Nov 1994 08:49 GMT", "Sun, 06 Foo 1994 08:49:37 GMT", "06 Nov 1994"})
    EXPECT_EQ(ParseHttpDate(text), 0u) << text;
}

TEST(StoredResponse, TakesExpiryFromMaxAgeBeforeExpiresAndKeepsKnownTimes) {
  TBrowserCacheEntry entry;
  entry.SyncTime = k1994Nov6At084937;
  entry.ResponseHeaders =
      "HTTP/1.1 200 OK\r\nexpires: Mon, 07 Nov 1994 08:49:37 GMT\r\ncache-control: public, Max-Age=60\r\n"
      "Last-Modified:  Sat, 05 Nov 1994 08:49:37 GMT \r\n\r\n";
  EXPECT_EQ(HeaderValueOf(entry.ResponseHeaders, "Cache-Control"), "public, Max-Age=60");
  EXPECT_EQ(HeaderValueOf(entry.ResponseHeaders, "Expire"), "");
  FillTimesFromHeaders(entry);
  EXPECT_EQ(entry.ExpireTime, k1994Nov6At084937 + 60 * kSecond);
  EXPECT_EQ(entry.LastModifiedTime, k1994Nov6At084937 - 86400 * kSecond);

  entry.ResponseHeaders = "HTTP/1.1 200 OK\r\nExpires: Mon, 07 Nov 1994 08:49:37 GMT\r\n\r\n";
  entry.ExpireTime = 0;
  entry.LastModifiedTime = 5;
  FillTimesFromHeaders(entry);
  EXPECT_EQ(entry.ExpireTime, k1994Nov6At084937 + 86400 * kSecond);
  EXPECT_EQ(entry.LastModifiedTime, 5u);
}

}  // namespace
}  // namespace hoardscope
