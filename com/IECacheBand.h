// TIECacheBand: the explorer band object. A thin host: it creates the main view in the window of the browser's
// band site, answers the browser's layout questions, shows, hides and destroys the view, and hands the view the
// browser of its window.
#pragma once

#include <memory>

#include "com/ComObject.h"
#include "com/Hoardscope_TLB.h"
#include "platform/ports/ViewFactory.h"

namespace hoardscope {

// The sizes the band reports to the browser.
inline constexpr LONG kBandMinWidth = 180;
inline constexpr LONG kBandMinHeight = 200;

class TIECacheBand : public TComObject<IIECacheBand, IPersistStreamInit, IObjectWithSite, IDeskBand> {
 public:
  TIECacheBand(TComServer& server, IUnknown* outer);
  ~TIECacheBand() override;

  // IPersistStreamInit: the band keeps nothing in the browser's stream.
  HRESULT STDMETHODCALLTYPE GetClassID(CLSID* classId) override;
  HRESULT STDMETHODCALLTYPE IsDirty() override;
  HRESULT STDMETHODCALLTYPE Load(LPSTREAM stream) override;
  HRESULT STDMETHODCALLTYPE Save(LPSTREAM stream, BOOL clearDirty) override;
  HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override;
  HRESULT STDMETHODCALLTYPE InitNew() override;

  // IObjectWithSite.
  HRESULT STDMETHODCALLTYPE SetSite(IUnknown* site) override;
  HRESULT STDMETHODCALLTYPE GetSite(REFIID iid, void** site) override;

  // IDeskBand with IOleWindow and IDockingWindow.
  HRESULT STDMETHODCALLTYPE GetWindow(HWND* window) override;
  HRESULT STDMETHODCALLTYPE ContextSensitiveHelp(BOOL enterMode) override;
  HRESULT STDMETHODCALLTYPE ShowDW(BOOL show) override;
  HRESULT STDMETHODCALLTYPE CloseDW(DWORD reserved) override;
  HRESULT STDMETHODCALLTYPE ResizeBorderDW(LPCRECT border, IUnknown* toolbarSite, BOOL reserved) override;
  HRESULT STDMETHODCALLTYPE GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;

 protected:
  void* FindInterface(REFIID iid) override;

 private:
  // Creates the view inside the site's window and hands it the site's browser; false when it cannot.
  bool CreateSiteView(IUnknown* site);
  void HandBrowserTo(IUnknown* site);
  void DestroyView();
  // The platform's view factory; raises where the platform has none.
  IViewFactory& Views() { return Server().Host().ViewFactory(); }

  std::unique_ptr<IBandView> FView;
  TComPtr<IInputObjectSite> FSite;
  TWindowHandle FParentWnd = nullptr;
  TWindowHandle FViewWnd = nullptr;
};

}  // namespace hoardscope
