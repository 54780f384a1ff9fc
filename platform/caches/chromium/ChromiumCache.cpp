// A Chromium-family cache folder, whichever of its backends wrote it.
#include <array>
#include <filesystem>
#include <fstream>

#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/chromium/Blockfile.h"
#include "platform/caches/chromium/SimpleCache.h"

namespace hoardscope {
namespace {

constexpr std::uint32_t kBlockfileIndexMagic = 0xC103CAC3;

// The blockfile backend keeps an "index" that starts with its magic, and its block files beside it.
bool IsBlockfileFolder(const std::string& folder) {
  std::ifstream index(std::filesystem::path(folder) / "index", std::ios::binary);
  std::array<unsigned char, 4> magic{};
  if (!index.read(reinterpret_cast<char*>(magic.data()), magic.size())) return false;
  const std::uint32_t value = magic[0] | (magic[1] << 8) | (magic[2] << 16) | (std::uint32_t{magic[3]} << 24);
  std::error_code error;
  return value == kBlockfileIndexMagic && std::filesystem::exists(std::filesystem::path(folder) / "data_0", error);
}

}  // namespace

TCacheReadReport ReadChromiumCache(const std::string& folder, const TBrowserCacheSink& sink) {
  return IsBlockfileFolder(folder) ? ReadChromiumBlockfileCache(folder, sink) : ReadChromiumSimpleCache(folder, sink);
}

}  // namespace hoardscope
