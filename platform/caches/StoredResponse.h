// Facts the view takes from a stored response's headers, whichever browser stored them.
#pragma once

#include <string>
#include <string_view>

#include "core/Tools.h"  // StoredHeaderValue
#include "platform/caches/BrowserCacheEntry.h"

namespace hoardscope {

// An HTTP date (any of the three forms HTTP allows) as a FileTime; 0 when the text is not one.
FileTime ParseHttpDate(std::string_view text);

// Fills the entry's expiry (where still 0: Cache-Control max-age from the response time, else Expires) and its
// last-modified time from its stored headers.
void FillTimesFromHeaders(TBrowserCacheEntry& entry);

}  // namespace hoardscope
