// A Chromium-family cache folder, whichever of its backends wrote it.
#include "core/ByteOrder.h"
#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/EntryBytes.h"
#include "platform/caches/chromium/Blockfile.h"
#include "platform/caches/chromium/BlockfileFormat.h"
#include "platform/caches/chromium/SimpleCache.h"

namespace hoardscope {
namespace {

// The blockfile backend keeps its block files beside an "index" that starts with its magic; the simple backend
// has an index of its own but never a block file. Whatever lies there under those names, nothing is followed or
// waited on, and a damaged blockfile folder still goes to the reader that says what is wrong with it.
bool IsBlockfileFolder(const std::string& folder) {
  const TEntryFolder cache(folder);
  if (cache.StatusOf("data_0")) return true;
  TEntryFile index;
  if (index.Open(cache, "index") != TEntryFile::TOpenResult::Opened) return false;
  const std::optional<std::string_view> magic = index.Read(0, 4);
  return magic && LittleEndianAt<std::uint32_t>(*magic, 0) == kBlockfileIndexMagic;
}

}  // namespace

TCacheReadReport ReadChromiumCache(const std::string& folder, const TBrowserCacheSink& sink) {
  return IsBlockfileFolder(folder) ? ReadChromiumBlockfileCache(folder, sink) : ReadChromiumSimpleCache(folder, sink);
}

}  // namespace hoardscope
