// TBrowserWindow: the Linux edition's browser window. A menu bar, an address field, the explorer-bar pane on the
// left that hosts the Hoardscope bar (TMainView), and the page pane on the right whose traffic goes through the
// HTTP layer and its cache.
#pragma once

#include <QMainWindow>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <vector>

#include "platform/ports/InternetOptions.h"
#include "platform/ports/Registry.h"
#include "platform/ports/UrlCache.h"

class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;

namespace hoardscope {

class TBrowserObject;
class TFetchQueue;
class TMainView;
class TPagePane;

// What every browser window of a process shares: the stores its bar works on and the page panes' fetches.
struct TBrowserServices {
  IUrlCache& Cache;
  IRegistry& Registry;
  IInternetOptions& Internet;
  std::filesystem::path CacheFolder;   // the cache store's root
  TFetchQueue& Fetches;
};

class TBrowserWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit TBrowserWindow(const TBrowserServices& services, QWidget* parent = nullptr);
  ~TBrowserWindow() override;

  // Opens the bar: a new view, made without an owner, placed into the bar's pane and sized to fill it, shown (its
  // first load follows a second later), then given this window's browser object. Nothing happens while the bar
  // is open. A view that cannot be made is reported in a message box.
  void OpenBar();
  // Closes the bar and destroys its view. A busy view (loading, or deleting a folder's entries) is hidden at once
  // and destroyed once it is idle: its work lets events run, and this may be one of them.
  void CloseBar();

  // The bar's view; nullptr while the bar is closed.
  TMainView* View() const { return FView.get(); }
  TPagePane* PagePane() const { return FPagePane; }
  QLineEdit* AddressField() const { return FAddress; }
  QAction* BarAction() const { return FBarAction; }
  QAction* WorkOfflineAction() const { return FWorkOfflineAction; }

 signals:
  // File > New Window.
  void NewWindowRequested();
  // The window has closed for good and may be destroyed.
  void Closed();

 protected:
  // Closing waits, hidden, for a busy view of the bar to become idle.
  void closeEvent(QCloseEvent* event) override;
  // The bar pane's own close button closes the bar.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateMenus();
  void CreateAddressBar();
  void CreateBarPane();
  void ReportBarFailure(const QString& reason);
  void ShowOfflineState();
  void DestroyIdleViews();

  TBrowserServices FServices;
  TPagePane* FPagePane = nullptr;
  QLineEdit* FAddress = nullptr;
  QDockWidget* FBarPane = nullptr;
  QWidget* FBarSite = nullptr;
  QAction* FBarAction = nullptr;
  QAction* FWorkOfflineAction = nullptr;
  QLabel* FOfflineLabel = nullptr;
  std::shared_ptr<TBrowserObject> FBrowser;
  // The views go before the widgets they sit in.
  std::unique_ptr<TMainView> FView;
  std::vector<std::unique_ptr<TMainView>> FRetiredViews;   // closed while busy; destroyed once idle
  QTimer FRetiredViewCheck;
  bool FClosePending = false;
};

}  // namespace hoardscope
