// The settings store (UnitReg): the program's options under HKEY_LOCAL_MACHINE\Software\Pellix\Hoardscope, read
// into a view's settings when the view is created and written back by the Options dialog.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ports/Registry.h"
#include "platform/ports/Report.h"
#include "settings/UnitReg.h"

namespace hoardscope {

inline constexpr const char* kSettingsKey = "Software\\Pellix\\Hoardscope";

// Bit values of the "filtration" mask.
inline constexpr std::uint32_t kMaskMedia = 2;
inline constexpr std::uint32_t kMaskText = 4;
inline constexpr std::uint32_t kMaskPicture = 8;

TFilterClasses ClassesFromMask(std::uint32_t mask);
std::uint32_t MaskFromClasses(const TFilterClasses& classes);

// "AppFolder" followed by the path separator, always.
std::string ReadAppFolder(IRegistry& registry);

struct TExtFilter {
  std::string ExtStr;
  bool FilterType = false;
};
// "ExtStr" and "FilterType", each written with its default ("*.*", false) when absent.
TExtFilter ReadExtFilter(IRegistry& registry);
void WriteExtFilter(IRegistry& registry, const std::string& extStr, bool filterType);

struct TTypeFilter {
  std::uint32_t Mask = 0;
  bool UseFilter = false;
};
// "filtration" and "UseFilter", each written with its default (0, false) when absent.
TTypeFilter ReadTypeFilter(IRegistry& registry);
void WriteTypeFilter(IRegistry& registry, std::uint32_t mask, bool useFilter);

// "CacheSource": the name of the source the bar shows; "platform" when absent.
std::string ReadCacheSource(IRegistry& registry);
void WriteCacheSource(IRegistry& registry, const std::string& source);
// "ShowSecure": whether the platform cache lists its https entries; false when absent.
bool ReadShowSecure(IRegistry& registry);
void WriteShowSecure(IRegistry& registry, bool showSecure);
// "ShowDetails": whether the details list is shown; true when absent.
bool ReadShowDetails(IRegistry& registry);
void WriteShowDetails(IRegistry& registry, bool showDetails);

// Fills a view's settings and returns its save folder. A store that cannot be read or written leaves the
// in-memory defaults and says so in one line of the report.
std::string LoadSettings(IRegistry& registry, TSettings& settings, IReport& report);

}  // namespace hoardscope
