// hoardscope search: the Search action run headless over a real home.
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

class SearchCommandTest : public ::testing::Test {
 protected:
  SearchCommandTest() : FHome("search") {
    Hoardscope({"reg", "add", "HKLM\\Software\\Pellix\\Hoardscope\\Search History", "/f"});
  }

  void Add(const std::string& url, const std::string& content, const std::string& contentType = "text/html",
           const std::string& synced = "") {
    const fs::path file = FHome.Path() / ("f" + std::to_string(++FFiles));
    WriteFile(file, content);
    std::vector<std::string> args{"cache", "add", url, file.string(), "--headers",
                                  "HTTP/1.1 200 OK\\r\\nContent-Type: " + contentType + "\\r\\n\\r\\n"};
    if (!synced.empty()) args.insert(args.end(), {"--synced", synced});
    const TRun run = Hoardscope(args);
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }

  TRun Hoardscope(const std::vector<std::string>& args) { return RunInHome(FHome.Path(), HoardscopeProgram(), args); }

  TRun Search(std::vector<std::string> args) {
    args.insert(args.begin(), "search");
    return Hoardscope(args);
  }

  // The output without its last line, panel 1, whose totals depend on the file system.
  static std::vector<std::string> WithoutTotals(const TRun& run) {
    std::vector<std::string> lines = Lines(run.Out);
    if (!lines.empty()) lines.pop_back();
    return lines;
  }

  TTempHome FHome;
  int FFiles = 0;
};

TEST_F(SearchCommandTest, PrintsTheResultBranchExpandedAndTheCount) {
  Add("http://ab/page.html", "<title>Page</title>\r\nA Needle inside\r\n");
  Add("http://ab/deep/other.html", "<title>Other</title>needle");
  Add("http://abc/page.html", "<title>Elsewhere</title>needle");
  Add("http://ab/pic.gif", "needle", "image/gif");
  const TRun run = Search({"needle", "--in", "ab", "--fail-if-none"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(WithoutTotals(run), (std::vector<std::string>{"Search Result", "  ab", "    Page", "    deep",
                                                         "      Other", "panel0: Found 2 items"}));
  EXPECT_EQ(Lines(run.Out).back(), "panel1: Total  3  Files  70  Byte Used");  // the selected host's totals
}

TEST_F(SearchCommandTest, NotFoundIsAMessageAndTheTextGoesToTheHistory) {
  Add("http://h/page.html", "hay");
  TRun run = Search({"needle", "--whole", "--case"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(WithoutTotals(run), (std::vector<std::string>{"message: needle not found", "panel0: Platform cache"}));
  run = Hoardscope({"reg", "query", "HKLM\\Software\\Pellix\\Hoardscope\\Search History", "/v", "key1"});
  EXPECT_NE(run.Out.find("needle"), std::string::npos) << run.Out;
  EXPECT_EQ(Search({"needle", "--whole", "--fail-if-none"}).ExitCode, 1);  // scripts that ask for grep's status
}

TEST_F(SearchCommandTest, AFileNodeAsksForAFolder) {
  Add("http://h/page.html", "needle");
  const TRun run = Search({"needle", "--in", "http://h/page.html"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Lines(run.Out), (std::vector<std::string>{"offline: forced", "navigate: http://h/page.html",
                                                      "message: Please select a folder first.", "panel0: Platform cache",
                                                      Lines(run.Out).back()}));
}

TEST_F(SearchCommandTest, TheAgeLimitKeepsOutOldEntries) {
  Add("http://h/old.html", "<title>Old</title>needle", "text/html", "2001-01-01T00:00:00.000Z");
  Add("http://h/new.html", "<title>New</title>needle");
  const TRun run = Search({"needle", "--age", "today"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(WithoutTotals(run), (std::vector<std::string>{"Search Result", "  h", "    New", "panel0: Found 1 items"}));
}

TEST_F(SearchCommandTest, BadUsageAndUnknownNodes) {
  EXPECT_EQ(Search({}).ExitCode, 2);
  EXPECT_EQ(Search({"x", "--age", "year"}).ExitCode, 2);
  EXPECT_EQ(Search({"x", "--in", "h", "--whole"}).ExitCode, 2);
  EXPECT_EQ(Search({"x", "--in", "nowhere"}).ExitCode, 1);
}

}  // namespace
}  // namespace hoardscope::acceptance
