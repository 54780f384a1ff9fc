// The simple backend's entry file: a header (u64 magic, u32 version, u32 key length, u32 key hash, u32 padding),
// the key, stream 1 (the body) and its EOF record, stream 0 (the response record), an optional SHA-256 of the key
// and stream 0's EOF record in the last 24 bytes (u64 magic, u32 flags, u32 CRC, u32 stream size, u32 padding).
// Every field is little-endian. Stream 1's size is what the rest leaves of the file.
#include "platform/caches/chromium/SimpleCache.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>

#include "platform/caches/StoredResponse.h"
#include "platform/caches/chromium/ResponseInfo.h"

namespace hoardscope {
namespace {

constexpr std::uint64_t kHeaderMagic = 0xfcfb6d1ba7725c30ULL;
constexpr std::uint64_t kEofMagic = 0xf4fa6f45970d41d8ULL;
constexpr std::uint32_t kVersion = 5;
constexpr std::uint64_t kHeaderSize = 24;
constexpr std::uint64_t kEofSize = 24;
constexpr std::uint64_t kKeyHashSize = 32;
constexpr std::uint32_t kEofHasKeyHash = 2;
constexpr std::string_view kEntrySuffix = "_0";
constexpr std::size_t kEntryNameSize = 16 + 2;

bool IsEntryFileName(std::string_view name) {
  return name.size() == kEntryNameSize && name.substr(16) == kEntrySuffix &&
         name.find_first_not_of("0123456789abcdef") == 16;
}

}  // namespace

std::string_view ChromiumKeyUrl(std::string_view key) {
  const std::size_t space = key.rfind(' ');
  if (space != std::string_view::npos) key = key.substr(space + 1);
  // Without a space the key still starts with its credentials and upload identifiers ("1/0/").
  for (int prefix = 0; prefix < 2; ++prefix) {
    const std::size_t digits = key.find_first_not_of("0123456789");
    if (digits == 0 || digits == std::string_view::npos || key[digits] != '/') break;
    key = key.substr(digits + 1);
  }
  return key;
}

std::optional<TBrowserCacheEntry> ParseChromiumSimpleEntry(IEntryBytes& file) {
  const std::uint64_t size = file.Size();
  if (size < kHeaderSize + 2 * kEofSize) return std::nullopt;
  const std::optional<std::string_view> header = file.Read(0, kHeaderSize);
  if (!header || LittleEndianAt<std::uint64_t>(*header, 0) != kHeaderMagic ||
      LittleEndianAt<std::uint32_t>(*header, 8) != kVersion)
    return std::nullopt;
  const std::uint64_t keyLength = LittleEndianAt<std::uint32_t>(*header, 12);
  if (keyLength == 0 || keyLength > kMaxKeySize || keyLength > size - kHeaderSize - 2 * kEofSize) return std::nullopt;

  const std::optional<std::string_view> eof0 = file.Read(size - kEofSize, kEofSize);
  if (!eof0 || LittleEndianAt<std::uint64_t>(*eof0, 0) != kEofMagic) return std::nullopt;
  const std::uint64_t keyHashSize = (LittleEndianAt<std::uint32_t>(*eof0, 8) & kEofHasKeyHash) ? kKeyHashSize : 0;
  const std::uint64_t stream0Size = LittleEndianAt<std::uint32_t>(*eof0, 16);
  if (stream0Size > kMaxResponseRecordSize) return std::nullopt;
  const std::uint64_t bodyOffset = kHeaderSize + keyLength;
  const std::uint64_t fixed = bodyOffset + kEofSize + stream0Size + keyHashSize + kEofSize;
  if (fixed > size) return std::nullopt;
  const std::uint64_t bodySize = size - fixed;
  const std::optional<std::string_view> eof1 = file.Read(bodyOffset + bodySize, kEofSize);
  if (!eof1 || LittleEndianAt<std::uint64_t>(*eof1, 0) != kEofMagic) return std::nullopt;

  std::optional<TChromiumResponseInfo> info;
  if (const std::optional<std::string_view> stream0 = file.Read(bodyOffset + bodySize + kEofSize, stream0Size))
    info = ParseChromiumResponseInfo(*stream0);
  if (!info) return std::nullopt;
  const std::optional<std::string_view> key = file.Read(kHeaderSize, keyLength);
  if (!key) return std::nullopt;

  TBrowserCacheEntry entry;
  entry.Key = std::string(*key);
  entry.Url = std::string(ChromiumKeyUrl(entry.Key));
  entry.ResponseHeaders = std::move(info->Headers);
  entry.SyncTime = info->ResponseTime;
  entry.Body.Offset = bodyOffset;
  entry.Body.Size = bodySize;
  FillTimesFromHeaders(entry);
  return entry;
}

TCacheReadReport ReadChromiumSimpleCache(const std::string& folder, const TBrowserCacheSink& sink) {
  TCacheReadReport report;
  const TEntryFolder cache(folder);
  const std::optional<std::vector<std::string>> names = cache.Names();
  if (!names) {
    report.Failure = cache.IsOpen() ? "cannot list the cache folder " + cache.Path() : cache.Failure();
    return report;
  }
  const auto exists = [&names](std::string_view name) {
    return std::binary_search(names->begin(), names->end(), name, std::less<>());
  };
  std::vector<std::string> entryNames;
  std::copy_if(names->begin(), names->end(), std::back_inserter(entryNames), IsEntryFileName);
  const auto parse = [&](IEntryBytes& file, const std::string& path) {
    std::optional<TBrowserCacheEntry> entry = ParseChromiumSimpleEntry(file);
    if (!entry) return entry;
    if (entry->Body.Size != 0) entry->Body.File = path;
    entry->Files.push_back(path);
    std::string sibling = path.substr(path.size() - kEntryNameSize);
    for (const char suffix : {'1', 's'}) {
      sibling.back() = suffix;
      if (exists(sibling)) entry->Files.push_back(JoinPath(cache.Path(), sibling));
    }
    return entry;
  };
  ReadEntryFiles(cache, entryNames, parse, report, sink);
  return report;
}

}  // namespace hoardscope
