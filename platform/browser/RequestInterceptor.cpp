// The page pane's request interceptor.
#include "platform/browser/RequestInterceptor.h"

#include <QDir>
#include <QWebEngineUrlRequestInfo>

#include "platform/browser/PagePaneUrls.h"

namespace hoardscope {
namespace {

// Schemes whose requests are answered inside the page or the engine itself.
bool StaysLocal(const QUrl& url) {
  const QString scheme = url.scheme();
  return IsCacheUrl(url) || scheme == QLatin1String("data") || scheme == QLatin1String("blob") ||
         scheme == QLatin1String("about");
}

}  // namespace

void TRequestInterceptor::interceptRequest(QWebEngineUrlRequestInfo& info) {
  const QUrl url = info.requestUrl();
  if (IsWebUrl(url)) {
    info.redirect(ToCacheUrl(url));
  } else if (!StaysLocal(url) && !IsAllowedLocalFile(url)) {
    info.block(true);  // web sockets, ftp, other local files: nothing the pane fetches outside the HTTP layer
  }
}

void TRequestInterceptor::AllowLocalFolder(const QString& folder) {
  const std::lock_guard<std::mutex> guard(FLock);
  FLocalFolder = QDir::cleanPath(folder);
}

bool TRequestInterceptor::IsAllowedLocalFile(const QUrl& url) {
  if (!url.isLocalFile()) return false;
  const QString file = QDir::cleanPath(url.toLocalFile());
  const std::lock_guard<std::mutex> guard(FLock);
  return !FLocalFolder.isEmpty() && file.startsWith(FLocalFolder + QLatin1Char('/'));
}

}  // namespace hoardscope
