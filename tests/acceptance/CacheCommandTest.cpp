// hoardscope cache add|list|info|delete|clear: the real binary against a temporary HOARDSCOPE_HOME.
#include <chrono>

#include "tests/acceptance/CommandLine.h"

namespace hoardscope::acceptance {
namespace {

class CacheCommandTest : public ::testing::Test {
 protected:
  void SetUp() override { fs::create_directories(Home / "files"); }

  TRun Run(std::vector<std::string> args) {
    args.insert(args.begin(), "cache");
    return RunInHome(Home, HoardscopeProgram(), args);
  }

  // A file to add, with a fixed modification time (2020-01-02T03:04:05Z).
  std::string File(const std::string& name, const std::string& content) {
    const fs::path file = Home / "files" / name;
    WriteFile(file, content);
    const auto written = std::chrono::file_clock::from_sys(std::chrono::sys_days(std::chrono::year(2020) / 1 / 2) +
                                                           std::chrono::hours(3) + std::chrono::minutes(4) +
                                                           std::chrono::seconds(5));
    fs::last_write_time(file, written);
    return file.string();
  }

  void Add(const std::vector<std::string>& args) {
    std::vector<std::string> all{"add"};
    all.insert(all.end(), args.begin(), args.end());
    const TRun run = Run(all);
    ASSERT_EQ(0, run.ExitCode) << run.Err;
    EXPECT_EQ("", run.Out);
  }

  TTempHome FHome{"cache-cli"};
  const fs::path Home = FHome.Path();
};

// --- add and list ---

TEST_F(CacheCommandTest, ListShowsTheFieldsOfEachEntry) {
  SKIP_ON_THE_WINDOWS_EDITION("WinInet names and places the files it keeps");
  Add({"http://example.com/a/page.htm", File("page.htm", "<html>hello</html>"), "--headers",
       "HTTP/1.1 200 OK\\r\\nContent-Type: text/html; charset=UTF-8\\r\\n\\r\\n", "--synced",
       "2026-12-01T10:00:00.000Z"});
  const TRun run = Run({"list"});
  ASSERT_EQ(0, run.ExitCode) << run.Err;
  const auto lines = Lines(run.Out);
  ASSERT_EQ(1u, lines.size());
  const auto fields = Split(lines[0], '\t');
  ASSERT_EQ(6u, fields.size()) << lines[0];
  EXPECT_EQ("http://example.com/a/page.htm", fields[0]);
  EXPECT_EQ((Home / "cache").string(), fs::path(fields[1]).parent_path().parent_path().string());
  EXPECT_EQ("page.htm", fs::path(fields[1]).filename());
  EXPECT_EQ("<html>hello</html>", ReadFile(fields[1]));
  EXPECT_EQ("18", fields[2]);
  EXPECT_EQ("2026-12-01T10:00:00.000Z", fields[3]);
  EXPECT_EQ("1", fields[4]);
  EXPECT_EQ("text/html; charset=utf-8", fields[5]);
  EXPECT_EQ("", run.Err);
}

TEST_F(CacheCommandTest, ListWithoutHeadersSaysUnknownAndSyncedIsNow) {
  Add({"http://example.com/x.bin", File("x.bin", "1234")});
  const auto fields = Split(Lines(Run({"list"}).Out).at(0), '\t');
  ASSERT_EQ(6u, fields.size());
  EXPECT_EQ("Unknown", fields[5]);
  EXPECT_EQ(24u, fields[3].size());
  EXPECT_EQ('Z', fields[3].back());
  EXPECT_NE("1601-01-01T00:00:00.000Z", fields[3]);
}

TEST_F(CacheCommandTest, ListFollowsWalkOrderAndShowsNormalEntriesOnly) {
  SKIP_ON_THE_WINDOWS_EDITION("WinInet walks in the order of its hash table");
  const std::string file = File("a.gif", "GIF89a");
  Add({"http://example.com/a.gif", file});
  Add({"http://example.com/b.gif", file});
  Add({"Cookie:user@example.com/", file, "--type", "0x00100001"});
  Add({"http://example.com/a.gif", file});   // replaced: goes to the end

  const auto normal = Lines(Run({"list"}).Out);
  ASSERT_EQ(2u, normal.size());
  EXPECT_EQ("http://example.com/b.gif", Split(normal[0], '\t')[0]);
  EXPECT_EQ("http://example.com/a.gif", Split(normal[1], '\t')[0]);

  const auto all = Lines(Run({"list", "--all"}).Out);
  ASSERT_EQ(3u, all.size());
  EXPECT_EQ("Cookie:user@example.com/", Split(all[1], '\t')[0]);
  EXPECT_EQ("1048577", Split(all[1], '\t')[4]);
}

TEST_F(CacheCommandTest, SameFileNameTwiceIsDecorated) {
  SKIP_ON_THE_WINDOWS_EDITION("WinInet names the files it keeps");
  const std::string file = File("page.htm", "x");
  Add({"http://one.example/page.htm", file});
  Add({"http://two.example/page.htm", file});
  const auto lines = Lines(Run({"list"}).Out);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("page.htm", fs::path(Split(lines[0], '\t')[1]).filename());
  EXPECT_EQ("page[1].htm", fs::path(Split(lines[1], '\t')[1]).filename());
}

TEST_F(CacheCommandTest, ExtensionComesFromTheFileOrElseTheUrl) {
  SKIP_ON_THE_WINDOWS_EDITION("WinInet names the files it keeps");
  Add({"http://example.com/logo", File("logo.png", "png")});
  Add({"http://example.com/style.css?v=2", File("style", "css")});
  const auto lines = Lines(Run({"list"}).Out);
  ASSERT_EQ(2u, lines.size());
  EXPECT_EQ("logo.png", fs::path(Split(lines[0], '\t')[1]).filename());
  EXPECT_EQ("style.css", fs::path(Split(lines[1], '\t')[1]).filename());
}

TEST_F(CacheCommandTest, EmptyCacheListsNothing) {
  const TRun run = Run({"list"});
  EXPECT_EQ(0, run.ExitCode);
  EXPECT_EQ("", run.Out);
  EXPECT_EQ("", run.Err);
}

// --- info ---

TEST_F(CacheCommandTest, InfoShowsOneFieldALineThenTheRawHeaders) {
  SKIP_ON_THE_WINDOWS_EDITION("Wine keeps last-sync times to two seconds");
  const std::string headers = "HTTP/1.1 200 OK\r\nContent-Type: image/gif\r\n\r\n";
  WriteFile(Home / "headers.txt", headers);
  Add({"http://example.com/a.gif", File("a.gif", "GIF89a"), "--headers-file", (Home / "headers.txt").string(),
       "--synced", "2026-12-01T10:00:00.5Z", "--type", "65"});
  const std::string local = Split(Lines(Run({"list"}).Out).at(0), '\t')[1];
  const TRun run = Run({"info", "http://example.com/a.gif"});
  ASSERT_EQ(0, run.ExitCode) << run.Err;
  EXPECT_EQ("url: http://example.com/a.gif\n"
            "local: " + local + "\n"
            "size: 6\n"
            "synced: 2026-12-01T10:00:00.500Z\n"
            "expires: none\n"
            "modified: 2020-01-02T03:04:05.000Z\n"
            "type: 65\n"
            "content-type: image/gif\n"
            "headers:\n" + headers,
            run.Out);
}

TEST_F(CacheCommandTest, InfoOfAnEntryWithoutHeaders) {
  Add({"http://example.com/a.txt", File("a.txt", "")});
  const TRun run = Run({"info", "http://example.com/a.txt"});
  ASSERT_EQ(0, run.ExitCode);
  EXPECT_NE(std::string::npos, run.Out.find("\nsize: 0\n"));
  EXPECT_NE(std::string::npos, run.Out.find("\ncontent-type: Unknown\nheaders:\n"));
  EXPECT_EQ('\n', run.Out.back());
}

TEST_F(CacheCommandTest, InfoAndDeleteOfAnUnknownUrlFail) {
  Add({"http://example.com/a.gif", File("a.gif", "x")});
  for (const char* verb : {"info", "delete"}) {
    const TRun run = Run({verb, "http://example.com/A.gif"});
    EXPECT_EQ(1, run.ExitCode) << verb;
    EXPECT_EQ("", run.Out) << verb;
    EXPECT_EQ(1u, Lines(run.Err).size()) << run.Err;
    EXPECT_NE(std::string::npos, run.Err.find("http://example.com/A.gif")) << run.Err;
  }
}

// --- delete and clear ---

TEST_F(CacheCommandTest, DeleteRemovesTheEntryAndItsFile) {
  const std::string file = File("a.gif", "x");
  Add({"http://example.com/a.gif", file});
  Add({"http://example.com/b.gif", file});
  const std::string local = Split(Lines(Run({"list"}).Out).at(0), '\t')[1];
  const TRun run = Run({"delete", "http://example.com/a.gif"});
  EXPECT_EQ(0, run.ExitCode) << run.Err;
  EXPECT_EQ("", run.Out);
  EXPECT_FALSE(fs::exists(local));
  const auto lines = Lines(Run({"list"}).Out);
  ASSERT_EQ(1u, lines.size());
  EXPECT_EQ("http://example.com/b.gif", Split(lines[0], '\t')[0]);
  EXPECT_EQ(1, Run({"delete", "http://example.com/a.gif"}).ExitCode);
}

TEST_F(CacheCommandTest, ClearRemovesEveryEntryAndFile) {
  const std::string file = File("a.gif", "x");
  Add({"http://example.com/a.gif", file});
  Add({"Cookie:user@example.com/", file, "--type", "1048577"});
  const std::string local = Split(Lines(Run({"list"}).Out).at(0), '\t')[1];
  const TRun run = Run({"clear"});
  EXPECT_EQ(0, run.ExitCode) << run.Err;
  EXPECT_EQ("", Run({"list", "--all"}).Out);
  EXPECT_FALSE(fs::exists(local));
  EXPECT_TRUE(fs::exists(file));
}

// --- failures ---

TEST_F(CacheCommandTest, BadUsageExitsWithTwoAndAUsageLine) {
  const std::string file = File("a.gif", "x");
  const std::vector<std::vector<std::string>> bad = {
      {},
      {"frobnicate"},
      {"add", "http://example.com/a.gif"},
      {"add", "http://example.com/a.gif", file, "extra"},
      {"add", "http://example.com/a.gif", file, "--synced", "yesterday"},
      {"add", "http://example.com/a.gif", file, "--synced", "2026-02-30T00:00:00.000Z"},
      {"add", "http://example.com/a.gif", file, "--type", "normal"},
      {"add", "http://example.com/a.gif", file, "--headers", "a", "--headers-file", file},
      {"add", "http://example.com/a.gif", file, "--unknown"},
      {"add", "http://example.com/a.gif", file, "--headers"},
      {"list", "extra"},
      {"info"},
      {"delete", "a", "b"},
      {"clear", "now"},
  };
  for (const auto& args : bad) {
    const TRun run = Run(args);
    std::string shown;
    for (const auto& arg : args) shown += arg + " ";
    EXPECT_EQ(2, run.ExitCode) << shown;
    EXPECT_EQ(0u, run.Err.rfind("usage: ", 0)) << shown << ": " << run.Err;
    EXPECT_EQ("", run.Out) << shown;
  }
  EXPECT_EQ("", Run({"list", "--all"}).Out) << "a refused add changed the cache";
}

TEST_F(CacheCommandTest, AddOfAMissingFileFails) {
  const TRun run = Run({"add", "http://example.com/a.gif", (Home / "files" / "missing.gif").string()});
  EXPECT_EQ(1, run.ExitCode);
  EXPECT_NE(std::string::npos, run.Err.find("missing.gif"));
  EXPECT_EQ("", Run({"list"}).Out);
}

TEST_F(CacheCommandTest, AHeaderBlockWithoutEndIsRefused) {
  const TRun run = RunShell("timeout 20 env " + CommandInHome(Home, HoardscopeProgram(),
                                                          {"cache", "add", "http://example.com/a.gif",
                                                           File("a.gif", "x"), "--headers-file", "/dev/zero"}),
                            Home);
  EXPECT_EQ(1, run.ExitCode);
  EXPECT_NE(std::string::npos, run.Err.find("/dev/zero is larger than 64 KiB")) << run.Err;
  EXPECT_EQ("", Run({"list"}).Out);
}

// Content folders made immutable (chattr +i: refused even to root) for as long as the test runs.
class TImmutableFolders {
 public:
  explicit TImmutableFolders(const fs::path& cache) {
    for (const auto& item : fs::directory_iterator(cache)) {
      if (item.is_directory()) Folders.push_back(item.path());
    }
  }
  ~TImmutableFolders() { Set("-i"); }
  bool Set(const std::string& flag) {
    bool all = true;
    for (const fs::path& folder : Folders) {
      all = std::system(("chattr " + flag + " " + Quoted(folder.string()) + " 2>/dev/null").c_str()) == 0 && all;
    }
    return all;
  }

 private:
  std::vector<fs::path> Folders;
};

TEST_F(CacheCommandTest, DeleteAndClearReportFilesThatCannotBeRemoved) {
  if (TestsOtherEdition()) GTEST_SKIP() << "that edition's cache is the system's, not in the home";
  const std::string file = File("a.gif", "x");
  Add({"http://example.com/a.gif", file});
  Add({"http://example.com/b.gif", file});
  const std::string local = Split(Lines(Run({"list"}).Out).at(0), '\t')[1];
  TImmutableFolders immutable(Home / "cache");
  if (!immutable.Set("+i")) GTEST_SKIP() << "chattr +i does not work here";

  const TRun deleted = Run({"delete", "http://example.com/a.gif"});
  const TRun cleared = Run({"clear"});

  EXPECT_EQ(1, deleted.ExitCode);
  EXPECT_NE(std::string::npos, deleted.Err.find("cannot remove " + local)) << deleted.Err;
  EXPECT_EQ(1, cleared.ExitCode);
  EXPECT_NE(std::string::npos, cleared.Err.find("could not be removed")) << cleared.Err;
  EXPECT_TRUE(fs::exists(local));
}

// A small file system of its own (tmpfs) under the home, for as long as the test runs.
class TSmallDisk {
 public:
  explicit TSmallDisk(const fs::path& where) : Path(where) {
    fs::create_directories(Path);
    Mounted = std::system(("mount -t tmpfs -o size=2m tmpfs " + Quoted(Path.string()) + " 2>/dev/null").c_str()) == 0;
  }
  ~TSmallDisk() {
    if (Mounted) std::system(("umount " + Quoted(Path.string())).c_str());
  }

  // Fills the file system up to its last byte.
  void Fill() const {
    std::ofstream filler(Path / "filler", std::ios::binary);
    const std::string block(4096, 'f');
    while (filler.write(block.data(), block.size())) {}
  }

  const fs::path Path;
  bool Mounted = false;
};

TEST_F(CacheCommandTest, AFullDiskSaysSoAndCanBeFreedByDeleting) {
  if (TestsOtherEdition()) GTEST_SKIP() << "that edition's cache is the system's, not in the home";
  const TSmallDisk disk(Home / "disk");
  if (!disk.Mounted) GTEST_SKIP() << "cannot mount a tmpfs here";
  const std::string large = File("large.bin", std::string(700 * 1024, 'x'));
  const auto run = [&](const std::vector<std::string>& args) {
    std::vector<std::string> all{"cache"};
    all.insert(all.end(), args.begin(), args.end());
    return RunShell(CommandInHome(disk.Path, HoardscopeProgram(), all), Home);   // output captured off the disk
  };
  ASSERT_EQ(0, run({"add", "http://example.com/1.bin", large}).ExitCode);
  ASSERT_EQ(0, run({"add", "http://example.com/2.bin", large}).ExitCode);
  disk.Fill();

  const TRun added = run({"add", "http://example.com/3.bin", large});
  const TRun deleted = run({"delete", "http://example.com/1.bin"});
  const TRun listed = run({"list"});
  disk.Fill();
  const TRun cleared = run({"clear"});

  EXPECT_EQ(1, added.ExitCode) << added.Err;
  EXPECT_NE(std::string::npos, added.Err.find("No space left on device")) << added.Err;
  EXPECT_EQ(0, deleted.ExitCode) << deleted.Err;
  ASSERT_EQ(1u, Lines(listed.Out).size()) << listed.Out << listed.Err;
  EXPECT_EQ("http://example.com/2.bin", Split(Lines(listed.Out)[0], '\t')[0]);
  EXPECT_EQ(0, cleared.ExitCode) << cleared.Err;
  EXPECT_EQ("", run({"list", "--all"}).Out);
}

TEST_F(CacheCommandTest, DamagedIndexIsReportedByName) {
  SKIP_ON_THE_WINDOWS_EDITION("the cache is the system's, without an index file of ours");
  fs::create_directories(Home / "cache");
  WriteFile(Home / "cache" / "index.db", std::string(2048, '#'));
  const TRun run = Run({"list"});
  EXPECT_EQ(1, run.ExitCode);
  EXPECT_NE(std::string::npos, run.Err.find((Home / "cache" / "index.db").string())) << run.Err;
  EXPECT_EQ(std::string(2048, '#'), ReadFile(Home / "cache" / "index.db"));
}

}  // namespace
}  // namespace hoardscope::acceptance
