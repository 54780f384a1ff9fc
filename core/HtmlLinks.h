// RewriteLinks: a page with the URLs its tags name replaced, for showing a cached page whose links lead to
// other cached copies.
#pragma once

#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace hoardscope {

// Rewrites the values of the URL attributes of a page's tags (href, src and the like of a, area, link, img,
// script, iframe, frame, embed, source, audio, video, input, ...), outside comments, scripts and styles: each
// value for which replacement gives a new one (it gets the value with character references decoded) is
// written anew, quoted and escaped; every other byte stays as it was. A srcset is a list of URLs: replacement
// gets each of them.
std::string RewriteLinks(std::string_view html,
                         const std::function<std::optional<std::string>(const std::string& value)>& replacement);

}  // namespace hoardscope
