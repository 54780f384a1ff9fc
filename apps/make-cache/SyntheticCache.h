// The entries make-cache writes: URL, content, response headers and times of entry i follow from the seed and
// the options alone, so a benchmark cache can be made again byte for byte.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "MakeCacheOptions.h"
#include "SyntheticContent.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

struct TSyntheticEntry {
  std::string Url;
  std::string Extension;   // without its dot, for the name of the cached file
  std::string Content;
  std::string Headers;     // the response-header block; empty for an entry without one
  FileTime SyncTime = 0;
  FileTime ExpireTime = 0;
  FileTime LastModifiedTime = 0;
};

// Host 0, www.host0.example, gets every tenth entry (all of them http, so the view lists them all): the host a
// benchmark expands. The other hosts share the rest, host k in proportion to 1 / (k + 8): a few hosts hold many
// entries, most hosts a handful.
class TSyntheticCache {
 public:
  explicit TSyntheticCache(const TMakeCacheOptions& options);

  TSyntheticEntry Entry(std::uint64_t index) const;

  static std::string HostName(std::uint64_t host);

 private:
  std::uint64_t PickHost(std::uint64_t index, TSplitMix64& random) const;

  std::uint64_t Seed;
  std::uint64_t AverageSize;
  std::vector<std::uint64_t> CumulativeHostWeights;   // running sums over hosts 1 .. H-1
};

}  // namespace hoardscope
