// hoardscope.dll: the module glue of the Windows edition. The host of the COM server over the real registry,
// the type library in the module's resources, WinInet and the shell, and the exports of the shared glue
// (com/ModuleGlue.h).
#include <cstdlib>
#include <memory>
#include <string>

#include "com/ModuleGlue.h"
#include "com/ScriptedFolderPicker.h"
#include "platform/caches/CacheSwitch.h"
#include "platform/win32/WinBrowserWindows.h"
#include "platform/win32/WinInetCache.h"
#include "platform/win32/WinRegistry.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinShellMenu.h"
#include "platform/win32/WinShellServices.h"
#include "platform/win32/WinSystemServices.h"
#include "platform/win32/WinTypeLibrary.h"
#include "platform/win32/WinViewFactory.h"

namespace hoardscope {
namespace {

HINSTANCE gModule = nullptr;

std::string CopiesRoot() {
  const char* local = std::getenv("LOCALAPPDATA");
  return std::string(local ? local : "") + "\\Hoardscope\\copies";
}

class TWinModuleHost : public IGlueHost {
 public:
  std::string ModulePath() override {
    char path[MAX_PATH] = {};
    const DWORD length = GetModuleFileNameA(gModule, path, MAX_PATH);
    return std::string(path, length);
  }

  std::string ShortPath(const std::string& path) override {
    char shortPath[MAX_PATH] = {};
    const DWORD length = GetShortPathNameA(path.c_str(), shortPath, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::string(shortPath, length) : path;
  }

  IRegistry& Registry() override { return FRegistry; }

  ITypeLibrary& TypeLibrary() override {
    if (!FTypeLibrary) FTypeLibrary = std::make_unique<TWinTypeLibrary>(ModulePath());
    return *FTypeLibrary;
  }

  // The bar's views: each with its own shell over its tree image list and its own context menu.
  IViewFactory& ViewFactory() override {
    if (!FViews) {
      FViews = std::make_unique<TWinViewFactory>(TWinViewPorts{
          FCache, FInternet, FRegistry, [](HIMAGELIST treeImages) { return std::make_unique<TWinShell>(treeImages); },
          &FClock, &FBrowserWindows, [](HWND owner) { return std::make_unique<TWinShellMenu>(owner); }, &FCache});
    }
    return *FViews;
  }

  TDownloadServices DownloadServices() override { return {FCache, FPicker, FFiles}; }

  void ShowError(const std::string& text) override {
    MessageBoxA(nullptr, text.c_str(), "Hoardscope", MB_OK | MB_ICONSTOP | MB_SETFOREGROUND);
  }

  TScriptedFolderPicker& Picker() override { return FPicker; }

 private:
  TWinRegistry FRegistry;
  std::unique_ptr<TWinTypeLibrary> FTypeLibrary;
  TWinInetCache FInetCache;
  // WinInet's cache, or the browser's cache the bar's settings name; decoded copies go with the user's local data.
  TCacheSwitch FCache{FInetCache, UserFoldersOfThisPlatform(), CopiesRoot()};
  TWinFolderPicker FShellPicker;
  TScriptedFolderPicker FPicker{FShellPicker};
  TWinFileCopier FFiles;
  TWinInternetOptions FInternet;
  TWinClock FClock;
  TWinBrowserWindows FBrowserWindows;
  std::unique_ptr<TWinViewFactory> FViews;
};

TModuleGlue& Glue() {
  static TModuleGlue glue([] { return std::make_unique<TWinModuleHost>(); });
  return glue;
}

}  // namespace
}  // namespace hoardscope

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    hoardscope::gModule = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

using hoardscope::Glue;

STDAPI DllGetClassObject(REFCLSID clsid, REFIID iid, LPVOID* object) {
  return Glue().GetClassObject(clsid, iid, object);
}
STDAPI DllCanUnloadNow() { return Glue().CanUnloadNow(); }
STDAPI DllRegisterServer() { return Glue().RegisterServer(); }
STDAPI DllUnregisterServer() { return Glue().UnregisterServer(); }
extern "C" HRESULT STDMETHODCALLTYPE HoardscopeAnswerFolderPicker(const char* folder) {
  return Glue().AnswerFolderPicker(folder);
}
