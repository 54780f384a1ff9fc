// The Linux edition's HTTP layer: fetches http and https URLs with libcurl the way a browser does over its URL
// cache. Online, every response is stored in the cache store before anyone sees it; offline, answers come from the
// cache store alone and nothing reaches the network.
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>

#include "platform/linux/CacheStore.h"

namespace hoardscope {

enum class TFetchSource {
  Network,     // fetched and stored in the cache
  Cache,       // read from the cache
  NotCached,   // offline, and the cache holds nothing under the URL
  Failed,      // no response: bad URL, transfer error, or the response could not be stored
};

struct THttpResponse {
  TFetchSource Source = TFetchSource::Failed;
  int Status = 0;             // the code of the status line; 0 when the header block has none
  std::string HeaderBlock;    // status line and response headers as received, CR LF, with the closing empty line
  std::string ContentType;    // the Content-Type header's value; empty when there is none
  std::string Location;       // the Location header's value; empty when there is none
  std::string LocalFile;      // the cache file that holds the body (Network and Cache)
  std::uint64_t Size = 0;     // bytes of the body
  std::string Error;          // what went wrong (Failed)
};

// A cache record as the response it stores: Cache, with the record's header block and local file.
THttpResponse CachedResponseOf(const CacheEntryRecord& record);

// The page shown in place of a URL that the cache does not hold while working offline (UTF-8 HTML).
std::string OfflinePage(const std::string& url);
// The page shown in place of a URL that could not be fetched, with what went wrong (UTF-8 HTML).
std::string FetchFailedPage(const std::string& url, const std::string& error);

// What one response may cost at most; a response that goes beyond a limit is dropped, nothing of it stored.
struct THttpLimits {
  std::uint64_t MaxSeconds = 5 * 60;            // from the request to the last byte of the body
  std::uint64_t MaxBytes = std::uint64_t{1} << 30;   // of the body
};

// The HTTP layer over one cache store. The store must not be used by anybody else while the client lives; the
// client serializes its own use, so Download and ReadCached may be called from several threads at once.
class THttpClient {
 public:
  explicit THttpClient(TCacheStore& cache, THttpLimits limits = THttpLimits());
  ~THttpClient();
  THttpClient(const THttpClient&) = delete;
  THttpClient& operator=(const THttpClient&) = delete;

  // GETs url (http or https only) without following redirects. Whatever response arrives, error statuses and
  // redirects included, is stored under exactly url: the body as the entry's local file, the header block as
  // received, the Last-Modified and Expires times, last-sync time now; an entry under url is replaced. A transfer
  // that fails or goes beyond a limit stores nothing and leaves no file behind.
  THttpResponse Download(const std::string& url);

  // The entry stored under exactly url, without any network access: Cache with its file and header block, or
  // NotCached.
  THttpResponse ReadCached(const std::string& url);

  // Makes transfers in flight fail soon and every later Download fail at once; for shutting down.
  void Abort();

 private:
  class TTransfer;

  TCacheStore& FCache;
  const THttpLimits FLimits;
  std::mutex FCacheLock;
  std::atomic<bool> FAborted{false};
};

}  // namespace hoardscope
