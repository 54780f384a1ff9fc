// Chromium's response record: a pickle (u32 payload size, then 4-byte aligned little-endian fields) holding the
// flags, the request and response times and the raw headers; the fields after the headers are not needed here.
#include "platform/caches/chromium/ResponseInfo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/caches/BrowserCacheEntry.h"

namespace hoardscope {
namespace {

constexpr std::uint32_t kVersionMask = 0xFF;
constexpr std::uint32_t kOldestVersion = 1;
constexpr std::uint32_t kNewestVersion = 3;
constexpr std::uint32_t kHasExtraFlags = 1u << 31;
constexpr std::uint32_t kExtraHasOriginalResponseTime = 1u << 2;

// Reads the pickle's fields in order; every read checks the payload's end, and a failed read fails the rest.
class TPickleReader {
 public:
  explicit TPickleReader(std::string_view payload) : FPayload(payload) {}

  bool ReadU32(std::uint32_t& value) { return ReadRaw(&value, sizeof value); }
  bool ReadI64(std::int64_t& value) { return ReadRaw(&value, sizeof value); }

  bool ReadString(std::string_view& value) {
    std::uint32_t length = 0;
    if (!ReadU32(length) || length > FPayload.size() - FOffset) return false;
    value = FPayload.substr(FOffset, length);
    Advance(length);
    return true;
  }

 private:
  bool ReadRaw(void* value, std::size_t size) {
    if (size > FPayload.size() - FOffset) return false;
    std::memcpy(value, FPayload.data() + FOffset, size);  // the pickle stores little-endian, as every target is
    Advance(size);
    return true;
  }

  void Advance(std::size_t size) { FOffset = std::min(FPayload.size(), FOffset + ((size + 3) & ~std::size_t{3})); }

  std::string_view FPayload;
  std::size_t FOffset = 0;
};

// Chromium's times count microseconds since 1601-01-01 UTC; a FileTime counts 100-nanosecond steps from there.
FileTime FileTimeFromChromiumTime(std::int64_t micros) {
  return micros <= 0 || micros > INT64_MAX / 10 ? 0 : static_cast<FileTime>(micros) * 10;
}

// The raw headers hold the status line and each header line ending in NUL, and one more NUL at the end.
std::string HeaderBlockFromRaw(std::string_view raw) {
  std::string block;
  block.reserve(raw.size() + 32);
  while (!raw.empty() && raw.front() != '\0') {
    const std::size_t end = raw.find('\0');
    block.append(raw.substr(0, end)).append("\r\n");
    raw = end == std::string_view::npos ? std::string_view() : raw.substr(end + 1);
  }
  block.append("\r\n");
  return block;
}

}  // namespace

std::optional<TChromiumResponseInfo> ParseChromiumResponseInfo(std::string_view stream0) {
  std::uint32_t payloadSize = 0;
  if (stream0.size() < sizeof payloadSize) return std::nullopt;
  std::memcpy(&payloadSize, stream0.data(), sizeof payloadSize);
  if (payloadSize > stream0.size() - sizeof payloadSize) return std::nullopt;
  TPickleReader reader(stream0.substr(sizeof payloadSize, payloadSize));

  std::uint32_t flags = 0;
  std::uint32_t extraFlags = 0;
  std::int64_t requestTime = 0;
  std::int64_t responseTime = 0;
  std::int64_t originalResponseTime = 0;
  std::string_view rawHeaders;
  if (!reader.ReadU32(flags)) return std::nullopt;
  const std::uint32_t version = flags & kVersionMask;
  if (version < kOldestVersion || version > kNewestVersion) return std::nullopt;
  if ((flags & kHasExtraFlags) && !reader.ReadU32(extraFlags)) return std::nullopt;
  if (!reader.ReadI64(requestTime) || !reader.ReadI64(responseTime)) return std::nullopt;
  if ((extraFlags & kExtraHasOriginalResponseTime) && !reader.ReadI64(originalResponseTime)) return std::nullopt;
  if (!reader.ReadString(rawHeaders) || rawHeaders.empty() || rawHeaders.front() == '\0' ||
      rawHeaders.size() > kMaxResponseHeadersSize)
    return std::nullopt;

  TChromiumResponseInfo info;
  info.RequestTime = FileTimeFromChromiumTime(requestTime);
  info.ResponseTime = FileTimeFromChromiumTime(responseTime);
  info.Headers = HeaderBlockFromRaw(rawHeaders);
  return info;
}

}  // namespace hoardscope
