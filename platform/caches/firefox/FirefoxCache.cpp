// Reads Firefox's cache2 entry files in place; their layout is in Cache2Format.h.
#include "platform/caches/firefox/FirefoxCache.h"

#include <algorithm>
#include <cstdint>
#include <iterator>

#include "core/Tools.h"
#include "platform/caches/StoredResponse.h"
#include "platform/caches/firefox/Cache2Format.h"

namespace hoardscope {
namespace {

FileTime FileTimeFromUnixSeconds(std::uint32_t seconds) {
  return seconds == 0 ? 0 : FileTimeFromUnixMillis(static_cast<std::int64_t>(seconds) * 1000);
}

struct TTrailer {
  std::uint64_t MetadataOffset = 0;
  std::uint64_t Size = 0;   // of the trailer itself
  bool Encrypted = false;
};

// The trailer's form shows in the byte before it: the elements end in a NUL, a version 4 trailer's "4" does not.
std::optional<TTrailer> ReadTrailer(IEntryBytes& file) {
  if (file.Size() < 8) return std::nullopt;
  const std::optional<std::string_view> last = file.Read(file.Size() - 8, 8);
  if (!last) return std::nullopt;
  TTrailer trailer;
  const std::uint32_t offset = BigEndianAt(*last, 4);
  if (BigEndianAt(*last, 0) == kCache2TrailerVersion) {
    trailer.Size = 8;
    trailer.Encrypted = (offset & kCache2EncryptedBit) != 0;
    trailer.MetadataOffset = offset & ~kCache2EncryptedBit;
  } else {
    trailer.Size = 4;
    trailer.MetadataOffset = offset;
  }
  if (trailer.MetadataOffset > file.Size() - trailer.Size) return std::nullopt;
  return trailer;
}

// The value of the element of this name; nullopt when absent.
std::optional<std::string_view> ElementValue(std::string_view elements, std::string_view name) {
  while (!elements.empty()) {
    const std::size_t nameEnd = elements.find('\0');
    if (nameEnd == std::string_view::npos) break;
    const std::size_t valueEnd = elements.find('\0', nameEnd + 1);
    if (valueEnd == std::string_view::npos) break;
    if (elements.substr(0, nameEnd) == name) return elements.substr(nameEnd + 1, valueEnd - nameEnd - 1);
    elements = elements.substr(valueEnd + 1);
  }
  return std::nullopt;
}

// "alt-data" is "<version>;<offset of the alternative data>,<its type>": the body ends at that offset.
std::uint64_t BodyEnd(std::string_view elements, std::uint64_t metadataOffset) {
  const std::optional<std::string_view> altData = ElementValue(elements, kCache2AltData);
  if (!altData) return metadataOffset;
  const std::size_t start = altData->find(';');
  if (start == std::string_view::npos) return metadataOffset;
  std::uint64_t end = 0;
  std::size_t i = start + 1;
  for (; i < altData->size() && (*altData)[i] >= '0' && (*altData)[i] <= '9' && end <= metadataOffset; ++i)
    end = end * 10 + static_cast<std::uint64_t>((*altData)[i] - '0');
  return i > start + 1 && end <= metadataOffset ? end : metadataOffset;
}

}  // namespace

std::string_view FirefoxKeyUrl(std::string_view key) {
  // Each tag ends in a comma; a comma inside a tag's value is doubled.
  std::size_t i = 0;
  while (i < key.size() && key[i] != ':') {
    std::size_t comma = key.find(',', i);
    while (comma != std::string_view::npos && comma + 1 < key.size() && key[comma + 1] == ',')
      comma = key.find(',', comma + 2);
    if (comma == std::string_view::npos) return key;
    i = comma + 1;
  }
  return i < key.size() ? key.substr(i + 1) : key;
}

std::optional<TBrowserCacheEntry> ParseFirefoxEntry(IEntryBytes& file) {
  const std::optional<TTrailer> trailer = ReadTrailer(file);
  if (!trailer) return std::nullopt;
  const std::uint64_t offset = trailer->MetadataOffset;
  const std::uint64_t metadataSize = file.Size() - trailer->Size - offset;
  const std::uint64_t headerStart = Cache2HeaderStart(offset);
  if (metadataSize > headerStart + 4 * kCache2HeaderFields + kMaxKeySize + 1 + kMaxResponseRecordSize) return std::nullopt;
  const std::optional<std::string_view> metadata = file.Read(offset, metadataSize);
  if (!metadata) return std::nullopt;

  if (headerStart + 4 > metadata->size()) return std::nullopt;
  const std::uint32_t version = BigEndianAt(*metadata, headerStart);
  if (version == 0 || version > kCache2NewestVersion || (version == kCache2NewestVersion) != (trailer->Size == 8))
    return std::nullopt;
  const std::uint64_t headerSize = Cache2HeaderSize(version);
  if (headerStart + headerSize > metadata->size()) return std::nullopt;
  const auto field = [&](std::size_t index) { return BigEndianAt(*metadata, headerStart + 4 * index); };
  const std::uint64_t keyStart = headerStart + headerSize;
  const std::uint64_t keySize = field(kCache2KeySize);
  if (keySize >= metadata->size() - keyStart || (*metadata)[keyStart + keySize] != '\0') return std::nullopt;
  const std::string_view elements = metadata->substr(keyStart + keySize + 1);

  TBrowserCacheEntry entry;
  entry.Key = std::string(metadata->substr(keyStart, keySize));
  entry.Url = std::string(FirefoxKeyUrl(entry.Key));
  entry.Encrypted = trailer->Encrypted;
  entry.SyncTime = FileTimeFromUnixSeconds(field(kCache2LastFetched));
  entry.LastAccessTime = entry.SyncTime;  // cache2 keeps the last fetch alone
  if (field(kCache2Expiration) != kCache2NeverExpires)
    entry.ExpireTime = FileTimeFromUnixSeconds(field(kCache2Expiration));
  if (const std::optional<std::string_view> head = ElementValue(elements, kCache2ResponseHead)) {
    if (head->size() > kMaxResponseHeadersSize) return std::nullopt;
    entry.ResponseHeaders = std::string(*head);
    if (!entry.ResponseHeaders.ends_with("\r\n")) entry.ResponseHeaders += "\r\n";
    if (!entry.ResponseHeaders.ends_with("\r\n\r\n")) entry.ResponseHeaders += "\r\n";
  }
  if (!entry.Encrypted) entry.Body.Size = BodyEnd(elements, offset);
  FillTimesFromHeaders(entry);
  return entry;
}

TCacheReadReport ReadFirefoxCache(const std::string& folder, const TBrowserCacheSink& sink) {
  TCacheReadReport report;
  const TEntryFolder entries(TEntryFolder(folder), kCache2EntriesFolder);
  const std::optional<std::vector<std::string>> names = entries.Names();
  if (!names) {
    report.Failure = entries.IsOpen() ? "cannot list the cache folder " + entries.Path() : entries.Failure();
    return report;
  }
  std::vector<std::string> entryNames;
  std::copy_if(names->begin(), names->end(), std::back_inserter(entryNames), IsCache2EntryFileName);
  const auto parse = [](IEntryBytes& file, const std::string& path) {
    std::optional<TBrowserCacheEntry> entry = ParseFirefoxEntry(file);
    if (!entry) return entry;
    if (entry->Body.Size != 0) entry->Body.File = path;
    entry->Files.push_back(path);
    return entry;
  };
  ReadEntryFiles(entries, entryNames, parse, report, sink);
  return report;
}

}  // namespace hoardscope
