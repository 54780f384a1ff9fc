// The load: the URL cache's walk, through the view's filter, into the sorted entry list.
#pragma once

#include <string>

#include "core/EntryList.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/UrlCache.h"
#include "settings/Filter.h"
#include "settings/QuickFilter.h"
#include "settings/UnitReg.h"

namespace hoardscope {

class TEntryLoader {
 public:
  TEntryLoader(IUrlCache& cache, IDesktop& desktop) : FCache(cache), FDesktop(desktop) {}

  // Adds every web record of the cache's walk that the settings and the quick filter admit to list and sorts it,
  // letting messages run between records; false, with list as it was, when the cache gives no walk.
  bool Load(const TSettings& settings, const TQuickFilter& quick, TEntryList& list);
  // The key an entry is listed under: its URL, or "http://" + host + path when a ":" follows the scheme's.
  std::string EntryKeyOf(const std::string& sourceUrl) const;
  // Status panel 0's naming of the source on show (caption), with why the cache could not be read or how many
  // damaged entries the load passed over.
  std::string SourceStatus(const std::string& caption) const;

 private:
  void ListRecord(const TSettings& settings, const TEntryFilter& filter, CacheEntryRecord record,
                  TEntryList& list) const;

  IUrlCache& FCache;
  IDesktop& FDesktop;
};

}  // namespace hoardscope
