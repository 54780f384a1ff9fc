// What a selection shows: the totals of the entries it holds, and the cached copy of a file sent to the browser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "core/URLInfo.h"
#include "platform/ports/Browser.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

// How many entries and how many bytes a selection holds, shown as the totals of status panel 1.
struct TTotals {
  std::size_t Count = 0;
  std::int64_t Bytes = 0;
};

// The entries of list below nodeKey; all of them for an empty key.
TTotals TotalsUnder(const TEntryList& list, const std::string& nodeKey);
// The entry of a file node, or none when it has gone.
TTotals TotalsOfFile(const TEntryList& list, const TTreeNode& node);
// "Total  N  Files  M  Byte Used", in KB (rounded) past 1000 bytes.
std::string TotalsText(const TTotals& totals);

class TEntryNavigation {
 public:
  TEntryNavigation(IUrlCache& cache, IInternetOptions& internet, IDesktop& desktop)
      : FCache(cache), FInternet(internet), FDesktop(desktop) {}

  // Sends browser to the cached copy of info, offline, unless it shows that one already (lastURL, which then
  // names it). A file of a browser's cache is first made ready and, for a browser that cannot read that cache
  // (source), turned into a copy whose links lead to the copies of what the cache holds; a failure there is
  // said and nothing is shown. True when the browser was sent.
  bool Navigate(IBrowser& browser, const TURLInfo& info, const std::string& source, std::string& lastURL);

 private:
  IUrlCache& FCache;
  IInternetOptions& FInternet;
  IDesktop& FDesktop;
};

}  // namespace hoardscope
