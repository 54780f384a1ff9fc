// Importing export files into the real cache store: records, truncated files, the times an entry keeps,
// copies read only from export folders, records the cache refuses, and a stopped export or import.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "core/Tools.h"
#include "core/EntryList.h"
#include "operations/EntryExport.h"
#include "operations/ExportFile.h"
#include "operations/ImportCache.h"
#include "platform/linux/CacheStore.h"
#include "platform/linux/SqliteDatabase.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
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

  // The URL and content of every entry of the store, by URL.
  std::vector<std::pair<std::string, std::string>> Cached() {
    std::vector<std::pair<std::string, std::string>> cached;
    CacheEntryRecord record;
    const std::unique_ptr<IUrlCacheWalk> walk = Store.FindFirstOfAnyType(record);
    for (bool more = walk != nullptr; more; more = walk->FindNext(record)) {
      cached.emplace_back(record.SourceUrl, ReadFile(record.LocalFileName));
      record = CacheEntryRecord();
    }
    std::sort(cached.begin(), cached.end());
    return cached;
  }

  // The files below the store's content folders: one for each entry, none reserved and left behind.
  std::size_t StoredFiles() {
    std::size_t files = 0;
    for (const auto& folder : Store.ContentFolders()) {
      for (const auto& item : std::filesystem::recursive_directory_iterator(folder)) files += item.is_regular_file();
    }
    return files;
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

// Stopped after two records of five, the import keeps the two it committed, counts them and leaves nothing else.
TEST_F(ImportTest, AStoppedImportKeepsWhatItCommittedAndCountsIt) {
  std::vector<TExportRecord> records;
  for (const std::string name : {"a", "b", "c", "d", "e"}) {
    records.push_back({Copy(name + ".gif", "GIF " + name), "http://h/" + name + ".gif", 1.5, ""});
  }
  TFakeProgress progress;
  progress.StopAt = 2;
  const TImportResult result = Importer.ImportExportFile(ExportFile(records), &progress);
  EXPECT_TRUE(result.Stopped);
  EXPECT_EQ(result.Count, 2);
  EXPECT_EQ(Cached(), (std::vector<std::pair<std::string, std::string>>{{"http://h/a.gif", "GIF a"},
                                                                       {"http://h/b.gif", "GIF b"}}));
  EXPECT_EQ(StoredFiles(), 2u);
  for (const TProgressState& step : progress.Steps) EXPECT_LE(step.Done, step.Total.value());
}

// Stopped after two copies of five, the export file holds whole records of exactly those two, as the import that
// reads it finds.
TEST_F(ImportTest, AStoppedExportWritesTheRecordsOfTheFilesItCopiedAndNoOthers) {
  TFakeUrlCache source;
  TEntryList list;
  std::vector<std::size_t> exportSet;
  for (const std::string name : {"a", "b", "c", "d", "e"}) {
    TURLInfo info;
    info.SourceUrl = "http://h/" + name + ".htm";
    info.LocalFile = info.CacheFile = (Folder.Path / (name + ".htm")).string();
    WriteFile(info.LocalFile, "page " + name);
    exportSet.push_back(list.Count());
    list.Add(info.SourceUrl, std::move(info));
  }
  TFakeShell shell;
  TFakeDesktop desktop;
  TFakeDialogs dialogs;
  const std::filesystem::path exportFile = Folder.Path / "stopped.hef";
  dialogs.FileName = exportFile.string();
  TFakeProgress progress;
  progress.StopAt = 2;
  const TExportOutcome outcome = TEntryExport(source, shell, desktop).Export(dialogs, list, exportSet, progress);
  EXPECT_TRUE(outcome.Stopped);
  EXPECT_EQ(outcome.Exported, 2u);
  EXPECT_EQ(std::filesystem::file_size(exportFile), 2 * kExportRecordSize);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Folder.Path / "stopped"), {}), 2);
  const TImportResult imported = Importer.ImportExportFile(exportFile.string());
  EXPECT_EQ(imported.Count, 2);
  EXPECT_FALSE(imported.Truncated);
  EXPECT_EQ(Cached(), (std::vector<std::pair<std::string, std::string>>{{"http://h/a.htm", "page a"},
                                                                       {"http://h/b.htm", "page b"}}));
  for (const TProgressState& step : progress.Steps) EXPECT_LE(step.Done, step.Total.value());
}

}  // namespace
}  // namespace hoardscope
