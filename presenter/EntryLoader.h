// The load: the URL cache's walk, through the view's filter, into the sorted entry list.
#pragma once

#include <string>

#include "core/EntryList.h"
#include "platform/ports/Progress.h"
#include "platform/ports/UrlCache.h"
#include "settings/Filter.h"
#include "settings/QuickFilter.h"
#include "settings/UnitReg.h"

namespace hoardscope {

// How a load ended: the cache gave no walk (the list is as it was), the walk was over, or the user stopped it
// (the list holds the records walked so far).
enum class TLoadEnd { NoWalk, Complete, Stopped };

class TEntryLoader {
 public:
  explicit TEntryLoader(IUrlCache& cache) : FCache(cache) {}

  // Adds every web record of the cache's walk that the settings and the quick filter admit to list and sorts it,
  // telling progress of each record walked (the total is not known) and ending the walk early when it asks to
  // stop.
  TLoadEnd Load(const TSettings& settings, const TQuickFilter& quick, TEntryList& list, IProgress& progress);
  // The key an entry is listed under: its URL, or "http://" + host + path when a ":" follows the scheme's.
  std::string EntryKeyOf(const std::string& sourceUrl) const;
  // Status panel 0's naming of the source on show (caption), with why the cache could not be read or how many
  // damaged entries the load passed over.
  std::string SourceStatus(const std::string& caption) const;

 private:
  void ListRecord(const TSettings& settings, const TEntryFilter& filter, CacheEntryRecord record,
                  TEntryList& list) const;

  IUrlCache& FCache;
};

}  // namespace hoardscope
