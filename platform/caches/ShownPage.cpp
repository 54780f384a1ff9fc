// Pointing a cached page's links at the decoded copies of what its cache holds.
#include "platform/caches/ShownPage.h"

#include "core/HtmlLinks.h"
#include "core/ResolveURL.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

bool StaysAsWritten(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
         c == '_' || c == '~' || c == '/' || c == ':';
}

}  // namespace

std::string FileUrlOf(const std::string& path) {
  std::string slashed = path;
  for (char& c : slashed) {
    if (c == '\\') c = '/';
  }
  // A UNC path names its server where a URL names its host; a drive path begins below an empty host.
  std::string url = slashed.starts_with("//") ? "file:" : slashed.starts_with('/') ? "file://" : "file:///";
  constexpr char kHexDigits[] = "0123456789ABCDEF";
  for (const char c : slashed) {
    if (StaysAsWritten(c)) {
      url += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      url += {'%', kHexDigits[byte >> 4], kHexDigits[byte & 0xF]};
    }
  }
  return url;
}

std::string LinkPageToCopies(std::string_view html, const std::string& pageUrl, const TLocalFileOfUrl& localFileOf) {
  return RewriteLinks(html, [&](const std::string& link) -> std::optional<std::string> {
    const bool relative = !HasScheme(link);
    if (link.empty() || link.starts_with('#') || (!relative && WebSchemeLength(link) == 0)) return std::nullopt;
    const std::string target = ResolveURL(link, pageUrl);
    const std::size_t hash = target.find('#');
    if (const std::optional<std::string> file = localFileOf(target.substr(0, hash))) {
      return FileUrlOf(*file) + (hash == std::string::npos ? std::string() : target.substr(hash));
    }
    return relative ? std::optional<std::string>(target) : std::nullopt;
  });
}

}  // namespace hoardscope
