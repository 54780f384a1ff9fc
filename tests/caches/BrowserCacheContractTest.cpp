// The URL cache contracts of a cache that is only read, run against a Chromium cache folder as the view reads it:
// entry files written in the simple backend's format, read in place by the Chromium reader through TBrowserCache.
#include <cstdint>
#include <cstdio>

#include "platform/caches/BrowserCache.h"
#include "tests/contract/UrlCacheContract.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

template <typename T>
void Put(std::string& bytes, T value) {
  bytes.append(reinterpret_cast<const char*>(&value), sizeof value);  // little-endian, as every target is
}

// The response record: a pickle of flags (version 3), request and response times and the raw headers, each line
// ending in NUL and one more NUL after the last.
std::string ResponseRecord(const std::string& headers) {
  std::string raw;
  for (std::size_t start = 0; start < headers.size();) {
    const std::size_t end = headers.find("\r\n", start);
    if (end == start || end == std::string::npos) break;
    raw.append(headers, start, end - start).push_back('\0');
    start = end + 2;
  }
  raw.push_back('\0');
  std::string payload;
  Put<std::uint32_t>(payload, 3);
  Put<std::int64_t>(payload, 13300000000000000);  // request time, microseconds since 1601
  Put<std::int64_t>(payload, 13300000000000001);  // response time
  Put<std::uint32_t>(payload, static_cast<std::uint32_t>(raw.size()));
  payload += raw;
  payload.resize((payload.size() + 3) & ~std::size_t{3});
  std::string record;
  Put<std::uint32_t>(record, static_cast<std::uint32_t>(payload.size()));
  return record + payload;
}

// A stream's end record: magic, flags, CRC and the stream's size.
std::string EndRecord(std::size_t streamSize) {
  std::string record;
  Put<std::uint64_t>(record, 0xf4fa6f45970d41d8ULL);
  Put<std::uint32_t>(record, 0);
  Put<std::uint32_t>(record, 0);
  Put<std::uint32_t>(record, static_cast<std::uint32_t>(streamSize));
  Put<std::uint32_t>(record, 0);
  return record;
}

struct TChromiumCacheBackend {
  IUrlCache& Cache() { return FCache; }

  // Writes the entry file Chromium would have written for url, its key without network-isolation sites.
  void Store(const std::string& url, const std::string& headers, const std::string& content) {
    const std::string key = "1/0/" + url;
    std::string file;
    Put<std::uint64_t>(file, 0xfcfb6d1ba7725c30ULL);
    Put<std::uint32_t>(file, 5);
    Put<std::uint32_t>(file, static_cast<std::uint32_t>(key.size()));
    Put<std::uint32_t>(file, 0);
    Put<std::uint32_t>(file, 0);
    const std::string record = ResponseRecord(headers.empty() ? "HTTP/1.1 200 OK\r\n\r\n" : headers);
    file += key + content + EndRecord(content.size()) + record + EndRecord(record.size());
    char name[24];
    std::snprintf(name, sizeof name, "%016llx_0", static_cast<unsigned long long>(++FStored));
    WriteFile(FFolder.Path / name, file);
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
