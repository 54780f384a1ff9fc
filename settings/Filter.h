// The entry filter: which cache entries a load admits, through the Options' type filter and the view's quick
// filter together.
#pragma once

#include <string>

#include "settings/QuickFilter.h"
#include "settings/UnitReg.h"

namespace hoardscope {

class TURLInfo;

// Read once for a load from the settings and the quick filter; an entry is listed when both admit it.
// The type filter applies while settings.UseFilter is set. In extension mode (settings.FilterType) the entry passes
// when ExtStr is exactly "*.*" or holds the local file's extension (upper-cased substring test), each item of the
// list that has no dot taken as an extension ("css;js" as ".css;.js"); in type mode when its content type begins
// with a prefix of a chosen class.
class TEntryFilter {
 public:
  TEntryFilter(const TSettings& settings, const TQuickFilter& quick);

  bool Admits(const TURLInfo& info) const;

 private:
  bool PassesTypeFilter(const TURLInfo& info) const;
  bool PassesExtensionFilter(const std::string& localFileName) const;
  bool PassesClassFilter(const std::string& contentType) const;

  bool FTypeFilter;
  bool FByExtension;
  bool FAllExtensions;
  std::string FExtensions;  // the extension list, upper case, a dot before each item that had none
  TFilterClasses FClasses;
  TQuickFilter FQuick;
};

}  // namespace hoardscope
