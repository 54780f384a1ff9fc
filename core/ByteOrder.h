// Numbers stored in files at a fixed byte order: read from a buffer the caller has checked holds them, appended to
// or written into a buffer being made.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace hoardscope {

// The value of type T stored little-endian at offset.
template <typename T>
T LittleEndianAt(std::string_view bytes, std::size_t offset) {
  T value;
  std::memcpy(&value, bytes.data() + offset, sizeof value);  // every target is little-endian
  return value;
}

// The u32 stored big-endian at offset.
inline std::uint32_t BigEndianAt(std::string_view bytes, std::size_t offset) {
  const auto byte = [&](std::size_t i) {
    return static_cast<std::uint32_t>(static_cast<unsigned char>(bytes[offset + i]));
  };
  return byte(0) << 24 | byte(1) << 16 | byte(2) << 8 | byte(3);
}

// Writes value little-endian over the bytes at offset, which lie within bytes.
template <typename T>
void PutLittleEndian(std::string& bytes, std::size_t offset, T value) {
  for (std::size_t i = 0; i < sizeof value; ++i)
    bytes[offset + i] = static_cast<char>(static_cast<std::uint64_t>(value) >> (8 * i));
}

// Writes value big-endian over the four bytes at offset, which lie within bytes.
inline void PutBigEndian(std::string& bytes, std::size_t offset, std::uint32_t value) {
  for (std::size_t i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>(value >> (24 - 8 * i));
}

template <typename T>
void AppendLittleEndian(std::string& bytes, T value) {
  bytes.append(sizeof value, '\0');
  PutLittleEndian(bytes, bytes.size() - sizeof value, value);
}

inline void AppendBigEndian(std::string& bytes, std::uint32_t value) {
  bytes.append(4, '\0');
  PutBigEndian(bytes, bytes.size() - 4, value);
}

}  // namespace hoardscope
