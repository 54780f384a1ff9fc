// hoardscope tree: the view run headless over a real home, its events and its printed tree.
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

class TreeCommandTest : public ::testing::Test {
 protected:
  TreeCommandTest() : FHome("tree") {}

  void Add(const std::string& url, const std::string& fileName, const std::string& content,
           const std::string& contentType = "text/html") {
    const fs::path file = FHome.Path() / fileName;
    WriteFile(file, content);
    const TRun run = Hoardscope({"cache", "add", url, file.string(), "--headers",
                                 "HTTP/1.1 200 OK\\r\\nContent-Type: " + contentType + "\\r\\n\\r\\n", "--synced",
                                 kSynced});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }

  static constexpr const char* kSynced = "2026-12-01T10:00:00.000Z";

  TRun Hoardscope(const std::vector<std::string>& args) { return RunInHome(FHome.Path(), HoardscopeProgram(), args); }

  TRun Tree(std::vector<std::string> args) {
    args.insert(args.begin(), "tree");
    return Hoardscope(args);
  }

  // The lines of the output before the last panel line.
  static std::vector<std::string> TreeLines(const TRun& run) {
    std::vector<std::string> lines = Lines(run.Out);
    if (!lines.empty()) lines.pop_back();
    return lines;
  }

  TTempHome FHome;
};

TEST_F(TreeCommandTest, PrintsTheHostLevelAfterTheLoad) {
  Add("http://www.example.com/index.html", "index.html", "<title>Home</title>");
  Add("http://Static.example.com/img/logo[1].gif", "logo.gif", "GIF89a", "image/gif");
  Add("https://www.example.com/secure.html", "secure.html", "<title>Secure</title>");
  const TRun run = Tree({});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(TreeLines(run), (std::vector<std::string>{"Hoardscope", "  Static.example.com", "    tempmarl",
                                                      "  www.example.com", "    tempmarl", "panel0: Platform cache"}));
  EXPECT_EQ(Lines(run.Out).back(), "panel1: Total  2  Files  25  Byte Used");  // what the listed entries hold
  EXPECT_EQ(run.Err, "");
}

TEST_F(TreeCommandTest, ExpandsAFolderWithItsAncestorsAndPrintsTheLongForm) {
  Add("http://h/a/b/page.html", "page.html", "<title>Deep page</title>");
  Add("http://h/top.html", "top.html", "no title here");
  const TRun run = Tree({"--long", "--expand", "h/a/b"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(TreeLines(run), (std::vector<std::string>{
                                "Hoardscope\troot img=2",
                                "  h\thost img=1 key=h",
                                "    top.html\tfile img=4 index=1\thttp://h/top.html\t13\t2026-12-01T10:00:00.000Z",
                                "    a\tfolder img=1 key=h/a",
                                "      b\tfolder img=1 key=h/a/b",
                                "        Deep page\tfile img=4 index=0\thttp://h/a/b/page.html\t24\t2026-12-01T10:00:00.000Z",
                                "panel0: Platform cache",
                            }));
}

TEST_F(TreeCommandTest, ExpandsEveryNodeWithAll) {
  Add("http://h/a/1.html", "1.html", "<title>One</title>");
  Add("http://h/a/b/2.html", "2.html", "<title>Two\nlines</title>");
  Add("http://g/3.html", "3.html", "<title>Three</title>");
  const TRun run = Tree({"--all"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(TreeLines(run), (std::vector<std::string>{"Hoardscope", "  g", "    Three", "  h", "    a", "      One",
                                                      "      b", "        Two lines",
                                                      "panel0: Platform cache"}));
}

TEST_F(TreeCommandTest, SelectingAFileReportsTheOfflineSwitchAndTheNavigation) {
  Add("http://h:8080/page.html", "page.html", "<title>Page</title>");
  const TRun run = Tree({"--select", "http://h/page.html"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[0], "offline: forced");
  EXPECT_EQ(lines[1], "navigate: http://h:8080/page.html");  // selected by its entry key, shown from its own URL
}

TEST_F(TreeCommandTest, SelectingAFolderShowsItsTotals) {
  Add("http://h/a/1.html", "1.html", std::string(1499, 'x'));
  Add("http://h/ab/2.html", "2.html", std::string(10, 'x'));
  const TRun run = Tree({"--select", "h/a"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(Lines(run.Out).back(), "panel1: Total  1  Files  1  KB Used");
  EXPECT_EQ(run.Out.find("tempmarl"), std::string::npos) << "no placeholder rows: " << run.Out;
}

TEST_F(TreeCommandTest, AnUnknownNodeOrOptionIsAnError) {
  Add("http://h/1.html", "1.html", "x");
  TRun run = Tree({"--expand", "nowhere"});
  EXPECT_EQ(run.ExitCode, 1);
  EXPECT_EQ(Lines(run.Err).size(), 1u);
  EXPECT_NE(run.Err.find("nowhere"), std::string::npos);
  EXPECT_EQ(Tree({"--select", "http://h/none.html"}).ExitCode, 1);
  run = Tree({"--bogus"});
  EXPECT_EQ(run.ExitCode, 2);
  EXPECT_NE(run.Err.find("usage"), std::string::npos);
}

TEST_F(TreeCommandTest, TheFilterOptionsNarrowTheTreeAndItsTotals) {
  Add("http://www.example.com/index.html", "index.html", "<title>Home</title>");
  Add("http://Static.example.com/img/logo.gif", "logo.gif", std::string(3000, 'G'), "image/gif");
  Add("http://other.org/page.html", "page.html", std::string(2048, 'p'));
  TRun run = Tree({"--url", "EXAMPLE.COM", "--min-size", "2K", "--until", "2026-12-01"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(TreeLines(run), (std::vector<std::string>{"Hoardscope", "  Static.example.com", "    tempmarl",
                                                      "panel0: Platform cache (filtered)"}));
  EXPECT_EQ(Lines(run.Out).back(), "panel1: Total  1  Files  3  KB Used");
  run = Tree({"--since", "2026-12-01T10:00:01", "--max-size", "1G"});  // a second after they were cached
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(TreeLines(run), (std::vector<std::string>{"Hoardscope", "panel0: Platform cache (filtered)"}));
}

TEST_F(TreeCommandTest, AMalformedFilterValueIsAUsageErrorThatSaysWhy) {
  const std::pair<std::string, std::string> malformed[] = {{"--since", "2026-02-30"},
                                                           {"--until", "2026-12-01 10:00:00"},
                                                           {"--min-size", "5X"},
                                                           {"--max-size", "-1"}};
  for (const auto& [option, value] : malformed) {
    const TRun run = Tree({option, value});
    EXPECT_EQ(run.ExitCode, 2) << option;
    const char* form = option.ends_with("size") ? "a size (a count of bytes with an optional K, M or G)"
                                                : "a date (YYYY-MM-DD or YYYY-MM-DDTHH:MM:SS, UTC)";
    EXPECT_EQ(Lines(run.Err).front(), "hoardscope: " + option + " '" + value + "' is not " + form);
    EXPECT_NE(run.Err.find("usage: hoardscope tree"), std::string::npos) << run.Err;
  }
  EXPECT_EQ(Tree({"--url"}).ExitCode, 2);
}

TEST_F(TreeCommandTest, HelpAndVersionAnswerWithStatusZero) {
  for (const char* asked : {"--help", "-h", "help"}) {
    const TRun run = Hoardscope({asked});
    EXPECT_EQ(run.ExitCode, 0) << asked;
    EXPECT_EQ(run.Out.rfind("usage: hoardscope", 0), 0u) << asked << ": " << run.Out;
    EXPECT_NE(run.Out.find("hoardscope tree"), std::string::npos) << asked;
  }
  const TRun run = Hoardscope({"--version"});
  EXPECT_EQ(run.ExitCode, 0);
  EXPECT_EQ(run.Out.rfind("hoardscope 1.", 0), 0u) << run.Out;
}

TEST_F(TreeCommandTest, AnEmptyHomeShowsTheRootAlone) {
  const TRun run = Tree({"--all"});
  ASSERT_EQ(run.ExitCode, 0) << run.Err;
  EXPECT_EQ(run.Out, "Hoardscope\npanel0: Platform cache\npanel1: \n");
}

// --quiet is taken wherever it stands, by every command; standard error that is no terminal gets no progress
// line with it or without it, and standard output is the same.
TEST_F(TreeCommandTest, QuietIsAcceptedEverywhereAndAPipeGetsNoProgressLine) {
  Add("http://h/page.html", "page.html", "a needle");
  const TRun plain = Tree({"--all"});
  ASSERT_EQ(plain.ExitCode, 0) << plain.Err;
  EXPECT_EQ(plain.Err, "");
  for (const std::vector<std::string>& args : {std::vector<std::string>{"--quiet", "tree", "--all"},
                                               std::vector<std::string>{"tree", "--all", "--quiet"}}) {
    const TRun quiet = Hoardscope(args);
    EXPECT_EQ(quiet.ExitCode, 0) << quiet.Err;
    EXPECT_EQ(quiet.Out, plain.Out);
    EXPECT_EQ(quiet.Err, "");
  }
  for (const std::vector<std::string>& args : {std::vector<std::string>{"search", "needle"},
                                               std::vector<std::string>{"search", "needle", "--quiet"}}) {
    const TRun search = Hoardscope(args);
    EXPECT_EQ(search.ExitCode, 0) << search.Err;
    EXPECT_NE(search.Out.find("page.html"), std::string::npos) << search.Out;
    EXPECT_EQ(search.Err, "");
  }
}

}  // namespace
}  // namespace hoardscope::acceptance
