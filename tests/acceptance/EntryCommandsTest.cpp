// hoardscope delete, export and import over a real home: the round trip of an export through an empty cache.
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

  void Add(const std::string& url, const std::string& name, const std::string& content) {
    fs::create_directories(FHome.Path() / "files");
    const fs::path file = FHome.Path() / "files" / name;
    WriteFile(file, content);
    const TRun run = Hoardscope({"cache", "add", url, file.string(), "--headers",
                                 "HTTP/1.1 200 OK\\r\\nContent-Type: text/html\\r\\n\\r\\n", "--synced",
                                 "2026-11-30T12:00:00.000Z"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }

  TRun Hoardscope(const std::vector<std::string>& args) { return RunInHome(FHome.Path(), HoardscopeProgram(), args); }

  std::vector<std::string> Urls() {
    std::vector<std::string> urls;
    for (const std::string& line : Lines(Hoardscope({"cache", "list"}).Out)) urls.push_back(Split(line, '\t')[0]);
    return urls;
  }

  TTempHome FHome;
};

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
  Add("http://h/a/page.html", "page.html", "<title>Page</title>");
  Add("http://h/b/page.html", "page.html", "<title>Other</title>");
  const std::string exportFile = (FHome.Path() / "out.hef").string();
  TRun run = Hoardscope({"export", "h", exportFile});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(fs::file_size(exportFile), 2 * 1032u);
  ASSERT_EQ(Hoardscope({"cache", "clear"}).ExitCode, 0);

  run = Hoardscope({"import", exportFile});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Lines(run.Out).back(), "imported: 2");
  EXPECT_EQ(Urls(), (std::vector<std::string>{"http://h/a/page.html", "http://h/b/page.html"}));
  const TRun info = Hoardscope({"cache", "info", "http://h/b/page.html"});
  EXPECT_NE(info.Out.find("content-type: text/html"), std::string::npos) << info.Out;
  EXPECT_NE(info.Out.find("expires: 2026-11-30T"), std::string::npos) << info.Out;
  run = Hoardscope({"tree", "--all"});
  EXPECT_NE(run.Out.find("Other"), std::string::npos);
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

TEST_F(EntryCommandsTest, ImportOfAMissingOrTruncatedFile) {
  TRun run = Hoardscope({"import", (FHome.Path() / "none.hef").string()});
  EXPECT_EQ(Lines(run.Out).back(), "imported: -1");
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
    if (folder.is_directory()) EXPECT_TRUE(fs::is_empty(folder.path())) << folder.path();
  }
}

}  // namespace
}  // namespace hoardscope::acceptance
