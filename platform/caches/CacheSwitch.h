// TCacheSwitch: the view's URL cache that reads the chosen source, the platform's own cache or one of the user's
// browser caches, and lets the view switch between them.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/caches/BrowserCache.h"
#include "platform/caches/CacheSources.h"
#include "platform/ports/CacheSources.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

class TCacheSwitch : public IUrlCache, public ICacheSourceChoice {
 public:
  // copiesRoot: the folder of ours below which each browser source gets a folder for its decoded copies.
  TCacheSwitch(IUrlCache& platform, TUserFolders folders, std::string copiesRoot);

  std::vector<std::string> SourceNames() override;
  std::string CurrentSource() const override { return FSource.Name; }
  std::string CurrentCaption() const override { return SourceCaption(FSource); }
  std::string SelectSource(const std::string& name) override;

  const TCacheSource& Source() const { return FSource; }
  // The browser cache on show; nullptr while the platform cache is.
  TBrowserCache* Browser() { return FBrowser.get(); }

  // The halves of the source on show, which are valid until the next SelectSource.
  UrlCacheDescription Description() const override {
    return FBrowser ? FBrowser->Description() : FPlatform.Description();
  }
  IUrlCacheDeleter* Deleter() override { return Current().Deleter(); }
  IUrlCacheWriter* Writer() override { return Current().Writer(); }

  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override { return Current().FindFirst(first); }
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override { return Current().GetEntryInfo(url); }
  std::optional<UrlParts> SplitURL(const std::string& url) override { return Current().SplitURL(url); }
  std::string PrepareLocalFile(const std::string& localFileName) override {
    return Current().PrepareLocalFile(localFileName);
  }
  std::string PrepareShownFile(const std::string& localFileName, std::string& shownFile) override {
    return Current().PrepareShownFile(localFileName, shownFile);
  }
  BodyRead ReadBody(const std::string& localFileName, const BodyPieceSink& sink) override {
    return Current().ReadBody(localFileName, sink);
  }
  std::uint64_t SkippedEntries() const override { return FBrowser ? FBrowser->SkippedEntries() : 0; }
  std::string ReadFailure() const override { return FBrowser ? FBrowser->ReadFailure() : FPlatform.ReadFailure(); }

 private:
  IUrlCache& Current() { return FBrowser ? static_cast<IUrlCache&>(*FBrowser) : FPlatform; }

  IUrlCache& FPlatform;
  TUserFolders FFolders;
  std::string FCopiesRoot;
  TCacheSource FSource{"platform", "platform", "", "", {}};
  std::unique_ptr<TBrowserCache> FBrowser;
};

// The browser cache of a source, with the edition's readers and body decoder, its copies below copiesRoot.
std::unique_ptr<TBrowserCache> OpenBrowserCache(const TCacheSource& source, const std::string& copiesRoot);

}  // namespace hoardscope
