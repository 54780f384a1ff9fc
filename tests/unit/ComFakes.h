// Fakes of the COM module's platform: a module host over the in-memory registry and cache, a type library, a
// view factory that records what the band does with its views, a browser's band site, and the download
// object's folder picker and file copier.
#pragma once

#include <atomic>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/ComSupport.h"
#include "com/Hoardscope_TLB.h"
#include "com/HoardscopeServer.h"
#include "com/ModuleHost.h"
#include "core/Tools.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeUrlCache.h"

namespace hoardscope {

// A plain COM object for the tests' own objects: counted, answering the interfaces it derives from.
template <class... Interfaces>
class TTestObject : public Interfaces... {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = iid == IID_IUnknown ? Identity() : Find(iid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++References; }
  ULONG STDMETHODCALLTYPE Release() override { return --References; }  // owned by the test, never freed here

  std::atomic<ULONG> References{1};

 protected:
  virtual void* Find(REFIID iid) = 0;
  virtual void* Identity() = 0;
};

// A band site as the browser offers it, handing out TBrowser as the browser object, with switches to leave parts
// out.
template <class TBrowser>
class TFakeBandSite : public TTestObject<IInputObjectSite, IOleWindow, IOleCommandTarget, IServiceProvider> {
 public:
  HRESULT STDMETHODCALLTYPE OnFocusChangeIS(IUnknown*, BOOL) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    *window = static_cast<HWND>(Window);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override {
    *object = nullptr;
    if (!OffersBrowser || service != SID_SWebBrowserApp) return E_NOINTERFACE;
    return Browser.QueryInterface(iid, object);
  }

  TWindowHandle Window = &Window;
  bool OffersBrowser = true;
  bool OffersServices = true;
  TBrowser Browser;

 protected:
  void* Identity() override { return static_cast<IInputObjectSite*>(this); }
  void* Find(REFIID iid) override {
    if (iid == IID_IInputObjectSite) return static_cast<IInputObjectSite*>(this);
    if (iid == IID_IOleWindow) return static_cast<IOleWindow*>(this);
    if (iid == IID_IOleCommandTarget) return static_cast<IOleCommandTarget*>(this);
    if (iid == IID_IServiceProvider && OffersServices) return static_cast<IServiceProvider*>(this);
    return nullptr;
  }
};

// The type library as the server reads it; registration and dispatch are recorded, not performed.
class TFakeTypeLibrary : public ITypeLibrary {
 public:
  std::string Name() override { return "Hoardscope"; }
  GUID LibraryId() override { return LIBID_Hoardscope; }
  TLibraryVersion Version() override { return {1, 0}; }
  std::optional<TCoClassInfo> FindCoClass(REFCLSID clsid) override {
    if (clsid == CLSID_HSCDownload) return TCoClassInfo{"HSCDownload", "HSCDownload Object"};
    if (clsid == CLSID_IECacheBand) return TCoClassInfo{"IECacheBand", "IECacheBand Object"};
    return std::nullopt;
  }
  HRESULT Register(const std::string& modulePath, const std::string& helpFolder) override {
    RegisteredPath = modulePath;
    RegisteredHelpFolder = helpFolder;
    return RegisterResult;
  }
  HRESULT Unregister() override {
    ++Unregistered;
    return UnregisterResult;
  }
  HRESULT GetTypeInfo(REFIID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(REFIID, void*, DISPID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  std::string RegisteredPath;
  std::string RegisteredHelpFolder;
  HRESULT RegisterResult = S_OK;
  HRESULT UnregisterResult = E_FAIL;  // what the platform answers for a library that is not registered
  int Unregistered = 0;
};

// What the fake view factory records of the views it made, in the order things happened.
struct TViewLog {
  std::vector<std::string> Events;
  int Alive = 0;
};

class TFakeBandView : public IBandView {
  TViewLog& FLog;

 public:
  TFakeBandView(TViewLog& log, int id, TWindowHandle parent) : FLog(log), Id(id), Parent(parent) {
    ++FLog.Alive;
    Note("create");
  }
  ~TFakeBandView() override {
    --FLog.Alive;
    Note("destroy");
  }

  TWindowHandle Window() override { return WindowHandle(); }
  void MakeChildOf(TWindowHandle parent) override {
    Parent = parent;
    Note("child-of");
  }
  void SetBounds(const TWindowRect& bounds) override {
    Bounds = bounds;
    Note("bounds");
  }
  void Show() override { Note("show"); }
  void SetBrowser(std::shared_ptr<IBrowser> browser) override {
    Browser = std::move(browser);
    Note(Browser ? "browser" : "no-browser");
  }

  // Each view's window is a distinct fake handle.
  TWindowHandle WindowHandle() { return &Bounds; }

  const int Id;
  TWindowHandle Parent;
  TWindowRect Bounds;
  std::shared_ptr<IBrowser> Browser;

 private:
  void Note(const std::string& what) { FLog.Events.push_back("view" + std::to_string(Id) + " " + what); }
};

class TFakeViewFactory : public IViewFactory {
 public:
  std::unique_ptr<IBandView> CreateView(TWindowHandle parent) override {
    if (FailCreation) throw std::runtime_error("The view could not be created");
    auto view = std::make_unique<TFakeBandView>(Log, ++Created, parent);
    Last = view.get();
    return view;
  }
  TWindowRect ClientRect(TWindowHandle) override { return Client; }
  void ShowWindow(TWindowHandle window, bool show) override {
    Log.Events.push_back(std::string(show ? "show " : "hide ") + (Last && window == Last->WindowHandle() ? "last" : "other"));
  }

  TViewLog Log;
  int Created = 0;
  TFakeBandView* Last = nullptr;  // the newest view; valid while Log.Alive says it lives
  TWindowRect Client{0, 0, 200, 480};
  bool FailCreation = false;
};

class TFakeFolderPicker : public IFolderPicker {
 public:
  std::optional<std::string> PickFolder(const std::string& title) override {
    Titles.push_back(title);
    return Answer;
  }
  std::optional<std::string> Answer;
  std::vector<std::string> Titles;
};

// Files as a map from path to content; copies are recorded as "source -> target" (with " (asked)" when the
// copier was told to ask before replacing).
class TFakeFileCopier : public IFileCopier {
 public:
  bool FileExists(const std::string& path) override { return Files.count(path) != 0; }
  bool SameContent(const std::string& first, const std::string& second) override {
    return FileExists(first) && FileExists(second) && Files[first] == Files[second];
  }
  void Copy(const std::string& source, const std::string& target, bool askBeforeReplacing) override {
    Copies.push_back(source + " -> " + target + (askBeforeReplacing ? " (asked)" : ""));
    Files[target] = Files[source];
  }
  std::map<std::string, std::string> Files;
  std::vector<std::string> Copies;
};

class TFakeModuleHost : public IModuleHost {
 public:
  std::string ModulePath() override { return Path; }
  std::string ShortPath(const std::string& path) override { return "SHORT:" + path; }
  IRegistry& Registry() override { return RegistryStore; }
  ITypeLibrary& TypeLibrary() override {
    if (!LibraryLoads) throw std::runtime_error("The type library could not be loaded");
    return Library;
  }
  IViewFactory& ViewFactory() override { return Views; }
  TDownloadServices DownloadServices() override {
    if (!DownloadsOpen) throw std::runtime_error("The cache could not be opened");
    return {Cache, Picker, Files};
  }
  void ShowError(const std::string& text) override { Errors.push_back(text); }

  std::string Path = std::string("C:") + kPathSeparator + "Hoardscope" + kPathSeparator + "hoardscope.dll";
  TFakeRegistry RegistryStore;
  TFakeTypeLibrary Library;
  bool LibraryLoads = true;
  TFakeViewFactory Views;
  TFakeUrlCache Cache;
  TFakeFolderPicker Picker;
  TFakeFileCopier Files;
  bool DownloadsOpen = true;
  std::vector<std::string> Errors;
};

// The thread's error information as text: "{iid} source: description"; "" when none is set. Reading clears it.
inline std::string TakeErrorInfo() {
  TComPtr<IErrorInfo> info;
  if (GetErrorInfo(0, info.Out()) != S_OK || !info) return "";
  GUID guid{};
  BSTR source = nullptr;
  BSTR description = nullptr;
  info->GetGUID(&guid);
  info->GetSource(&source);
  info->GetDescription(&description);
  std::string text = GuidText(guid) + " " + TextOfBstr(source) + ": " + TextOfBstr(description);
  SysFreeString(source);
  SysFreeString(description);
  return text;
}

// A VARIANT holding a BSTR, freed with the holder.
class TVariant {
 public:
  TVariant() { VariantInit(&Value); }
  explicit TVariant(const std::string& text) : TVariant() {
    Value.vt = VT_BSTR;
    Value.bstrVal = AllocBstr(text);
  }
  ~TVariant() { VariantClear(&Value); }
  TVariant(const TVariant&) = delete;
  TVariant& operator=(const TVariant&) = delete;

  VARIANT Value;
};

// A VARIANT of a type without contents of its own (VT_EMPTY, VT_NULL).
inline VARIANT VariantOfType(VARTYPE type) {
  VARIANT value;
  VariantInit(&value);
  value.vt = type;
  return value;
}

}  // namespace hoardscope
