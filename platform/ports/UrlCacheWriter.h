// The changing halves of the URL cache port: deleting entries, which the platform's cache and a browser's cache
// both allow, and taking new entries, which only the platform's own cache does. A cache that cannot do one has
// no such half (IUrlCache::Deleter, IUrlCache::Writer).
#pragma once

#include <cstdint>
#include <string>

#include "platform/ports/UrlCacheReader.h"

namespace hoardscope {

class IUrlCacheDeleter {
 public:
  virtual ~IUrlCacheDeleter() = default;

  // Removes the entry and its local file. False when there was nothing to remove or it failed.
  virtual bool DeleteEntry(const std::string& url) = 0;

  // Why the entries of this URL cannot be deleted now (their browser runs, or their files are shared); empty when
  // they can.
  virtual std::string DeleteRefusal(const std::string& url) { return std::string(); }

  // Why the last DeleteEntry was refused or left the entry, or a part of it, behind; empty when it removed the
  // entry or found nothing to remove.
  virtual std::string LastDeleteFailure() const { return std::string(); }
};

// Result of reserving a local file for a new entry.
struct CreatedCacheFile {
  bool Ok = false;
  std::string LocalFileName;   // the reserved file, when Ok
  std::uint32_t Error = 0;     // the platform's error code, when not Ok
};

// Takes new entries: a local file is reserved, filled by the caller, then committed or given back.
class IUrlCacheWriter {
 public:
  virtual ~IUrlCacheWriter() = default;

  // Reserves a local file name for an entry of this URL. extension is without its dot, may be empty.
  virtual CreatedCacheFile CreateEntry(const std::string& url, std::uint64_t expectedSize,
                                       const std::string& extension) = 0;

  // Records an entry whose content is localFileName (a file reserved by CreateEntry). 0 on success, else the
  // platform's error code. An entry with the same URL is replaced.
  virtual std::uint32_t CommitEntry(const std::string& url, const std::string& localFileName,
                                    FileTime expireTime, FileTime lastModifiedTime, std::uint32_t entryType,
                                    const std::string& headers) = 0;

  // Sets the time cached (the last-sync time) of the entry stored under exactly this URL, which a commit sets to
  // the moment of the commit. False when there is no such entry or the cache refuses.
  virtual bool SetLastSyncTime(const std::string& url, FileTime time) = 0;

  // Gives back a local file that CreateEntry reserved and that was not committed (filling or committing it failed):
  // removes it. Callers pass no other file. True when the file is gone.
  virtual bool DiscardReservedFile(const std::string& localFileName) = 0;
};

}  // namespace hoardscope
