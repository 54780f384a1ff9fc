// The totals of a selection and the navigation to a file's cached copy.
#include "presenter/EntryNavigation.h"

#include <cstdio>

#include "core/TreeRules.h"

namespace hoardscope {
namespace {

std::string FormatTotals(std::size_t count, std::int64_t amount, const char* unit) {
  char text[96];
  std::snprintf(text, sizeof text, "Total  %zu  Files  %lld  %s Used", count, static_cast<long long>(amount), unit);
  return text;
}

}  // namespace

TTotals TotalsUnder(const TEntryList& list, const std::string& nodeKey) {
  TTotals totals;
  for (const std::size_t index : EntryIndexesUnder(list, nodeKey)) {
    ++totals.Count;
    totals.Bytes += list[index].Info->Size;
  }
  return totals;
}

TTotals TotalsOfFile(const TEntryList& list, const TTreeNode& node) {
  if (node.EntryIndex() >= list.Count() || !list[node.EntryIndex()].Info) return {};
  return {1, list[node.EntryIndex()].Info->Size};
}

std::string TotalsText(const TTotals& totals) {
  return totals.Bytes > 1000 ? FormatTotals(totals.Count, (totals.Bytes + 500) / 1000, "KB")
                             : FormatTotals(totals.Count, totals.Bytes, "Byte");
}

bool TEntryNavigation::Navigate(IBrowser& browser, const TURLInfo& info, const std::string& source,
                                std::string& lastURL) {
  // A file of a cache that serves no page requests (a browser's) is known by its decoded copy, which names its
  // entry whatever its URL.
  const bool servedByUrl = FCache.Description().ServesPageRequests;
  const std::string& shown = servedByUrl ? info.SourceUrl : info.LocalFile;
  if (shown == lastURL) return false;
  // A browser that can read the browser's cache itself shows the page whole from there, under its own URL; any
  // other is sent to a copy whose links lead to the copies of what the cache holds.
  const bool fromSource = !servedByUrl && browser.NavigatesFromSources();
  std::string target = info.SourceUrl;
  if (!servedByUrl) {
    std::string failure = PrepareLocalFile(FCache, info);
    if (failure.empty() && !fromSource) failure = FCache.PrepareShownFile(info.LocalFile, target);
    if (!failure.empty()) {
      FDesktop.ShowMessage(failure, MessageButtons::Ok);
      return false;
    }
  }
  lastURL = shown;
  if (!browser.IsOffline()) FInternet.ForceOffline();
  if (fromSource) {
    browser.NavigateFromSource(target, source);
  } else {
    browser.Navigate(target);
  }
  return true;
}

}  // namespace hoardscope
