// Chromium's "simple" disk cache backend: one file per entry ("<16 hex digits>_0", with "_1" and "_s" beside it
// when the entry has a second stream or sparse data), read in place.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/EntryBytes.h"

namespace hoardscope {

// Every entry of the folder; damaged entry files are counted in the report, vanished ones passed over.
TCacheReadReport ReadChromiumSimpleCache(const std::string& folder, const TBrowserCacheSink& sink);

// One "_0" entry file: the key, URL, stored response, times and the body's place (whose File and the entry's
// Files are left for the caller to fill). nullopt when the file is damaged.
std::optional<TBrowserCacheEntry> ParseChromiumSimpleEntry(IEntryBytes& file);

// The URL a Chromium cache key names: the text after its last space and its "1/0/" style prefixes.
std::string_view ChromiumKeyUrl(std::string_view key);

}  // namespace hoardscope
