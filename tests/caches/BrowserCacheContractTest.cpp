// The URL cache contracts of a cache that is only read, run against a Chromium cache folder as the view reads it:
// entry files written in the simple backend's format, read in place by the Chromium reader through TBrowserCache.
#include <cstdint>

#include "platform/caches/BrowserCache.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"
#include "platform/caches/chromium/SimpleCacheFormat.h"
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

}  // namespace

using TChromium = ::testing::Types<TChromiumCacheBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Chromium, UrlCacheReaderContract, TChromium);
INSTANTIATE_TYPED_TEST_SUITE_P(Chromium, UrlCacheDeleterContract, TChromium);
INSTANTIATE_TYPED_TEST_SUITE_P(Chromium, ReadOnlyUrlCacheContract, TChromium);

}  // namespace hoardscope
