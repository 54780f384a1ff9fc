// The HTTP layer against a loopback server started by each test: what it stores online, what it answers offline,
// and that offline and failed requests leave the network and the cache alone.
#include "platform/linux/HttpClient.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "core/ResponseHeaders.h"
#include "core/Tools.h"
#include "tests/linux/LoopbackHttpServer.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

FileTime Now() {
  const auto sinceEpoch = std::chrono::system_clock::now().time_since_epoch();
  return FileTimeFromUnixMillis(std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count());
}

// Sun, 06 Nov 1994 08:49:37 GMT as a file time.
constexpr FileTime kRfcExampleTime = (784111777ull + 11644473600ull) * 10000000ull;

class HttpClientTest : public ::testing::Test {
 protected:
  std::size_t ContentFileCount() {
    std::size_t count = 0;
    for (const fs::path& folder : Store.ContentFolders()) {
      count += static_cast<std::size_t>(std::distance(fs::directory_iterator(folder), fs::directory_iterator()));
    }
    return count;
  }

  TTempFolder Folder{"http"};
  TCacheStore Store{Folder.Path / "cache"};
  THttpClient Client{Store};
  TLoopbackHttpServer Server;
};

TEST_F(HttpClientTest, StoresTheBodyTheHeaderBlockAsReceivedAndTheTimes) {
  const std::string body = "<html><title>Tea</title>caf\xc3\xa9</html>";
  const std::string response = TLoopbackHttpServer::Response(
      "HTTP/1.1 200 OK",
      {"Content-Type: text/html; charset=utf-8", "Last-Modified: Sun, 06 Nov 1994 08:49:37 GMT",
       "Expires: Sun, 06 Nov 1994 08:49:37 GMT", "X-Odd:  spaced value  "},
      body);
  Server.Serve("/menu/tea.html?kind=green", response);
  const std::string url = Server.Url("/menu/tea.html?kind=green");
  const FileTime before = Now();

  const THttpResponse fetched = Client.Download(url);

  ASSERT_EQ(TFetchSource::Network, fetched.Source) << fetched.Error;
  EXPECT_EQ(200, fetched.Status);
  EXPECT_EQ("text/html; charset=utf-8", fetched.ContentType);
  EXPECT_EQ(body.size(), fetched.Size);
  EXPECT_EQ(response.substr(0, response.size() - body.size()), fetched.HeaderBlock);
  const std::optional<CacheEntryRecord> record = Store.GetEntryInfo(url);
  ASSERT_TRUE(record);
  EXPECT_EQ(fetched.HeaderBlock, record->HeaderInfo.value_or(""));
  EXPECT_EQ(fetched.LocalFile, record->LocalFileName);
  EXPECT_EQ(".html", PathFindExtension(record->LocalFileName));
  EXPECT_EQ(body, ReadFile(record->LocalFileName));
  EXPECT_EQ(body.size(), record->SizeLow);
  EXPECT_EQ(kRfcExampleTime, record->LastModifiedTime);
  EXPECT_EQ(kRfcExampleTime, record->ExpireTime);
  EXPECT_GE(record->LastSyncTime, before - 10'000'000);  // one second of slack for the clock's rounding
  EXPECT_EQ(1, Server.RequestCount());
}

TEST_F(HttpClientTest, StoresErrorsAndRedirectsWithoutFollowingThem) {
  Server.Serve("/moved", TLoopbackHttpServer::Response("HTTP/1.1 302 Found", {"Location: /target"}, ""));

  const THttpResponse redirect = Client.Download(Server.Url("/moved"));
  const THttpResponse missing = Client.Download(Server.Url("/missing"));

  ASSERT_EQ(TFetchSource::Network, redirect.Source) << redirect.Error;
  EXPECT_EQ(302, redirect.Status);
  EXPECT_EQ("/target", redirect.Location);
  EXPECT_EQ(0u, redirect.Size);
  ASSERT_TRUE(Store.GetEntryInfo(Server.Url("/moved")));
  EXPECT_TRUE(fs::exists(Store.GetEntryInfo(Server.Url("/moved"))->LocalFileName));
  ASSERT_EQ(TFetchSource::Network, missing.Source) << missing.Error;
  EXPECT_EQ(404, missing.Status);
  EXPECT_EQ("none", ReadFile(missing.LocalFile));
  EXPECT_EQ(2, Server.RequestCount());  // the redirect was not followed
}

TEST_F(HttpClientTest, ADownloadReplacesTheEntryAndItsFile) {
  Server.Serve("/a.css", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: text/css"}, "old"));
  const THttpResponse first = Client.Download(Server.Url("/a.css"));
  Server.Serve("/a.css", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: text/css"}, "newer"));

  const THttpResponse second = Client.Download(Server.Url("/a.css"));

  ASSERT_EQ(TFetchSource::Network, second.Source) << second.Error;
  EXPECT_EQ("newer", ReadFile(Store.GetEntryInfo(Server.Url("/a.css"))->LocalFileName));
  EXPECT_FALSE(fs::exists(first.LocalFile));
  EXPECT_EQ(1u, ContentFileCount());
}

TEST_F(HttpClientTest, FailedTransfersStoreNothingAndLeaveNoFile) {
  int closedPort = 0;
  {
    TLoopbackHttpServer gone;
    closedPort = gone.Port();
  }
  const std::string refused = "http://127.0.0.1:" + std::to_string(closedPort) + "/page.html";

  const THttpResponse transfer = Client.Download(refused);
  const THttpResponse localFile = Client.Download("file:///etc/hostname");

  EXPECT_EQ(TFetchSource::Failed, transfer.Source);
  EXPECT_NE(std::string::npos, transfer.Error.find(refused)) << transfer.Error;
  EXPECT_EQ(TFetchSource::Failed, localFile.Source);
  EXPECT_FALSE(Store.GetEntryInfo(refused));
  EXPECT_FALSE(Store.GetEntryInfo("file:///etc/hostname"));
  EXPECT_EQ(0u, ContentFileCount());
}

TEST_F(HttpClientTest, OfflineAnswersComeFromTheCacheAloneAndMissesFromNowhere) {
  Server.Serve("/logo.gif", TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {"Content-Type: image/gif"}, "GIF89a"));
  ASSERT_EQ(TFetchSource::Network, Client.Download(Server.Url("/logo.gif")).Source);

  const THttpResponse cached = Client.ReadCached(Server.Url("/logo.gif"));
  const THttpResponse missing = Client.ReadCached(Server.Url("/never.html"));

  ASSERT_EQ(TFetchSource::Cache, cached.Source);
  EXPECT_EQ(200, cached.Status);
  EXPECT_EQ("image/gif", cached.ContentType);
  EXPECT_EQ("GIF89a", ReadFile(cached.LocalFile));
  EXPECT_EQ(6u, cached.Size);
  EXPECT_EQ(TFetchSource::NotCached, missing.Source);
  EXPECT_EQ(1, Server.RequestCount());
}

TEST(MessagePageTest, OurPagesNameTheUrlAndTheErrorWithoutLettingThemIntoTheMarkup) {
  const std::string url = "http://x.example/<script>alert('1')</script>&q=\"";
  const std::string escapedUrl = "http://x.example/&lt;script&gt;alert(&#39;1&#39;)&lt;/script&gt;&amp;q=&quot;";
  const std::string offline = OfflinePage(url);
  const std::string failed = FetchFailedPage(url, "<b>refused</b>");

  EXPECT_NE(std::string::npos, offline.find("Not in the cache"));
  EXPECT_NE(std::string::npos, offline.find(escapedUrl));
  EXPECT_EQ(std::string::npos, offline.find("<script>"));
  EXPECT_NE(std::string::npos, failed.find(escapedUrl));
  EXPECT_NE(std::string::npos, failed.find("&lt;b&gt;refused&lt;/b&gt;"));
  EXPECT_EQ(std::string::npos, failed.find("<script>"));
}

TEST_F(HttpClientTest, AfterAbortNothingIsRequested) {
  Client.Abort();

  const THttpResponse response = Client.Download(Server.Url("/"));

  EXPECT_EQ(TFetchSource::Failed, response.Source);
  EXPECT_EQ(0, Server.RequestCount());
  EXPECT_EQ(0u, ContentFileCount());
}

TEST_F(HttpClientTest, DownloadsOnSeveralThreadsAtOnceAllLand) {
  constexpr int kThreads = 6;
  for (int i = 0; i < kThreads; ++i) {
    Server.Serve("/p" + std::to_string(i), TLoopbackHttpServer::Response("HTTP/1.1 200 OK", {}, std::to_string(i)));
  }
  std::vector<THttpResponse> responses(kThreads);
  {
    std::vector<std::jthread> threads;
    for (int i = 0; i < kThreads; ++i) {
      threads.emplace_back([&, i] { responses[i] = Client.Download(Server.Url("/p" + std::to_string(i))); });
    }
  }
  for (int i = 0; i < kThreads; ++i) {
    ASSERT_EQ(TFetchSource::Network, responses[i].Source) << responses[i].Error;
    const auto record = Store.GetEntryInfo(Server.Url("/p" + std::to_string(i)));
    ASSERT_TRUE(record);
    EXPECT_EQ(std::to_string(i), ReadFile(record->LocalFileName));
  }
}

TEST(HeaderValueTest, FindsHeadersByNameIgnoringCaseAndTrimsTheValue) {
  const std::string block =
      "HTTP/1.1 200 OK\r\ncontent-TYPE:\ttext/plain \r\nX-Empty:\r\nLocation: /a\r\nContent-Type: second\r\n\r\n";

  EXPECT_EQ("text/plain", HeaderValueOf(block, "Content-Type"));
  EXPECT_EQ("", HeaderValueOf(block, "X-Empty"));
  EXPECT_EQ("/a", HeaderValueOf(block, "location"));
  EXPECT_EQ("", HeaderValueOf(block, "Expires"));
  EXPECT_EQ("", HeaderValueOf("", "Content-Type"));
}

}  // namespace
}  // namespace hoardscope
