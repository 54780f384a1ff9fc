// hoardscope delete, export and import over a real home: the round trip of an export through an empty cache.
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

TEST_F(EntryCommandsTest, ImportOfAMissingOrTruncatedFile) {
  TRun run = Hoardscope({"import", (FHome.Path() / "none.hef").string()});
  EXPECT_EQ(Lines(run.Out).back(), "imported: -1");
  WriteFile(FHome.Path() / "short.hef", std::string(100, 'x'));
  run = Hoardscope({"import", (FHome.Path() / "short.hef").string()});
  EXPECT_EQ(Lines(run.Out).back(), "imported: 0");
  EXPECT_NE(run.Out.find("truncated"), std::string::npos);
}

}  // namespace
}  // namespace hoardscope::acceptance
