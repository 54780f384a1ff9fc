// TBrowserWindow: the Linux edition's browser window. A menu bar, an address field, the explorer-bar pane on the
// left that hosts the explorer bars registered in the registry (the Hoardscope bar among them, loaded from its
// module as the browser loads it), and the page pane on the right whose traffic goes through the HTTP layer and
// its cache.
#pragma once

#include <QMainWindow>
#include <QUrl>
#include <filesystem>
#include <memory>
#include <string>

#include "com/ComTypes.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/Registry.h"
#include "platform/ports/UrlCache.h"

class QAction;
class QDockWidget;
class QLabel;
class QLineEdit;
class QMenu;

namespace hoardscope {

class TBandHost;
class TBrowserObject;
class TFetchQueue;
class TPagePane;
class TPageSources;

// What every browser window of a process shares: the stores its bar works on, the page panes' fetches and the
// browsers' caches they show pages from.
struct TBrowserServices {
  IUrlCache& Cache;
  IRegistry& Registry;
  IInternetOptions& Internet;
  std::filesystem::path CacheFolder;   // the cache store's root
  TFetchQueue& Fetches;
  TPageSources& Sources;
};

class TBrowserWindow : public QMainWindow {
  Q_OBJECT

 public:
  explicit TBrowserWindow(const TBrowserServices& services, QWidget* parent = nullptr);
  ~TBrowserWindow() override;

  // Opens the Hoardscope bar when its module is registered, as the window does when it opens; false otherwise.
  bool OpenBar();
  // Opens an explorer bar through its registered module, in the bar pane titled with its menu text; an open bar
  // is closed first. A bar that cannot be opened is reported in a message box.
  void OpenBar(const CLSID& bar, const std::string& menuText);
  // Closes the open bar. Its module keeps a busy view (loading, or deleting a folder's entries) hidden until it
  // is idle.
  void CloseBar();

  // The open bar's window (the Hoardscope bar's view); nullptr while the bar is closed.
  QWidget* View() const;
  TPagePane* PagePane() const { return FPagePane; }
  QLineEdit* AddressField() const { return FAddress; }
  // View > Explorer Bar: one checkable entry per registered bar.
  QMenu* ExplorerBarMenu() const { return FExplorerBarMenu; }
  QAction* WorkOfflineAction() const { return FWorkOfflineAction; }

 signals:
  // File > New Window.
  void NewWindowRequested();
  // A bar asked for a page in a new window (the help, say).
  void PageWindowRequested(const QUrl& url);
  // The window has closed for good and may be destroyed.
  void Closed();

 protected:
  void closeEvent(QCloseEvent* event) override;
  // The bar pane's own close button closes the bar.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void CreateMenus();
  void CreateAddressBar();
  void CreateBarPane();
  void ListExplorerBars();
  void ReportBarFailure(const QString& reason);
  void ShowOfflineState();

  TBrowserServices FServices;
  TPagePane* FPagePane = nullptr;
  QLineEdit* FAddress = nullptr;
  QDockWidget* FBarPane = nullptr;
  QWidget* FBarSite = nullptr;
  QMenu* FExplorerBarMenu = nullptr;
  QAction* FWorkOfflineAction = nullptr;
  QLabel* FOfflineLabel = nullptr;
  std::shared_ptr<TBrowserObject> FBrowser;
  // Closes its bar before the pane it lives in goes.
  std::unique_ptr<TBandHost> FBands;
};

}  // namespace hoardscope
