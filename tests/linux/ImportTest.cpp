// Importing export files into the real cache store: records, truncated files, times shifted from local time.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Tools.h"
#include "operations/ExportFile.h"
#include "operations/ImportCache.h"
#include "platform/linux/CacheStore.h"
#include "tests/fakes/FakeServices.h"
#include "tests/linux/TempFolder.h"

namespace hoardscope {
namespace {

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : Store(Folder.Path / "cache"), Importer(Store, Clock) {}

  std::string Copy(const std::string& name, const std::string& content) {
    const auto path = Folder.Path / name;
    WriteFile(path, content);
    return path.string();
  }

  std::string ExportFile(const std::vector<TExportRecord>& records, std::size_t extraBytes = 0) {
    std::string bytes;
    for (const TExportRecord& record : records) {
      const TExportRecordBytes encoded = EncodeExportRecord(record);
      bytes.append(encoded.data(), encoded.size());
    }
    bytes.append(extraBytes, 'x');
    return Copy("export.hef", bytes);
  }

  TTempFolder Folder{"import"};
  TFakeClock Clock;
  TCacheStore Store;
  TCacheImporter Importer;
};

TEST_F(ImportTest, PutsEachExistingCopyBackUnderItsUrl) {
  const std::string file = ExportFile({
      {Copy("a.gif", "GIF89a"), "http://h/a.gif", 1.5, "HTTP/1.1 200 OK\r\nContent-Type: image/gif"},
      {(Folder.Path / "gone.htm").string(), "http://h/gone.htm", 1.5, ""},
      {Copy("README", "text"), "http://h/readme", 1.5, ""},
  });
  const TImportResult result = Importer.ImportExportFile(file);
  EXPECT_EQ(result.Count, 2);
  EXPECT_FALSE(result.Truncated);
  const auto entry = Store.GetEntryInfo("http://h/a.gif");
  ASSERT_TRUE(entry);
  EXPECT_EQ(ReadFile(entry->LocalFileName), "GIF89a");
  EXPECT_EQ(entry->HeaderInfo, "HTTP/1.1 200 OK\r\nContent-Type: image/gif");
  EXPECT_EQ(entry->CacheEntryType, kNormalCacheEntry);
  EXPECT_FALSE(Store.GetEntryInfo("http://h/gone.htm"));
  EXPECT_TRUE(Store.GetEntryInfo("http://h/readme"));
}

TEST_F(ImportTest, MissingEmptyAndTruncatedFiles) {
  EXPECT_EQ(Importer.ImportExportFile((Folder.Path / "none.hef").string()).Count, -1);
  EXPECT_EQ(Importer.ImportExportFile(ExportFile({})).Count, 0);
  const TImportResult result =
      Importer.ImportExportFile(ExportFile({{Copy("a.gif", "GIF"), "http://h/a.gif", 1.5, ""}}, 500));
  EXPECT_EQ(result.Count, 1);
  EXPECT_TRUE(result.Truncated);
  EXPECT_TRUE(Store.GetEntryInfo("http://h/a.gif"));
}

TEST_F(ImportTest, TheExpiryIsTheRecordedTimeShiftedFromLocalTime) {
  Clock.UtcOffsetHours = 8;
  TSystemTime noon;
  noon.Year = 2026;
  noon.Month = 12;
  noon.Day = 1;
  noon.Hour = 12;
  const double recorded = DateTimeFromSystemTime(noon);
  Importer.ImportExportFile(ExportFile({{Copy("a.gif", "GIF"), "http://h/a.gif", recorded, ""}}));
  const TSystemTime expires = SystemTimeFromFileTime(Store.GetEntryInfo("http://h/a.gif")->ExpireTime);
  EXPECT_EQ(expires.Day, 1);
  EXPECT_EQ(expires.Hour, 4);
}

TEST_F(ImportTest, ATimeNoFileTimeCanHoldGivesNoExpiry) {
  Importer.ImportExportFile(ExportFile({
      {Copy("a.gif", "GIF"), "http://h/a.gif", std::nan(""), ""},
      {Copy("b.gif", "GIF"), "http://h/b.gif", -150000.0, ""},
  }));
  EXPECT_EQ(Store.GetEntryInfo("http://h/a.gif")->ExpireTime, 0u);
  EXPECT_EQ(Store.GetEntryInfo("http://h/b.gif")->ExpireTime, 0u);
}

}  // namespace
}  // namespace hoardscope
