// The HTTP layer: libcurl transfers that stream the body into a reserved cache file and commit the entry.
#include "platform/linux/HttpClient.h"

#include <curl/curl.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <stdexcept>

#include "core/Boundary.h"
#include "core/ResponseHeaders.h"
#include "core/Tools.h"
#include "platform/linux/SystemClock.h"

namespace hoardscope {
namespace {

constexpr const char* kUserAgent = "Mozilla/5.0 (X11; Linux x86_64) Hoardscope/1.2";
constexpr long kConnectTimeoutSeconds = 30;
// A transfer that moves less than one byte a second for this long has stalled.
constexpr long kStallSeconds = 60;
constexpr const char* kLoopbackHosts = "localhost,127.0.0.1,::1";

struct TCurlDeleter {
  void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
using TCurlHandle = std::unique_ptr<CURL, TCurlDeleter>;

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};
using TFileHandle = std::unique_ptr<std::FILE, TFileCloser>;

void InitializeCurlOnce() {
  static const CURLcode initialized = curl_global_init(CURL_GLOBAL_DEFAULT);
  if (initialized != CURLE_OK) {
    throw std::runtime_error(std::string("cannot initialize libcurl: ") + curl_easy_strerror(initialized));
  }
}

bool IsWebUrl(const std::string& url) {
  return StartsWithNoCase(url, "http://") || StartsWithNoCase(url, "https://");
}

// The code of a header block's status line ("HTTP/1.1 404 Not Found" gives 404); 0 when there is none.
int StatusOf(const std::string& headerBlock) {
  if (!StartsWithNoCase(headerBlock, "HTTP/")) return 0;
  const std::size_t space = headerBlock.find(' ');
  if (space == std::string::npos || space + 4 > headerBlock.size()) return 0;
  int status = 0;
  for (std::size_t i = space + 1; i < space + 4; ++i) {
    const char digit = headerBlock[i];
    if (digit < '0' || digit > '9') return 0;
    status = status * 10 + (digit - '0');
  }
  return status;
}

// The extension (without its dot) of the last segment of the URL's path, for naming the cache file.
std::string ExtensionOfUrl(const std::string& url) {
  const std::optional<UrlParts> parts = CrackUrl(url);
  if (!parts) return "";
  const std::string extension = PathFindExtension(PathFindFileName(parts->Path));
  return extension.empty() ? extension : extension.substr(1);
}

FileTime FileTimeFromUnixSeconds(curl_off_t seconds) {
  return seconds <= 0 ? 0 : FileTimeFromUnixMillis(static_cast<std::int64_t>(seconds) * 1000);
}

// Hosts that never go through a proxy: the user's no_proxy list plus the loopback names, as browsers do.
std::string NoProxyHosts() {
  for (const char* variable : {"no_proxy", "NO_PROXY"}) {
    if (const char* value = std::getenv(variable); value && *value) return std::string(value) + "," + kLoopbackHosts;
  }
  return kLoopbackHosts;
}

THttpResponse FailedResponse(std::string error) {
  THttpResponse response;
  response.Error = std::move(error);
  return response;
}


// A small page of our own: a heading, then paragraphs of markup.
std::string MessagePage(const std::string& title, const std::string& paragraphs) {
  return "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + title + "</title>\n"
         "<style>body{font-family:sans-serif;margin:3em;color:#333}code{word-break:break-all}</style>\n"
         "</head>\n<body>\n<h1>" + title + "</h1>\n" + paragraphs + "</body>\n</html>\n";
}

}  // namespace

std::string OfflinePage(const std::string& url) {
  return MessagePage("Not in the cache", "<p>Hoardscope is working offline, and its cache holds no copy of</p>\n"
                                         "<p><code>" + HtmlEscaped(url) + "</code></p>\n"
                                         "<p>Nothing was requested from the network.</p>\n");
}

std::string FetchFailedPage(const std::string& url, const std::string& error) {
  return MessagePage("Cannot load the page", "<p><code>" + HtmlEscaped(url) + "</code></p>\n<p>" +
                                                 HtmlEscaped(error) + "</p>\n");
}

// One GET: the header lines as they come, the body streamed into a cache file reserved at its first byte.
class THttpClient::TTransfer {
 public:
  TTransfer(THttpClient& client, std::string url) : FClient(client), FUrl(std::move(url)) {}

  THttpResponse Run() {
    TCurlHandle curl(curl_easy_init());
    if (!curl) return FailedResponse("cannot start a transfer for " + FUrl);
    char errorText[CURL_ERROR_SIZE] = "";
    CURL* handle = curl.get();
    curl_easy_setopt(handle, CURLOPT_URL, FUrl.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "http,https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    curl_easy_setopt(handle, CURLOPT_USERAGENT, kUserAgent);
    curl_easy_setopt(handle, CURLOPT_NOPROXY, FNoProxy.c_str());
    curl_easy_setopt(handle, CURLOPT_CONNECTTIMEOUT, kConnectTimeoutSeconds);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_LIMIT, 1L);
    curl_easy_setopt(handle, CURLOPT_LOW_SPEED_TIME, kStallSeconds);
    curl_easy_setopt(handle, CURLOPT_FILETIME, 1L);
    // A body announced as too large is refused before its first byte; OnBody stops one that grows too large.
    curl_easy_setopt(handle, CURLOPT_MAXFILESIZE_LARGE,
                     static_cast<curl_off_t>(std::min<std::uint64_t>(FClient.FLimits.MaxBytes, LLONG_MAX)));
    curl_easy_setopt(handle, CURLOPT_ERRORBUFFER, errorText);
    curl_easy_setopt(handle, CURLOPT_HEADERFUNCTION, &TTransfer::OnHeader);
    curl_easy_setopt(handle, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, &TTransfer::OnBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, this);
    curl_easy_setopt(handle, CURLOPT_NOPROGRESS, 0L);
    curl_easy_setopt(handle, CURLOPT_XFERINFOFUNCTION, &TTransfer::OnProgress);
    curl_easy_setopt(handle, CURLOPT_XFERINFODATA, this);
    FHandle = handle;

    FStarted = std::chrono::steady_clock::now();
    const CURLcode result = curl_easy_perform(handle);
    if (result == CURLE_FILESIZE_EXCEEDED) FFailure = TooLargeText();
    if (result != CURLE_OK) {
      DiscardLocalFile();
      if (!FFailure.empty()) return FailedResponse(FFailure);
      if (result == CURLE_ABORTED_BY_CALLBACK) return FailedResponse("the transfer of " + FUrl + " was cancelled");
      return FailedResponse("cannot fetch " + FUrl + ": " + (*errorText ? errorText : curl_easy_strerror(result)));
    }
    if (!FFile && !ReserveLocalFile()) return FailedResponse(FFailure);
    if (std::fclose(FFile.release()) != 0) {
      DiscardLocalFile();
      return FailedResponse("cannot write the cache file of " + FUrl);
    }
    curl_off_t modified = -1;
    curl_easy_getinfo(handle, CURLINFO_FILETIME_T, &modified);
    return Commit(FileTimeFromUnixSeconds(modified));
  }

 private:
  // libcurl's callbacks: a failure inside one ends the transfer with its text (a size other than the one handed
  // over, or a non-zero progress answer, stops libcurl).
  static std::size_t OnHeader(char* data, std::size_t size, std::size_t count, void* self) noexcept {
    auto& transfer = *static_cast<TTransfer*>(self);
    return CatchAll([&] { return transfer.TakeHeader(std::string_view(data, size * count)); },
                    [&](const char* failure) { return transfer.Fail(failure, std::size_t{0}); });
  }

  static std::size_t OnBody(char* data, std::size_t size, std::size_t count, void* self) noexcept {
    auto& transfer = *static_cast<TTransfer*>(self);
    return CatchAll([&] { return transfer.TakeBody(data, size * count); },
                    [&](const char* failure) { return transfer.Fail(failure, std::size_t{0}); });
  }

  // Called at least once a second while the transfer lasts, whether bytes arrive or not.
  static int OnProgress(void* self, curl_off_t, curl_off_t, curl_off_t, curl_off_t) noexcept {
    auto& transfer = *static_cast<TTransfer*>(self);
    return CatchAll([&] { return transfer.CheckProgress(); },
                    [&](const char* failure) { return transfer.Fail(failure, 1); });
  }

  std::size_t TakeHeader(std::string_view line) {
    // A new status line starts a new response (after "100 Continue" or a proxy's answer): keep the last one only.
    if (StartsWithNoCase(line, "HTTP/")) FHeaders.clear();
    FHeaders.append(line);
    return line.size();
  }

  std::size_t TakeBody(const char* data, std::size_t size) {
    if (size > FClient.FLimits.MaxBytes - FWritten) {
      FFailure = TooLargeText();
      return 0;
    }
    if (!FFile && !ReserveLocalFile()) return 0;
    const std::size_t written = std::fwrite(data, 1, size, FFile.get());
    FWritten += written;
    if (written != size) FFailure = "cannot write the cache file of " + FUrl;
    return written;
  }

  int CheckProgress() {
    if (FClient.FAborted) return 1;
    const auto elapsed = std::chrono::steady_clock::now() - FStarted;
    if (elapsed < std::chrono::seconds(std::min<std::uint64_t>(FClient.FLimits.MaxSeconds, INT_MAX))) return 0;
    FFailure = "the response of " + FUrl + " took longer than the limit of " +
               std::to_string(FClient.FLimits.MaxSeconds) + " seconds; nothing was stored";
    return 1;
  }

  // Keeps the text of a failure raised inside a callback, and gives libcurl the answer that stops the transfer.
  template <class Answer>
  Answer Fail(const char* failure, Answer stop) noexcept {
    try {
      FFailure = std::string("cannot fetch ") + FUrl + ": " + failure;
    } catch (...) {
      // No memory left for the text: the transfer still stops.
    }
    return stop;
  }

  std::string TooLargeText() const {
    return "the response of " + FUrl + " is larger than the limit of " + std::to_string(FClient.FLimits.MaxBytes) +
           " bytes; nothing was stored";
  }

  bool ReserveLocalFile() {
    curl_off_t expected = -1;
    curl_easy_getinfo(FHandle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &expected);
    CreatedCacheFile created;
    std::string failure;
    {
      const std::lock_guard lock(FClient.FCacheLock);
      created = FClient.FCache.CreateEntry(FUrl, expected > 0 ? static_cast<std::uint64_t>(expected) : 0,
                                           ExtensionOfUrl(FUrl));
      if (!created.Ok) failure = FClient.FCache.LastFailure();
    }
    if (!created.Ok) {
      FFailure = "cannot reserve a cache file for " + FUrl + " (error " + std::to_string(created.Error) + ": " +
                 failure + ")";
      return false;
    }
    FLocalFile = created.LocalFileName;
    // Never through a link; unbuffered, so that the file shows it is being filled whenever bytes arrive.
    const int descriptor = ::open(FLocalFile.c_str(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    FFile.reset(descriptor < 0 ? nullptr : ::fdopen(descriptor, "wb"));
    if (FFile) std::setvbuf(FFile.get(), nullptr, _IONBF, 0);
    if (!FFile) {
      if (descriptor >= 0) ::close(descriptor);
      FFailure = "cannot open the cache file " + FLocalFile;
      DiscardLocalFile();
      return false;
    }
    return true;
  }

  void DiscardLocalFile() {
    FFile.reset();
    if (FLocalFile.empty()) return;
    std::error_code ignored;
    std::filesystem::remove(FLocalFile, ignored);
    FLocalFile.clear();
  }

  THttpResponse Commit(FileTime lastModified) {
    const FileTime expireTime = ExpiryOfHeaders(FHeaders, TSystemClock().NowUtc());
    std::uint32_t error = 0;
    std::string failure;
    {
      const std::lock_guard lock(FClient.FCacheLock);
      error = FClient.FCache.CommitEntry(FUrl, FLocalFile, expireTime, lastModified, kNormalCacheEntry, FHeaders);
      if (error != 0) failure = FClient.FCache.LastFailure();
    }
    if (error != 0) {
      DiscardLocalFile();
      return FailedResponse("cannot store " + FUrl + " in the cache (error " + std::to_string(error) + ": " +
                            failure + ")");
    }
    THttpResponse response;
    response.Source = TFetchSource::Network;
    response.Status = StatusOf(FHeaders);
    response.HeaderBlock = FHeaders;
    response.ContentType = std::string(HeaderValueOf(FHeaders, "Content-Type"));
    response.Location = std::string(HeaderValueOf(FHeaders, "Location"));
    response.LocalFile = FLocalFile;
    response.Size = FWritten;
    return response;
  }

  THttpClient& FClient;
  std::string FUrl;
  std::string FNoProxy = NoProxyHosts();
  CURL* FHandle = nullptr;
  std::string FHeaders;
  std::string FLocalFile;
  TFileHandle FFile;
  std::uint64_t FWritten = 0;
  std::chrono::steady_clock::time_point FStarted;
  std::string FFailure;   // a failure of ours that made curl stop
};

THttpClient::THttpClient(TCacheStore& cache, THttpLimits limits) : FCache(cache), FLimits(limits) {
  InitializeCurlOnce();
}

THttpClient::~THttpClient() = default;

THttpResponse THttpClient::Download(const std::string& url) {
  if (!IsWebUrl(url)) return FailedResponse("not an http or https URL: " + url);
  if (FAborted) return FailedResponse("the transfer of " + url + " was cancelled");
  return TTransfer(*this, url).Run();
}

THttpResponse THttpClient::ReadCached(const std::string& url) {
  std::optional<CacheEntryRecord> record;
  {
    const std::lock_guard lock(FCacheLock);
    record = FCache.GetEntryInfo(url);
  }
  if (!record) {
    THttpResponse response;
    response.Source = TFetchSource::NotCached;
    return response;
  }
  return CachedResponseOf(*record);
}

THttpResponse CachedResponseOf(const CacheEntryRecord& record) {
  THttpResponse response;
  response.Source = TFetchSource::Cache;
  response.HeaderBlock = record.HeaderInfo.value_or("");
  response.Status = StatusOf(response.HeaderBlock);
  response.ContentType = std::string(HeaderValueOf(response.HeaderBlock, "Content-Type"));
  response.Location = std::string(HeaderValueOf(response.HeaderBlock, "Location"));
  response.LocalFile = record.LocalFileName;
  response.Size = (static_cast<std::uint64_t>(record.SizeHigh) << 32) | record.SizeLow;
  return response;
}

void THttpClient::Abort() { FAborted = true; }

}  // namespace hoardscope
