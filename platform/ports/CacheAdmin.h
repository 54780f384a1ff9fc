// What the cache command does to the edition's cache beyond the view's port: every entry type, last-sync times,
// emptying, fetching over the network. Each edition defines OpenCacheAdmin in its own home file.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/Home.h"

namespace hoardscope {

// Limits of each response of cache fetch; an unset one is the HTTP layer's own.
struct TFetchLimits {
  std::optional<std::uint64_t> MaxSeconds;
  std::optional<std::uint64_t> MaxBytes;
};

class ICacheAdmin {
 public:
  virtual ~ICacheAdmin() = default;

  virtual IUrlCache& Cache() = 0;
  // A walk over every entry, whatever its type.
  virtual std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first) = 0;
  // The walk of cache list: the view's own walk, or, where the view shows one entry for several stored under one
  // URL, every one of them.
  virtual std::unique_ptr<IUrlCacheWalk> FindFirstListed(CacheEntryRecord& first) { return Cache().FindFirst(first); }
  // Removes every entry and its local file; raises std::runtime_error when some remain.
  virtual void Clear() = 0;
  // What the last failed cache operation ran into; empty when nothing more is known than its error code.
  virtual std::string LastFailure() = 0;
  // Runs change, whose changes of the cache stay together, where the cache can do so, only when it returns 0.
  virtual int InOneBatch(const std::function<int()>& change) = 0;
  // cache fetch URL...: stores each URL's response within the limits; the command's exit code.
  virtual int Fetch(const std::vector<std::string>& urls, const TFetchLimits& limits) = 0;
  // Lets cache delete remove entries of a browser's cache that no profile of the browser was found to own
  // (--force); the edition's own cache has nothing to allow.
  virtual void DeleteWithoutOwner() {}
  // The local file cache list and cache info show for a record.
  virtual std::string ListedFile(const CacheEntryRecord& record) { return record.LocalFileName; }
};

std::unique_ptr<ICacheAdmin> OpenCacheAdmin(const THomePaths& home);
// The admin of a browser's cache that home.CacheSource names, which only reads and deletes; raises
// std::runtime_error when no such source is found.
std::unique_ptr<ICacheAdmin> OpenBrowserCacheAdmin(const THomePaths& home);

}  // namespace hoardscope
