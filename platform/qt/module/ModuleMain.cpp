// libhoardscope.so: the module glue of the Linux edition. The host of the COM server over the stores of the run
// (HOARDSCOPE_HOME or the XDG folders), the type library from the generated tables and the module's dialogs;
// the four exported entry points, and the one through which a client answers the download object's folder picker.
#include <dlfcn.h>

#include <filesystem>
#include <memory>

#include "Hoardscope_dispatch.h"
#include "platform/ports/Home.h"
#include "com/HoardscopeServer.h"
#include "com/ScriptedFolderPicker.h"
#include "core/Boundary.h"
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

class TLinuxModuleHost : public IModuleHost {
 public:
  std::string ModulePath() override {
    Dl_info info{};
    dladdr(reinterpret_cast<void*>(&Entry), &info);
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

  void AnswerFolderPicker(const char* folder) {
    FPicker.SetAnswer(folder ? std::optional<std::string>(folder) : std::nullopt);
  }

  static TLinuxModuleHost& Host();
  static TModuleEntry& Entry();

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

TLinuxModuleHost& TLinuxModuleHost::Host() {
  static TLinuxModuleHost host;
  return host;
}

TModuleEntry& TLinuxModuleHost::Entry() {
  static TModuleEntry entry(Host());
  return entry;
}

// An entry point's answer: E_UNEXPECTED when its call raises.
template <class Call>
HRESULT Exported(Call call) {
  return CatchAll(call, [](const char*) { return E_UNEXPECTED; });
}

}  // namespace
}  // namespace hoardscope

using hoardscope::Exported;
using hoardscope::TLinuxModuleHost;

HOARDSCOPE_EXPORT HRESULT DllGetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return Exported([&] { return TLinuxModuleHost::Entry().GetClassObject(clsid, iid, object); });
}

// Views of the band outlive it while their work runs: the module stays until they are gone too.
HOARDSCOPE_EXPORT HRESULT DllCanUnloadNow() {
  return Exported([] {
    if (hoardscope::TQtBandViews::LiveViews() > 0) return S_FALSE;
    return TLinuxModuleHost::Entry().CanUnloadNow();
  });
}

HOARDSCOPE_EXPORT HRESULT DllRegisterServer() {
  return Exported([] { return TLinuxModuleHost::Entry().RegisterServer(); });
}

HOARDSCOPE_EXPORT HRESULT DllUnregisterServer() {
  return Exported([] { return TLinuxModuleHost::Entry().UnregisterServer(); });
}

HOARDSCOPE_EXPORT HRESULT HoardscopeAnswerFolderPicker(const char* folder) {
  return Exported([&] {
    TLinuxModuleHost::Host().AnswerFolderPicker(folder);
    return S_OK;
  });
}
