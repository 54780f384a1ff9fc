// The export record's bytes, the date-time values and how a reader takes broken or hostile records.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "operations/ExportFile.h"

namespace hoardscope {
namespace {

TSystemTime Time(int year, int month, int day, int hour, int minute = 0, int second = 0, int millis = 0) {
  TSystemTime time;
  time.Year = static_cast<std::uint16_t>(year);
  time.Month = static_cast<std::uint16_t>(month);
  time.Day = static_cast<std::uint16_t>(day);
  time.Hour = static_cast<std::uint16_t>(hour);
  time.Minute = static_cast<std::uint16_t>(minute);
  time.Second = static_cast<std::uint16_t>(second);
  time.Milliseconds = static_cast<std::uint16_t>(millis);
  return time;
}

TEST(ExportRecord, LaysOutEveryFieldAtItsOffset) {
  const TExportRecordBytes bytes =
      EncodeExportRecord({"/tmp/D/a.gif", "http://h/a.gif", 1.5, "HTTP/1.1 200 OK\r\n\r\n"});
  EXPECT_EQ(std::string(bytes.data(), 13), std::string("/tmp/D/a.gif\0", 13));
  EXPECT_EQ(bytes[13], ' ');
  EXPECT_EQ(bytes[255], ' ');
  EXPECT_EQ(std::string(bytes.data() + 256, 15), std::string("http://h/a.gif\0", 15));
  double syncTime;
  std::memcpy(&syncTime, bytes.data() + 512, 8);  // little-endian on every build host
  EXPECT_EQ(syncTime, 1.5);
  EXPECT_EQ(std::string(bytes.data() + 520, 19), "HTTP/1.1 200 OK\r\n\r\n");
  EXPECT_EQ(bytes[539], '\0');
  EXPECT_EQ(bytes[1031], ' ');
}

TEST(ExportRecord, AnEntryWithoutHeadersGetsANulAndSpaces) {
  const TExportRecordBytes bytes = EncodeExportRecord({"f", "u", 0, ""});
  EXPECT_EQ(bytes[520], '\0');
  EXPECT_EQ(std::string(bytes.data() + 521, 511), std::string(511, ' '));
}

TEST(ExportRecord, AReaderTakesTextUpToItsNulTrimmed) {
  TExportRecordBytes bytes = EncodeExportRecord({" \t/tmp/x.gif ", "http://h/x.gif", 2, "H: v\r\n\r\n"});
  const TExportRecord record = DecodeExportRecord(bytes);
  EXPECT_EQ(record.FileName, "/tmp/x.gif");
  EXPECT_EQ(record.Headers, "H: v");
  std::memset(bytes.data(), 'a', 256);  // a field without NUL is read whole
  EXPECT_EQ(DecodeExportRecord(bytes).FileName, std::string(256, 'a'));
}

TEST(ExportRecord, TextsThatDoNotFitAreRecognisedAndHeadersKeepWholeLines) {
  EXPECT_TRUE(FitsField(std::string(255, 'x'), kFileNameField));
  EXPECT_FALSE(FitsField(std::string(256, 'x'), kFileNameField));
  std::string headers;
  for (int i = 0; headers.size() < 600; ++i) headers += "X-Line-" + std::to_string(i) + ": value\r\n";
  const std::string fitted = FitHeaders(headers);
  EXPECT_LT(fitted.size(), 512u);
  EXPECT_EQ(headers.compare(0, fitted.size(), fitted), 0);
  EXPECT_EQ(fitted.substr(fitted.size() - 2), "\r\n");
  EXPECT_EQ(FitHeaders("short\r\n"), "short\r\n");
}

TEST(DateTime, CountsDaysFromTheLastDayOf1899) {
  EXPECT_EQ(DateTimeFromSystemTime(Time(1899, 12, 31, 12)), 1.5);
  EXPECT_EQ(DateTimeFromSystemTime(Time(1899, 12, 30, 0)), 0.0);
  EXPECT_EQ(DateTimeFromSystemTime(Time(1899, 12, 29, 6)), -1.25);  // the fraction counts backwards
  const TSystemTime back = *SystemTimeFromDateTime(-1.25);
  EXPECT_EQ(back.Day, 29);
  EXPECT_EQ(back.Hour, 6);
  const TSystemTime time = Time(2026, 12, 1, 10, 20, 30, 456);
  const TSystemTime again = *SystemTimeFromDateTime(DateTimeFromSystemTime(time));
  EXPECT_EQ(again.Year, 2026);
  EXPECT_EQ(again.Minute, 20);
  EXPECT_EQ(again.Milliseconds, 456);
}

TEST(DateTime, ValuesNoFileTimeCanHoldHaveNoCalendarTime) {
  EXPECT_FALSE(SystemTimeFromDateTime(std::nan("")));
  EXPECT_FALSE(SystemTimeFromDateTime(1e300));
  EXPECT_FALSE(SystemTimeFromDateTime(-200000.0));  // before 1601
  EXPECT_TRUE(SystemTimeFromDateTime(-109205.0));   // 1601-01-01
}

}  // namespace
}  // namespace hoardscope
