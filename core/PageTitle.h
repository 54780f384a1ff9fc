// The caption of a cached file: the title a browser's tab shows for its page, or else its undecorated file name.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/URLInfo.h"
#include "platform/ports/TextConverter.h"
#include "platform/ports/UrlCacheReader.h"

namespace hoardscope {

// How much of a body a title is looked for in: a first read that holds the title of nearly every page, and the
// most that is ever read when it does not.
inline constexpr std::size_t kTitleFirstRead = 8 * 1024;
inline constexpr std::size_t kTitleMostRead = 256 * 1024;

// Whether a browser shows a page's title for a body of this content type (a record's ContentType): HTML and
// XHTML, and bodies without a known type ("Unknown", "Unknown type"), which a browser would sniff.
bool ShowsPageTitle(std::string_view contentType);

// The title of the page whose body begins with bytes (the whole body when complete), served with this content
// type, as a tab shows it: its first title element's text, found and decoded as a browser does, white space
// collapsed, as UTF-8; "" when it has none. nullopt when the bytes end before the title does and more of the
// body could tell. The encoding is the body's byte order mark's, else the content type's charset, else the one
// its meta tags declare, else UTF-8 where the title's bytes are valid UTF-8 beyond ASCII, else windows-1252.
std::optional<std::string> PageTitleOf(std::string_view bytes, bool complete, std::string_view contentType,
                                       ITextConverter* converter);

// The caption of a listed cache record, as UTF-8: the title of its page for the types that show one, read from
// the start of its body; else, or when that has none or cannot be had, its local file's undecorated name.
// nullopt when a page's local file is gone, which leaves the caption as it is.
std::optional<std::string> FileCaptionOf(IUrlCacheReader& cache, const TURLInfo& info, ITextConverter* converter);

}  // namespace hoardscope
