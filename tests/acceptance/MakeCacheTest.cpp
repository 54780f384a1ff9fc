// make-cache: the real tool fills temporary homes, and the real hoardscope binary reads them back.
#include <map>
#include <set>

#include "core/ResponseHeaders.h"
#include "platform/caches/chromium/SimpleCache.h"
#include "platform/caches/firefox/FirefoxCache.h"
#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

// One line of "hoardscope cache list --all".
struct TListed {
  std::string Url;
  fs::path LocalFile;
  std::uint64_t Size = 0;
  std::string Synced;
  std::string Type;
  std::string ContentType;
};

// The host of a URL: after "//", up to a port, path or query.
std::string HostOf(const std::string& url) {
  const std::size_t start = url.find("//") + 2;
  return url.substr(start, url.find_first_of(":/?", start) - start);
}

std::string SchemeOf(const std::string& url) { return url.substr(0, url.find("//") + 2); }

// Files in the content folders of a cache store (the folders inside its root).
std::size_t CountContentFiles(const fs::path& cacheRoot) {
  std::size_t count = 0;
  for (const auto& folder : fs::directory_iterator(cacheRoot)) {
    if (!folder.is_directory() || folder.is_symlink()) continue;
    for (const auto& item : fs::directory_iterator(folder)) count += item.is_regular_file() ? 1 : 0;
  }
  return count;
}

class MakeCacheTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_THE_WINDOWS_EDITION("make-cache fills the Linux edition's store"); }

  TRun Shell(const std::string& command) { return RunShell(command, Scratch); }

  TRun MakeCache(const std::string& arguments) { return Shell(Quoted(MAKE_CACHE_BIN) + " " + arguments); }

  // make-cache into Scratch/home, which must succeed.
  void Make(const std::string& home, const std::string& arguments) {
    const TRun run = MakeCache("--home " + Quoted(Scratch / home) + " " + arguments);
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_EQ("", run.Err);
  }

  TRun Hoardscope(const std::string& home, const std::vector<std::string>& args) {
    return Shell(CommandInHome(Scratch / home, HoardscopeProgram(), args));
  }

  std::vector<TListed> List(const std::string& home) {
    const TRun run = Hoardscope(home, {"cache", "list", "--all"});
    EXPECT_EQ(0, run.ExitCode) << run.Err;
    std::vector<TListed> listed;
    for (const std::string& line : Lines(run.Out)) {
      const auto fields = Split(line, '\t');
      EXPECT_EQ(6u, fields.size()) << line;
      if (fields.size() == 6) {
        listed.push_back({fields[0], fields[1], std::stoull(fields[2]), fields[3], fields[4], fields[5]});
      }
    }
    return listed;
  }

  // "cache info URL" without its line naming the local file, which lies in a folder of random name.
  std::string InfoWithoutLocalFile(const std::string& home, const std::string& url) {
    const TRun run = Hoardscope(home, {"cache", "info", url});
    EXPECT_EQ(0, run.ExitCode) << run.Err;
    const std::size_t local = run.Out.find("\nlocal: ");
    if (local == std::string::npos) return run.Out;
    return run.Out.substr(0, local) + run.Out.substr(run.Out.find('\n', local + 1));
  }

  TTempHome FScratch{"make-cache"};
  const fs::path Scratch = FScratch.Path();
};

TEST_F(MakeCacheTest, TheSameSeedGivesTheSameEntriesContentsHeadersAndTimes) {
  Make("a", "--entries 400 --seed 7");
  Make("b", "--entries 400 --seed 7");
  const auto a = List("a"), b = List("b");
  ASSERT_EQ(400u, a.size());
  ASSERT_EQ(a.size(), b.size());
  for (std::size_t i = 0; i < a.size(); ++i) {
    SCOPED_TRACE(a[i].Url);
    EXPECT_EQ(a[i].Url, b[i].Url);
    EXPECT_EQ(a[i].LocalFile.filename(), b[i].LocalFile.filename());
    EXPECT_EQ(a[i].Size, b[i].Size);
    EXPECT_EQ(a[i].Synced, b[i].Synced);
    EXPECT_EQ(a[i].ContentType, b[i].ContentType);
    EXPECT_EQ(ReadFile(a[i].LocalFile), ReadFile(b[i].LocalFile));
    if (i % 40 == 0) {
      EXPECT_EQ(InfoWithoutLocalFile("a", a[i].Url), InfoWithoutLocalFile("b", b[i].Url));
    }
  }

  Make("c", "--entries 400 --seed 8");
  const auto c = List("c");
  ASSERT_EQ(400u, c.size());
  std::size_t sameUrls = 0;
  for (std::size_t i = 0; i < a.size(); ++i) sameUrls += a[i].Url == c[i].Url ? 1 : 0;
  EXPECT_LT(sameUrls, 40u) << "another seed should give other URLs";
}

TEST_F(MakeCacheTest, BrowserFormatsHoldTheStoreEntriesForTheReadersWithSomeBodiesGzipped) {
  // Bodies from 7 to 52 KB: the readers take small files whole, larger ones by their ends.
  Make("home", "--entries 300 --seed 5 --avg-size 30000");
  Make("chromium", "--entries 300 --seed 5 --avg-size 30000 --format chromium");
  Make("firefox", "--entries 300 --seed 5 --avg-size 30000 --format firefox");
  std::map<std::string, std::string> contents;
  for (const TListed& entry : List("home")) contents[entry.Url] = ReadFile(entry.LocalFile);
  ASSERT_EQ(300u, contents.size());
  using TReader = TCacheReadReport (*)(const std::string&, const TBrowserCacheSink&);
  for (const auto& [format, read] : {std::pair<const char*, TReader>{"chromium", ReadChromiumSimpleCache},
                                     std::pair<const char*, TReader>{"firefox", ReadFirefoxCache}}) {
    SCOPED_TRACE(format);
    std::set<std::string> urls;
    std::size_t packed = 0;
    const TCacheReadReport report = read((Scratch / format).string(), [&](TBrowserCacheEntry&& entry) {
      urls.insert(entry.Url);
      const std::string body = ReadFile(entry.Body.File).substr(entry.Body.Offset, entry.Body.Size);
      if (HeaderValueOf(entry.ResponseHeaders, "Content-Encoding") == "gzip") {
        ++packed;
        EXPECT_TRUE(body.starts_with("\x1f\x8b")) << entry.Url;
      } else {
        EXPECT_EQ(contents[entry.Url], body) << entry.Url;
      }
    });
    EXPECT_EQ(0u, report.Skipped);
    EXPECT_EQ(contents.size(), urls.size());
    EXPECT_GT(packed, 30u);
  }
}

TEST_F(MakeCacheTest, MakesTheRequestedNumberOfEntriesWithTheMixAViewMeets) {
  const TRun run = MakeCache("--home " + Quoted(Scratch / "home") + " --entries 3000 --avg-size 1000");
  ASSERT_EQ(0, run.ExitCode) << run.Err;
  EXPECT_EQ("make-cache: 3000 entries in " + (Scratch / "home").string() + "\n", run.Out);
  const auto listed = List("home");
  ASSERT_EQ(3000u, listed.size());
  EXPECT_EQ(3000u, Lines(Hoardscope("home", {"cache", "list"}).Out).size()) << "every entry is a normal one";

  std::map<std::string, std::size_t> schemes, contentTypes;
  std::set<std::string> hosts;
  std::size_t firstHost = 0, withPort = 0, withQuery = 0, withOtherColon = 0;
  std::uint64_t totalSize = 0;
  for (const TListed& entry : listed) {
    ++schemes[SchemeOf(entry.Url)];
    ++contentTypes[entry.ContentType];
    hosts.insert(HostOf(entry.Url));
    if (HostOf(entry.Url) == "www.host0.example") {
      ++firstHost;
      EXPECT_EQ("http://", SchemeOf(entry.Url)) << "the benchmark host is listed whole";
    }
    const std::string afterHost = entry.Url.substr(SchemeOf(entry.Url).size() + HostOf(entry.Url).size());
    withPort += afterHost.starts_with(":") ? 1 : 0;
    withQuery += afterHost.find('?') != std::string::npos ? 1 : 0;
    withOtherColon += afterHost.find(':', 1) != std::string::npos ? 1 : 0;
    totalSize += entry.Size;
    EXPECT_TRUE(entry.Synced.starts_with("2026-")) << entry.Synced;
  }
  EXPECT_EQ(300u, firstHost) << "www.host0.example holds every tenth entry";
  EXPECT_EQ(60u, hosts.size()) << "one host per 50 entries by default";
  EXPECT_GT(schemes["http://"], 2400u);
  EXPECT_GT(schemes["https://"], 0u);
  EXPECT_GT(schemes["ftp://"], 0u);
  EXPECT_GT(schemes["HTTP://"], 0u);
  EXPECT_GT(withPort, 0u);
  EXPECT_GT(withQuery, 0u);
  EXPECT_GT(withOtherColon, 0u);
  EXPECT_NEAR(1000.0, static_cast<double>(totalSize) / listed.size(), 150.0);
  for (const char* type : {"text/html", "text/css", "image/gif", "image/png", "image/jpeg", "audio/mpeg",
                           "application/x-shockwave-flash", "Unknown", "Unknown type"}) {
    EXPECT_GT(contentTypes[type], 0u) << type;
  }
}

TEST_F(MakeCacheTest, PagesAreTextThatASearchCanScan) {
  Make("home", "--entries 3000");
  std::size_t pages = 0, withNeedle = 0, withTitle = 0, withCrLf = 0, withBareLf = 0;
  for (const TListed& entry : List("home")) {
    if (!entry.ContentType.starts_with("text/html")) continue;
    ++pages;
    const std::string page = ReadFile(entry.LocalFile);
    EXPECT_TRUE(page.starts_with("<!DOCTYPE html>")) << entry.Url;
    EXPECT_EQ(std::string::npos, page.find('\0')) << entry.Url;
    withNeedle += page.find("hoardscope-needle") != std::string::npos ? 1 : 0;
    withTitle += page.find("<title>") != std::string::npos ? 1 : 0;
    withCrLf += page.find("\r\n") != std::string::npos ? 1 : 0;
    withBareLf += page.find("\n<") != std::string::npos && page.find("\r\n") == std::string::npos ? 1 : 0;
  }
  ASSERT_GT(pages, 500u);
  EXPECT_GT(withNeedle, 0u);
  EXPECT_LT(withNeedle, pages / 20);
  EXPECT_GT(withTitle, pages * 8 / 10);
  EXPECT_LT(withTitle, pages);
  EXPECT_GT(withCrLf, 0u);
  EXPECT_GT(withBareLf, 0u);
}

TEST_F(MakeCacheTest, ARunWithTheSameSeedReplacesItsEntriesAndLeavesNoFilesBehind) {
  Make("home", "--entries 300 --seed 3");
  Make("home", "--entries 300 --seed 3");
  EXPECT_EQ(300u, List("home").size());
  EXPECT_EQ(300u, CountContentFiles(Scratch / "home" / "cache"));
}

TEST_F(MakeCacheTest, AFailedRunLeavesTheStoreAsItWas) {
  Make("home", "--entries 20 --seed 1");
  Make("home", "--entries 1 --seed 2");   // shows which content folder the first entry of seed 2 goes to
  const auto before = List("home");
  const fs::path cacheRoot = Scratch / "home" / "cache";
  const fs::path firstFolder = before.back().LocalFile.parent_path();
  // Another content folder becomes a link to /proc, where no file can be made: the next run of seed 2 writes its
  // first entry and fails on a later one.
  fs::path broken;
  for (const auto& item : fs::directory_iterator(cacheRoot)) {
    if (item.is_directory() && item.path() != firstFolder) broken = item.path();
  }
  ASSERT_FALSE(broken.empty());
  fs::remove_all(broken);
  fs::create_directory_symlink("/proc", broken);
  const std::size_t filesBefore = CountContentFiles(cacheRoot);

  const TRun run = MakeCache("--home " + Quoted(Scratch / "home") + " --entries 500 --seed 2");
  EXPECT_EQ(1, run.ExitCode);
  EXPECT_TRUE(run.Err.starts_with("make-cache: cannot reserve a cache file for ")) << run.Err;
  EXPECT_EQ(std::string::npos, run.Err.find("-0.")) << "the first entry should have been written: " << run.Err;
  EXPECT_EQ("", run.Out);
  const auto after = List("home");
  ASSERT_EQ(before.size(), after.size());
  for (std::size_t i = 0; i < before.size(); ++i) {
    EXPECT_EQ(before[i].Url, after[i].Url);
    EXPECT_EQ(before[i].LocalFile, after[i].LocalFile);
  }
  EXPECT_EQ(filesBefore, CountContentFiles(cacheRoot)) << "the run's own files are removed again";
}

TEST_F(MakeCacheTest, BadArgumentsAreUsageErrorsAndTouchNothing) {
  const std::string home = "--home " + Quoted(Scratch / "home");
  for (const std::string& arguments :
       {std::string("--entries 10"), home, home + " --entries ten", home + " --entries -5", home + " --entries 1e3",
        home + " --entries 10 --hosts 0", home + " --entries 10 --avg-size 0", home + " --entries 10 --colour red",
        home + " --entries 10 extra", home + " --entries 10 --seed", std::string("--home '' --entries 10")}) {
    const TRun run = MakeCache(arguments);
    EXPECT_EQ(2, run.ExitCode) << arguments;
    EXPECT_TRUE(run.Err.starts_with("make-cache: ")) << arguments << ": " << run.Err;
    EXPECT_NE(std::string::npos, run.Err.find("usage: make-cache")) << arguments;
  }
  EXPECT_FALSE(fs::exists(Scratch / "home"));

  EXPECT_EQ(0, MakeCache("--help").ExitCode);
}

TEST_F(MakeCacheTest, AHomeThatCannotHoldACacheIsAnErrorNotACrash) {
  WriteFile(Scratch / "file", "not a folder");
  const TRun run = MakeCache("--home " + Quoted(Scratch / "file") + " --entries 10");
  EXPECT_EQ(1, run.ExitCode);
  EXPECT_TRUE(run.Err.starts_with("make-cache: ")) << run.Err;
  EXPECT_EQ("not a folder", ReadFile(Scratch / "file"));
}

}  // namespace
}  // namespace hoardscope::acceptance
