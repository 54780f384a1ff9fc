// The shown copy of a browser cache's page, for a browser that can only be sent to files (the system browser on
// Windows): the page's HTML with its links to what the cache holds pointed at those entries' decoded copies.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace hoardscope {

// The file URL of an absolute local path: file:///C:/dir/a%20b.png for a Windows path, file:///dir/a%20b.png for
// a Linux one, file://server/share/a.png for a UNC path; every byte but letters, digits, "-._~/:" percent-encoded.
std::string FileUrlOf(const std::string& path);

// Gives the local file of the cache's entry of a URL (made ready to be read), or nullopt when the cache holds none.
using TLocalFileOfUrl = std::function<std::optional<std::string>(const std::string& url)>;

// The page's HTML with every link attribute rewritten: a link resolved against pageUrl (RFC 3986) that the cache
// holds points at the file URL of its local file, fragment kept; any other relative link is written as the web URL
// it stands for, so that it leads where the page meant rather than into the copies' folders. Links within the page
// ("#part"), absolute links the cache lacks and links of other schemes stay as they are, as does every other byte.
std::string LinkPageToCopies(std::string_view html, const std::string& pageUrl, const TLocalFileOfUrl& localFileOf);

}  // namespace hoardscope
