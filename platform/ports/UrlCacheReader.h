// The reading half of the URL cache port: the walk over a cache's entries, their records and their bodies, the
// files the view shows for them, and the URL split. Every cache has it, the platform's own and a browser's.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/ports/LocalFile.h"

namespace hoardscope {

// A FILETIME value: 100-nanosecond intervals since 1601-01-01 UTC. 0 means "no time".
using FileTime = std::uint64_t;

// Entry types the cache knows; the walk of the view asks for normal entries only.
inline constexpr std::uint32_t kNormalCacheEntry = 0x00000001;

// One cache record, copied out of the platform's record buffer.
struct CacheEntryRecord {
  std::string SourceUrl;
  std::string LocalFileName;               // empty when the record has no local file
  std::uint32_t SizeLow = 0;
  std::uint32_t SizeHigh = 0;
  FileTime LastSyncTime = 0;
  FileTime ExpireTime = 0;
  FileTime LastModifiedTime = 0;
  FileTime LastAccessTime = 0;             // when a browser last read the entry; 0 where the cache keeps none
  std::uint32_t CacheEntryType = kNormalCacheEntry;
  std::optional<std::string> HeaderInfo;   // the stored response headers; nullopt when absent
};

// Host, path (without query and fragment) and port of a URL, as the platform's URL split gives them.
struct UrlParts {
  std::string Host;
  std::string Path;
  std::uint16_t Port = 0;
};

// A walk over the cache's normal entries in the store's order. Destroying it closes the walk.
class IUrlCacheWalk {
 public:
  virtual ~IUrlCacheWalk() = default;
  // Fills the next record; false when the walk is over or a fetch failed (either ends the walk).
  virtual bool FindNext(CacheEntryRecord& record) = 0;
};

// What ReadBody or ReadBodyStart found of an entry's body.
enum class BodyStartState {
  Read,        // the body was read (to its end, or as far as asked)
  Missing,     // the record's local file is gone
  Unreadable   // the body exists but cannot be had (a locked file, a body that cannot be decoded)
};

struct BodyRead {
  BodyStartState State = BodyStartState::Read;
  std::string Failure;  // why an Unreadable body cannot be had, where the cache can say more than that
};

struct BodyStart {
  BodyStartState State = BodyStartState::Read;
  std::string Bytes;
};

class IUrlCacheReader {
 public:
  virtual ~IUrlCacheReader() = default;

  // Starts a walk over the normal entries and fills the first record. nullptr for an empty cache or a failure.
  virtual std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) = 0;

  // The record stored under exactly this URL; nullopt when there is none.
  virtual std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) = 0;

  // Splits a URL into host, path and port without decoding. nullopt when the URL cannot be split.
  virtual std::optional<UrlParts> SplitURL(const std::string& url) = 0;

  // Makes the local file of a listed record ready to be read: a cache that keeps its bodies elsewhere (a browser's
  // own cache) writes the decoded copy there now. Empty on success, else why the file cannot be had. Caches whose
  // local files are their own content have nothing to do.
  virtual std::string PrepareLocalFile(const std::string& localFileName) { return std::string(); }

  // The file to show for a listed record, whose local file PrepareLocalFile made ready, in a browser that can only
  // be sent to files: for a page of a browser's cache, a copy of it (beside the local file, which stays the body
  // as stored) whose links to what the cache holds lead to those entries' local files, made ready too. Sets
  // shownFile; empty on success, else why the page cannot be shown. Anything else is shown as its local file.
  virtual std::string PrepareShownFile(const std::string& localFileName, std::string& shownFile) {
    shownFile = localFileName;
    return std::string();
  }
  // Streams the whole body of a listed record, by its local file, to sink piece by piece as the browser would read
  // it; nothing is written for it. Caches whose local files are their own content read the file; a browser's cache
  // decodes the body it keeps as it goes. May be called from several threads at once.
  virtual BodyRead ReadBody(const std::string& localFileName, const BodyPieceSink& sink);
  // The first maxBytes of the body, read by ReadBody, which stops there.
  BodyStart ReadBodyStart(const std::string& localFileName, std::size_t maxBytes);

  // Damaged entries the last walk passed over.
  virtual std::uint64_t SkippedEntries() const { return 0; }

  // Why the last walk could read nothing of the cache (its folder or its index cannot be read, every entry is
  // damaged); empty when it could, or when the cache is only empty.
  virtual std::string ReadFailure() const { return std::string(); }
};

}  // namespace hoardscope
