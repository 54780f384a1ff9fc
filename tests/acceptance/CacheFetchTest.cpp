// hoardscope cache fetch: the real binary fetching from a loopback server into a temporary HOARDSCOPE_HOME.
#include <chrono>

#include "tests/acceptance/CommandLine.h"
#include "tests/linux/LoopbackHttpServer.h"

namespace hoardscope::acceptance {
namespace {

class CacheFetchTest : public ::testing::Test {
 protected:
  void SetUp() override { SKIP_ON_THE_WINDOWS_EDITION("fetching goes through the Linux edition's HTTP layer"); }

  TRun Fetch(const std::vector<std::string>& urls) {
    std::vector<std::string> args{"cache", "fetch"};
    args.insert(args.end(), urls.begin(), urls.end());
    return RunInHome(Home.Path(), HoardscopeProgram(), args);
  }

  TTempHome Home{"cache-fetch"};
  TLoopbackHttpServer Server;
};

TEST_F(CacheFetchTest, PrintsEachResponseAndStoresIt) {
  Server.Serve("/a.html", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: text/html"}, "<p>tea</p>"));
  Server.Serve("/b.css", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: text/css"}, "p{}"));

  const TRun run = Fetch({Server.Url("/a.html"), Server.Url("/b.css")});

  ASSERT_EQ(0, run.ExitCode) << run.Err;
  EXPECT_EQ(Server.Url("/a.html") + "\t200\t10\n" + Server.Url("/b.css") + "\t200\t3\n", run.Out);
  const TRun info = RunInHome(Home.Path(), HoardscopeProgram(), {"cache", "info", Server.Url("/b.css")});
  ASSERT_EQ(0, info.ExitCode) << info.Err;
  EXPECT_NE(std::string::npos, info.Out.find("content-type: text/css\n"));
  EXPECT_NE(std::string::npos, info.Out.find("headers:\nHTTP/1.1 200 OK\r\nContent-Type: text/css\r\n"));
}

TEST_F(CacheFetchTest, ErrorStatusesAndFailedFetchesGiveExitCodeOneAndTheRestIsStillFetched) {
  int closedPort = 0;
  {
    TLoopbackHttpServer gone;
    closedPort = gone.Port();
  }
  const std::string unreachable = "http://127.0.0.1:" + std::to_string(closedPort) + "/x.html";
  Server.Serve("/ok.txt", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {}, "ok"));

  const TRun run = Fetch({unreachable, Server.Url("/missing"), Server.Url("/ok.txt")});

  EXPECT_EQ(1, run.ExitCode);
  EXPECT_EQ(Server.Url("/missing") + "\t404\t4\n" + Server.Url("/ok.txt") + "\t200\t2\n", run.Out);
  EXPECT_NE(std::string::npos, run.Err.find(unreachable)) << run.Err;
  const TRun list = RunInHome(Home.Path(), HoardscopeProgram(), {"cache", "list"});
  EXPECT_EQ(2u, Lines(list.Out).size()) << list.Out;
}

TEST_F(CacheFetchTest, AResponseBeyondALimitIsNotStoredAndFails) {
  const std::string head = "HTTP/1.1 200 OK\r\nContent-Type: text/plain\r\nConnection: close\r\n\r\n";
  Server.ServeEndless("/drip", head, "x", std::chrono::milliseconds(200));
  Server.ServeEndless("/flood", head, std::string(16 * 1024, 'x'), std::chrono::milliseconds(0));
  Server.Serve("/small.txt", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {}, std::string(100, 'x')));
  Server.Serve("/announced.txt", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {}, std::string(1001, 'x')));

  const auto started = std::chrono::steady_clock::now();
  const TRun slow = Fetch({Server.Url("/drip"), "--max-time", "1"});
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::seconds(20));
  const TRun large = Fetch({"--max-size", "1000", Server.Url("/flood"), Server.Url("/announced.txt"),
                            Server.Url("/small.txt")});

  EXPECT_EQ(1, slow.ExitCode);
  EXPECT_EQ("", slow.Out);
  EXPECT_NE(std::string::npos, slow.Err.find("took longer than the limit of 1 seconds")) << slow.Err;
  EXPECT_EQ(1, large.ExitCode);
  EXPECT_EQ(Server.Url("/small.txt") + "\t200\t100\n", large.Out);
  EXPECT_EQ(2u, Lines(large.Err).size()) << large.Err;
  EXPECT_NE(std::string::npos, large.Err.find("is larger than the limit of 1000 bytes")) << large.Err;
  const TRun list = RunInHome(Home.Path(), HoardscopeProgram(), {"cache", "list"});
  EXPECT_EQ(1u, Lines(list.Out).size()) << list.Out;
  std::size_t contentFiles = 0;
  for (const auto& item : fs::recursive_directory_iterator(Home.Path() / "cache")) {
    contentFiles += item.is_regular_file() && !item.path().filename().string().starts_with("index.db");
  }
  EXPECT_EQ(1u, contentFiles);
  for (const char* bad : {"0", "-1", "ten"}) {
    EXPECT_EQ(2, Fetch({Server.Url("/small.txt"), "--max-time", bad}).ExitCode) << bad;
  }
}

TEST_F(CacheFetchTest, WithoutUrlsItShowsTheUsage) {
  const TRun run = Fetch({});

  EXPECT_EQ(2, run.ExitCode);
  EXPECT_NE(std::string::npos, run.Err.find("cache fetch URL..."));
}

}  // namespace
}  // namespace hoardscope::acceptance
