// The demo web (resources/demo) and scripts/load-demo.sh, which loads it into a home's cache with the real
// hoardscope binary.
#include <algorithm>
#include <cctype>
#include <regex>

#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

const fs::path kDemo = fs::path(HOARDSCOPE_SOURCE_DIR) / "resources" / "demo";
const fs::path kLoadDemo = fs::path(HOARDSCOPE_SOURCE_DIR) / "scripts" / "load-demo.sh";

struct TManifestEntry {
  std::string Url;
  std::string File;
  std::string Headers;
  std::string Synced;
};

std::vector<TManifestEntry> ReadManifest() {
  std::vector<TManifestEntry> entries;
  for (const std::string& line : Lines(ReadFile(kDemo / "manifest.tsv"))) {
    const auto fields = Split(line, '\t');
    EXPECT_EQ(4u, fields.size()) << line;
    if (fields.size() == 4) entries.push_back({fields[0], fields[1], fields[2], fields[3]});
  }
  return entries;
}

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

// The value of a header line "Name: value" in a CR LF header block; "" when there is none.
std::string HeaderValue(const std::string& block, const std::string& name) {
  const std::string prefix = "\r\n" + name + ": ";
  const std::size_t start = block.find(prefix);
  if (start == std::string::npos) return {};
  const std::size_t valueStart = start + prefix.size();
  return block.substr(valueStart, block.find("\r\n", valueStart) - valueStart);
}

TEST(DemoWebTest, EachHeaderBlockDescribesItsFile) {
  const std::regex isoTime(R"(2026-\d\d-\d\dT\d\d:\d\d:\d\d\.\d{3}Z)");
  const auto entries = ReadManifest();
  ASSERT_FALSE(entries.empty());
  std::vector<std::string> urls;
  for (const TManifestEntry& entry : entries) {
    SCOPED_TRACE(entry.Url);
    urls.push_back(entry.Url);
    const fs::path file = kDemo / "files" / entry.File;
    ASSERT_TRUE(fs::is_regular_file(file)) << file;
    const std::string headers = ReadFile(kDemo / "headers" / entry.Headers);
    EXPECT_TRUE(headers.starts_with("HTTP/1.1 200 OK\r\n"));
    EXPECT_TRUE(headers.ends_with("\r\n\r\n"));
    for (std::size_t lf = headers.find('\n'); lf != std::string::npos; lf = headers.find('\n', lf + 1)) {
      ASSERT_EQ('\r', headers[lf - 1]) << "a bare LF at byte " << lf;
    }
    EXPECT_EQ(std::to_string(fs::file_size(file)), HeaderValue(headers, "Content-Length"));
    EXPECT_NE("", HeaderValue(headers, "Content-Type"));
    EXPECT_TRUE(std::regex_match(entry.Synced, isoTime)) << entry.Synced;
  }
  std::sort(urls.begin(), urls.end());
  EXPECT_EQ(urls.end(), std::adjacent_find(urls.begin(), urls.end())) << "a URL twice would replace its first entry";
}

class LoadDemoTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_THE_WINDOWS_EDITION("the demo loader fills the Linux edition's store"); }

  TRun Shell(const std::string& command) { return RunShell(command, Scratch); }

  TRun LoadDemo(const std::string& binary = HoardscopeProgram()) {
    return Shell(Quoted(kLoadDemo) + " " + Quoted(Home) + " " + Quoted(binary));
  }

  TRun Hoardscope(const std::vector<std::string>& args) { return Shell(CommandInHome(Home, HoardscopeProgram(), args)); }

  std::vector<std::string> ListedLines() {
    const TRun run = Hoardscope({"cache", "list", "--all"});
    EXPECT_EQ(0, run.ExitCode) << run.Err;
    return Lines(run.Out);
  }

  TTempHome FScratch{"load-demo"};
  const fs::path Scratch = FScratch.Path();
  const fs::path Home = Scratch / "home";
};

TEST_F(LoadDemoTest, LoadsEveryEntryOfTheManifestIntoAnEmptyHome) {
  const TRun run = LoadDemo();
  ASSERT_EQ(0, run.ExitCode) << run.Err;
  const auto entries = ReadManifest();
  const auto lines = ListedLines();
  ASSERT_EQ(entries.size(), lines.size());
  for (std::size_t i = 0; i < lines.size(); ++i) {
    const auto fields = Split(lines[i], '\t');   // URL, local file, size, synced, type, content type
    ASSERT_EQ(6u, fields.size()) << lines[i];
    SCOPED_TRACE(entries[i].Url);
    const fs::path file = kDemo / "files" / entries[i].File;
    EXPECT_EQ(entries[i].Url, fields[0]);
    EXPECT_EQ(ReadFile(file), ReadFile(fields[1]));
    EXPECT_EQ(std::to_string(fs::file_size(file)), fields[2]);
    EXPECT_EQ(entries[i].Synced, fields[3]);
    EXPECT_EQ("1", fields[4]);
    const std::string headers = ReadFile(kDemo / "headers" / entries[i].Headers);
    EXPECT_EQ(Lower(HeaderValue(headers, "Content-Type")), fields[5]);
  }
}

TEST_F(LoadDemoTest, ASecondRunAddsNothing) {
  ASSERT_EQ(0, LoadDemo().ExitCode);
  const auto first = ListedLines();
  const TRun again = LoadDemo();
  EXPECT_EQ(0, again.ExitCode) << again.Err;
  EXPECT_NE(std::string::npos, again.Out.find("nothing loaded")) << again.Out;
  EXPECT_EQ(first, ListedLines());
}

TEST_F(LoadDemoTest, LeavesACacheThatHoldsEntriesAlone) {
  const fs::path own = Scratch / "own.txt";
  WriteFile(own, "mine");
  // Not a normal entry: the view would not list it, but the cache is in use all the same.
  ASSERT_EQ(0, Hoardscope({"cache", "add", "http://own.example/a.txt", own.string(), "--type", "0x100000"}).ExitCode);
  const auto before = ListedLines();
  EXPECT_EQ(0, LoadDemo().ExitCode);
  EXPECT_EQ(before, ListedLines());
}

TEST_F(LoadDemoTest, RemovesItsEntriesWhenOneCannotBeAddedSoThatALaterRunLoadsAll) {
  // A hoardscope that refuses to add one page in the middle of the manifest.
  const fs::path refusing = Scratch / "refusing-hoardscope";
  std::ofstream(refusing) << "#!/usr/bin/env bash\n"
                          << "[[ \"$1 $2 $3\" == *spring-festival* ]] && { echo 'disk full' >&2; exit 1; }\n"
                          << "exec " << Quoted(HoardscopeProgram()) << " \"$@\"\n";
  fs::permissions(refusing, fs::perms::owner_all);
  const TRun failed = LoadDemo(refusing.string());
  EXPECT_EQ(1, failed.ExitCode);
  EXPECT_NE(std::string::npos, failed.Err.find("http://news.example.org/2026/05/spring-festival.html")) << failed.Err;
  EXPECT_TRUE(ListedLines().empty());

  ASSERT_EQ(0, LoadDemo().ExitCode);
  EXPECT_EQ(ReadManifest().size(), ListedLines().size());
}

TEST_F(LoadDemoTest, ReportsBadUsageAndAMissingBinary) {
  EXPECT_EQ(2, Shell(Quoted(kLoadDemo)).ExitCode);
  const TRun missing = LoadDemo((Scratch / "no-such-hoardscope").string());
  EXPECT_EQ(1, missing.ExitCode);
  EXPECT_NE(std::string::npos, missing.Err.find("no hoardscope executable")) << missing.Err;
  EXPECT_FALSE(fs::exists(Home));
}

}  // namespace
}  // namespace hoardscope::acceptance
