// TWinViewFactory: the band's view factory on Windows. Each view is a TWinMainView window over the services
// of the module.
#pragma once

#include "platform/ports/ViewFactory.h"
#include "platform/win32/MainView.h"

namespace hoardscope {

class TWinBandView : public IBandView {
 public:
  TWinBandView(const TWinViewPorts& ports, HWND parent) : FView(std::make_unique<TWinMainView>(ports, parent)) {
    FView->Presenter().OpenSavedCacheSource();
  }
  ~TWinBandView() override { TWinMainView::Destroy(std::move(FView)); }
  TWinBandView(const TWinBandView&) = delete;
  TWinBandView& operator=(const TWinBandView&) = delete;

  TWindowHandle Window() override { return FView->Window(); }
  void MakeChildOf(TWindowHandle parent) override { FView->MakeChildOf(static_cast<HWND>(parent)); }
  void SetBounds(const TWindowRect& bounds) override;
  void Show() override { ShowWindow(FView->Window(), SW_SHOW); }
  void SetBrowser(std::shared_ptr<IBrowser> browser) override { FView->Presenter().SetBrowser(std::move(browser)); }

  TWinMainView& View() { return *FView; }

 private:
  std::unique_ptr<TWinMainView> FView;
};

class TWinViewFactory : public IViewFactory {
 public:
  explicit TWinViewFactory(const TWinViewPorts& ports) : FPorts(ports) {}

  std::unique_ptr<IBandView> CreateView(TWindowHandle parent) override;
  TWindowRect ClientRect(TWindowHandle window) override;
  void ShowWindow(TWindowHandle window, bool show) override;

 private:
  TWinViewPorts FPorts;
};

}  // namespace hoardscope
