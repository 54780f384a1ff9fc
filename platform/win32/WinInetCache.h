// The URL cache port on Windows: the WinInet cache of the browser.
#pragma once

#include "platform/ports/UrlCache.h"

namespace hoardscope {

class TWinInetCache : public IUrlCache {
 public:
  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override;
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override;
  bool DeleteEntry(const std::string& url) override;
  CreatedCacheFile CreateEntry(const std::string& url, std::uint64_t expectedSize,
                               const std::string& extension) override;
  std::uint32_t CommitEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                            FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers) override;
  std::optional<UrlParts> SplitURL(const std::string& url) override;
};

}  // namespace hoardscope
