// libhoardscope.so: the module glue of the Linux edition. The host of the COM server over the stores of the run
// (HOARDSCOPE_HOME or the XDG folders), the type library from the generated tables and the module's dialogs, and
// the exports of the shared glue (com/ModuleGlue.h).
#include <dlfcn.h>

#include <filesystem>
#include <memory>

#include "Hoardscope_dispatch.h"
#include "platform/ports/Home.h"
#include "com/ModuleGlue.h"
#include "com/ScriptedFolderPicker.h"
#include "platform/caches/CacheSwitch.h"
#include "platform/linux/CacheStore.h"
#include "platform/linux/com/ConnectedState.h"
#include "platform/linux/RegistryStore.h"
#include "platform/linux/LinuxFileCopier.h"
#include "platform/linux/LinuxTypeLibrary.h"
#include "platform/qt/module/ModuleDialogs.h"
#include "platform/qt/module/QtBandViews.h"

#define HOARDSCOPE_EXPORT extern "C" __attribute__((visibility("default")))

namespace hoardscope {
namespace {

TModuleGlue& Glue();

class TLinuxModuleHost : public IGlueHost {
 public:
  std::string ModulePath() override {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&Glue), &info);
    std::error_code error;
    const std::filesystem::path path = std::filesystem::canonical(info.dli_fname ? info.dli_fname : "", error);
    return error ? std::string(info.dli_fname ? info.dli_fname : "") : path.string();
  }

  // The Linux edition has no short path forms.
  std::string ShortPath(const std::string& path) override { return path; }

  IRegistry& Registry() override {
    if (!FRegistry) FRegistry = std::make_unique<TRegistryStore>(ResolveHome().RegistryFile);
    return *FRegistry;
  }

  ITypeLibrary& TypeLibrary() override { return FLibrary; }

  IViewFactory& ViewFactory() override {
    if (!FViews) FViews = std::make_unique<TQtBandViews>(TViewStores{Cache(), Registry(), FInternet, CacheRoot(), &Cache()});
    return *FViews;
  }

  TDownloadServices DownloadServices() override { return {Cache(), FPicker, FFiles}; }

  void ShowError(const std::string& text) override { ShowModuleError(text); }

  TScriptedFolderPicker& Picker() override { return FPicker; }

 private:
  std::filesystem::path CacheRoot() { return ResolveHome().CacheRoot; }
  // The cache store, or the browser's cache the bar's settings name.
  TCacheSwitch& Cache() {
    if (!FCache) {
      FStore = std::make_unique<TCacheStore>(CacheRoot());
      FCache = std::make_unique<TCacheSwitch>(*FStore, UserFoldersOfThisPlatform(), ResolveHome().CopiesRoot.string());
    }
    return *FCache;
  }

  std::unique_ptr<TRegistryStore> FRegistry;
  TLinuxTypeLibrary FLibrary{idl::kLibrary, [this]() -> IRegistry& { return Registry(); }};
  std::unique_ptr<TCacheStore> FStore;
  std::unique_ptr<TCacheSwitch> FCache;
  TModuleFolderPicker FDialogPicker;
  TScriptedFolderPicker FPicker{FDialogPicker};
  TLinuxFileCopier FFiles{&AskReplaceFile};
  TConnectedState FInternet;
  std::unique_ptr<TQtBandViews> FViews;
};

// Views of the band outlive it while their work runs: the module stays until they are gone too.
TModuleGlue& Glue() {
  static TModuleGlue glue([] { return std::make_unique<TLinuxModuleHost>(); },
                          [] { return TQtBandViews::LiveViews() > 0; });
  return glue;
}

}  // namespace
}  // namespace hoardscope

using hoardscope::Glue;

HOARDSCOPE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return Glue().GetClassObject(clsid, iid, object);
}
HOARDSCOPE_EXPORT HRESULT DllCanUnloadNow() { return Glue().CanUnloadNow(); }
HOARDSCOPE_EXPORT HRESULT DllRegisterServer() { return Glue().RegisterServer(); }
HOARDSCOPE_EXPORT HRESULT DllUnregisterServer() { return Glue().UnregisterServer(); }
HOARDSCOPE_EXPORT HRESULT HoardscopeAnswerFolderPicker(const char* folder) {
  return Glue().AnswerFolderPicker(folder);
}
