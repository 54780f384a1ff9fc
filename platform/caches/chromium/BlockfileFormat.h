// The layout of Chromium's blockfile disk cache backend; every field is little-endian.
//  index     a 368-byte header (u32 magic, u32 version, i32 entry count, ..., i32 table length at offset 28;
//            0 means 0x10000), then the hash table: one cache address per slot, heading a chain of entry records
//            linked by their "next" addresses.
//  data_N    an 8 KiB header (u32 magic, u32 version, i16 file number, i16 next file, i32 block size, counters and
//            the allocation bitmap), then blocks of 36 bytes (data_0: rankings), 256 (data_1: entry records),
//            1 KiB (data_2) or 4 KiB (data_3); a full block file continues in a further data_N.
//  f_XXXXXX  one stream too big for blocks, from offset 0.
// A cache address: bit 31 set when in use, bits 28-30 the file type (0 external, 1 rankings, 2-4 the block files
// of 256 B, 1 KiB and 4 KiB). External: the file's number in bits 0-27. Blocks: the number of blocks less one in
// bits 24-25, the block file's number in bits 16-23 and the first block in bits 0-15.
// An entry record fills one to four 256-byte blocks: u32 hash, u32 next, u32 rankings node, i32 reuse and refetch
// counts, i32 state, u64 creation time, i32 key length, u32 long-key address, i32 stream sizes[4], u32 stream
// addresses[4], u32 flags, 16 bytes of padding, u32 self hash, then the key up to the record's end, unless the key
// lives at the long-key address. Stream 0 holds the response record, stream 1 the body.
// A rankings node fills one 36-byte block: u64 last-used and u64 last-modified time (Chromium times), u32 next,
// u32 previous and u32 entry record addresses, i32 dirty, u32 self hash.
// The reader and the tests make the files from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>

#include "core/ByteOrder.h"

namespace hoardscope {

inline constexpr std::uint32_t kBlockfileIndexMagic = 0xC103CAC3;
inline constexpr std::uint32_t kBlockfileIndexVersion = 0x30000;
inline constexpr std::size_t kBlockfileIndexHeaderSize = 368;
inline constexpr std::size_t kBlockfileEntryCountOffset = 8;
inline constexpr std::size_t kBlockfileTableLengthOffset = 28;
inline constexpr std::uint32_t kBlockfileDefaultTableLength = 0x10000;
inline constexpr std::uint32_t kBlockFileMagic = 0xC104CAC3;
inline constexpr std::uint32_t kBlockFileVersion = 0x20000;
inline constexpr std::size_t kBlockFileHeaderSize = 8192;
inline constexpr std::size_t kBlockFileBlockSizeOffset = 12;

// An address's file types.
inline constexpr std::uint32_t kBlockfileExternalFile = 0;
inline constexpr std::uint32_t kBlockfileRankingsFile = 1;     // 36-byte blocks: rankings nodes
inline constexpr std::uint32_t kBlockfileEntryBlockFile = 2;   // 256-byte blocks: entry records

// The entry record's fields, by offset.
inline constexpr std::size_t kEntryRecordNextOffset = 4;
inline constexpr std::size_t kEntryRecordRankingsOffset = 8;
inline constexpr std::size_t kEntryRecordStateOffset = 20;
inline constexpr std::size_t kEntryRecordKeyLengthOffset = 32;
inline constexpr std::size_t kEntryRecordLongKeyOffset = 36;
inline constexpr std::size_t kEntryRecordStreamSizesOffset = 40;
inline constexpr std::size_t kEntryRecordStreamAddressesOffset = 56;
inline constexpr std::size_t kEntryRecordFlagsOffset = 72;
inline constexpr std::size_t kEntryRecordKeyOffset = 96;
inline constexpr std::int32_t kEntryRecordNormalState = 0;
inline constexpr std::uint32_t kEntryRecordChildFlag = 2;   // a piece of another entry's sparse data

struct TBlockfileAddress {
  std::uint32_t Value = 0;

  // In use, in the block file of that type and number, count blocks from the first.
  static TBlockfileAddress OfBlocks(std::uint32_t fileType, std::uint32_t fileNumber, std::uint32_t firstBlock,
                                    std::uint32_t count) {
    return {0x80000000u | fileType << 28 | (count - 1) << 24 | fileNumber << 16 | firstBlock};
  }
  static TBlockfileAddress OfExternalFile(std::uint32_t number) { return {0x80000000u | number}; }

  bool InUse() const { return (Value & 0x80000000u) != 0; }
  std::uint32_t FileType() const { return (Value >> 28) & 7; }
  std::uint64_t BlockCount() const { return ((Value >> 24) & 3) + 1; }
  std::uint32_t FileNumber() const { return (Value >> 16) & 0xff; }
  std::uint64_t StartBlock() const { return Value & 0xffff; }
  std::uint32_t ExternalNumber() const { return Value & 0x0fffffff; }
};

// The block size of an address's file type; 0 for an external file or a type there is none of.
inline std::uint64_t BlockSizeOf(std::uint32_t fileType) {
  switch (fileType) {
    case 1: return 36;
    case 2: return 256;
    case 3: return 1024;
    case 4: return 4096;
    default: return 0;
  }
}

inline std::string BlockFileName(std::uint32_t number) { return "data_" + std::to_string(number); }

inline std::string ExternalFileName(std::uint32_t number) {
  char name[16];
  std::snprintf(name, sizeof name, "f_%06x", static_cast<unsigned>(number));
  return name;
}

// The fields of an entry record that the reader uses, of the record's bytes.
struct TBlockfileEntryRecord {
  TBlockfileAddress Next;
  TBlockfileAddress Rankings;
  std::int32_t State = 0;
  std::uint32_t Flags = 0;
  std::int32_t KeyLength = 0;
  TBlockfileAddress LongKey;
  std::int32_t StreamSize[2] = {};
  TBlockfileAddress StreamAddress[2];
  std::string InlineKey;   // the record's bytes from the key's offset on

  // bytes holds at least one block.
  static TBlockfileEntryRecord Parse(std::string_view bytes) {
    TBlockfileEntryRecord record;
    record.Next.Value = LittleEndianAt<std::uint32_t>(bytes, kEntryRecordNextOffset);
    record.Rankings.Value = LittleEndianAt<std::uint32_t>(bytes, kEntryRecordRankingsOffset);
    record.State = LittleEndianAt<std::int32_t>(bytes, kEntryRecordStateOffset);
    record.KeyLength = LittleEndianAt<std::int32_t>(bytes, kEntryRecordKeyLengthOffset);
    record.LongKey.Value = LittleEndianAt<std::uint32_t>(bytes, kEntryRecordLongKeyOffset);
    for (std::size_t stream = 0; stream < 2; ++stream) {
      record.StreamSize[stream] = LittleEndianAt<std::int32_t>(bytes, kEntryRecordStreamSizesOffset + 4 * stream);
      record.StreamAddress[stream].Value =
          LittleEndianAt<std::uint32_t>(bytes, kEntryRecordStreamAddressesOffset + 4 * stream);
    }
    record.Flags = LittleEndianAt<std::uint32_t>(bytes, kEntryRecordFlagsOffset);
    record.InlineKey = std::string(bytes.substr(kEntryRecordKeyOffset));
    return record;
  }
};

// A header of size bytes: the magic, the version and one field at its offset, the rest 0.
inline std::string BlockfileHeaderOf(std::size_t size, std::uint32_t magic, std::uint32_t version,
                                     std::size_t fieldOffset, std::uint32_t field) {
  std::string header(size, '\0');
  PutLittleEndian(header, 0, magic);
  PutLittleEndian(header, 4, version);
  PutLittleEndian(header, fieldOffset, field);
  return header;
}

// The index's header, for a hash table of tableLength slots.
inline std::string BlockfileIndexHeader(std::uint32_t tableLength) {
  return BlockfileHeaderOf(kBlockfileIndexHeaderSize, kBlockfileIndexMagic, kBlockfileIndexVersion,
                           kBlockfileTableLengthOffset, tableLength);
}

// A block file's header, for blocks of blockSize bytes.
inline std::string BlockFileHeader(std::uint32_t blockSize) {
  return BlockfileHeaderOf(kBlockFileHeaderSize, kBlockFileMagic, kBlockFileVersion, kBlockFileBlockSizeOffset,
                           blockSize);
}

}  // namespace hoardscope
