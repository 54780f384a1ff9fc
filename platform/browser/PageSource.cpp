// The browsers' caches the page panes show pages from.
#include "platform/browser/PageSource.h"

#include <algorithm>

#include "platform/browser/PagePaneUrls.h"
#include "platform/caches/CacheSwitch.h"
#include "platform/ports/Browser.h"
#include "platform/ports/CacheSources.h"

namespace hoardscope {

TPageSource::TPageSource(TCacheSource source, std::string copiesRoot)
    : FSource(std::move(source)), FCopiesRoot(std::move(copiesRoot)) {}

THttpResponse TPageSource::Read(const QUrl& webUrl, bool readAgain) {
  const QString key = CacheKeyOf(webUrl);
  std::shared_ptr<const TListing> listing = Listing(nullptr);
  std::optional<CacheEntryRecord> record = Find(*listing, key);
  if (!record && readAgain) {
    listing = Listing(listing);
    record = Find(*listing, key);
  }
  THttpResponse response;
  if (!record) {
    response.Source = TFetchSource::NotCached;
    return response;
  }
  if (std::string failure = listing->Cache->PrepareLocalFile(record->LocalFileName); !failure.empty()) {
    response.Error = std::move(failure);
    return response;
  }
  return CachedResponseOf(*record);
}

std::shared_ptr<const TPageSource::TListing> TPageSource::Listing(const std::shared_ptr<const TListing>& stale) {
  const std::lock_guard guard(FLock);
  if (!FListing || FListing == stale) FListing = ReadListing();
  return FListing;
}

std::unique_ptr<TPageSource::TListing> TPageSource::ReadListing() const {
  auto listing = std::make_unique<TListing>();
  listing->Cache = OpenBrowserCache(FSource, FCopiesRoot);
  CacheEntryRecord record;
  const std::unique_ptr<IUrlCacheWalk> walk = listing->Cache->FindFirst(record);
  for (bool listed = walk != nullptr; listed; listed = walk->FindNext(record)) {
    const QUrl url(QString::fromStdString(record.SourceUrl));
    if (!url.isValid() || !IsWebUrl(url)) continue;
    std::vector<std::string>& urls = listing->UrlsByKey[CacheKeyOf(url)];
    if (std::find(urls.begin(), urls.end(), record.SourceUrl) == urls.end()) urls.push_back(record.SourceUrl);
  }
  return listing;
}

std::optional<CacheEntryRecord> TPageSource::Find(const TListing& listing, const QString& key) {
  const auto found = listing.UrlsByKey.find(key);
  if (found == listing.UrlsByKey.end()) return std::nullopt;
  std::optional<CacheEntryRecord> newest;
  for (const std::string& url : found->second) {
    std::optional<CacheEntryRecord> record = listing.Cache->GetEntryInfo(url);
    if (record && (!newest || record->LastSyncTime > newest->LastSyncTime)) newest = std::move(record);
  }
  return newest;
}

std::shared_ptr<TPageSource> TPageSources::Open(const std::string& name) {
  if (const auto opened = FOpened.find(name); opened != FOpened.end()) return opened->second;
  std::string error;
  const std::optional<TCacheSource> source =
      ParseCacheSource(name, UserFoldersOfThisPlatform(), error);
  if (!source) throw BrowserError{error};
  std::shared_ptr<TPageSource> opened =
      source->Kind == kPlatformSource ? nullptr : std::make_shared<TPageSource>(*source, FCopiesRoot);
  FOpened.emplace(name, opened);
  return opened;
}

}  // namespace hoardscope
