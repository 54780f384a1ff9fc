// The response record that Chromium keeps as an entry's stream 0 (a pickle of its response info), read by both
// of its disk cache backends.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

struct TChromiumResponseInfo {
  FileTime RequestTime = 0;
  FileTime ResponseTime = 0;
  std::string Headers;   // the status line and each header line ending in CR LF, then an empty line
};

// Reads stream 0; nullopt when it is not a response record or runs past its end.
std::optional<TChromiumResponseInfo> ParseChromiumResponseInfo(std::string_view stream0);

}  // namespace hoardscope
