// Reads Chromium's response record; its layout is in ResponseRecordFormat.h.
#include "platform/caches/chromium/ResponseInfo.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/chromium/ResponseRecordFormat.h"

namespace hoardscope {
namespace {

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
  const std::uint32_t version = flags & kResponseRecordVersionMask;
  if (version < kResponseRecordOldestVersion || version > kResponseRecordNewestVersion) return std::nullopt;
  if ((flags & kResponseRecordHasExtraFlags) && !reader.ReadU32(extraFlags)) return std::nullopt;
  if (!reader.ReadI64(requestTime) || !reader.ReadI64(responseTime)) return std::nullopt;
  if ((extraFlags & kResponseRecordExtraHasOriginalResponseTime) && !reader.ReadI64(originalResponseTime))
    return std::nullopt;
  if (!reader.ReadString(rawHeaders) || rawHeaders.empty() || rawHeaders.front() == '\0' ||
      rawHeaders.size() > kMaxResponseHeadersSize)
    return std::nullopt;

  TChromiumResponseInfo info;
  info.RequestTime = FileTimeOfChromiumTime(requestTime);
  info.ResponseTime = FileTimeOfChromiumTime(responseTime);
  info.Headers = HeaderBlockFromRaw(rawHeaders);
  return info;
}

}  // namespace hoardscope
