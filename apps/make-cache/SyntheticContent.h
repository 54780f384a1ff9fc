// Contents of make-cache's synthetic entries: real text for pages, scripts, stylesheets and plain text (so that a
// search has words to scan), and the opening bytes of the real formats followed by filler for pictures and media.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "SplitMix64.h"

namespace hoardscope {

enum class TContentKind { Page, Script, Stylesheet, PlainText, Gif, Png, Jpeg, Mp3, Wav, Mp4, Flash };

// The word that about one page in a hundred holds, for search benchmarks.
inline constexpr std::string_view kSearchNeedle = "hoardscope-needle";

// A content of this kind of about targetSize bytes: never shorter than what the format needs, and otherwise at
// most one block of lines (a paragraph, a rule, a function) longer. Text uses LF, CR LF or both, as the entry's
// server did.
std::string MakeContent(TContentKind kind, std::size_t targetSize, TSplitMix64& random);

// A word of the synthetic texts (all in small letters), and one with a capital first letter.
std::string_view RandomWord(TSplitMix64& random);
std::string CapitalisedWord(TSplitMix64& random);

}  // namespace hoardscope
