// The layout of an entry file of Chromium's simple disk cache backend ("<16 hex digits>_0"): a header (u64 magic,
// u32 version, u32 key length, u32 key hash, u32 padding), the key, stream 1 (the body) and its EOF record,
// stream 0 (the response record), an optional SHA-256 of the key and stream 0's EOF record in the last 24 bytes
// (u64 magic, u32 flags, u32 CRC, u32 stream size, u32 padding). Every field is little-endian; stream 1's size is
// what the rest leaves of the file. The reader, the cache writer of make-cache and the tests make it from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "core/ByteOrder.h"

namespace hoardscope {

inline constexpr std::uint64_t kSimpleHeaderMagic = 0xfcfb6d1ba7725c30ULL;
inline constexpr std::uint64_t kSimpleEofMagic = 0xf4fa6f45970d41d8ULL;
inline constexpr std::uint32_t kSimpleVersion = 5;
inline constexpr std::size_t kSimpleHeaderSize = 24;
inline constexpr std::size_t kSimpleEofSize = 24;
inline constexpr std::size_t kSimpleKeyHashSize = 32;
inline constexpr std::uint32_t kSimpleEofHasCrc = 1;
inline constexpr std::uint32_t kSimpleEofHasKeyHash = 2;
inline constexpr std::size_t kSimpleEntryNameSize = 16 + 2;

struct TSimpleHeader {
  std::uint32_t KeyLength = 0;
  std::uint32_t KeyHash = 0;
};

// A stream's EOF record.
struct TSimpleEof {
  std::uint32_t Flags = 0;
  std::uint32_t Crc = 0;
  std::uint32_t StreamSize = 0;
};

// The header in the first kSimpleHeaderSize bytes; nullopt when they are not one of this version.
inline std::optional<TSimpleHeader> ParseSimpleHeader(std::string_view bytes) {
  if (LittleEndianAt<std::uint64_t>(bytes, 0) != kSimpleHeaderMagic ||
      LittleEndianAt<std::uint32_t>(bytes, 8) != kSimpleVersion)
    return std::nullopt;
  return TSimpleHeader{LittleEndianAt<std::uint32_t>(bytes, 12), LittleEndianAt<std::uint32_t>(bytes, 16)};
}

// The EOF record in the first kSimpleEofSize bytes; nullopt when they are none.
inline std::optional<TSimpleEof> ParseSimpleEof(std::string_view bytes) {
  if (LittleEndianAt<std::uint64_t>(bytes, 0) != kSimpleEofMagic) return std::nullopt;
  return TSimpleEof{LittleEndianAt<std::uint32_t>(bytes, 8), LittleEndianAt<std::uint32_t>(bytes, 12),
                    LittleEndianAt<std::uint32_t>(bytes, 16)};
}

inline std::string SimpleHeaderBytes(const TSimpleHeader& header) {
  std::string bytes;
  AppendLittleEndian(bytes, kSimpleHeaderMagic);
  AppendLittleEndian(bytes, kSimpleVersion);
  AppendLittleEndian(bytes, header.KeyLength);
  AppendLittleEndian(bytes, header.KeyHash);
  AppendLittleEndian<std::uint32_t>(bytes, 0);
  return bytes;
}

inline std::string SimpleEofBytes(const TSimpleEof& eof) {
  std::string bytes;
  AppendLittleEndian(bytes, kSimpleEofMagic);
  AppendLittleEndian(bytes, eof.Flags);
  AppendLittleEndian(bytes, eof.Crc);
  AppendLittleEndian(bytes, eof.StreamSize);
  AppendLittleEndian<std::uint32_t>(bytes, 0);
  return bytes;
}

// What an entry file is made of; a stream with a CRC has it in its EOF record.
struct TSimpleEntryParts {
  std::string_view Key;
  std::uint32_t KeyHash = 0;
  std::string_view Body;
  std::string_view ResponseRecord;
  std::optional<std::uint32_t> BodyCrc = std::nullopt;
  std::optional<std::uint32_t> ResponseRecordCrc = std::nullopt;
};

// The whole entry file of the parts, without a hash of the key.
inline std::string SimpleEntryFile(const TSimpleEntryParts& parts) {
  const auto eof = [](std::string_view stream, std::optional<std::uint32_t> crc) {
    return SimpleEofBytes({crc ? kSimpleEofHasCrc : 0, crc.value_or(0), static_cast<std::uint32_t>(stream.size())});
  };
  std::string file = SimpleHeaderBytes({static_cast<std::uint32_t>(parts.Key.size()), parts.KeyHash});
  file.reserve(file.size() + parts.Key.size() + parts.Body.size() + parts.ResponseRecord.size() + 2 * kSimpleEofSize);
  file.append(parts.Key).append(parts.Body).append(eof(parts.Body, parts.BodyCrc));
  file.append(parts.ResponseRecord).append(eof(parts.ResponseRecord, parts.ResponseRecordCrc));
  return file;
}

// An entry file's name: the entry's hash in 16 hex digits and "_0" ("_1" and "_s" name the files beside it that
// hold a second stream or sparse data).
inline std::string SimpleEntryFileName(std::uint64_t hash) {
  char name[kSimpleEntryNameSize + 1];
  std::snprintf(name, sizeof name, "%016llx_0", static_cast<unsigned long long>(hash));
  return name;
}

inline bool IsSimpleEntryFileName(std::string_view name) {
  return name.size() == kSimpleEntryNameSize && name.substr(16) == "_0" &&
         name.find_first_not_of("0123456789abcdef") == 16;
}

// The index beside the entry files, "index-dir/the-real-index": a pickle header (u32 payload size, u32 CRC), then
// u64 magic, u32 version, u64 entry count, u64 cache size and u32 why it was written, then per entry u64 hash,
// i64 last-used time (a Chromium time, in whole seconds) and u64 size, then the i64 time of the last change.
// Chromium writes it now and then, so it may lack the newest entries.
inline constexpr const char* kSimpleIndexFolder = "index-dir";
inline constexpr const char* kSimpleIndexFile = "the-real-index";
inline constexpr std::uint64_t kSimpleIndexMagic = 0x656e74657220796fULL;
inline constexpr std::uint32_t kSimpleIndexOldestVersion = 7;   // the first with the reason field
inline constexpr std::uint32_t kSimpleIndexNewestVersion = 9;
inline constexpr std::size_t kSimpleIndexPickleHeaderSize = 8;
inline constexpr std::size_t kSimpleIndexEntriesOffset = kSimpleIndexPickleHeaderSize + 32;
inline constexpr std::size_t kSimpleIndexEntrySize = 24;

// The last-used time of each entry hash the index holds; empty for an index of another version, or one whose size
// disagrees with its header.
inline std::unordered_map<std::uint64_t, std::int64_t> SimpleIndexLastUsedTimes(std::string_view bytes) {
  std::unordered_map<std::uint64_t, std::int64_t> times;
  if (bytes.size() < kSimpleIndexEntriesOffset ||
      LittleEndianAt<std::uint32_t>(bytes, 0) != bytes.size() - kSimpleIndexPickleHeaderSize ||
      LittleEndianAt<std::uint64_t>(bytes, 8) != kSimpleIndexMagic)
    return times;
  const std::uint32_t version = LittleEndianAt<std::uint32_t>(bytes, 16);
  const std::uint64_t count = LittleEndianAt<std::uint64_t>(bytes, 20);
  if (version < kSimpleIndexOldestVersion || version > kSimpleIndexNewestVersion ||
      count > (bytes.size() - kSimpleIndexEntriesOffset) / kSimpleIndexEntrySize)
    return times;
  times.reserve(count);
  for (std::size_t at = kSimpleIndexEntriesOffset; at < kSimpleIndexEntriesOffset + count * kSimpleIndexEntrySize;
       at += kSimpleIndexEntrySize) {
    times.emplace(LittleEndianAt<std::uint64_t>(bytes, at), LittleEndianAt<std::int64_t>(bytes, at + 8));
  }
  return times;
}

}  // namespace hoardscope
