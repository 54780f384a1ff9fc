// hoardscope delete, export and import over a real home: the round trip of an export through an empty cache.
#include <algorithm>

#include "operations/ExportFile.h"
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

class EntryCommandsTest : public ::testing::Test {
 protected:
  EntryCommandsTest() : FHome("entries") {
    const TRun run = RunShell(Quoted(std::string(HOARDSCOPE_SOURCE_DIR) + "/scripts/install-home.sh") + " " +
                                  Quoted(FHome.Path().string()) + " " + Quoted(HoardscopeProgram()),
                              FHome.Path());
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
  }

  void Add(const std::string& url, const std::string& name, const std::string& content,
           const std::string& header = "") {
    fs::create_directories(FHome.Path() / "files");
    const fs::path file = FHome.Path() / "files" / name;
    WriteFile(file, content);
    const TRun run = Hoardscope({"cache", "add", url, file.string(), "--headers",
                                 "HTTP/1.1 200 OK\\r\\nContent-Type: text/html\\r\\n" + header + "\\r\\n",
                                 "--synced", "2026-11-30T12:00:00.000Z"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }

  TRun Hoardscope(const std::vector<std::string>& args) { return RunInHome(FHome.Path(), HoardscopeProgram(), args); }

  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (const std::string& line : Lines(Hoardscope({"cache", "list"}).Out)) urls.push_back(Split(line, '\t')[0]);
    return urls;
  }
  std::vector<std::string> SortedUrls() {
    std::vector<std::string> urls = Urls();
    std::sort(urls.begin(), urls.end());
    return urls;
  }

  static std::vector<TExportRecord> Records(const fs::path& exportFile) {
    const std::string bytes = ReadFile(exportFile);
    std::vector<TExportRecord> records;
    for (std::size_t at = 0; at + kExportRecordSize <= bytes.size(); at += kExportRecordSize) {
      records.push_back(DecodeExportRecord(std::span<const char, kExportRecordSize>(bytes.data() + at,
                                                                                    kExportRecordSize)));
    }
    return records;
  }

  TTempHome FHome;
};

// Answered no, an export into an existing folder keeps its files, exports nothing and says so.
TEST_F(EntryCommandsTest, ExportAnsweredNoIntoAnExistingFolderExportsNothingAndFails) {
  Add("http://h/a.html", "a.html", "1");
  fs::create_directories(FHome.Path() / "out");
  WriteFile(FHome.Path() / "out/old.txt", "old");
  const TRun run = Hoardscope({"export", "h", (FHome.Path() / "out.hef").string(), "--no"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_NE(run.Err.find("nothing was exported"), std::string::npos) << run.Err;
  EXPECT_FALSE(fs::exists(FHome.Path() / "out.hef"));
  EXPECT_EQ(ReadFile(FHome.Path() / "out/old.txt"), "old");
}

TEST_F(EntryCommandsTest, DeleteRemovesAFolderFromCacheAndTree) {
  Add("http://h/img/a.gif", "a.gif", "1");
  Add("http://h/img.html", "img.html", "2");
  const TRun run = Hoardscope({"delete", "h/img"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/img.html"}));
  EXPECT_EQ(Lines(run.Out)[0], "Hoardscope");
  EXPECT_EQ(Hoardscope({"delete", "nowhere"}).ExitCode, 1);
}

TEST_F(EntryCommandsTest, AnExportImportsBackIntoAnEmptyCache) {
  Add("http://h/a/page.html", "page.html", "<title>Page</title>", "Cache-Control: max-age=3600\\r\\n");
  Add("http://h/b/page.html", "page.html", "<title>Other</title>");
  const std::string before = Hoardscope({"cache", "info", "http://h/a/page.html"}).Out;
  const std::string exportFile = (FHome.Path() / "out.hef").string();
  TRun run = Hoardscope({"export", "h", exportFile});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(fs::file_size(exportFile), 2 * 1032u);
  ASSERT_EQ(Hoardscope({"cache", "clear"}).ExitCode, 0);

  run = Hoardscope({"import", exportFile});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Lines(run.Out).back(), "imported: 2");
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/a/page.html", "http://h/b/page.html"}));
  // The entry is cached when it was, and expires when it did.
  const std::string after = Hoardscope({"cache", "info", "http://h/a/page.html"}).Out;
  for (const char* field : {"synced: 2026-11-30T12:00:00.000Z\n", "expires: 2026-11-30T13:00:00.000Z\n"}) {
    EXPECT_NE(before.find(field), std::string::npos) << before;
    EXPECT_NE(after.find(field), std::string::npos) << after;
  }
  const TRun info = Hoardscope({"cache", "info", "http://h/b/page.html"});
  EXPECT_NE(info.Out.find("content-type: text/html"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("expires: none"), std::string::npos) << info.Out;
  run = Hoardscope({"tree", "--all"});
  EXPECT_NE(run.Out.find("Other"), std::string::npos);
}

TEST_F(EntryCommandsTest, TheFilterOptionsNarrowWhatIsExported) {
  Add("http://h/a/page.html", "page.html", "<title>Page</title>");
  Add("http://h/b/page.html", "page.html", "<title>Other</title>");
  const std::string exportFile = (FHome.Path() / "out.hef").string();
  const TRun run = Hoardscope({"export", "--url", "/B/", "h", exportFile});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  const std::vector<TExportRecord> records = Records(exportFile);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].URL, "http://h/b/page.html");
  EXPECT_EQ(Hoardscope({"export", "h", exportFile, "--since", "today"}).ExitCode, 2);
}

TEST_F(EntryCommandsTest, ExportIntoAnExistingFolderAsksFirst) {
  Add("http://h/a.html", "a.html", "x");
  fs::create_directories(FHome.Path() / "out");
  WriteFile(FHome.Path() / "out" / "mine.txt", "keep me");
  TRun run = Hoardscope({"export", "h", (FHome.Path() / "out.hef").string()});
  EXPECT_EQ(Lines(run.Out).front(), "message: All files under " + (FHome.Path() / "out").string() +
                                        " will be delete!\\r\\nare you sure to delete them?");
  EXPECT_TRUE(fs::exists(FHome.Path() / "out" / "mine.txt"));
  EXPECT_FALSE(fs::exists(FHome.Path() / "out.hef"));
}

TEST_F(EntryCommandsTest, AnExportMovedToAnotherFolderImportsWhole) {
  Add("http://h/a/page.html", "page.html", "<title>Page</title>");
  Add("http://h/b/page.html", "page.html", "<title>Other</title>");
  ASSERT_EQ(Hoardscope({"export", "h", (FHome.Path() / "out.hef").string()}).ExitCode, 0);
  ASSERT_EQ(Hoardscope({"cache", "clear"}).ExitCode, 0);
  fs::create_directory(FHome.Path() / "moved");
  fs::rename(FHome.Path() / "out", FHome.Path() / "moved" / "out");
  fs::rename(FHome.Path() / "out.hef", FHome.Path() / "moved" / "out.hef");
  const TRun run = Hoardscope({"import", (FHome.Path() / "moved" / "out.hef").string()});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Lines(run.Out).back(), "imported: 2");
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/a/page.html", "http://h/b/page.html"}));
}

TEST_F(EntryCommandsTest, EntriesListedUnderOneKeyAreSelectedExportedImportedAndDeletedAsThemselves) {
  const std::vector<std::string> urls = {"http://p.example/a.html", "http://p.example/a.html?at=1:2",
                                         "http://p.example:8080/a.html", "http://u:pw@p.example/a.html"};
  for (std::size_t i = 0; i < urls.size(); ++i) Add(urls[i], "a" + std::to_string(i) + ".html", urls[i]);
  TRun run = Hoardscope({"tree", "--select", urls[2]});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_NE(run.Out.find("navigate: " + urls[2] + "\n"), std::string::npos) << run.Out;

  const fs::path exportFile = FHome.Path() / "out.hef";
  ASSERT_EQ(Hoardscope({"export", "p.example", exportFile.string()}).ExitCode, 0);
  std::vector<std::string> exported;
  for (const TExportRecord& record : Records(exportFile)) {
    exported.push_back(record.URL);
    EXPECT_NE(record.Headers.find("Content-Type: text/html"), std::string::npos) << record.URL;
  }
  std::sort(exported.begin(), exported.end());
  EXPECT_EQ(exported, urls);
  ASSERT_EQ(Hoardscope({"cache", "clear"}).ExitCode, 0);
  run = Hoardscope({"import", exportFile.string()});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(SortedUrls(), urls);

  ASSERT_EQ(Hoardscope({"delete", urls[2]}).ExitCode, 0);
  EXPECT_EQ(SortedUrls(), (std::vector<std::string>{urls[0], urls[1], urls[3]}));
  ASSERT_EQ(Hoardscope({"delete", "p.example"}).ExitCode, 0);
  EXPECT_EQ(Urls(), std::vector<std::string>());
}

TEST_F(EntryCommandsTest, ExportNamesItsCopiesByFullPathAndRefusesAFileWithoutAName) {
  Add("http://h/page.html", "page.html", "x");
  const TRun relative = RunShell("cd " + Quoted(FHome.Path().string()) + " && " +
                                     CommandInHome(FHome.Path(), HoardscopeProgram(), {"export", "h", "rel.hef"}),
                                 FHome.Path());
  ASSERT_EQ(relative.ExitCode, 0) << relative.Err;
  const std::vector<TExportRecord> records = Records(FHome.Path() / "rel.hef");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_NE(records[0].FileName.find(FHome.Path().filename().string()), std::string::npos) << records[0].FileName;

  fs::create_directories(FHome.Path() / "mine");
  WriteFile(FHome.Path() / "mine" / "keep.txt", "keep me");
  const TRun refused = Hoardscope({"export", "h", (FHome.Path() / "mine" / ".hef").string(), "--yes"});
  EXPECT_EQ(refused.ExitCode, 1);
  EXPECT_EQ(refused.Out.rfind("message: Cannot export to ", 0), 0u) << refused.Out;
  EXPECT_TRUE(fs::exists(FHome.Path() / "mine" / "keep.txt"));
  EXPECT_FALSE(fs::exists(FHome.Path() / "mine" / ".hef"));
}

// Not run against the Windows edition under Wine: the file size limit would reach Wine's own writes too.
TEST_F(EntryCommandsTest, ACopyCutShortByAFullDiskIsRemovedAndGetsNoRecord) {
  SKIP_ON_THE_WINDOWS_EDITION("a file size limit standing in for a full disk would reach Wine's own writes");
  Add("http://h/small.html", "small.html", "x");
  Add("http://h/big.html", "big.html", std::string(4 << 20, 'b'));
  // Past the file size limit (1 MiB, or 2 MiB where the shell counts in KiB) a write fails as on a full disk.
  const fs::path exportFile = FHome.Path() / "out.hef";
  const TRun run = RunShell("trap '' XFSZ; ulimit -f 2048; " +
                                CommandInHome(FHome.Path(), HoardscopeProgram(), {"export", "h", exportFile.string()}),
                            FHome.Path());
  EXPECT_EQ(run.ExitCode, 1) << run.Err;
  const std::vector<TExportRecord> records = Records(exportFile);
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].URL, "http://h/small.html");
  std::vector<std::string> copies;
  for (const auto& entry : fs::directory_iterator(FHome.Path() / "out")) copies.push_back(entry.path().filename());
  EXPECT_EQ(copies, std::vector<std::string>{fs::path(records[0].FileName).filename()});
  EXPECT_NE(run.Out.find("message: 1 files could not be copied into " + (FHome.Path() / "out").string()),
            std::string::npos) << run.Out;
  EXPECT_NE(run.Out.find("\\r\\nhttp://h/big.html ("), std::string::npos) << run.Out;
}

TEST_F(EntryCommandsTest, ImportOfAMissingOrTruncatedFile) {
  TRun run = Hoardscope({"import", (FHome.Path() / "none.hef").string()});
  EXPECT_EQ(Lines(run.Out).back(), "imported: -1");
  EXPECT_EQ(run.Err, "hoardscope: cannot import " + (FHome.Path() / "none.hef").string() + ": there is no such file\n");
  EXPECT_EQ(run.ExitCode, 1);
  WriteFile(FHome.Path() / "short.hef", std::string(100, 'x'));
  run = Hoardscope({"import", (FHome.Path() / "short.hef").string()});
  EXPECT_EQ(Lines(run.Out).back(), "imported: 0");
  EXPECT_NE(run.Out.find("truncated"), std::string::npos);
  EXPECT_EQ(run.ExitCode, 1);
}

TEST_F(EntryCommandsTest, ImportTakesNoFileFromOutsideAnExportFolderAndNoUrlButHttp) {
  fs::create_directories(FHome.Path() / "planted");
  const fs::path decoy = FHome.Path() / "private.txt";
  WriteFile(decoy, "not for the cache");
  WriteFile(FHome.Path() / "planted" / "page.html", "page");
  std::string bytes;
  for (const TExportRecord& record : {TExportRecord{decoy.string(), "http://d.test/host", 1.5, ""},
                                      TExportRecord{"page.html", "ftp://d.test/page.html", 1.5, ""}}) {
    const TExportRecordBytes encoded = EncodeExportRecord(record);
    bytes.append(encoded.data(), encoded.size());
  }
  WriteFile(FHome.Path() / "planted.hef", bytes);
  const TRun run = Hoardscope({"import", (FHome.Path() / "planted.hef").string()});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{"message: 2 records were left out of the import (no copy "
                                                      "inside an export folder: 1, no http or https URL: 1).",
                                                      "imported: 0"}));
  EXPECT_TRUE(Urls().empty());
}

// The store's index refuses every new entry, as a read-only or full index does.
TEST_F(EntryCommandsTest, ImportOfRecordsTheCacheRefusesLeavesNoFileAndFails) {
  SKIP_ON_THE_WINDOWS_EDITION("the system's cache cannot be made to refuse entries");
  Add("http://h/a.html", "a.html", "x");
  ASSERT_EQ(Hoardscope({"export", "h", (FHome.Path() / "out.hef").string()}).ExitCode, 0);
  ASSERT_EQ(Hoardscope({"cache", "clear"}).ExitCode, 0);
  const fs::path cache = FHome.Path() / "cache";
  const std::string trigger = "CREATE TRIGGER refuse BEFORE INSERT ON entries BEGIN SELECT RAISE(ABORT, 'no'); END";
  ASSERT_EQ(RunShell("sqlite3 " + Quoted((cache / "index.db").string()) + " " + Quoted(trigger), FHome.Path()).ExitCode,
            0);
  const TRun run = Hoardscope({"import", (FHome.Path() / "out.hef").string()});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(Lines(run.Out).back(), "imported: 1");
  EXPECT_NE(run.Out.find("message: 1 record was not put into the cache. The first: the cache refused "
                         "http://h/a.html"),
            std::string::npos)
      << run.Out;
  for (const auto& folder : fs::directory_iterator(cache)) {
    if (folder.is_directory()) {
      EXPECT_TRUE(fs::is_empty(folder.path())) << folder.path();
    }
  }
}

}  // namespace
}  // namespace hoardscope::acceptance
