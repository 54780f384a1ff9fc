// The settings store (UnitReg): the program's options under HKEY_LOCAL_MACHINE\Software\Pellix\Hoardscope, read
// into the process-wide settings when a view is created and written back by the Options dialog.
#pragma once

#include <cstdint>
#include <string>

#include "platform/ports/Registry.h"
#include "settings/UnitReg.h"

namespace hoardscope {

class THoardscopeMain;

inline constexpr const char* kSettingsKey = "Software\\Pellix\\Hoardscope";

// Bit values of the "filtration" mask.
inline constexpr std::uint32_t kMaskMedia = 2;
inline constexpr std::uint32_t kMaskText = 4;
inline constexpr std::uint32_t kMaskPicture = 8;

TFilterClasses ClassesFromMask(std::uint32_t mask);
std::uint32_t MaskFromClasses(const TFilterClasses& classes);

// Makes the process's store object work on this registry (a later call replaces it).
void OpenSettingsStore(IRegistry& registry);

// "AppFolder" followed by the path separator, always; "" without a store object.
std::string ReadAppFolder();

struct TExtFilter {
  std::string ExtStr;
  bool FilterType = false;
};
// "ExtStr" and "FilterType", each written with its default ("*.*", false) when absent.
TExtFilter ReadExtFilter();
void WriteExtFilter(const std::string& extStr, bool filterType);

struct TTypeFilter {
  std::uint32_t Mask = 0;
  bool UseFilter = false;
};
// "filtration" and "UseFilter", each written with its default (0, false) when absent.
TTypeFilter ReadTypeFilter();
void WriteTypeFilter(std::uint32_t mask, bool useFilter);

// "CacheSource": the name of the source the bar shows; "platform" when absent.
std::string ReadCacheSource();
void WriteCacheSource(const std::string& source);
// "ShowSecure": whether the platform cache lists its https entries; false when absent.
bool ReadShowSecure();
void WriteShowSecure(bool showSecure);

// Fills the process-wide settings and the view's SaveFolder. A store that cannot be read or written leaves the
// in-memory defaults and says so in one line on standard error.
void LoadSettings(THoardscopeMain& view);

}  // namespace hoardscope
