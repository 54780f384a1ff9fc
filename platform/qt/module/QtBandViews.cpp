// The band's Qt views.
#include "platform/qt/module/QtBandViews.h"

#include <QApplication>
#include <QTimer>
#include <stdexcept>
#include <vector>

#include "platform/qt/MainView.h"
#include "platform/qt/BarView.h"

namespace hoardscope {
namespace {

constexpr int kRetiredViewCheckMs = 50;

int gLiveViews = 0;  // touched on the user-interface thread only

// Views destroyed while at work. Their work lets events run, and the destruction may be one of them (a deferred
// deletion would run inside it too): they wait here, hidden and without a parent window, until they are idle.
class TRetiredViews {
 public:
  TRetiredViews() {
    FCheck.setInterval(kRetiredViewCheckMs);
    QObject::connect(&FCheck, &QTimer::timeout, [this] { DestroyIdle(); });
  }
  void Keep(std::unique_ptr<TMainView> view) {
    view->hide();
    view->setParent(nullptr);
    FViews.push_back(std::move(view));
    FCheck.start();
  }

 private:
  void DestroyIdle() {
    std::erase_if(FViews, [](const std::unique_ptr<TMainView>& view) { return !view->Presenter().Busy(); });
    if (FViews.empty()) FCheck.stop();
  }

  std::vector<std::unique_ptr<TMainView>> FViews;
  QTimer FCheck;
};

TRetiredViews& RetiredViews() {
  static TRetiredViews retired;
  return retired;
}

class TQtBandView : public IBandView {
 public:
  explicit TQtBandView(std::unique_ptr<TMainView> view) : FView(std::move(view)) {
    ++gLiveViews;
    QObject::connect(FView.get(), &QObject::destroyed, [] { --gLiveViews; });
    // A parent window that goes first takes the view along.
    FTakenAlong = QObject::connect(FView.get(), &QObject::destroyed, [this] { (void)FView.release(); });
  }

  // A view at work goes once its work is done.
  ~TQtBandView() override {
    QObject::disconnect(FTakenAlong);
    if (FView && FView->Presenter().Busy()) RetiredViews().Keep(std::move(FView));
  }

  TWindowHandle Window() override { return static_cast<QWidget*>(FView.get()); }
  void MakeChildOf(TWindowHandle parent) override { FView->setParent(WidgetOf(parent)); }
  void SetBounds(const TWindowRect& bounds) override {
    FView->setGeometry(bounds.Left, bounds.Top, bounds.Right - bounds.Left, bounds.Bottom - bounds.Top);
  }
  void Show() override { FView->show(); }
  void SetBrowser(std::shared_ptr<IBrowser> browser) override { FView->Presenter().SetBrowser(std::move(browser)); }

 private:
  std::unique_ptr<TMainView> FView;
  QMetaObject::Connection FTakenAlong;
};

}  // namespace

std::unique_ptr<IBandView> TQtBandViews::CreateView(TWindowHandle parent) {
  if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
    throw std::runtime_error("The bar needs a window system: this process shows no widgets");
  }
  auto view = std::make_unique<TMainView>(FStores.Cache, FStores.Registry, FStores.Internet, FStores.CacheFolder,
                                          WidgetOf(parent), FStores.Sources);
  view->Presenter().OpenSavedCacheSource();
  return std::make_unique<TQtBandView>(std::move(view));
}

TWindowRect TQtBandViews::ClientRect(TWindowHandle window) {
  const QRect client = WidgetOf(window)->contentsRect();
  return {client.left(), client.top(), client.right() + 1, client.bottom() + 1};
}

void TQtBandViews::ShowWindow(TWindowHandle window, bool show) { WidgetOf(window)->setVisible(show); }

int TQtBandViews::LiveViews() { return gLiveViews; }

}  // namespace hoardscope
