// hoardscope report: the rows of a node in each format, read back by Python's own CSV, JSON and HTML readers.
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

class ReportCommandTest : public ::testing::Test {
 protected:
  ReportCommandTest() : FHome("report") {}

  void Add(const std::string& url, const std::string& content, const std::string& headers) {
    const fs::path file = FHome.Path() / "content";
    WriteFile(file, content);
    const TRun run = Hoardscope({"cache", "add", url, file.string(), "--headers",
                                 "HTTP/1.1 200 OK\\r\\n" + headers + "\\r\\n", "--synced", "2026-12-01T10:00:00.000Z"});
    ASSERT_EQ(run.ExitCode, 0) << run.Err;
  }

  TRun Hoardscope(const std::vector<std::string>& args) { return RunInHome(FHome.Path(), HoardscopeProgram(), args); }

  // The report's rows as Python's reader of the format reads them back, a line each, tab-separated.
  std::vector<std::string> ReadBack(const std::string& format) {
    const fs::path report = FHome.Path() / ("report." + format);
    const TRun run = Hoardscope({"report", "h", "--format", format, "--output", report.string()});
    EXPECT_EQ(run.ExitCode, 0) << run.Err;
    const TRun read = RunShell("python3 " + Quoted(std::string(HOARDSCOPE_SOURCE_DIR) +
                                                   "/tests/acceptance/read-report.py") +
                                   " " + format + " " + Quoted(report.string()),
                               FHome.Path());
    EXPECT_EQ(read.ExitCode, 0) << read.Err;
    std::vector<std::string> rows = Lines(read.Out);
    // The last access is the cache's own: WinInet keeps one, the Linux store none.
    for (std::size_t i = 1; i < rows.size(); ++i) {
      const std::vector<std::string> fields = Split(rows[i], '\t');
      rows[i].clear();
      for (std::size_t f = 0; f < fields.size(); ++f) rows[i] += (f > 0 ? "\t" : "") + (f == 5 ? "-" : fields[f]);
    }
    return rows;
  }

  TTempHome FHome;
};

TEST_F(ReportCommandTest, EveryFormatReadsBackAsTheSameRows) {
  Add("http://h/a.html", "<title>A, \"quoted\" &lt;page&gt; &amp; more</title>",
      "Content-Type: text/html\\r\\nServer: odd \"server\", v1\\r\\nExpires: Wed, 02 Dec 2026 10:00:00 GMT\\r\\n");
  Add("http://h/img/b.gif", "GIF89a", "Content-Type: image/gif\\r\\n");
  Add("http://other/c.html", "<title>Elsewhere</title>", "Content-Type: text/html\\r\\n");

  const std::vector<std::string> rows{
      "http://h/a.html\tA, \"quoted\" <page> & more\ttext/html\t" +
          std::to_string(std::string("<title>A, \"quoted\" &lt;page&gt; &amp; more</title>").size()) +
          "\t2026-12-01T10:00:00.000Z\t-\t2026-12-02T10:00:00.000Z\t200\todd \"server\", v1",
      "http://h/img/b.gif\tb.gif\timage/gif\t6\t2026-12-01T10:00:00.000Z\t-\t\t200\t"};
  const std::string titles = "URL\tCaption\tContent Type\tSize\tTime Cached\tLast Access\tExpiry\tStatus\tServer";
  const std::string keys = "url\tcaption\tcontent_type\tsize\ttime_cached\tlast_access\texpiry\tstatus\tserver";
  for (const char* format : {"csv", "html", "json"}) {
    std::vector<std::string> expected = rows;
    expected.insert(expected.begin(), std::string(format) == "json" ? keys : titles);
    EXPECT_EQ(ReadBack(format), expected) << format;
  }
}

TEST_F(ReportCommandTest, WritesToStandardOutputAndRefusesBadArguments) {
  Add("http://h/a.html", "<title>A</title>", "Content-Type: text/html\\r\\n");
  Add("http://h/b.gif", "GIF89a", "Content-Type: image/gif\\r\\n");
  const TRun run = Hoardscope({"report", "h", "--url", "A.HTML"});
  EXPECT_EQ(run.ExitCode, 0) << run.Err;
  const std::vector<std::string> lines = Lines(run.Out);
  ASSERT_EQ(lines.size(), 2u) << run.Out;
  EXPECT_EQ(lines[0], "URL,Caption,Content Type,Size,Time Cached,Last Access,Expiry,Status,Server\r");
  EXPECT_TRUE(lines[1].starts_with("http://h/a.html,A,text/html,16,2026-12-01T10:00:00.000Z,")) << lines[1];
  EXPECT_TRUE(lines[1].ends_with(",,200,\r")) << lines[1];
  EXPECT_EQ(Hoardscope({"report", "h", "--format", "xml"}).ExitCode, 2);
  EXPECT_EQ(Lines(Hoardscope({"report"}).Out).size(), 3u);  // the whole cache
  EXPECT_EQ(Hoardscope({"report", "h", "h"}).ExitCode, 2);
  EXPECT_EQ(Hoardscope({"report", "nowhere"}).ExitCode, 1);
  EXPECT_EQ(Hoardscope({"report", "h", "--output", (FHome.Path() / "no" / "such" / "r.csv").string()}).ExitCode, 1);
}

}  // namespace
}  // namespace hoardscope::acceptance
