// TPagePane: the browser window's page pane, a web view whose every request goes through the HTTP layer (see
// PagePaneUrls.h): online pages are stored in the cache as they are shown, offline pages come from the cache
// alone. Each pane has a profile of its own, so that each window's Work Offline setting applies to its pages only.
#pragma once

#include <QUrl>
#include <QWebEngineView>
#include <map>
#include <memory>
#include <string>
#include <vector>

class QWebEngineProfile;

namespace hoardscope {

class TCacheSchemeHandler;
class TFetchQueue;
class TRequestInterceptor;

class TPagePane : public QWebEngineView {
  Q_OBJECT

 public:
  explicit TPagePane(TFetchQueue& fetches, QWidget* parent = nullptr);
  ~TPagePane() override;

  // The pane's own Work Offline setting; the pane works offline when it is on or when the process has been
  // forced offline.
  void SetWorkOffline(bool workOffline);
  bool WorkOffline() const { return FWorkOffline; }
  bool IsOffline() const;

  // Loads a URL given as the cache lists it, or an "about:" page of the engine. The cache's text of the URL is remembered, so that offline it is
  // found even where the engine writes the URL differently (an upper-case scheme, say). Raises BrowserError when
  // the text is no URL the pane can load.
  void NavigateTo(const std::string& url);
  // Loads a URL the user typed.
  void LoadTyped(const QString& text);
  // Shows a web URL, or a local page (a file URL) together with the files of its folder.
  void Open(const QUrl& url);

  // The web address of the page shown (http or https, never the cache scheme).
  QUrl WebUrl() const;

 signals:
  void WebUrlChanged(const QUrl& webUrl);

 protected:
  // Pages that open a window are shown in this pane.
  QWebEngineView* createWindow(QWebEnginePage::WebWindowType type) override;

 private:
  std::vector<std::string> CacheKeysOf(const QUrl& webUrl) const;

  bool FWorkOffline = false;
  // Cache keys of the URLs navigated to, under the key the engine's form of the URL gives.
  std::map<QString, std::string> FNavigatedKeys;
  // Destroyed from the last: the page before its profile, the profile before its handlers.
  std::unique_ptr<TCacheSchemeHandler> FHandler;
  std::unique_ptr<TRequestInterceptor> FInterceptor;
  std::unique_ptr<QWebEngineProfile> FProfile;
  std::unique_ptr<QWebEnginePage> FPage;
};

}  // namespace hoardscope
