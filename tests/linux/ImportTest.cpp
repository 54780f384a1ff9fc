// Importing export files into the real cache store: records, truncated files, the times an entry keeps,
// copies read only from export folders, records the cache refuses.
#include <gtest/gtest.h>

#include <cmath>

#include "core/Tools.h"
#include "operations/ExportFile.h"
#include "operations/ImportCache.h"
#include "platform/linux/CacheStore.h"
#include "platform/linux/SqliteDatabase.h"
#include "tests/fakes/FakeServices.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

class ImportTest : public ::testing::Test {
 protected:
  ImportTest() : Store(Folder.Path / "cache"), Importer(Store, Clock) {
    std::filesystem::create_directory(ExportFolder);
  }

  // A copy in the export folder of export.hef.
  std::string Copy(const std::string& name, const std::string& content) {
    const auto path = ExportFolder / name;
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
    const auto path = Folder.Path / "export.hef";
    WriteFile(path, bytes);
    return path.string();
  }

  bool CacheIsEmpty() {
    CacheEntryRecord record;
    return Store.FindFirstOfAnyType(record) == nullptr;
  }

  TTempFolder Folder{"import"};
  const std::filesystem::path ExportFolder = Folder.Path / "export";
  TFakeClock Clock;
  TCacheStore Store;
  TCacheImporter Importer;
};

TEST_F(ImportTest, PutsEachExistingCopyBackUnderItsUrl) {
  const std::string file = ExportFile({
      {Copy("a.gif", "GIF89a"), "http://h/a.gif", 1.5, "HTTP/1.1 200 OK\r\nContent-Type: image/gif"},
      {(ExportFolder / "gone.htm").string(), "http://h/gone.htm", 1.5, ""},
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

// The record's time is the time cached, in UTC as the export took it; the expiry is what the headers say, as a
// fetch of the response would have set it.
TEST_F(ImportTest, AnEntryKeepsItsRecordedTimeCachedAndTheExpiryOfItsHeaders) {
  TSystemTime noon;
  noon.Year = 2026;
  noon.Month = 12;
  noon.Day = 1;
  noon.Hour = 12;
  noon.Milliseconds = 250;
  const double recorded = DateTimeFromSystemTime(noon);
  const FileTime cached = FileTimeFromSystemTime(noon);
  const FileTime aDayLater = cached - 250 * 10000 + 86400 * 10000000ULL;
  Clock.Now = cached + 7 * 86400 * 10000000ULL;
  Importer.ImportExportFile(ExportFile({
      {Copy("a.gif", "GIF"), "http://h/a.gif", recorded, "HTTP/1.1 200 OK\r\nExpires: Wed, 02 Dec 2026 12:00:00 GMT"},
      {Copy("b.gif", "GIF"), "http://h/b.gif", recorded, "HTTP/1.1 200 OK\r\nCache-Control: max-age=60"},
      {Copy("c.gif", "GIF"), "http://h/c.gif", recorded, "HTTP/1.1 200 OK"},
      {Copy("d.gif", "GIF"), "http://h/d.gif", std::nan(""), ""},
      {Copy("e.gif", "GIF"), "http://h/e.gif", -150000.0, ""},
  }));
  const auto entry = [&](const char* url) { return Store.GetEntryInfo(url).value(); };
  EXPECT_EQ(entry("http://h/a.gif").LastSyncTime, cached);
  EXPECT_EQ(entry("http://h/a.gif").ExpireTime, aDayLater);
  EXPECT_EQ(entry("http://h/b.gif").ExpireTime, cached + 60 * 10000000ULL);
  EXPECT_EQ(entry("http://h/c.gif").ExpireTime, 0u);
  // A time no file time can hold leaves the time of the import, and no expiry.
  for (const char* url : {"http://h/d.gif", "http://h/e.gif"}) {
    EXPECT_NE(entry(url).LastSyncTime, cached) << url;
    EXPECT_EQ(entry(url).ExpireTime, 0u) << url;
  }
}

TEST_F(ImportTest, AnExportMovedElsewhereOrCopiedAwayFromItsFolderImportsWhole) {
  Copy("a.gif", "moved");
  Copy("b.gif", "from Windows");
  const std::string moved = ExportFile({{"/where/it/was/made/export/a.gif", "http://h/a.gif", 1.5, ""},
                                        {"C:\\Users\\me\\export\\b.gif", "http://h/b.gif", 1.5, ""}});
  EXPECT_EQ(Importer.ImportExportFile(moved).Count, 2);
  EXPECT_EQ(ReadFile(Store.GetEntryInfo("http://h/b.gif")->LocalFileName), "from Windows");

  // A copy of the export file elsewhere reads the copies its records name in their export folder.
  const auto away = Folder.Path / "copied.hef";
  std::filesystem::copy_file(ExportFile({{Copy("c.gif", "in place"), "http://h/c.gif", 1.5, ""}}), away);
  EXPECT_EQ(Importer.ImportExportFile(away.string()).Count, 1);
  EXPECT_EQ(ReadFile(Store.GetEntryInfo("http://h/c.gif")->LocalFileName), "in place");
}

TEST_F(ImportTest, RecordsNamingNoCopyInsideAnExportFolderOrNoWebUrlAreLeftOut) {
  std::filesystem::create_directory(Folder.Path / "private");
  const auto decoy = Folder.Path / "private" / "hostname";
  WriteFile(decoy, "not for the cache");
  std::filesystem::create_symlink(decoy, ExportFolder / "link.gif");
  const std::string page = Copy("page.htm", "page");
  const TImportResult result = Importer.ImportExportFile(ExportFile({
      {decoy.string(), "http://d.test/host", 1.5, ""},
      {(ExportFolder / "link.gif").string(), "http://d.test/link.gif", 1.5, ""},
      {(ExportFolder / "..").string(), "http://d.test/up", 1.5, ""},
      {ExportFolder.string() + "/", "http://d.test/folder", 1.5, ""},
      {page, "ftp://h/page.htm", 1.5, ""},
      {page, "", 1.5, ""},
  }));
  EXPECT_EQ(result.Count, 0);
  EXPECT_TRUE(CacheIsEmpty());
  EXPECT_EQ(SkippedRecordsMessage(result),
            "6 records were left out of the import (no copy inside an export folder: 4, no http or https URL: 2).");
}

TEST_F(ImportTest, ARecordTheCacheRefusesLeavesNoReservedFileBehind) {
  TSqliteDatabase(Store.IndexFile())
      .Execute("CREATE TRIGGER refuse BEFORE INSERT ON entries BEGIN SELECT RAISE(ABORT, 'refused'); END");
  const TImportResult result = Importer.ImportExportFile(ExportFile({
      {Copy("a.gif", "GIF"), "http://h/a.gif", 1.5, ""},
      {Copy("b.gif", "GIF"), "http://h/b.gif", 1.5, ""},
  }));
  EXPECT_EQ(result.Count, 2);
  EXPECT_EQ(result.Failed, 2);
  EXPECT_TRUE(CacheIsEmpty());
  for (const auto& folder : Store.ContentFolders()) EXPECT_TRUE(std::filesystem::is_empty(folder)) << folder;
  EXPECT_EQ(FailedRecordsMessage(result).rfind("2 records were not put into the cache. The first: the cache refused "
                                               "http://h/a.gif (error ", 0), 0u)
      << FailedRecordsMessage(result);
}

}  // namespace
}  // namespace hoardscope
