// Hosting explorer bars: the band site, the browser object as the bands see it, and the band's lifecycle.
#include "platform/browser/BandHost.h"

#include <atomic>
#include <stdexcept>

#include "com/ClassRegistry.h"
#include "com/ComBrowser.h"
#include "com/ComSupport.h"
#include "com/SourceNavigation.h"
#include "platform/qt/BarView.h"

namespace hoardscope {
namespace {

constexpr const char* kVerticalBarCategory = "{00021493-0000-0000-C000-000000000046}";

// Reference counting of the host's own COM objects; they go with their last reference.
template <class... Interfaces>
class THostObject : public Interfaces... {
 public:
  ULONG STDMETHODCALLTYPE AddRef() override { return ++FReferences; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG left = --FReferences;
    if (left == 0) delete this;
    return left;
  }

 protected:
  virtual ~THostObject() = default;
  // Hands out pointer with a new reference.
  HRESULT Answer(void* pointer, void** object) {
    *object = pointer;
    AddRef();
    return S_OK;
  }

 private:
  std::atomic<ULONG> FReferences{1};
};

// The window's browser object in the form the bands take it, with our own navigation from a cache source where
// the window's browser can show pages from one.
class TWebBrowserObject final : public THostObject<IWebBrowser2, IHSCSourceNavigation> {
 public:
  explicit TWebBrowserObject(std::shared_ptr<IBrowser> browser) : FBrowser(std::move(browser)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IDispatch || iid == IID_IWebBrowser2) {
      return Answer(static_cast<IWebBrowser2*>(this), object);
    }
    if (iid == IID_IHSCSourceNavigation && FBrowser->NavigatesFromSources()) {
      return Answer(static_cast<IHSCSourceNavigation*>(this), object);
    }
    return E_NOINTERFACE;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (count) *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
    return E_NOTIMPL;
  }

  HRESULT STDMETHODCALLTYPE Navigate(BSTR url, VARIANT* flags, VARIANT*, VARIANT*, VARIANT*) override {
    const bool newWindow = flags && flags->vt == VT_I4 && (flags->lVal & kOpenInNewWindow) != 0;
    return Guarded([&] {
      if (newWindow) {
        FBrowser->NavigateInNewWindow(TextOfBstr(url));
      } else {
        FBrowser->Navigate(TextOfBstr(url));
      }
    });
  }
  HRESULT STDMETHODCALLTYPE get_Offline(VARIANT_BOOL* offline) override {
    if (!offline) return E_POINTER;
    return Guarded([&] { *offline = FBrowser->IsOffline() ? VARIANT_TRUE : VARIANT_FALSE; });
  }

  HRESULT STDMETHODCALLTYPE NavigateFromSource(BSTR url, BSTR source) override {
    return Guarded([&] { FBrowser->NavigateFromSource(TextOfBstr(url), TextOfBstr(source)); });
  }

 private:
  // A failure leaves its text as the error information of the browser object.
  template <class Body>
  HRESULT Guarded(Body body) {
    return GuardedComCall(IID_IWebBrowser2, "Hoardscope", E_FAIL, body);
  }

  std::shared_ptr<IBrowser> FBrowser;
};

}  // namespace

// The band site of the pane: its window, and the window's browser object as the web-browser service.
class TBandSite final
    : public THostObject<IInputObjectSite, IOleWindow, IOleCommandTarget, IServiceProvider> {
 public:
  TBandSite(QWidget& pane, std::shared_ptr<IBrowser> browser) : FPane(&pane), FBrowser(std::move(browser)) {}

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (iid == IID_IUnknown || iid == IID_IInputObjectSite) return Answer(static_cast<IInputObjectSite*>(this), object);
    if (iid == IID_IOleWindow) return Answer(static_cast<IOleWindow*>(this), object);
    if (iid == IID_IOleCommandTarget) return Answer(static_cast<IOleCommandTarget*>(this), object);
    if (iid == IID_IServiceProvider) return Answer(static_cast<IServiceProvider*>(this), object);
    return E_NOINTERFACE;
  }

  // The pane takes the focus along with whatever has it.
  HRESULT STDMETHODCALLTYPE OnFocusChangeIS(IUnknown*, BOOL) override { return S_OK; }

  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override {
    if (!window) return E_POINTER;
    *window = WindowHandleOf(FPane);
    return FPane ? S_OK : E_FAIL;
  }
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL) override { return E_NOTIMPL; }

  // The window takes no commands from its bars.
  HRESULT STDMETHODCALLTYPE QueryStatus(const GUID*, ULONG, OLECMD*, OLECMDTEXT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) override { return E_NOTIMPL; }

  HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID iid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (service != SID_SWebBrowserApp || !FBrowser) return E_NOINTERFACE;
    const TComPtr<IWebBrowser2> browser = TComPtr<IWebBrowser2>::Attach(new TWebBrowserObject(FBrowser));
    return browser->QueryInterface(iid, object);
  }

  // The window is going: the site no longer offers it.
  void Detach() {
    FPane = nullptr;
    FBrowser.reset();
  }

 private:
  QWidget* FPane;
  std::shared_ptr<IBrowser> FBrowser;
};

std::vector<TExplorerBar> FindExplorerBars(IRegistry& registry) {
  std::vector<TExplorerBar> bars;
  const auto classes = registry.OpenKey(RegistryRoot::ClassesRoot, "CLSID", false);
  if (!classes) return bars;
  for (const std::string& name : classes->EnumSubkeys()) {
    const auto clsid = ParseGuid(name);
    const std::string key = "CLSID\\" + name;
    if (!clsid || !registry.KeyExists(RegistryRoot::ClassesRoot, key + "\\Implemented Categories\\" +
                                                                      kVerticalBarCategory)) {
      continue;
    }
    const auto opened = registry.OpenKey(RegistryRoot::ClassesRoot, key, false);
    const auto menuText = opened ? opened->ReadValue("") : std::nullopt;
    bars.push_back({*clsid, menuText ? StringOf(*menuText).value_or(name) : name});
  }
  return bars;
}

TBandHost::TBandHost(IRegistry& registry, QWidget& pane, std::shared_ptr<IBrowser> browser)
    : FRegistry(registry), FPane(pane), FBrowser(std::move(browser)) {}

TBandHost::~TBandHost() { Close(); }

void TBandHost::Open(const CLSID& bar) {
  Close();
  FreeUnusedModules();
  const auto path = ModuleOfClass(FRegistry, bar);
  if (!path) throw std::runtime_error("No module is registered for the bar " + GuidText(bar) + ".");
  FModule = std::make_unique<TComModule>(*path);
  FBar = bar;
  const auto fail = [this](const std::string& step, HRESULT result) {
    Release();
    throw std::runtime_error(step + " failed (" + HresultText(result) + ").");
  };
  HRESULT result = FModule->CreateInstance(bar, IID_IDeskBand, reinterpret_cast<void**>(FBand.Out()));
  if (FAILED(result)) fail("Creating the bar", result);
  FSite = TComPtr<TBandSite>::Attach(new TBandSite(FPane, FBrowser));
  const TComPtr<IObjectWithSite> withSite = FBand.As<IObjectWithSite>(IID_IObjectWithSite);
  if (!withSite) fail("The bar's IObjectWithSite", E_NOINTERFACE);
  result = withSite->SetSite(static_cast<IInputObjectSite*>(FSite.Get()));
  if (FAILED(result)) fail("Placing the bar", result);
  DESKBANDINFO info{};
  info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS | DBIM_BKCOLOR;
  if (SUCCEEDED(FBand->GetBandInfo(0, 0, &info))) FMinimumSize = QSize(info.ptMinSize.x, info.ptMinSize.y);
  FBand->ShowDW(TRUE);
}

QWidget* TBandHost::BandWindow() const {
  HWND window = nullptr;
  if (!FBand || FAILED(FBand->GetWindow(&window))) return nullptr;
  return WidgetOf(window);
}

void TBandHost::Close() {
  if (!FBand) return;
  FBand->ShowDW(FALSE);
  FBand->CloseDW(0);
  Release();
}

void TBandHost::Release() {
  if (FBand) {
    if (const auto withSite = FBand.As<IObjectWithSite>(IID_IObjectWithSite)) withSite->SetSite(nullptr);
  }
  FBand.Reset();
  if (FSite) FSite->Detach();
  FSite.Reset();
  FModule.reset();  // unloads the module when it says it may go
  FMinimumSize = QSize();
}

}  // namespace hoardscope
