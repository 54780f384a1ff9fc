// What the readers of browsers' disk caches give the view: one record per stored entry, read in place. The
// readers never write below a browser's folder.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

// What an entry may claim to hold besides its body, far above what a browser writes: a reader never reads more
// for a field than this, and takes an entry that claims more for damaged.
inline constexpr std::uint64_t kMaxKeySize = 4 << 20;  // a URL (at most 2 MiB in Chromium) and the sites before it
inline constexpr std::uint64_t kMaxResponseHeadersSize = 64 * 1024;  // as much as the cache store takes
// The rest of an entry's record: Chromium's response record (its headers, and the certificates of its
// connection), Firefox's elements (the response head, the security info and a few short values).
inline constexpr std::uint64_t kMaxResponseRecordSize = 1 << 20;

// Where an entry's body lies in the browser's files, as the browser stored it (possibly compressed).
struct TStoredBody {
  std::string File;            // the file that holds the body; empty when the entry has no body
  std::uint64_t Offset = 0;    // where the body starts in File
  std::uint64_t Size = 0;      // its length in bytes
};

struct TBrowserCacheEntry {
  std::string Key;               // the browser's own key, whole (with its prefixes)
  std::string Url;               // the URL the key names: the text after the key's prefixes
  // The stored response: the status line and each header line ending in CR LF, then an empty line. Empty when
  // the entry stores none.
  std::string ResponseHeaders;
  FileTime SyncTime = 0;         // the response time (Chromium) or the last fetch (Firefox)
  FileTime ExpireTime = 0;       // 0 when unknown
  FileTime LastModifiedTime = 0; // 0 when unknown
  FileTime LastAccessTime = 0;   // the browser's last use of the entry; 0 when unknown
  TStoredBody Body;
  // The files that belong to this entry alone, which deleting the entry removes; empty where entries share their
  // files with others (a block file), so that the entry cannot be deleted by removing files.
  std::vector<std::string> Files;
  bool Encrypted = false;        // the browser encrypted it: listed, never read
};

// What a reader ran into besides the entries it delivered.
struct TCacheReadReport {
  std::uint64_t Skipped = 0;              // damaged entry files: short, bad magic, sizes past the end
  std::vector<std::string> SkippedFiles;  // the first few of them, for messages
  std::string Failure;                    // why the folder could not be read at all; empty when it could
};

using TBrowserCacheSink = std::function<void(TBrowserCacheEntry&&)>;

// Chromium-family disk cache folder (".../Cache/Cache_Data"): the simple backend or the blockfile backend,
// whichever the folder holds. Entry files that vanish while the walk runs are passed over without a count.
TCacheReadReport ReadChromiumCache(const std::string& folder, const TBrowserCacheSink& sink);

// Firefox cache2 folder (".../cache2", holding "entries").
TCacheReadReport ReadFirefoxCache(const std::string& folder, const TBrowserCacheSink& sink);

// Receives a decoded body piece by piece; returns false to stop reading early (which is no failure).
using TBodySink = BodyPieceSink;

// Streams the entry's body, decoded by the Content-Encoding of its stored headers (gzip, deflate, br, zstd), to
// sink in pieces. Empty on success, else why the body cannot be read or decoded (where a decoder is missing:
// "br bodies cannot be decoded in this edition"). An encrypted entry is never read.
std::string ReadDecodedBody(const TBrowserCacheEntry& entry, const TBodySink& sink);

}  // namespace hoardscope
