// The quick filter: what it admits beside the Options' type filter, the reading of dates, sizes and the filter
// bar's fields, and the view it narrows.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <optional>
#include <string>

#include "core/URLInfo.h"
#include "settings/Filter.h"
#include "settings/QuickFilter.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

constexpr FileTime kTicksPerDay = 864000000000ULL;

FileTime Utc(std::uint16_t year, std::uint16_t month, std::uint16_t day, std::uint16_t hour = 0,
             std::uint16_t minute = 0, std::uint16_t second = 0, std::uint16_t millis = 0) {
  return FileTimeFromSystemTime({year, month, 0, day, hour, minute, second, millis});
}

TQuickFilter WithUrl(const char* text) {
  TQuickFilter filter;
  filter.UrlText = text;
  return filter;
}
TQuickFilter Since(FileTime time) {
  TQuickFilter filter;
  filter.Since = time;
  return filter;
}
TQuickFilter Until(FileTime time) {
  TQuickFilter filter;
  filter.Until = time;
  return filter;
}
TQuickFilter Sizes(std::optional<std::int64_t> least, std::optional<std::int64_t> most) {
  TQuickFilter filter;
  filter.MinSize = least;
  filter.MaxSize = most;
  return filter;
}

TEST(QuickFilter, AdmitsByUrlTimeAndSizeAndOnlyWhatTheTypeFilterAdmitsToo) {
  TURLInfo entry;
  entry.SourceUrl = "http://Example.COM/img/Logo.GIF?v=2";
  entry.ContentType = "image/gif";
  entry.Size = 2048;
  entry.SyncTime = SystemTimeFromFileTime(Utc(2026, 3, 15, 12, 30, 0, 250));
  enum class TTypes { All, Pictures, Texts };
  struct TCase {
    const char* What;
    TQuickFilter Filter;
    TTypes Types;
    bool Admitted;
  };
  const TCase cases[] = {
      {"no filter", TQuickFilter(), TTypes::All, true},
      {"URL text in another case", WithUrl("example.com/IMG"), TTypes::All, true},
      {"URL text of the query", WithUrl("?V=2"), TTypes::All, true},
      {"other URL text", WithUrl("logo.png"), TTypes::All, false},
      {"since the very moment", Since(Utc(2026, 3, 15, 12, 30, 0, 250)), TTypes::All, true},
      {"since a moment later", Since(Utc(2026, 3, 15, 12, 30, 0, 251)), TTypes::All, false},
      {"since the day, as read", Since(*ParseFilterTime("2026-03-15", TRangeEnd::First)), TTypes::All, true},
      {"since the next day", Since(*ParseFilterTime("2026-03-16", TRangeEnd::First)), TTypes::All, false},
      {"until the day: all of it", Until(*ParseFilterTime("2026-03-15", TRangeEnd::Last)), TTypes::All, true},
      {"until the day before", Until(*ParseFilterTime("2026-03-14", TRangeEnd::Last)), TTypes::All, false},
      {"until a second before", Until(*ParseFilterTime("2026-03-15T12:30:00", TRangeEnd::Last)), TTypes::All,
       false},
      {"until the next second", Until(*ParseFilterTime("2026-03-15T12:30:01", TRangeEnd::Last)), TTypes::All,
       true},
      {"at least its size", Sizes(2048, std::nullopt), TTypes::All, true},
      {"at least a byte more", Sizes(2049, std::nullopt), TTypes::All, false},
      {"at most its size", Sizes(std::nullopt, 2048), TTypes::All, true},
      {"at most a byte less", Sizes(std::nullopt, 2047), TTypes::All, false},
      {"a range that ends before it begins", Sizes(4096, 1024), TTypes::All, false},
      {"pictures and the URL", WithUrl("logo"), TTypes::Pictures, true},
      {"texts, whatever the URL", WithUrl("logo"), TTypes::Texts, false},
      {"pictures, but not the URL", WithUrl("banner"), TTypes::Pictures, false},
  };
  for (const TCase& entryCase : cases) {
    TSettings settings;
    settings.UseFilter = entryCase.Types != TTypes::All;
    settings.FilterClasses.Include(entryCase.Types == TTypes::Pictures ? TFilterClass::fcPicture
                                                                       : TFilterClass::fcText);
    EXPECT_EQ(TEntryFilter(settings, entryCase.Filter).Admits(entry), entryCase.Admitted) << entryCase.What;
  }
}

TEST(QuickFilter, ReadsDatesAndSizesAsWrittenAndNothingElse) {
  EXPECT_EQ(ParseFilterTime("2026-03-15", TRangeEnd::First), Utc(2026, 3, 15));
  EXPECT_EQ(ParseFilterTime("2026-03-15", TRangeEnd::Last), Utc(2026, 3, 16) - 1);
  EXPECT_EQ(ParseFilterTime("2026-03-15T23:59:58", TRangeEnd::Last), Utc(2026, 3, 15, 23, 59, 58));
  EXPECT_EQ(ParseFilterTime("2024-02-29", TRangeEnd::First), Utc(2024, 2, 29));
  EXPECT_EQ(ParseFilterTime("1601-01-01", TRangeEnd::First), FileTime{0});
  for (const char* bad : {"", "2026-02-29", "2026-13-01", "2026-00-10", "2026-3-15", "26-03-15", "2026/03/15",
                          "2026-03-15T24:00:00", "2026-03-15T12:60:00", "2026-03-15 12:30:00", "2026-03-15T12:30",
                          "2026-03-15T12:30:00Z", "2026-03-15T12:30:00.5", "1600-12-31", "+026-03-15",
                          "2026-03-15x"}) {
    EXPECT_EQ(ParseFilterTime(bad, TRangeEnd::First), std::nullopt) << '"' << bad << '"';
  }

  EXPECT_EQ(ParseByteCount("0"), 0);
  EXPECT_EQ(ParseByteCount("1536"), 1536);
  EXPECT_EQ(ParseByteCount("64K"), 65536);
  EXPECT_EQ(ParseByteCount("5m"), 5 << 20);
  EXPECT_EQ(ParseByteCount("2G"), std::int64_t{2} << 30);
  EXPECT_EQ(ParseByteCount("9223372036854775807"), std::numeric_limits<std::int64_t>::max());
  for (const char* bad : {"", "K", "-1", "+1", "1.5K", "10KB", "10 K", " 10", "0x10", "8589934592G",
                          "99999999999999999999"}) {
    EXPECT_EQ(ParseByteCount(bad), std::nullopt) << '"' << bad << '"';
  }
}

TEST(QuickFilter, TheBarsFieldsGiveTheFilterAtTheTimeOrSayWhichCannotBeRead) {
  const FileTime now = Utc(2026, 3, 15, 12);
  TFilterBarFields fields;
  fields.UrlText = "  example.com ";
  fields.Cached = TCachedChoice::LastWeek;
  fields.MinSize = "";
  fields.MaxSize = " 2K ";
  TFilterBarReading reading = ReadFilterBar(fields, now);
  EXPECT_EQ(reading.Error, "");
  EXPECT_EQ(reading.Filter.UrlText, "example.com");
  EXPECT_EQ(reading.Filter.Since, now - 7 * kTicksPerDay);
  EXPECT_EQ(reading.Filter.Until, std::nullopt);
  EXPECT_EQ(reading.Filter.MinSize, std::nullopt);
  EXPECT_EQ(reading.Filter.MaxSize, 2048);

  fields.Cached = TCachedChoice::Range;
  fields.From = {2026, 3, 1};
  fields.To = {2026, 3, 2};
  reading = ReadFilterBar(fields, now);
  EXPECT_EQ(reading.Filter.Since, Utc(2026, 3, 1));
  EXPECT_EQ(reading.Filter.Until, Utc(2026, 3, 3) - 1);

  fields.Cached = TCachedChoice::LastMonth;
  EXPECT_EQ(ReadFilterBar(fields, 0).Filter.Since, FileTime{0});  // no clock: since its start
  fields.MinSize = "big";
  EXPECT_EQ(ReadFilterBar(fields, now).Error, "The least size is not a size in bytes (such as 500, 64K, 5M or 1G).");
  EXPECT_TRUE(TQuickFilter().Empty());
  EXPECT_FALSE(WithUrl("x").Empty());
}

using QuickFilterViewTest = ViewFixture;

TEST_F(QuickFilterViewTest, AFilterNarrowsTheTreeAndTheTotalsAndTheStatusSaysSo) {
  AddEntry("http://a.example/x.htm", "text/html", 100);
  AddEntry("http://b.example/y.gif", "image/gif", 5000);
  AddEntry("http://b.example/z.htm", "text/html", 300);
  Load();
  ASSERT_EQ(Captions(View().State().RootNode), "a.example|b.example");

  TFilterBarFields fields;
  fields.UrlText = "B.EXAMPLE";
  fields.MinSize = "1K";
  View().ApplyFilterBar(fields);
  EXPECT_EQ(Captions(View().State().RootNode), "b.example");
  EXPECT_EQ(View().StatusText(1), "Total  1  Files  5  KB Used");
  EXPECT_EQ(View().StatusText(0), std::string("Platform cache") + kFilteredStatus);

  fields.MaxSize = "a lot";  // not read: the filter stays as it was
  View().ApplyFilterBar(fields);
  EXPECT_EQ(Desktop.Messages.back(), "The largest size is not a size in bytes (such as 500, 64K, 5M or 1G).");
  EXPECT_EQ(View().State().QuickFilter.UrlText, "B.EXAMPLE");

  View().SetQuickFilter(TQuickFilter());
  EXPECT_EQ(Captions(View().State().RootNode), "a.example|b.example");
  EXPECT_EQ(View().StatusText(0), "Platform cache");
}

TEST_F(QuickFilterViewTest, AFilterSetBeforeTheFirstLoadNarrowsThatLoadAlone) {
  AddEntry("http://a.example/x.htm");
  AddEntry("http://b.example/y.htm");
  View().SetQuickFilter(WithUrl("a.example"));
  EXPECT_FALSE(View().State().RootNode->HasChildren());
  Load();
  EXPECT_EQ(Captions(View().State().RootNode), "a.example");
  EXPECT_EQ(View().State().EntryList.Count(), 1u);
}

}  // namespace
}  // namespace hoardscope
