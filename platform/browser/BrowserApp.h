// The browser application of the Linux edition: the process set-up Qt WebEngine needs, the stores and fetches
// all windows share, the windows themselves, and the screenshot run.
#pragma once

#include <QObject>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/CacheStore.h"
#include "platform/linux/com/ConnectedState.h"
#include "platform/linux/HttpClient.h"
#include "platform/linux/RegistryStore.h"
#include "platform/browser/BrowserWindow.h"
#include "platform/browser/CacheSchemeHandler.h"
#include "platform/browser/PageSource.h"

namespace hoardscope {

// Prepares the process for Qt WebEngine; must run before the application object exists. Chromium refuses to run
// as root with its sandbox, so the sandbox is turned off for root; GPU drawing is turned off everywhere (the page
// pane shows cached documents, and software drawing works on every display, a virtual one included); WebRTC may
// send nothing past the HTTP layer; the cache schemes are registered.
void PrepareBrowserProcess();

// The stores, HTTP layer and windows of one browser process. The bars share one cache store and one registry
// store; the page panes' HTTP layer has a cache store of its own on the same root, used from worker threads; the
// page panes' browser caches write their decoded copies below copiesRoot, as the bars do.
class TBrowserSession : public QObject {
  Q_OBJECT

 public:
  // Opens the stores; raises std::exception (naming the file) when one cannot be opened.
  TBrowserSession(const std::filesystem::path& cacheRoot, const std::filesystem::path& registryFile,
                  const std::filesystem::path& copiesRoot);
  ~TBrowserSession() override;

  // A new window with its bar open, shown.
  TBrowserWindow& OpenWindow();
  // A new window without a bar, showing url.
  TBrowserWindow& OpenPageWindow(const QUrl& url);
  const std::vector<std::unique_ptr<TBrowserWindow>>& Windows() const { return FWindows; }

 signals:
  void LastWindowClosed();

 private:
  TBrowserWindow& AddWindow();
  void ReleaseWindow(TBrowserWindow* window);

  std::filesystem::path FCacheRoot;
  TCacheStore FCache;
  TRegistryStore FRegistry;
  TConnectedState FInternet;
  TCacheStore FHttpCache;
  THttpClient FHttp;
  TFetchQueue FFetches;
  TPageSources FSources;
  std::vector<std::unique_ptr<TBrowserWindow>> FWindows;
};

// What --screenshot asks for: the PNG file, nodes to open and a node to select, as `hoardscope tree` takes them.
struct TScreenshotRequest {
  std::filesystem::path File;
  std::vector<std::string> Expand;
  std::optional<std::string> Select;
};

// Runs the browser over the given stores: one window with the bar, until the last window closes; or, with a
// screenshot request, until the screenshot is saved. Returns the exit code. Calls PrepareBrowserProcess itself.
// Raises std::exception when there is no display or the stores cannot be opened.
int RunBrowserApp(int argc, char** argv, const std::filesystem::path& cacheRoot,
                  const std::filesystem::path& registryFile, const std::filesystem::path& copiesRoot,
                  const std::optional<TScreenshotRequest>& screenshot);

}  // namespace hoardscope
