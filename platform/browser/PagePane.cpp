// The page pane: its profile with the cache schemes' handler and the request interceptor.
#include "platform/browser/PagePane.h"

#include <QFileInfo>
#include <QWebEngineProfile>
#include <QWebEngineSettings>

#include "platform/linux/com/ConnectedState.h"
#include "platform/ports/Browser.h"
#include "platform/browser/CacheSchemeHandler.h"
#include "platform/browser/PagePaneUrls.h"
#include "platform/browser/RequestInterceptor.h"

namespace hoardscope {

TPagePane::TPagePane(TFetchQueue& fetches, TPageSources& sources, QWidget* parent)
    : QWebEngineView(parent),
      FSources(sources),
      FHandler(std::make_unique<TCacheSchemeHandler>(
          fetches, [this] { return IsOffline(); }, [this](const QUrl& webUrl) { return CacheKeysOf(webUrl); },
          [this] { return FShown; })),
      FInterceptor(std::make_unique<TRequestInterceptor>()),
      FProfile(std::make_unique<QWebEngineProfile>()) {  // off the record: nothing of it is kept on disk
  FProfile->installUrlSchemeHandler(kCacheScheme, FHandler.get());
  FProfile->installUrlSchemeHandler(kSecureCacheScheme, FHandler.get());
  FProfile->setUrlRequestInterceptor(FInterceptor.get());
  FPage = std::make_unique<QWebEnginePage>(FProfile.get());
  setPage(FPage.get());
  connect(this, &QWebEngineView::urlChanged, this, [this](const QUrl& url) { emit WebUrlChanged(ToWebUrl(url)); });
}

// The page lets go of this view as it goes; the address it then leaves is nobody's news.
TPagePane::~TPagePane() {
  disconnect(this, &QWebEngineView::urlChanged, this, nullptr);
  FPage.reset();
}

void TPagePane::SetWorkOffline(bool workOffline) { FWorkOffline = workOffline; }

bool TPagePane::IsOffline() const { return FWorkOffline || TConnectedState::ForcedOffline(); }

void TPagePane::NavigateTo(const std::string& url) {
  const QUrl webUrl(QString::fromStdString(url), QUrl::StrictMode);
  if (webUrl.isValid() && webUrl.scheme() == QLatin1String("about")) {
    ShowFrom({}, webUrl);  // the engine's own pages, such as the empty one a removed file's page gives way to
    return;
  }
  if (!webUrl.isValid() || !IsWebUrl(webUrl)) throw BrowserError{"cannot show " + url};
  FNavigatedKeys[CacheKeyOf(webUrl)] = url;
  ShowFrom({}, webUrl);
}

void TPagePane::NavigateFromSource(const std::string& url, const std::string& source) {
  std::shared_ptr<TPageSource> opened = FSources.Open(source);
  if (!opened) return NavigateTo(url);
  // A browser's cache holds URLs as the browser wrote them, which need not be strict.
  const QUrl webUrl(QString::fromStdString(url));
  if (!webUrl.isValid() || !IsWebUrl(webUrl)) throw BrowserError{"cannot show " + url};
  ShowFrom({std::move(opened), CacheKeyOf(webUrl)}, webUrl);
}

void TPagePane::LoadTyped(const QString& text) {
  const QUrl url = QUrl::fromUserInput(text.trimmed());
  if (url.isValid()) ShowFrom({}, url);
}

void TPagePane::Open(const QUrl& url) {
  if (url.isLocalFile()) FInterceptor->AllowLocalFolder(QFileInfo(url.toLocalFile()).absolutePath());
  ShowFrom({}, url);
}

void TPagePane::ShowFrom(TShownSource shown, const QUrl& url) {
  FShown = std::move(shown);
  load(url);
}

QUrl TPagePane::WebUrl() const { return ToWebUrl(url()); }

QWebEngineView* TPagePane::createWindow(QWebEnginePage::WebWindowType) { return this; }

std::vector<std::string> TPagePane::CacheKeysOf(const QUrl& webUrl) const {
  const QString key = CacheKeyOf(webUrl);
  std::vector<std::string> keys{key.toStdString()};
  const auto navigated = FNavigatedKeys.find(key);
  if (navigated != FNavigatedKeys.end() && navigated->second != keys.front()) keys.push_back(navigated->second);
  return keys;
}

}  // namespace hoardscope
