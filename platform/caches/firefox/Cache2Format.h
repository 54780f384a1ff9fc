// The layout of an entry file of Firefox's disk cache ("cache2", one file per entry in its "entries" folder): the
// body from offset 0, then at offset M the metadata: a u32 hash of the metadata, a u16 hash per 256 KiB chunk of
// the body, the header (u32 version, fetch count, last fetch, last change, frecency, expiry in seconds since 1970,
// key size and, from version 2 on, flags), the key and a NUL, then "name\0value\0" elements. The file ends in
// u32 M (version 3 and older) or in u32 4 and u32 M whose high bit marks an encrypted entry. Every number is
// big-endian. The reader, the cache writer of make-cache and the tests make it from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ByteOrder.h"

namespace hoardscope {

inline constexpr std::string_view kCache2EntriesFolder = "entries";
inline constexpr std::uint64_t kCache2ChunkSize = 256 * 1024;
inline constexpr std::uint32_t kCache2NewestVersion = 4;
inline constexpr std::uint32_t kCache2TrailerVersion = 4;   // the first u32 of a version 4 trailer
inline constexpr std::uint32_t kCache2EncryptedBit = 0x80000000u;
inline constexpr std::uint32_t kCache2NeverExpires = 0xFFFFFFFFu;
inline constexpr std::size_t kCache2HeaderFields = 8;

// The header's fields, by index.
enum TCache2Field : std::size_t {
  kCache2Version,
  kCache2FetchCount,
  kCache2LastFetched,
  kCache2LastModified,
  kCache2Frecency,
  kCache2Expiration,
  kCache2KeySize,
  kCache2Flags,   // from version 2 on
};

inline constexpr std::string_view kCache2ResponseHead = "response-head";
inline constexpr std::string_view kCache2RequestMethod = "request-method";
inline constexpr std::string_view kCache2AltData = "alt-data";

// Where the header starts in the metadata of a body of that size: after the hashes.
inline std::uint64_t Cache2HeaderStart(std::uint64_t bodySize) {
  return 4 + 2 * ((bodySize + kCache2ChunkSize - 1) / kCache2ChunkSize);
}

inline std::uint64_t Cache2HeaderSize(std::uint32_t version) {
  return 4 * (version == 1 ? kCache2HeaderFields - 1 : kCache2HeaderFields);
}

// Entry files are named by the SHA-1 of their key.
inline bool IsCache2EntryFileName(std::string_view name) {
  return name.size() == 40 && name.find_first_not_of("0123456789ABCDEF") == std::string_view::npos;
}

// One "name\0value\0" element.
inline std::string Cache2Element(std::string_view name, std::string_view value) {
  std::string element(name);
  element.push_back('\0');
  element.append(value).push_back('\0');
  return element;
}

// What a version 4 entry file's header says besides the version and the key's size; the hashes are left 0.
struct TCache2Header {
  std::uint32_t FetchCount = 1;
  std::uint32_t LastFetched = 0;
  std::uint32_t LastModified = 0;
  std::uint32_t Frecency = 0;
  std::uint32_t Expiration = kCache2NeverExpires;
  std::uint32_t Flags = 0;
};

// The whole version 4 entry file of the body, the header, the key and the elements.
inline std::string Cache2EntryFile(std::string_view body, const TCache2Header& header, std::string_view key,
                                   std::string_view elements) {
  std::string file(body);
  file.append(Cache2HeaderStart(body.size()), '\0');
  for (const std::uint32_t field :
       {kCache2NewestVersion, header.FetchCount, header.LastFetched, header.LastModified, header.Frecency,
        header.Expiration, static_cast<std::uint32_t>(key.size()), header.Flags})
    AppendBigEndian(file, field);
  file.append(key).push_back('\0');
  file.append(elements);
  AppendBigEndian(file, kCache2TrailerVersion);
  AppendBigEndian(file, static_cast<std::uint32_t>(body.size()));
  return file;
}

}  // namespace hoardscope
