// The entry filter: which cache entries a load admits while the filter is in force.
#pragma once

#include <string>

#include "settings/UnitReg.h"

namespace hoardscope {

// In extension mode (settings.FilterType) the entry passes when ExtStr is exactly "*.*" or holds the local file's
// extension (upper-cased substring test); in type mode when its content type begins with a chosen class prefix.
bool PassesFilter(const TSettings& settings, const TFilterClasses& classes, const std::string& contentType,
                  const std::string& localFileName);

}  // namespace hoardscope
