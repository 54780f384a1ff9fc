// Facts taken from a stored response's header block, whichever cache stored it: a header's value, HTTP dates and
// the response's expiry.
#pragma once

#include <string_view>

#include "platform/ports/UrlCacheReader.h"

namespace hoardscope {

// The value of the first header of this name (letter case ignored), without surrounding blanks; empty when
// absent. The status line is not a header.
std::string_view HeaderValueOf(std::string_view headers, std::string_view name);

// An HTTP date (any of the three forms HTTP allows) as a FileTime; 0 when the text is not one.
FileTime ParseHttpDate(std::string_view text);

// When the response expires: Cache-Control's max-age counted from responded (0: from its Date header), else its
// Expires header; 0 when it says neither.
FileTime ExpiryOfHeaders(std::string_view headers, FileTime responded);

}  // namespace hoardscope
