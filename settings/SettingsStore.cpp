// Reading and writing the settings key.
#include "settings/SettingsStore.h"

#include <memory>

#include "core/Tools.h"
#include "platform/ports/CacheSources.h"

namespace hoardscope {
namespace {

std::unique_ptr<IRegistryKey> OpenSettingsKey(IRegistry& registry) {
  return registry.CreateKey(RegistryRoot::LocalMachine, kSettingsKey);
}

// A value that is absent or of another type counts as absent.
std::optional<std::uint32_t> ReadDword(IRegistryKey& key, const std::string& name) {
  const std::optional<RegistryValue> value = key.ReadValue(name);
  return value ? DwordOf(*value) : std::nullopt;
}

std::optional<std::string> ReadString(IRegistryKey& key, const std::string& name) {
  const std::optional<RegistryValue> value = key.ReadValue(name);
  return value ? StringOf(*value) : std::nullopt;
}

// The number stored under name; a missing value is written with its default first. A value of another type is
// read as the default and left as it is.
std::uint32_t ReadDwordWithDefault(IRegistryKey& key, const std::string& name, std::uint32_t fallback) {
  if (!key.ValueExists(name)) key.WriteValue(MakeDwordValue(name, fallback));
  return ReadDword(key, name).value_or(fallback);
}

}  // namespace

TFilterClasses ClassesFromMask(std::uint32_t mask) {
  TFilterClasses classes;
  if (mask & kMaskMedia) classes.Include(TFilterClass::fcMedia);
  if (mask & kMaskText) classes.Include(TFilterClass::fcText);
  if (mask & kMaskPicture) classes.Include(TFilterClass::fcPicture);
  return classes;
}

std::uint32_t MaskFromClasses(const TFilterClasses& classes) {
  return (classes.Contains(TFilterClass::fcMedia) ? kMaskMedia : 0) |
         (classes.Contains(TFilterClass::fcText) ? kMaskText : 0) |
         (classes.Contains(TFilterClass::fcPicture) ? kMaskPicture : 0);
}

std::string ReadAppFolder(IRegistry& registry) {
  const std::unique_ptr<IRegistryKey> key = OpenSettingsKey(registry);
  return ReadString(*key, "AppFolder").value_or(std::string()) + kPathSeparator;
}

TExtFilter ReadExtFilter(IRegistry& registry) {
  TExtFilter filter{"*.*", false};
  const std::unique_ptr<IRegistryKey> key = OpenSettingsKey(registry);
  if (!key->ValueExists("ExtStr")) key->WriteValue(MakeStringValue("ExtStr", "*.*"));
  filter.ExtStr = ReadString(*key, "ExtStr").value_or(filter.ExtStr);
  filter.FilterType = ReadDwordWithDefault(*key, "FilterType", 0) != 0;
  return filter;
}

void WriteExtFilter(IRegistry& registry, const std::string& extStr, bool filterType) {
  const std::unique_ptr<IRegistryKey> key = OpenSettingsKey(registry);
  key->WriteValue(MakeDwordValue("FilterType", filterType ? 1 : 0));
  key->WriteValue(MakeStringValue("ExtStr", extStr));
}

TTypeFilter ReadTypeFilter(IRegistry& registry) {
  TTypeFilter filter;
  const std::unique_ptr<IRegistryKey> key = OpenSettingsKey(registry);
  filter.Mask = ReadDwordWithDefault(*key, "filtration", 0);
  filter.UseFilter = ReadDwordWithDefault(*key, "UseFilter", 0) != 0;
  return filter;
}

void WriteTypeFilter(IRegistry& registry, std::uint32_t mask, bool useFilter) {
  const std::unique_ptr<IRegistryKey> key = OpenSettingsKey(registry);
  key->WriteValue(MakeDwordValue("filtration", mask));
  key->WriteValue(MakeDwordValue("UseFilter", useFilter ? 1 : 0));
}

std::string ReadCacheSource(IRegistry& registry) {
  const std::string source = ReadString(*OpenSettingsKey(registry), "CacheSource").value_or(std::string());
  return source.empty() ? std::string(kPlatformSource) : source;
}

void WriteCacheSource(IRegistry& registry, const std::string& source) {
  OpenSettingsKey(registry)->WriteValue(MakeStringValue("CacheSource", source));
}

bool ReadShowSecure(IRegistry& registry) {
  return ReadDword(*OpenSettingsKey(registry), "ShowSecure").value_or(0) != 0;
}

void WriteShowSecure(IRegistry& registry, bool showSecure) {
  OpenSettingsKey(registry)->WriteValue(MakeDwordValue("ShowSecure", showSecure ? 1 : 0));
}

bool ReadShowDetails(IRegistry& registry) {
  return ReadDword(*OpenSettingsKey(registry), "ShowDetails").value_or(1) != 0;
}

void WriteShowDetails(IRegistry& registry, bool showDetails) {
  OpenSettingsKey(registry)->WriteValue(MakeDwordValue("ShowDetails", showDetails ? 1 : 0));
}

std::string LoadSettings(IRegistry& registry, TSettings& settings, IReport& report) {
  try {
    const TTypeFilter typeFilter = ReadTypeFilter(registry);
    const TExtFilter extFilter = ReadExtFilter(registry);
    settings.UseFilter = typeFilter.UseFilter;
    settings.ExtStr = extFilter.ExtStr;
    settings.FilterType = extFilter.FilterType;
    settings.FilterClasses = ClassesFromMask(typeFilter.Mask);
    settings.ShowSecure = ReadShowSecure(registry);
    settings.ShowDetails = ReadShowDetails(registry);
    return ReadAppFolder(registry) + "Save Files" + kPathSeparator;
  } catch (const std::exception& error) {
    settings = TSettings{false, TFilterClasses(), false, "*.*", false, true};
    report.WriteLine(std::string("hoardscope: settings not available, using defaults: ") + error.what());
    return std::string(1, kPathSeparator) + "Save Files" + kPathSeparator;
  }
}

}  // namespace hoardscope
