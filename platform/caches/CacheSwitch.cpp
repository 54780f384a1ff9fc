// Switching the view's cache between the platform's and the user's browser caches.
#include "platform/caches/CacheSwitch.h"

#include <filesystem>

namespace hoardscope {

TCacheSwitch::TCacheSwitch(IUrlCache& platform, TUserFolders folders, std::string copiesRoot)
    : FPlatform(platform), FFolders(std::move(folders)), FCopiesRoot(std::move(copiesRoot)) {}

std::vector<std::string> TCacheSwitch::SourceNames() {
  std::vector<std::string> names;
  for (const TCacheSource& source : FindCacheSources(FFolders)) names.push_back(source.Name);
  return names;
}

std::string TCacheSwitch::SelectSource(const std::string& name) {
  std::string error;
  const std::optional<TCacheSource> source = ParseCacheSource(name, FFolders, error);
  if (!source) return error;
  FBrowser = source->Kind == "platform" ? nullptr : OpenBrowserCache(*source, FCopiesRoot);
  FSource = *source;
  return std::string();
}

std::unique_ptr<TBrowserCache> OpenBrowserCache(const TCacheSource& source, const std::string& copiesRoot) {
  const std::filesystem::path copies =
      std::filesystem::path(copiesRoot) / (source.Kind + "-" + HashName(source.Folder));
  TBrowserCacheSetup setup{source.Folder, copies.string(), source.Browser, [source] { return BrowserRuns(source); },
                         source.Kind == "firefox" ? TCacheReader(ReadFirefoxCache) : TCacheReader(ReadChromiumCache),
                         ReadDecodedBody, !source.LockFiles.empty()};
  return std::make_unique<TBrowserCache>(std::move(setup));
}

}  // namespace hoardscope
