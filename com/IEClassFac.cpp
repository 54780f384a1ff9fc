// The band factory's registry entries: the explorer-bar category and the menu text of the bar.
#include "com/IEClassFac.h"

namespace hoardscope {
namespace {

// The shell's cached lists of the explorer bars of each category, under HKEY_CURRENT_USER.
std::string CategoryCacheKey(const std::string& category) {
  return "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Discardable\\PostSetup\\Component Categories\\" +
         category + "\\Enum";
}

// Opens a key of HKEY_CLASSES_ROOT, creating it; nullptr when it cannot be opened.
std::unique_ptr<IRegistryKey> OpenOrCreate(IRegistry& registry, const std::string& key) {
  try {
    return registry.CreateKey(RegistryRoot::ClassesRoot, key);
  } catch (const RegistryError&) {
    return nullptr;
  }
}

}  // namespace

void TIEClassFac::UpdateRegistry(bool doRegister) {
  TComObjectFactory::UpdateRegistry(doRegister);
  if (doRegister) {
    RegisterBand();
  } else {
    UnregisterBand();
  }
}

void TIEClassFac::RegisterBand() {
  IRegistry& registry = Registry();
  DeleteKeyQuietly(registry, RegistryRoot::CurrentUser, CategoryCacheKey(kVerticalBarCategory), true);
  DeleteKeyQuietly(registry, RegistryRoot::CurrentUser, CategoryCacheKey(kHorizontalBarCategory), true);
  // A key that cannot be opened skips its step; a value that cannot be written fails the registration.
  const std::string classKey = ClassKey();
  if (const auto key = OpenOrCreate(registry, classKey)) key->WriteValue(MakeStringValue("", kBandMenuText));
  if (const auto key = OpenOrCreate(registry, classKey + "\\InProcServer32")) {
    key->WriteValue(MakeStringValue("ThreadingModel", "Apartment"));
  }
  OpenOrCreate(registry, classKey + "\\Implemented Categories\\" + kVerticalBarCategory);
}

void TIEClassFac::UnregisterBand() {
  IRegistry& registry = Registry();
  const std::string classKey = ClassKey();
  DeleteKeyQuietly(registry, RegistryRoot::ClassesRoot,
                   classKey + "\\Implemented Categories\\" + kVerticalBarCategory, true);
  DeleteKeyQuietly(registry, RegistryRoot::ClassesRoot, classKey + "\\InProcServer32", true);
  DeleteKeyQuietly(registry, RegistryRoot::ClassesRoot, classKey, true);
}

}  // namespace hoardscope
