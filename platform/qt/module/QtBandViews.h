// The view factory of libhoardscope.so: the band's views are the Qt bar (TMainView), created inside the host's
// pane widget, which is what a window handle is in the Linux edition.
#pragma once

#include <filesystem>

#include "platform/ports/CacheSources.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/Registry.h"
#include "platform/ports/UrlCache.h"
#include "platform/ports/ViewFactory.h"

namespace hoardscope {

// The stores a view works on.
struct TViewStores {
  IUrlCache& Cache;
  IRegistry& Registry;
  IInternetOptions& Internet;
  std::filesystem::path CacheFolder;
  ICacheSourceChoice* Sources = nullptr;  // chooses what Cache reads
};

class TQtBandViews : public IViewFactory {
 public:
  explicit TQtBandViews(TViewStores stores) : FStores(stores) {}

  // Raises std::runtime_error when the process has no Qt application to show widgets in.
  std::unique_ptr<IBandView> CreateView(TWindowHandle parent) override;
  TWindowRect ClientRect(TWindowHandle window) override;
  void ShowWindow(TWindowHandle window, bool show) override;

  // Views that still exist, destroyed ones whose work has not ended yet included: while there are any, the
  // module's code is in use.
  static int LiveViews();

 private:
  TViewStores FStores;
};

}  // namespace hoardscope
