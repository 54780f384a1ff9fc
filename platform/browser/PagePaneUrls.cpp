// Mapping between web URLs and the page pane's cache-scheme URLs.
#include "platform/browser/PagePaneUrls.h"

#include <QWebEngineUrlScheme>

namespace hoardscope {
namespace {

constexpr int kHttpPort = 80;
constexpr int kHttpsPort = 443;

void RegisterScheme(const char* name, int defaultPort, QWebEngineUrlScheme::Flags flags) {
  QWebEngineUrlScheme scheme(name);
  scheme.setSyntax(QWebEngineUrlScheme::Syntax::HostAndPort);
  scheme.setDefaultPort(defaultPort);
  scheme.setFlags(flags | QWebEngineUrlScheme::CorsEnabled | QWebEngineUrlScheme::ViewSourceAllowed);
  QWebEngineUrlScheme::registerScheme(scheme);
}

QUrl WithScheme(QUrl url, const QString& scheme, int defaultPort) {
  url.setScheme(scheme);
  if (url.port() == defaultPort) url.setPort(-1);
  return url;
}

}  // namespace

void RegisterCacheSchemes() {
  RegisterScheme(kCacheScheme, kHttpPort, {});
  RegisterScheme(kSecureCacheScheme, kHttpsPort, QWebEngineUrlScheme::SecureScheme);
}

bool IsCacheUrl(const QUrl& url) {
  const QString scheme = url.scheme();
  return scheme == QLatin1String(kCacheScheme) || scheme == QLatin1String(kSecureCacheScheme);
}

bool IsWebUrl(const QUrl& url) {
  const QString scheme = url.scheme();
  return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

QUrl ToCacheUrl(const QUrl& webUrl) {
  if (webUrl.scheme() == QLatin1String("http")) return WithScheme(webUrl, kCacheScheme, kHttpPort);
  if (webUrl.scheme() == QLatin1String("https")) return WithScheme(webUrl, kSecureCacheScheme, kHttpsPort);
  return webUrl;
}

QUrl ToWebUrl(const QUrl& url) {
  if (url.scheme() == QLatin1String(kCacheScheme)) return WithScheme(url, "http", kHttpPort);
  if (url.scheme() == QLatin1String(kSecureCacheScheme)) return WithScheme(url, "https", kHttpsPort);
  return url;
}

QString CacheKeyOf(const QUrl& webUrl) {
  QUrl key = webUrl.adjusted(QUrl::RemoveFragment);
  if (key.path().isEmpty()) key.setPath(QStringLiteral("/"));
  if (key.port() == (key.scheme() == QLatin1String("https") ? kHttpsPort : kHttpPort)) key.setPort(-1);
  return key.toString(QUrl::FullyEncoded);
}

}  // namespace hoardscope
