// The URL cache port: a cache the view shows, as its reader (UrlCacheReader.h), the changing halves it has
// (UrlCacheWriter.h) and what it is. Windows serves the platform's cache from WinInet, the Linux edition from its
// own cache store; a browser's disk cache folder is read in place and only deleted from.
#pragma once

#include "platform/ports/UrlCacheReader.h"
#include "platform/ports/UrlCacheWriter.h"

namespace hoardscope {

enum class UrlCacheKind {
  Platform,  // the platform's own cache, the one the browser itself uses
  Browser    // one browser's disk cache folder, read in place
};

// What a cache is, for the view and the commands to ask instead of guessing it from other answers.
struct UrlCacheDescription {
  UrlCacheKind Kind = UrlCacheKind::Platform;
  // Whether a browser sent to a listed URL has the page and every request it makes answered from this cache by
  // itself, as the browser's own cache is. Of a cache that does not, a listed file is known by its local file, and
  // a page is shown from the cache by a browser that NavigatesFromSources, else as its shown file.
  bool ServesPageRequests = true;
};

class IUrlCache : public IUrlCacheReader {
 public:
  virtual UrlCacheDescription Description() const = 0;
  // The deleting half; nullptr for a cache that nothing is deleted from.
  virtual IUrlCacheDeleter* Deleter() = 0;
  // The writing half; nullptr for a cache that takes no entries (a browser's, which is only read).
  virtual IUrlCacheWriter* Writer() = 0;
};

}  // namespace hoardscope
