// The times the view takes from a stored response's headers, whichever browser stored them.
#pragma once

#include "platform/caches/BrowserCacheEntry.h"

namespace hoardscope {

// Fills the entry's expiry (where still 0: Cache-Control max-age from the response time, else Expires) and its
// last-modified time from its stored headers.
void FillTimesFromHeaders(TBrowserCacheEntry& entry);

}  // namespace hoardscope
