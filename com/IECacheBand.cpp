// The explorer band object: site, window, layout and lifetime of the main view inside the browser.
#include "com/IECacheBand.h"

#include "com/ComBrowser.h"
#include "core/Boundary.h"

namespace hoardscope {

TIECacheBand::TIECacheBand(TComServer& server, IUnknown* outer) : TComObject(server, outer) {}

// A band released without CloseDW takes its view with it.
TIECacheBand::~TIECacheBand() = default;

void* TIECacheBand::FindInterface(REFIID iid) {
  if (iid == IID_IIECacheBand) return static_cast<IIECacheBand*>(this);
  if (iid == IID_IPersistStreamInit) return static_cast<IPersistStreamInit*>(this);
  if (iid == IID_IObjectWithSite) return static_cast<IObjectWithSite*>(this);
  if (iid == IID_IDeskBand) return static_cast<IDeskBand*>(this);
  return nullptr;
}

// ---- IPersistStreamInit -----------------------------------------------------------------------------------------

HRESULT TIECacheBand::GetClassID(CLSID* classId) {
  if (!classId) return E_POINTER;
  *classId = CLSID_IECacheBand;
  return S_OK;
}

HRESULT TIECacheBand::IsDirty() { return S_FALSE; }
HRESULT TIECacheBand::Load(LPSTREAM) { return S_OK; }
HRESULT TIECacheBand::Save(LPSTREAM, BOOL) { return S_OK; }
HRESULT TIECacheBand::GetSizeMax(ULARGE_INTEGER*) { return E_NOTIMPL; }
HRESULT TIECacheBand::InitNew() { return E_NOTIMPL; }

// ---- IObjectWithSite ----------------------------------------------------------------------------------------------

HRESULT TIECacheBand::SetSite(IUnknown* site) {
  if (!site) return S_OK;  // the browser's farewell: the view went with CloseDW already
  FParentWnd = nullptr;
  site->QueryInterface(IID_IInputObjectSite, reinterpret_cast<void**>(FSite.Out()));
  TComPtr<IOleWindow> window;
  if (SUCCEEDED(site->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(window.Out())))) {
    HWND parent = nullptr;
    if (SUCCEEDED(window->GetWindow(&parent))) FParentWnd = parent;
  }
  if (!FParentWnd) return E_FAIL;
  return CreateSiteView(site) ? S_OK : E_FAIL;
}

bool TIECacheBand::CreateSiteView(IUnknown* site) {
  return CatchAll(
      [&] {
        const TWindowRect client = Views().ClientRect(FParentWnd);
        DestroyView();  // a view of an earlier site would live on hidden
        FView = Views().CreateView(nullptr);
        if (!FView) return false;
        FViewWnd = FView->Window();
        FView->MakeChildOf(FParentWnd);
        FView->SetBounds(client);
        FView->Show();
        HandBrowserTo(site);
        return true;
      },
      [](const char*) { return false; });
}

void TIECacheBand::HandBrowserTo(IUnknown* site) {
  TComPtr<IOleCommandTarget> commands;
  site->QueryInterface(IID_IOleCommandTarget, reinterpret_cast<void**>(commands.Out()));
  const TComPtr<IServiceProvider> services = commands.As<IServiceProvider>(IID_IServiceProvider);
  if (!services) return;
  FView->SetBrowser(nullptr);
  TComPtr<IWebBrowser2> browser;
  services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, reinterpret_cast<void**>(browser.Out()));
  if (browser) FView->SetBrowser(std::make_shared<TComBrowser>(std::move(browser)));
}

HRESULT TIECacheBand::GetSite(REFIID iid, void** site) {
  if (!site) return E_POINTER;
  *site = nullptr;
  if (!FSite) return E_FAIL;
  return FSite->QueryInterface(iid, site);
}

// ---- IDeskBand ----------------------------------------------------------------------------------------------------

HRESULT TIECacheBand::GetWindow(HWND* window) {
  if (!window) return E_POINTER;
  *window = static_cast<HWND>(FViewWnd);
  return S_OK;
}

HRESULT TIECacheBand::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

HRESULT TIECacheBand::ShowDW(BOOL show) {
  if (!FViewWnd) return S_OK;
  // A view that cannot be shown or hidden stays as it was.
  return CatchAll(
      [&] {
        Views().ShowWindow(FViewWnd, show != FALSE);
        return S_OK;
      },
      [](const char*) { return S_OK; });
}

HRESULT TIECacheBand::CloseDW(DWORD) {
  DestroyView();
  return S_OK;
}

HRESULT TIECacheBand::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) { return E_NOTIMPL; }

HRESULT TIECacheBand::GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) {
  if (!FView) {
    // The band answers without a view when none can be made.
    FView = CatchAll([this] { return Views().CreateView(FParentWnd); },
                     [](const char*) { return decltype(FView)(); });
  }
  if (!info) return E_INVALIDARG;
  if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = {kBandMinWidth, kBandMinHeight};
  if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = {-1, -1};
  if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {1, 1};
  if (info->dwMask & DBIM_ACTUAL) info->ptActual = {0, 0};
  if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_VARIABLEHEIGHT;
  info->dwMask &= ~DBIM_BKCOLOR;  // the host paints its own background
  return S_OK;
}

void TIECacheBand::DestroyView() {
  FView.reset();
  FViewWnd = nullptr;
}

}  // namespace hoardscope
