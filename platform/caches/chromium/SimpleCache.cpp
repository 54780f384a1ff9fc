// Reads the simple backend's entry files in place; their layout is in SimpleCacheFormat.h.
#include "platform/caches/chromium/SimpleCache.h"

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <functional>
#include <iterator>

#include "platform/caches/StoredResponse.h"
#include "platform/caches/chromium/ResponseInfo.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"
#include "platform/caches/chromium/SimpleCacheFormat.h"

namespace hoardscope {

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
  if (size < kSimpleHeaderSize + 2 * kSimpleEofSize) return std::nullopt;
  std::optional<TSimpleHeader> header;
  if (const std::optional<std::string_view> bytes = file.Read(0, kSimpleHeaderSize)) header = ParseSimpleHeader(*bytes);
  if (!header) return std::nullopt;
  const std::uint64_t keyLength = header->KeyLength;
  if (keyLength == 0 || keyLength > kMaxKeySize || keyLength > size - kSimpleHeaderSize - 2 * kSimpleEofSize)
    return std::nullopt;

  std::optional<TSimpleEof> eof0;
  if (const std::optional<std::string_view> bytes = file.Read(size - kSimpleEofSize, kSimpleEofSize))
    eof0 = ParseSimpleEof(*bytes);
  if (!eof0) return std::nullopt;
  const std::uint64_t keyHashSize = (eof0->Flags & kSimpleEofHasKeyHash) ? kSimpleKeyHashSize : 0;
  const std::uint64_t stream0Size = eof0->StreamSize;
  if (stream0Size > kMaxResponseRecordSize) return std::nullopt;
  const std::uint64_t bodyOffset = kSimpleHeaderSize + keyLength;
  const std::uint64_t fixed = bodyOffset + kSimpleEofSize + stream0Size + keyHashSize + kSimpleEofSize;
  if (fixed > size) return std::nullopt;
  const std::uint64_t bodySize = size - fixed;
  const std::optional<std::string_view> eof1 = file.Read(bodyOffset + bodySize, kSimpleEofSize);
  if (!eof1 || !ParseSimpleEof(*eof1)) return std::nullopt;

  std::optional<TChromiumResponseInfo> info;
  if (const std::optional<std::string_view> stream0 = file.Read(bodyOffset + bodySize + kSimpleEofSize, stream0Size))
    info = ParseChromiumResponseInfo(*stream0);
  if (!info) return std::nullopt;
  const std::optional<std::string_view> key = file.Read(kSimpleHeaderSize, keyLength);
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

namespace {

// Far more than the index of the largest cache Chromium keeps; a bigger one is passed over.
constexpr std::uint64_t kMaxIndexSize = 64 << 20;

// The last-used times of the cache's index; none when it is missing, damaged or too big, which leaves the
// entries without them.
std::unordered_map<std::uint64_t, std::int64_t> ReadLastUsedTimes(const TEntryFolder& cache) {
  const TEntryFolder indexFolder(cache, kSimpleIndexFolder);
  TEntryFile index;
  if (!indexFolder.IsOpen() || index.Open(indexFolder, kSimpleIndexFile) != TEntryFile::TOpenResult::Opened ||
      index.Size() > kMaxIndexSize)
    return {};
  const std::optional<std::string_view> bytes = index.Read(0, static_cast<std::size_t>(index.Size()));
  return bytes ? SimpleIndexLastUsedTimes(*bytes) : std::unordered_map<std::uint64_t, std::int64_t>();
}

// The entry hash an entry file's name begins with, in 16 hex digits.
std::uint64_t HashOfEntryFileName(std::string_view name) {
  std::uint64_t hash = 0;
  std::from_chars(name.data(), name.data() + 16, hash, 16);
  return hash;
}

}  // namespace

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
  std::copy_if(names->begin(), names->end(), std::back_inserter(entryNames), IsSimpleEntryFileName);
  const std::unordered_map<std::uint64_t, std::int64_t> lastUsed = ReadLastUsedTimes(cache);
  const auto parse = [&](IEntryBytes& file, const std::string& path) {
    std::optional<TBrowserCacheEntry> entry = ParseChromiumSimpleEntry(file);
    if (!entry) return entry;
    const auto used = lastUsed.find(HashOfEntryFileName(path.substr(path.size() - kSimpleEntryNameSize)));
    if (used != lastUsed.end()) entry->LastAccessTime = FileTimeOfChromiumTime(used->second);
    if (entry->Body.Size != 0) entry->Body.File = path;
    entry->Files.push_back(path);
    std::string sibling = path.substr(path.size() - kSimpleEntryNameSize);
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
