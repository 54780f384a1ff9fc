// The URL cache contracts of a cache that is only read, run against a Chromium and a Firefox cache folder as the
// view reads them: entry files written in each browser's format, read in place through TBrowserCache.
#include <cstdint>
#include <cstdio>

#include "platform/caches/BrowserCache.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"
#include "platform/caches/chromium/SimpleCacheFormat.h"
#include "platform/caches/firefox/Cache2Format.h"
#include "tests/contract/UrlCacheContract.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

struct TChromiumCacheBackend {
  IUrlCache& Cache() { return FCache; }

  // Writes the entry file Chromium would have written for url, its key without network-isolation sites.
  void Store(const std::string& url, const std::string& headers, const std::string& content) {
    constexpr std::int64_t kRequestTime = 13300000000000000;   // microseconds since 1601
    const std::string key = "1/0/" + url;
    const std::string record = ChromiumResponseRecord(
        kRequestTime, kRequestTime + 1, ChromiumRawHeaders(headers.empty() ? "HTTP/1.1 200 OK\r\n\r\n" : headers));
    WriteFile(FFolder.Path / SimpleEntryFileName(++FStored),
              SimpleEntryFile({.Key = key, .Body = content, .ResponseRecord = record}));
  }

  TTempFolder FFolder{"chromium-contract"};
  TTempFolder FCopies{"chromium-contract-copies"};
  unsigned FStored = 0;
  TBrowserCache FCache{TBrowserCacheSetup{FFolder.Path.string(), FCopies.Path.string(), "Chromium", nullptr,
                                          ReadChromiumCache, ReadDecodedBody}};
};

struct TFirefoxCacheBackend {
  IUrlCache& Cache() { return FCache; }

  // Writes the entry file Firefox would have written for url, named as an entry file is (a SHA-1's 40 hex digits).
  void Store(const std::string& url, const std::string& headers, const std::string& content) {
    const std::string elements = Cache2Element(kCache2RequestMethod, "GET") +
                                 Cache2Element(kCache2ResponseHead, headers.empty() ? "HTTP/1.1 200 OK\r\n" : headers);
    char name[41];
    std::snprintf(name, sizeof name, "%040X", ++FStored);
    std::filesystem::create_directories(FFolder.Path / kCache2EntriesFolder);
    WriteFile(FFolder.Path / kCache2EntriesFolder / name,
              Cache2EntryFile(content, {.LastFetched = 1700000000 + FStored}, ":" + url, elements));
  }

  TTempFolder FFolder{"firefox-contract"};
  TTempFolder FCopies{"firefox-contract-copies"};
  unsigned FStored = 0;
  TBrowserCache FCache{TBrowserCacheSetup{FFolder.Path.string(), FCopies.Path.string(), "Firefox", nullptr,
                                          ReadFirefoxCache, ReadDecodedBody}};
};

}  // namespace

using TChromium = ::testing::Types<TChromiumCacheBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Chromium, UrlCacheReaderContract, TChromium);
INSTANTIATE_TYPED_TEST_SUITE_P(Chromium, UrlCacheDeleterContract, TChromium);
INSTANTIATE_TYPED_TEST_SUITE_P(Chromium, ReadOnlyUrlCacheContract, TChromium);

using TFirefox = ::testing::Types<TFirefoxCacheBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Firefox, UrlCacheReaderContract, TFirefox);
INSTANTIATE_TYPED_TEST_SUITE_P(Firefox, UrlCacheDeleterContract, TFirefox);
INSTANTIATE_TYPED_TEST_SUITE_P(Firefox, ReadOnlyUrlCacheContract, TFirefox);

}  // namespace hoardscope
