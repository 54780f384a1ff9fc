// ResolveURL: the URL under which a movie named relative to its page is looked up in the cache.
#pragma once

#include <string>

namespace hoardscope {

// Resolves text as a reference against base by the rules of RFC 3986 (section 5.2), so "movie.swf" with base
// "http://h/dir/page.html" gives "http://h/dir/movie.swf". An empty text, or a base that is not an absolute URL
// with a host ("scheme://authority..."), leaves the text unchanged.
std::string ResolveURL(const std::string& text, const std::string& base);

}  // namespace hoardscope
