// Firefox's disk cache ("cache2"): one file per entry in its "entries" folder, the body first and the entry's
// metadata after it, read in place.
#pragma once

#include <optional>
#include <string_view>

#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/EntryBytes.h"

namespace hoardscope {

// One entry file: the key, URL, stored response, times and the body's place (whose File and the entry's Files are
// left for the caller to fill). An encrypted entry comes back with Encrypted set and no body. nullopt when the file
// is damaged.
std::optional<TBrowserCacheEntry> ParseFirefoxEntry(IEntryBytes& file);

// The URL a Firefox cache key names: the text after its comma-terminated tags and the ':' that ends them.
std::string_view FirefoxKeyUrl(std::string_view key);

}  // namespace hoardscope
