// The page pane's own URL schemes. Qt WebEngine lets no handler answer http and https itself, so the page pane
// loads http://host/path as hscache://host/path (https as hscaches) and answers those through the HTTP layer.
// Both schemes have hosts and ports like their web counterparts, so relative links of a page resolve as they
// would on the web; what the user sees is always the web URL.
#pragma once

#include <QString>
#include <QUrl>

namespace hoardscope {

inline constexpr char kCacheScheme[] = "hscache";
inline constexpr char kSecureCacheScheme[] = "hscaches";

// Registers both schemes with Qt WebEngine. Must run before the application object is created.
void RegisterCacheSchemes();

// http(s) URL -> its cache-scheme URL, and back. Other URLs come back unchanged.
QUrl ToCacheUrl(const QUrl& webUrl);
QUrl ToWebUrl(const QUrl& url);
bool IsCacheUrl(const QUrl& url);
bool IsWebUrl(const QUrl& url);

// The text under which the HTTP layer fetches and stores a web URL: fully percent-encoded, without fragment, an
// empty path written "/", the scheme's default port left out.
QString CacheKeyOf(const QUrl& webUrl);

}  // namespace hoardscope
