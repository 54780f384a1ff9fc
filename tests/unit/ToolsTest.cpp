// URL split, content types, file-name helpers and key ordering.
#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "core/EntryList.h"
#include "core/Tools.h"
#include "core/URLInfo.h"

namespace hoardscope {
namespace {

TEST(CrackUrl, TakesHostPathAndPortWithoutQueryOrUserInformation) {
  const auto parts = CrackUrl("http://user:pw@Host.example:8080/a/b.php?x=1#top");
  ASSERT_TRUE(parts);
  EXPECT_EQ(parts->Host, "Host.example");
  EXPECT_EQ(parts->Path, "/a/b.php");
  EXPECT_EQ(parts->Port, 8080);

  const auto fragmentOnly = CrackUrl("http://h/p#a:b");
  ASSERT_TRUE(fragmentOnly);
  EXPECT_EQ(fragmentOnly->Path, "/p");
  EXPECT_EQ(CrackUrl("https://h")->Port, 443);
  EXPECT_EQ(CrackUrl("http://h?q=/x")->Path, "");
  EXPECT_EQ(CrackUrl("http://h/%7Euser")->Path, "/%7Euser");  // no decoding
}

TEST(CrackUrl, FailsOnUrlsItCannotSplit) {
  EXPECT_FALSE(CrackUrl("no scheme here"));
  EXPECT_FALSE(CrackUrl("http:/one-slash"));
  EXPECT_FALSE(CrackUrl("http://h:port/x"));
  EXPECT_FALSE(CrackUrl("http://h:70000/x"));
  EXPECT_FALSE(CrackUrl("http://" + std::string(1024, 'a') + "/"));
  EXPECT_FALSE(CrackUrl("http://h/" + std::string(1023, 'p')));
  EXPECT_TRUE(CrackUrl("http://h/" + std::string(1022, 'p')));
}

TEST(ContentTypeOf, ReadsTheFieldLowerCasedWithItsParameters) {
  EXPECT_EQ(ContentTypeOf("HTTP/1.1 200 OK\r\nContent-Type: Text/HTML; Charset=UTF-8\r\nServer: x\r\n\r\n"),
            "text/html; charset=utf-8");
  EXPECT_EQ(ContentTypeOf("HTTP/1.1 200 OK\r\ncontent-type: image/gif"), "image/gif");
  EXPECT_EQ(ContentTypeOf("HTTP/1.1 200 OK\r\nCache-Control: x\r\nX-Content-Type: a/b\r\nContent-Type: c/d\r\n"),
            "a/b");
}

TEST(ContentTypeOf, AnswersUnknownTypeWithoutAUsableField) {
  EXPECT_EQ(ContentTypeOf("HTTP/1.1 200 OK\r\nContent-Type:text/html\r\n"), "Unknown type");
  EXPECT_EQ(ContentTypeOf("Content-Type: "), "Unknown type");             // nothing after the field name
  using namespace std::string_literals;
  EXPECT_EQ(ContentTypeOf("X: 1\r\n\0Content-Type: text/html\r\n"s), "Unknown type");
  EXPECT_EQ(ContentTypeOf(""), "Unknown type");
}

TEST(AddBackslash, EndsAPathWithOneBackslashButLeavesDriveRootsAndEmptyPathsAlone) {
  EXPECT_EQ(AddBackslash("C:\\Temp"), "C:\\Temp\\");
  EXPECT_EQ(AddBackslash("C:\\Temp\\"), "C:\\Temp\\");
  EXPECT_EQ(AddBackslash("C:\\"), "C:\\");
  EXPECT_EQ(AddBackslash("C:x"), "C:x");
  EXPECT_EQ(AddBackslash("C:"), "C:\\");
  EXPECT_EQ(AddBackslash("\\"), "\\");
  EXPECT_EQ(AddBackslash(""), "");
}

TEST(FileNames, FollowTheShellsRules) {
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(PathFindFileName("cache" + sep + "AB12CD34" + sep + "page[2].htm"), "page[2].htm");
  EXPECT_EQ(FileNameOf("cache" + sep + "page[2].htm", true), "page.htm");
  EXPECT_EQ(FileNameOf("logo[1].gif", true), "logo.gif");
  EXPECT_EQ(FileNameOf("readme[12]", true), "readme");
  EXPECT_EQ(FileNameOf("a[].gif", true), "a.gif");
  EXPECT_EQ(FileNameOf("[1].gif", true), "[1].gif");
  EXPECT_EQ(FileNameOf("a[1x].gif", true), "a[1x].gif");
  EXPECT_EQ(FileNameOf("a[1].tar.gz", true), "a[1].tar.gz");

  EXPECT_EQ(PathFindExtension("photo.JPG"), ".JPG");
  EXPECT_EQ(PathFindExtension("archive.tar.gz"), ".gz");
  EXPECT_EQ(PathFindExtension("dir.d" + sep + "file"), "");
  EXPECT_EQ(PathFindExtension("a.b c"), "");
  EXPECT_EQ(PathFindExtension("noext"), "");
}

TEST(EntryKeyOrder, KeepsEveryNodesEntriesInOneRun) {
  // A locale word sort ignores hyphens and interleaves these; the folded ordinal order must not.
  TEntryList list;
  for (const char* key : {"http://a-b/1", "http://ab/1", "http://a-b/2", "http://AB/2", "http://ab.cd/1",
                          "http://ab/x-y", "http://ab/xy", "http://ab/x-y2"}) {
    list.Add(key, std::make_shared<TURLInfo>());
  }
  list.Sort();
  std::vector<std::string> hosts;
  for (const TEntryItem& item : list.Items()) {
    const std::string host = LowerAscii(CrackUrl(item.Key)->Host);
    if (hosts.empty() || hosts.back() != host) hosts.push_back(host);
  }
  EXPECT_EQ(hosts, (std::vector<std::string>{"a-b", "ab.cd", "ab"}));
}

TEST(EntryKeyOrder, KeepsEqualKeysInTheirOrder) {
  TEntryList list;
  auto first = std::make_shared<TURLInfo>();
  auto second = std::make_shared<TURLInfo>();
  list.Add("http://h/b", std::make_shared<TURLInfo>());
  list.Add("http://h/A", first);
  list.Add("http://h/a", second);
  list.Sort();
  EXPECT_EQ(list[0].Info, first);
  EXPECT_EQ(list[1].Info, second);
  EXPECT_EQ(list[2].Key, "http://h/b");
}

// A load keeps its records in shared blocks: each record stays usable while anything holds it.
TEST(EntryList, RecordsKeptInBlocksOutliveTheListThatMadeThem) {
  TEntryList list;
  for (int i = 0; i < 1500; ++i) {
    TURLInfo info;
    info.SourceUrl = "http://h/" + std::to_string(i);
    list.Add(info.SourceUrl, std::move(info));
  }
  const std::shared_ptr<TURLInfo> kept = list[1400].Info;
  EXPECT_EQ(list[3].Info->SourceUrl, "http://h/3");
  list.Clear();
  EXPECT_EQ(kept->SourceUrl, "http://h/1400");
}

TEST(EntryKeyOrder, FoldsOnlyAToZAndComparesBytesUnsigned) {
  // '_' lies between 'Z' and 'a', bytes above 0x7F after every letter.
  const std::vector<std::string> keys = {"http://h/\xE9", "http://h/Z", "http://h/_", "http://h/", "http://h/\x7F"};
  TEntryList list;
  for (const std::string& key : keys) list.Add(key, std::make_shared<TURLInfo>());
  list.Sort();
  std::vector<std::string> sorted;
  for (const TEntryItem& item : list.Items()) sorted.push_back(item.Key);
  EXPECT_EQ(sorted,
            (std::vector<std::string>{"http://h/", "http://h/_", "http://h/Z", "http://h/\x7F", "http://h/\xE9"}));
  EXPECT_LT(CompareKeys("http://h/_", "http://h/Z"), 0);
  EXPECT_LT(CompareKeys("http://h/Z", "http://h/\xE9"), 0);
}

TEST(SystemTime, ConvertsFileTimesFieldByFieldInUtc) {
  // 2026-12-01T10:20:30.456Z, a Tuesday.
  const TSystemTime time = SystemTimeFromFileTime(FileTimeFromUnixMillis(1796120430456LL));
  EXPECT_EQ(time.Year, 2026);
  EXPECT_EQ(time.Month, 12);
  EXPECT_EQ(time.Day, 1);
  EXPECT_EQ(time.DayOfWeek, 2);
  EXPECT_EQ(time.Hour, 10);
  EXPECT_EQ(time.Minute, 20);
  EXPECT_EQ(time.Second, 30);
  EXPECT_EQ(time.Milliseconds, 456);
  const TSystemTime leap = SystemTimeFromFileTime(FileTimeFromUnixMillis(951782400000LL));  // 2000-02-29
  EXPECT_EQ(leap.Month, 2);
  EXPECT_EQ(leap.Day, 29);
}

}  // namespace
}  // namespace hoardscope
