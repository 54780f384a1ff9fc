// The command line's cache sources: "hoardscope caches", the --cache option, and the cache command's admin of a
// browser's cache.
//
//   caches      one line per source found for the user, fields separated by tabs: name, kind, folder, entries
#include <iostream>
#include <stdexcept>

#include "platform/ports/CacheAdmin.h"
#include "Commands.h"
#include "platform/caches/CacheSwitch.h"
#include "settings/SettingsStore.h"

namespace hoardscope {
namespace {

class TBrowserCacheAdmin : public ICacheAdmin {
 public:
  explicit TBrowserCacheAdmin(std::unique_ptr<TBrowserCache> cache) : FCache(std::move(cache)) {}

  IUrlCache& Cache() override { return *FCache; }
  // Every key the browser stored, so that a script sees what is there.
  std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first) override {
    return FCache->FindFirstOfEveryKey(first);
  }
  std::unique_ptr<IUrlCacheWalk> FindFirstListed(CacheEntryRecord& first) override {
    return FCache->FindFirstOfEveryKey(first);
  }
  void Clear() override { throw std::runtime_error("a browser's cache is never cleared here"); }
  // Why nothing of the folder could be read, or why the last deletion was refused or left files behind.
  std::string LastFailure() override {
    return FCache->ReadFailure().empty() ? FCache->LastDeleteFailure() : FCache->ReadFailure();
  }
  int InOneBatch(const std::function<int()>& change) override { return change(); }
  void DeleteWithoutOwner() override { FCache->DeleteWithoutOwner(); }
  int Fetch(const std::vector<std::string>&, const TFetchLimits&) override {
    throw std::runtime_error("a browser's cache is never filled here");
  }
  // The decoded copy when one was written, else the browser's own file.
  std::string ListedFile(const CacheEntryRecord& record) override {
    std::error_code error;
    if (std::filesystem::exists(record.LocalFileName, error)) return record.LocalFileName;
    return FCache->StoredFileOf(record.LocalFileName);
  }

 private:
  std::unique_ptr<TBrowserCache> FCache;
};

TCacheSource FindSource(const THomePaths& home) {
  std::string error;
  const std::optional<TCacheSource> source =
      ParseCacheSource(home.CacheSource, UserFoldersOfThisPlatform(), error);
  if (!source) throw std::runtime_error(error);
  return *source;
}

}  // namespace

bool IsBrowserSource(const THomePaths& home) {
  return !home.CacheSource.empty() && home.CacheSource != kPlatformSource;
}

bool TakeCacheOption(TArguments& arguments, THomePaths& home) {
  if (arguments.empty() || arguments[0] != "--cache") return true;
  if (arguments.size() < 2) return false;
  home.CacheSource = arguments[1];
  arguments.erase(arguments.begin(), arguments.begin() + 2);
  return true;
}

void RememberCacheSource(const THomePaths& home) {
  if (home.CacheSource.empty()) return;
  if (IsBrowserSource(home)) FindSource(home);
  const std::unique_ptr<IRegistry> registry = OpenHomeRegistry(home);
  WriteCacheSource(*registry, home.CacheSource);
}

std::unique_ptr<ICacheAdmin> OpenBrowserCacheAdmin(const THomePaths& home) {
  return std::make_unique<TBrowserCacheAdmin>(OpenBrowserCache(FindSource(home), home.CopiesRoot.string()));
}

int RunCachesCommand(const TArguments& args, const THomePaths& home) {
  if (!args.empty()) {
    std::cerr << "usage: hoardscope caches\n";
    return 2;
  }
  for (const TCacheSource& source : FindCacheSources(UserFoldersOfThisPlatform())) {
    std::string folder = source.Folder;
    std::uint64_t entries = 0;
    if (source.Kind == kPlatformSource) {
      const std::unique_ptr<IHomeServices> services = OpenHomeServices(home);
      folder = services->Shell().InternetCacheFolder();
      CacheEntryRecord record;
      for (auto walk = services->Cache().FindFirst(record); walk && (++entries, walk->FindNext(record));) {
      }
    } else {
      entries = CountEntries(source).value_or(0);
    }
    std::cout << source.Name << '\t' << source.Kind << '\t' << folder << '\t' << entries << '\n';
  }
  std::cout.flush();
  return 0;
}

}  // namespace hoardscope
