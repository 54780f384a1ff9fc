// libFuzzer target of the browsers' entry-file readers: any bytes as a Chromium simple-cache entry file and as a
// Firefox cache2 entry file. Never a crash, never a read past the buffer, and a body that lies inside the file.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

#include "platform/caches/chromium/SimpleCache.h"
#include "platform/caches/firefox/FirefoxCache.h"

namespace {

void CheckBody(const std::optional<hoardscope::TBrowserCacheEntry>& entry, std::size_t size) {
  if (entry && (entry->Body.Offset > size || entry->Body.Size > size - entry->Body.Offset)) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace hoardscope;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  TBufferBytes chromium(bytes);
  CheckBody(ParseChromiumSimpleEntry(chromium), size);
  TBufferBytes firefox(bytes);
  CheckBody(ParseFirefoxEntry(firefox), size);
  return 0;
}
