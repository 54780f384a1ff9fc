// ResolveURL: the URL a reference of a page names, such as a movie or a link relative to its page.
#pragma once

#include <string>
#include <string_view>

namespace hoardscope {

// Resolves text as a reference against base by the rules of RFC 3986 (section 5.2), so "movie.swf" with base
// "http://h/dir/page.html" gives "http://h/dir/movie.swf". An empty text, or a base that is not an absolute URL
// with a host ("scheme://authority..."), leaves the text unchanged.
std::string ResolveURL(const std::string& text, const std::string& base);

// Whether text is an absolute URL, one that begins with a scheme and its colon ("mailto:", "http:"); a reference
// relative to its page has none.
bool HasScheme(std::string_view text);

}  // namespace hoardscope
