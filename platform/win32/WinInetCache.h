// The URL cache port on Windows: the WinInet cache of the browser.
#pragma once

#include <set>
#include <string>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

// The walk asks WinInet's extended walk for normal entries. Where that walk is not available (it yields no handle
// at all, as Wine's stub does), the plain walk over the content container serves instead. Both keep only normal
// entries of web pages: the kNormalCacheEntry bit set, neither the cookie nor the history bit, and an http or
// https URL.
class TWinInetCache : public IUrlCache, public IUrlCacheDeleter, public IUrlCacheWriter {
 public:
  // The platform's cache: it deletes and takes entries.
  UrlCacheDescription Description() const override { return {}; }
  IUrlCacheDeleter* Deleter() override { return this; }
  IUrlCacheWriter* Writer() override { return this; }

  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override;
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override;
  bool DeleteEntry(const std::string& url) override;
  CreatedCacheFile CreateEntry(const std::string& url, std::uint64_t expectedSize,
                               const std::string& extension) override;
  std::uint32_t CommitEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                            FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers) override;
  // Deletes the file when this object reserved it and it was not committed since: WinInet itself keeps no record
  // of a reservation.
  bool DiscardReservedFile(const std::string& localFileName) override;
  bool SetLastSyncTime(const std::string& url, FileTime time) override;
  std::optional<UrlParts> SplitURL(const std::string& url) override;

  // The plain walk over every entry it yields, whatever its type or URL.
  std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first);
  // Deletes every entry the plain walk yields. The number of entries that could not be deleted.
  std::size_t Clear();

 private:
  // The files CreateEntry reserved that were neither committed nor discarded since. WinInet would commit or
  // delete any file it is given; the port's callers may commit or discard only their own reservations.
  std::set<std::string> FReserved;
};

}  // namespace hoardscope
