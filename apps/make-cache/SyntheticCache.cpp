// Builds make-cache's synthetic entries: hosts, URLs, response headers and times.
#include "SyntheticCache.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdio>
#include <span>
#include <string_view>

#include "core/Tools.h"

namespace hoardscope {
namespace {

using namespace std::chrono;

constexpr std::uint64_t kHostZeroShare = 10;   // host 0 gets every tenth entry
constexpr std::uint64_t kHostWeightScale = 1ull << 30;
constexpr std::uint64_t kHostWeightOffset = 8;
constexpr std::uint64_t kEntryStride = 0xD1B54A32D192ED03ull;

// Entries are last synced some time in 2026.
constexpr sys_days kFirstSyncDay = sys_days(year(2026) / January / 1);
constexpr milliseconds kSyncSpan = days(365);
constexpr milliseconds kMaxAgeOfContent = days(400);

struct TKindInfo {
  TContentKind Kind;
  unsigned Weight;   // share in 100
  std::span<const std::string_view> Extensions;
  std::span<const std::string_view> ContentTypes;
};

constexpr std::array<std::string_view, 2> kPageExtensions = {"html", "htm"};
constexpr std::array<std::string_view, 4> kPageTypes = {"text/html", "text/html; charset=utf-8",
                                                         "text/html; charset=iso-8859-1", "Text/HTML; Charset=UTF-8"};
constexpr std::array<std::string_view, 1> kScriptExtensions = {"js"};
constexpr std::array<std::string_view, 3> kScriptTypes = {"application/javascript", "text/javascript",
                                                           "application/x-javascript"};
constexpr std::array<std::string_view, 1> kStylesheetExtensions = {"css"};
constexpr std::array<std::string_view, 1> kStylesheetTypes = {"text/css"};
constexpr std::array<std::string_view, 1> kTextExtensions = {"txt"};
constexpr std::array<std::string_view, 2> kTextTypes = {"text/plain", "text/plain; charset=utf-8"};
constexpr std::array<std::string_view, 1> kGifExtensions = {"gif"};
constexpr std::array<std::string_view, 1> kGifTypes = {"image/gif"};
constexpr std::array<std::string_view, 1> kPngExtensions = {"png"};
constexpr std::array<std::string_view, 1> kPngTypes = {"image/png"};
constexpr std::array<std::string_view, 2> kJpegExtensions = {"jpg", "jpeg"};
constexpr std::array<std::string_view, 1> kJpegTypes = {"image/jpeg"};
constexpr std::array<std::string_view, 1> kMp3Extensions = {"mp3"};
constexpr std::array<std::string_view, 1> kMp3Types = {"audio/mpeg"};
constexpr std::array<std::string_view, 1> kWavExtensions = {"wav"};
constexpr std::array<std::string_view, 1> kWavTypes = {"audio/x-wav"};
constexpr std::array<std::string_view, 1> kMp4Extensions = {"mp4"};
constexpr std::array<std::string_view, 1> kMp4Types = {"video/mp4"};
constexpr std::array<std::string_view, 1> kFlashExtensions = {"swf"};
constexpr std::array<std::string_view, 1> kFlashTypes = {"application/x-shockwave-flash"};

constexpr std::array<TKindInfo, 11> kKinds = {{
    {TContentKind::Page, 34, kPageExtensions, kPageTypes},
    {TContentKind::Script, 10, kScriptExtensions, kScriptTypes},
    {TContentKind::Stylesheet, 8, kStylesheetExtensions, kStylesheetTypes},
    {TContentKind::PlainText, 3, kTextExtensions, kTextTypes},
    {TContentKind::Gif, 12, kGifExtensions, kGifTypes},
    {TContentKind::Png, 12, kPngExtensions, kPngTypes},
    {TContentKind::Jpeg, 14, kJpegExtensions, kJpegTypes},
    {TContentKind::Mp3, 2, kMp3Extensions, kMp3Types},
    {TContentKind::Wav, 1, kWavExtensions, kWavTypes},
    {TContentKind::Mp4, 2, kMp4Extensions, kMp4Types},
    {TContentKind::Flash, 2, kFlashExtensions, kFlashTypes},
}};

constexpr std::array<std::string_view, 8> kHostPrefixes = {"www", "static", "img", "news",
                                                           "cdn", "media", "shop", "blog"};
constexpr std::array<std::string_view, 6> kServers = {"Apache/2.4.57 (Debian)", "nginx/1.24.0", "Microsoft-IIS/10.0",
                                                      "cloudflare", "LiteSpeed", "Jetty(10.0.15)"};
constexpr std::array<std::string_view, 24> kFolders = {
    "images", "img",  "css",       "js",     "scripts", "news",   "2025",  "2026",
    "archive", "media", "static",  "docs",   "blog",    "assets", "products", "about",
    "help",   "downloads", "photos", "video", "en",     "de",     "pages", "shop"};
constexpr std::array<std::string_view, 4> kHttpPorts = {":8080", ":8000", ":81", ":3128"};
constexpr std::array<std::uint64_t, 4> kMaxAges = {3600, 86400, 604800, 2592000};

const TKindInfo& PickKind(TSplitMix64& random) {
  std::uint64_t roll = random.Below(100);
  for (const TKindInfo& kind : kKinds) {
    if (roll < kind.Weight) return kind;
    roll -= kind.Weight;
  }
  return kKinds.front();
}

// Host 0 is always http; the other hosts also serve some https, ftp and capital-letter HTTP URLs.
std::string_view PickScheme(std::uint64_t host, TSplitMix64& random) {
  if (host == 0) return "http://";
  const std::uint64_t roll = random.Below(1000);
  return roll < 8 ? "HTTP://" : roll < 80 ? "https://" : roll < 100 ? "ftp://" : "http://";
}

std::string PickPort(std::string_view scheme, TSplitMix64& random) {
  if (scheme == "ftp://") return {};
  if (scheme == "https://") return random.Chance(10) ? ":8443" : "";
  return random.Chance(30) ? std::string(random.Pick(kHttpPorts)) : "";
}

// Zero to three folders, the top levels most often.
std::string PickFolders(TSplitMix64& random) {
  const std::uint64_t roll = random.Below(100);
  const int depth = roll < 20 ? 0 : roll < 55 ? 1 : roll < 85 ? 2 : 3;
  std::string folders = "/";
  for (int level = 0; level < depth; ++level) {
    folders += random.Pick(kFolders);
    folders += '/';
  }
  return folders;
}

struct TFileName {
  std::string Text;         // the last part of the URL, query included
  std::string Extension;
};

// Every name holds the entry's index, so no two entries share a URL. Some pages are scripts with a query (some
// with a colon in it), a few have a colon in the file name itself.
TFileName PickFileName(const TKindInfo& kind, std::uint64_t index, TSplitMix64& random) {
  const std::string number = std::to_string(index);
  if (kind.Kind == TContentKind::Page) {
    const std::uint64_t roll = random.Below(1000);
    if (roll < 120) return {"page.php?id=" + number, "php"};
    if (roll < 130) return {"view.php?id=" + number + "&at=10:30", "php"};
    if (roll < 140) return {"Category:" + CapitalisedWord(random) + "-" + number + ".html", "html"};
  }
  const std::string extension(random.Pick(kind.Extensions));
  return {std::string(RandomWord(random)) + "-" + number + "." + extension, extension};
}

std::string HttpDate(sys_time<milliseconds> moment) {
  static constexpr std::array<const char*, 7> kWeekdays = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  static constexpr std::array<const char*, 12> kMonths = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  const sys_days day = floor<days>(moment);
  const year_month_day date(day);
  const hh_mm_ss<seconds> clock(floor<seconds>(moment - day));
  char text[40];
  std::snprintf(text, sizeof text, "%s, %02u %s %04d %02d:%02d:%02d GMT", kWeekdays[weekday(day).c_encoding()],
                static_cast<unsigned>(date.day()), kMonths[static_cast<unsigned>(date.month()) - 1],
                static_cast<int>(date.year()), static_cast<int>(clock.hours().count()),
                static_cast<int>(clock.minutes().count()), static_cast<int>(clock.seconds().count()));
  return text;
}

FileTime ToFileTime(sys_time<milliseconds> moment) {
  return FileTimeFromUnixMillis(moment.time_since_epoch().count());
}

struct TResponse {
  std::string_view Scheme;
  std::string_view Server;
  std::string_view ContentType;
  std::size_t ContentLength = 0;
  sys_time<milliseconds> Synced;
  sys_time<milliseconds> Modified;
  std::uint64_t MaxAge = 0;
};

// The header block as the cache keeps it. Ftp has none, neither has one http entry in 200; one in 200 writes
// "Content-Type:" without the space after the colon.
std::string HeaderBlock(const TResponse& response, TSplitMix64& random) {
  if (response.Scheme == "ftp://" || random.Chance(5)) return {};
  char etag[24];
  std::snprintf(etag, sizeof etag, "%016llx", static_cast<unsigned long long>(random.Next()));
  std::string block = "HTTP/1.1 200 OK\r\n";
  block += "Date: " + HttpDate(response.Synced) + "\r\n";
  block += "Server: " + std::string(response.Server) + "\r\n";
  block += (random.Chance(5) ? "Content-Type:" : "Content-Type: ") + std::string(response.ContentType) + "\r\n";
  block += "Content-Length: " + std::to_string(response.ContentLength) + "\r\n";
  block += "Last-Modified: " + HttpDate(response.Modified) + "\r\n";
  block += "ETag: \"" + std::string(etag) + "\"\r\n";
  block += "Cache-Control: max-age=" + std::to_string(response.MaxAge) + "\r\n";
  if (response.Scheme == "https://") block += "Strict-Transport-Security: max-age=31536000\r\n";
  block += "Connection: keep-alive\r\n\r\n";
  return block;
}

}  // namespace

TSyntheticCache::TSyntheticCache(const TMakeCacheOptions& options)
    : Seed(TSplitMix64(options.Seed).Next()), AverageSize(options.AverageSize) {
  std::uint64_t total = 0;
  for (std::uint64_t host = 1; host < options.Hosts; ++host) {
    total += kHostWeightScale / (host + kHostWeightOffset);
    CumulativeHostWeights.push_back(total);
  }
}

std::string TSyntheticCache::HostName(std::uint64_t host) {
  return std::string(kHostPrefixes[host % kHostPrefixes.size()]) + ".host" + std::to_string(host) + ".example";
}

std::uint64_t TSyntheticCache::PickHost(std::uint64_t index, TSplitMix64& random) const {
  if (CumulativeHostWeights.empty() || index % kHostZeroShare == 0) return 0;
  const std::uint64_t roll = random.Below(CumulativeHostWeights.back());
  const auto found = std::upper_bound(CumulativeHostWeights.begin(), CumulativeHostWeights.end(), roll);
  return 1 + static_cast<std::uint64_t>(found - CumulativeHostWeights.begin());
}

TSyntheticEntry TSyntheticCache::Entry(std::uint64_t index) const {
  TSplitMix64 random(Seed + index * kEntryStride);
  const std::uint64_t host = PickHost(index, random);
  const std::string_view scheme = PickScheme(host, random);
  const TKindInfo& kind = PickKind(random);
  const std::string port = PickPort(scheme, random);
  const std::string folders = PickFolders(random);
  TFileName fileName = PickFileName(kind, index, random);

  TSyntheticEntry entry;
  entry.Url = std::string(scheme) + HostName(host) + port + folders + fileName.Text;
  entry.Extension = std::move(fileName.Extension);
  entry.Content = MakeContent(kind.Kind, AverageSize / 4 + random.Below(AverageSize * 3 / 2 + 1), random);

  TResponse response;
  response.Scheme = scheme;
  response.Server = kServers[host % kServers.size()];
  response.ContentType = random.Pick(kind.ContentTypes);
  response.ContentLength = entry.Content.size();
  response.Synced = kFirstSyncDay + milliseconds(random.Below(kSyncSpan.count()));
  response.Modified = floor<seconds>(response.Synced - hours(1) - milliseconds(random.Below(kMaxAgeOfContent.count())));
  response.MaxAge = random.Pick(kMaxAges);
  entry.Headers = HeaderBlock(response, random);
  entry.SyncTime = ToFileTime(response.Synced);
  entry.LastModifiedTime = ToFileTime(response.Modified);
  entry.ExpireTime = ToFileTime(response.Synced + seconds(response.MaxAge));
  return entry;
}

}  // namespace hoardscope
