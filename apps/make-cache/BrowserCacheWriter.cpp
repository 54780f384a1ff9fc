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

namespace hoardscope {
namespace {

constexpr std::uint64_t kChromiumHeaderMagic = 0xfcfb6d1ba7725c30ULL;
constexpr std::uint64_t kChromiumEofMagic = 0xf4fa6f45970d41d8ULL;
constexpr std::uint32_t kChromiumVersion = 5;
constexpr std::uint32_t kChromiumEofHasCrc = 1;
constexpr std::uint32_t kResponseInfoVersion = 3;
constexpr std::int64_t kChromiumEpochMicros = 11644473600000000LL;   // 1970-01-01 in microseconds since 1601
constexpr std::uint32_t kFirefoxVersion = 4;
constexpr std::uint64_t kFirefoxChunkSize = 256 * 1024;
constexpr std::array<std::string_view, 6> kTextExtensions = {"html", "htm", "php", "js", "css", "txt"};

void PutLittle(std::string& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out += static_cast<char>(value >> (8 * i));
}

void PutBig(std::string& out, std::uint32_t value) {
  for (int i = 3; i >= 0; --i) out += static_cast<char>(value >> (8 * i));
}

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

std::int64_t ChromiumTime(FileTime time) { return UnixMillisFromFileTime(time) * 1000 + kChromiumEpochMicros; }

std::uint32_t UnixSeconds(FileTime time) { return static_cast<std::uint32_t>(UnixMillisFromFileTime(time) / 1000); }

// Chromium's response record: a pickle of flags, request and response times and the raw headers (each line
// ended by a NUL, one more NUL at the end), every field 4-byte aligned. Chromium keeps no entry without a status
// line: an entry without headers gets a bare one.
std::string ChromiumResponseInfo(const TSyntheticEntry& entry, const std::string& headers) {
  std::string raw;
  const std::string_view lines = headers.empty() ? std::string_view("HTTP/1.1 200 OK\r\n") : HeaderLines(headers);
  for (std::size_t start = 0; start < lines.size();) {
    const std::size_t end = lines.find("\r\n", start);
    raw.append(lines.substr(start, end - start)).push_back('\0');
    start = end + 2;
  }
  raw.push_back('\0');
  std::string payload;
  PutLittle(payload, kResponseInfoVersion, 4);
  PutLittle(payload, static_cast<std::uint64_t>(ChromiumTime(entry.SyncTime) - 50000), 8);
  PutLittle(payload, static_cast<std::uint64_t>(ChromiumTime(entry.SyncTime)), 8);
  PutLittle(payload, raw.size(), 4);
  payload += raw;
  payload.resize((payload.size() + 3) & ~std::size_t{3}, '\0');
  std::string pickle;
  PutLittle(pickle, payload.size(), 4);
  return pickle + payload;
}

std::string ChromiumEof(std::string_view stream, std::uint32_t size) {
  std::string eof;
  PutLittle(eof, kChromiumEofMagic, 8);
  PutLittle(eof, kChromiumEofHasCrc, 4);
  PutLittle(eof, Crc32(stream), 4);
  PutLittle(eof, size, 4);
  PutLittle(eof, 0, 4);
  return eof;
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
    : Format(format), Folder(format == TCacheFormat::Firefox ? folder / "entries" : folder) {
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

// Header, key, body and its EOF record, the response record and its EOF record.
void TBrowserCacheWriter::WriteChromium(const TSyntheticEntry& entry, const std::string& body,
                                        const std::string& headers) {
  const std::string site = SiteOf(entry.Url);
  const std::string key = "1/0/_dk_" + site + " " + site + " " + entry.Url;
  const std::uint64_t hash = Fnv1a(key);
  const std::string stream0 = ChromiumResponseInfo(entry, headers);
  std::string file;
  file.reserve(24 + key.size() + body.size() + 48 + stream0.size());
  PutLittle(file, kChromiumHeaderMagic, 8);
  PutLittle(file, kChromiumVersion, 4);
  PutLittle(file, key.size(), 4);
  PutLittle(file, hash & 0xFFFFFFFFu, 4);
  PutLittle(file, 0, 4);
  file += key;
  file += body;
  file += ChromiumEof(body, 0);
  file += stream0;
  file += ChromiumEof(stream0, static_cast<std::uint32_t>(stream0.size()));
  char name[24];
  std::snprintf(name, sizeof name, "%016llx_0", static_cast<unsigned long long>(hash));
  WriteFile(Folder / name, file);
}

// Body, then the metadata: hashes, header, key, elements, and the trailer that points at it. The file's name is
// unique for the entry (the browser names it by the SHA-1 of its key).
void TBrowserCacheWriter::WriteFirefox(std::uint64_t index, const TSyntheticEntry& entry, const std::string& body,
                                       const std::string& headers) {
  std::string site = SiteOf(entry.Url);
  site.replace(site.find("://"), 3, "%2C");
  const std::string key = "O^partitionKey=%28" + site + "%29,:" + entry.Url;
  std::string file = body;
  PutBig(file, 0);   // the metadata's hash, and one per chunk of the body
  file.append(2 * ((body.size() + kFirefoxChunkSize - 1) / kFirefoxChunkSize), '\0');
  for (const std::uint32_t field : {kFirefoxVersion, 1u, UnixSeconds(entry.SyncTime), UnixSeconds(entry.SyncTime), 0u,
                                    UnixSeconds(entry.ExpireTime), static_cast<std::uint32_t>(key.size()), 0u})
    PutBig(file, field);
  file += key;
  file.push_back('\0');
  file.append("request-method").push_back('\0');
  file.append("GET").push_back('\0');
  if (!headers.empty()) {
    file.append("response-head").push_back('\0');
    file.append(HeaderLines(headers)).push_back('\0');
  }
  PutBig(file, kFirefoxVersion);
  PutBig(file, static_cast<std::uint32_t>(body.size()));
  char name[48];
  std::snprintf(name, sizeof name, "%016llX%016llX%08X", static_cast<unsigned long long>(Fnv1a(key)),
                static_cast<unsigned long long>(Fnv1a(key, index)), static_cast<unsigned>(index));
  WriteFile(Folder / name, file);
}

}  // namespace hoardscope
