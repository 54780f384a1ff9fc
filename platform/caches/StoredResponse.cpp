// The times of stored responses, from their headers.
#include "platform/caches/StoredResponse.h"

#include "core/ResponseHeaders.h"

namespace hoardscope {

void FillTimesFromHeaders(TBrowserCacheEntry& entry) {
  const std::string_view headers = entry.ResponseHeaders;
  if (entry.ExpireTime == 0) entry.ExpireTime = ExpiryOfHeaders(headers, entry.SyncTime);
  if (entry.LastModifiedTime == 0) entry.LastModifiedTime = ParseHttpDate(HeaderValueOf(headers, "Last-Modified"));
}

}  // namespace hoardscope
