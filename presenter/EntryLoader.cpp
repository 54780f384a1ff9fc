// The load of the entry list from the URL cache.
#include "presenter/EntryLoader.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <utility>

#include "core/Tools.h"
#include "core/URLInfo.h"

namespace hoardscope {
namespace {

constexpr std::string_view kHttpPrefix = "http://";

}  // namespace

TLoadEnd TEntryLoader::Load(const TSettings& settings, const TQuickFilter& quick, TEntryList& list,
                             IProgress& progress) {
  CacheEntryRecord record;
  std::unique_ptr<IUrlCacheWalk> walk = FCache.FindFirst(record);
  if (!walk) return TLoadEnd::NoWalk;
  const TEntryFilter filter(settings, quick);
  TLoadEnd end = TLoadEnd::Complete;
  std::uint64_t walked = 0;
  do {
    ListRecord(settings, filter, std::move(record), list);
    progress.Step(++walked, std::nullopt);
    if (progress.StopRequested()) {
      end = TLoadEnd::Stopped;
      break;
    }
    record = CacheEntryRecord();
  } while (walk->FindNext(record));
  list.Sort();
  return end;
}

void TEntryLoader::ListRecord(const TSettings& settings, const TEntryFilter& filter, CacheEntryRecord record,
                              TEntryList& list) const {
  // A browser's cache is almost all https; the platform cache lists https entries only when the user asks.
  const bool secureShown = settings.ShowSecure || FCache.Description().Kind == UrlCacheKind::Browser;
  const std::size_t scheme = WebSchemeLength(record.SourceUrl);
  if (scheme == 0 || (scheme > kHttpPrefix.size() && !secureShown)) return;
  std::string key = EntryKeyOf(record.SourceUrl);
  TURLInfo info;
  FillURLInfo(std::move(record), info);
  if (!filter.Admits(info)) return;
  list.Add(std::move(key), std::move(info));
}

std::string TEntryLoader::EntryKeyOf(const std::string& sourceUrl) const {
  const std::size_t schemeColon = sourceUrl.find(':');
  if (schemeColon == std::string::npos || sourceUrl.find(':', schemeColon + 1) == std::string::npos) {
    return sourceUrl;
  }
  const std::optional<UrlParts> parts = FCache.SplitURL(sourceUrl);
  const std::string scheme = WebSchemeLength(sourceUrl) > kHttpPrefix.size() ? "https://" : std::string(kHttpPrefix);
  return scheme + (parts ? parts->Host + parts->Path : std::string());
}

std::string TEntryLoader::SourceStatus(const std::string& caption) const {
  if (const std::string failure = FCache.ReadFailure(); !failure.empty()) return caption + " (" + failure + ")";
  const std::uint64_t skipped = FCache.SkippedEntries();
  return skipped ? caption + " (skipped " + std::to_string(skipped) + " damaged entries)" : caption;
}

}  // namespace hoardscope
