// Chromium's "blockfile" disk cache backend (the default on Windows): an index of hash chains over entry records
// that live, with the small streams, in block files shared by all entries ("data_N"), while larger streams get a
// file each ("f_XXXXXX").
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/EntryBytes.h"

namespace hoardscope {

// The files of one blockfile cache folder, by name ("index", "data_1", "f_00002a"), for a walk to read.
class IBlockfileFiles {
 public:
  virtual ~IBlockfileFiles() = default;
  // The named file: the index and the block files stay open for the whole walk, while the object given for an
  // external file ("f_...") serves until the next external file is opened. nullptr when missing or unreadable.
  virtual IEntryBytes* Open(const std::string& name) = 0;
  // A file's size without reading it; nullopt when it is missing.
  virtual std::optional<std::uint64_t> Size(const std::string& name) = 0;
};

// Walks the index's hash chains and hands every stored entry to sink; bodies and skipped records are named by
// their file's path in folder. A damaged record is skipped and counted, a chain that loops ends; the walk fails
// only when the index itself cannot be read.
TCacheReadReport WalkChromiumBlockfileCache(const std::string& folder, IBlockfileFiles& files,
                                            const TBrowserCacheSink& sink);

// The blockfile cache in this folder, read in place. Its entries list no Files: they share their block files.
TCacheReadReport ReadChromiumBlockfileCache(const std::string& folder, const TBrowserCacheSink& sink);

}  // namespace hoardscope
