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

#include "platform/browser/PageSource.h"

class QWebEngineProfile;

namespace hoardscope {

class TCacheSchemeHandler;
class TFetchQueue;
class TRequestInterceptor;

class TPagePane : public QWebEngineView {
  Q_OBJECT

 public:
  // sources: the browsers' caches the bar may have the pane show pages from.
  TPagePane(TFetchQueue& fetches, TPageSources& sources, QWidget* parent = nullptr);
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
  // Loads a web URL from the named browser's cache (a name the bar's cache sources give): the page, what it loads
  // and the pages it leads to come from that source, under their own URLs, until the next navigation from the bar
  // without a source or the next URL typed or opened. The platform's name loads the URL as NavigateTo does.
  // Raises BrowserError when the name names no source or the text is no web URL.
  void NavigateFromSource(const std::string& url, const std::string& source);
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

  // Loads a URL whose requests the source answers (none: the HTTP layer).
  void ShowFrom(TShownSource shown, const QUrl& url);

  TPageSources& FSources;
  bool FWorkOffline = false;
  TShownSource FShown;  // asked by the handler on the window's thread, at the start of each request
  // Cache keys of the URLs navigated to, under the key the engine's form of the URL gives.
  std::map<QString, std::string> FNavigatedKeys;
  // Destroyed from the last: the page before its profile, the profile before its handlers.
  std::unique_ptr<TCacheSchemeHandler> FHandler;
  std::unique_ptr<TRequestInterceptor> FInterceptor;
  std::unique_ptr<QWebEngineProfile> FProfile;
  std::unique_ptr<QWebEnginePage> FPage;
};

}  // namespace hoardscope
