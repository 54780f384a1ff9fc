// TPageSource: a browser's disk cache that a page pane shows pages from, the page the bar sent it to and every
// request of that page and of the pages it links to answered from the same cache, each body decoded into its
// copy; TPageSources: the sources the windows of one process have opened, by name.
#pragma once

#include <QString>
#include <QUrl>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/linux/HttpClient.h"
#include "platform/caches/BrowserCache.h"
#include "platform/caches/CacheSources.h"

namespace hoardscope {

class TPageSource {
 public:
  // copiesRoot: the folder below which the bar writes the copies of the source's bodies too.
  TPageSource(TCacheSource source, std::string copiesRoot);

  // The response the source stores for a web URL, its body made ready in its decoded copy: Cache (a stored
  // redirect included), NotCached when the source lists no entry of the URL, Failed with the reason when the body
  // cannot be had. Entries are found by the URL as the page pane writes it (CacheKeyOf), whatever form the
  // browser stored it in; of several entries of one URL the newest answers. readAgain: a URL the source lacks is
  // looked for once more after reading the folder anew, for a page the bar lists that the browser stored after
  // this source was read. May be called from several threads at once.
  THttpResponse Read(const QUrl& webUrl, bool readAgain);

 private:
  // One read of the folder: the cache, and the URLs of its entries as the browser wrote them under their keys.
  struct TListing {
    std::unique_ptr<TBrowserCache> Cache;
    std::unordered_map<QString, std::vector<std::string>> UrlsByKey;
  };

  // The current listing, read first when there is none or when it is still the stale one.
  std::shared_ptr<const TListing> Listing(const std::shared_ptr<const TListing>& stale);
  std::unique_ptr<TListing> ReadListing() const;
  static std::optional<CacheEntryRecord> Find(const TListing& listing, const QString& key);

  const TCacheSource FSource;
  const std::string FCopiesRoot;
  std::mutex FLock;  // over FListing
  std::shared_ptr<const TListing> FListing;
};

// What a page pane shows its pages from: a source and the key of the URL the bar sent it to; no source for the
// HTTP layer and its cache store.
struct TShownSource {
  std::shared_ptr<TPageSource> Source;
  QString NavigatedKey;
};

class TPageSources {
 public:
  explicit TPageSources(std::string copiesRoot) : FCopiesRoot(std::move(copiesRoot)) {}

  // The source of this name, as the bar names it (ParseCacheSource, over the user's sources): opened once, then
  // shared; nullptr for the platform's own cache, which the HTTP layer serves. Raises BrowserError when the name
  // names no source.
  std::shared_ptr<TPageSource> Open(const std::string& name);

 private:
  std::string FCopiesRoot;
  std::map<std::string, std::shared_ptr<TPageSource>> FOpened;
};

}  // namespace hoardscope
