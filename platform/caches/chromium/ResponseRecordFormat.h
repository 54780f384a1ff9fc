// The layout of the response record Chromium keeps as an entry's stream 0 in both of its disk cache backends: a
// pickle (u32 payload size, then little-endian fields each padded to 4 bytes) of the flags (the version in the low
// byte; bit 31: extra flags follow), the request and response times (microseconds since 1601), with the extra flag
// 1 << 2 the original response time, and the raw headers as a length-prefixed string; the fields after the
// headers are not needed here. The readers, the cache writer of make-cache and the tests make it from here.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ByteOrder.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

inline constexpr std::uint32_t kResponseRecordVersionMask = 0xFF;
inline constexpr std::uint32_t kResponseRecordOldestVersion = 1;
inline constexpr std::uint32_t kResponseRecordNewestVersion = 3;
inline constexpr std::uint32_t kResponseRecordHasExtraFlags = 1u << 31;
inline constexpr std::uint32_t kResponseRecordExtraHasOriginalResponseTime = 1u << 2;

// A Chromium time of a FileTime, both counted from 1601-01-01 UTC: microseconds against 100-nanosecond steps.
inline std::int64_t ChromiumTimeOfFileTime(FileTime time) { return static_cast<std::int64_t>(time / 10); }

// The FileTime of a Chromium time; 0 for one that is none or too large.
inline FileTime FileTimeOfChromiumTime(std::int64_t micros) {
  return micros <= 0 || micros > INT64_MAX / 10 ? 0 : static_cast<FileTime>(micros) * 10;
}

// The raw headers of a response-header block: each line up to the empty one ending in NUL, one more NUL after the
// last.
inline std::string ChromiumRawHeaders(std::string_view headerBlock) {
  std::string raw;
  while (!headerBlock.empty()) {
    const std::size_t end = headerBlock.find("\r\n");
    if (end == 0) break;
    raw.append(headerBlock.substr(0, end)).push_back('\0');
    headerBlock = end == std::string_view::npos ? std::string_view() : headerBlock.substr(end + 2);
  }
  raw.push_back('\0');
  return raw;
}

// A response record of the newest version, without extra flags, of these times and raw headers.
inline std::string ChromiumResponseRecord(std::int64_t requestTime, std::int64_t responseTime,
                                          std::string_view rawHeaders) {
  std::string payload;
  AppendLittleEndian<std::uint32_t>(payload, kResponseRecordNewestVersion);
  AppendLittleEndian<std::int64_t>(payload, requestTime);
  AppendLittleEndian<std::int64_t>(payload, responseTime);
  AppendLittleEndian<std::uint32_t>(payload, static_cast<std::uint32_t>(rawHeaders.size()));
  payload += rawHeaders;
  payload.resize((payload.size() + 3) & ~std::size_t{3}, '\0');
  std::string record;
  AppendLittleEndian<std::uint32_t>(record, static_cast<std::uint32_t>(payload.size()));
  return record + payload;
}

}  // namespace hoardscope
