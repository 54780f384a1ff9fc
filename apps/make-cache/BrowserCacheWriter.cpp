// Entry files in Chromium's simple-backend and Firefox's cache2 layouts, as their readers expect them.
#include "BrowserCacheWriter.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <string_view>

#include "core/Tools.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"
#include "platform/caches/chromium/SimpleCacheFormat.h"
#include "platform/caches/firefox/Cache2Format.h"

namespace hoardscope {
namespace {

constexpr std::array<std::string_view, 6> kTextExtensions = {"html", "htm", "php", "js", "css", "txt"};

std::uint64_t Fnv1a(std::string_view text, std::uint64_t basis = 0xcbf29ce484222325ULL) {
  for (const char c : text) basis = (basis ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
  return basis;
}

std::uint32_t Crc32(std::string_view bytes) {
  return static_cast<std::uint32_t>(crc32(0, reinterpret_cast<const Bytef*>(bytes.data()),
                                          static_cast<uInt>(bytes.size())));
}

std::string Gzip(const std::string& content) {
  z_stream stream{};
  if (deflateInit2(&stream, 6, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("cannot start a gzip stream");
  std::string packed(deflateBound(&stream, static_cast<uLong>(content.size())) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(content.data()));
  stream.avail_in = static_cast<uInt>(content.size());
  stream.next_out = reinterpret_cast<Bytef*>(packed.data());
  stream.avail_out = static_cast<uInt>(packed.size());
  const int result = deflate(&stream, Z_FINISH);
  packed.resize(stream.total_out);
  deflateEnd(&stream);
  if (result != Z_STREAM_END) throw std::runtime_error("cannot gzip a body");
  return packed;
}

// The headers of a gzip body: its encoding named before its new length.
std::string GzipHeaders(const std::string& headers, std::size_t packedSize) {
  const std::size_t lengthStart = headers.find("\r\nContent-Length: ");
  if (lengthStart == std::string::npos) return headers;
  const std::size_t lengthEnd = headers.find("\r\n", lengthStart + 2);
  return headers.substr(0, lengthStart) + "\r\nContent-Encoding: gzip\r\nContent-Length: " +
         std::to_string(packedSize) + headers.substr(lengthEnd);
}

// The lines of a header block without its closing empty line.
std::string_view HeaderLines(std::string_view headers) {
  return headers.ends_with("\r\n\r\n") ? headers.substr(0, headers.size() - 2) : headers;
}

std::uint32_t UnixSeconds(FileTime time) { return static_cast<std::uint32_t>(UnixMillisFromFileTime(time) / 1000); }

// The response record of the entry. Chromium keeps no entry without a status line: one without headers gets a
// bare one.
std::string ChromiumResponseRecordOf(const TSyntheticEntry& entry, const std::string& headers) {
  const std::int64_t responseTime = ChromiumTimeOfFileTime(entry.SyncTime);
  return ChromiumResponseRecord(responseTime - 50000, responseTime,
                                ChromiumRawHeaders(headers.empty() ? "HTTP/1.1 200 OK\r\n" : headers));
}

std::string SiteOf(const std::string& url) {
  const std::size_t hostStart = url.find("//") + 2;
  return url.substr(0, url.find_first_of(":/?", hostStart));
}

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void WriteFile(const std::filesystem::path& path, const std::string& bytes) {
  const std::unique_ptr<std::FILE, TFileCloser> out(std::fopen(path.string().c_str(), "wb"));
  if (!out || std::fwrite(bytes.data(), 1, bytes.size(), out.get()) != bytes.size() || std::fflush(out.get()) != 0)
    throw std::runtime_error("cannot write " + path.string() + ": " + std::strerror(errno));
}

}  // namespace

TBrowserCacheWriter::TBrowserCacheWriter(TCacheFormat format, const std::filesystem::path& folder)
    : Format(format), Folder(format == TCacheFormat::Firefox ? folder / kCache2EntriesFolder : folder) {
  std::error_code error;
  std::filesystem::create_directories(Folder, error);
  if (error) throw std::runtime_error("cannot make the folder " + Folder.string() + ": " + error.message());
}

void TBrowserCacheWriter::Write(std::uint64_t index, const TSyntheticEntry& entry) {
  const bool text = std::find(kTextExtensions.begin(), kTextExtensions.end(), entry.Extension) != kTextExtensions.end();
  if (text && !entry.Headers.empty() && index % 2 == 1) {
    const std::string packed = Gzip(entry.Content);
    const std::string headers = GzipHeaders(entry.Headers, packed.size());
    if (Format == TCacheFormat::Chromium) WriteChromium(entry, packed, headers);
    else WriteFirefox(index, entry, packed, headers);
  } else if (Format == TCacheFormat::Chromium) {
    WriteChromium(entry, entry.Content, entry.Headers);
  } else {
    WriteFirefox(index, entry, entry.Content, entry.Headers);
  }
}

void TBrowserCacheWriter::WriteChromium(const TSyntheticEntry& entry, const std::string& body,
                                        const std::string& headers) {
  const std::string site = SiteOf(entry.Url);
  const std::string key = "1/0/_dk_" + site + " " + site + " " + entry.Url;
  const std::uint64_t hash = Fnv1a(key);
  const std::string stream0 = ChromiumResponseRecordOf(entry, headers);
  const std::string file = SimpleEntryFile({.Key = key,
                                            .KeyHash = static_cast<std::uint32_t>(hash),
                                            .Body = body,
                                            .ResponseRecord = stream0,
                                            .BodyCrc = Crc32(body),
                                            .ResponseRecordCrc = Crc32(stream0)});
  WriteFile(Folder / SimpleEntryFileName(hash), file);
}

// The file's name is unique for the entry (the browser names it by the SHA-1 of its key).
void TBrowserCacheWriter::WriteFirefox(std::uint64_t index, const TSyntheticEntry& entry, const std::string& body,
                                       const std::string& headers) {
  std::string site = SiteOf(entry.Url);
  site.replace(site.find("://"), 3, "%2C");
  const std::string key = "O^partitionKey=%28" + site + "%29,:" + entry.Url;
  std::string elements = Cache2Element(kCache2RequestMethod, "GET");
  if (!headers.empty()) elements += Cache2Element(kCache2ResponseHead, HeaderLines(headers));
  const TCache2Header header{.LastFetched = UnixSeconds(entry.SyncTime),
                             .LastModified = UnixSeconds(entry.SyncTime),
                             .Expiration = UnixSeconds(entry.ExpireTime)};
  char name[48];
  std::snprintf(name, sizeof name, "%016llX%016llX%08X", static_cast<unsigned long long>(Fnv1a(key)),
                static_cast<unsigned long long>(Fnv1a(key, index)), static_cast<unsigned>(index));
  WriteFile(Folder / name, Cache2EntryFile(body, header, key, elements));
}

}  // namespace hoardscope
