// Whether a cached text file holds a text on one of its lines: lines end at CR (a LF right after it belongs to
// no line), a Ctrl-Z ends the text, and a match never spans a line end.
#pragma once

#include <string>
#include <string_view>

namespace hoardscope {

enum class TFileSearchResult { Found, NotFound, Unreadable };

// The needle as the search looks for it: itself when case matters, else folded to lower case in ASCII.
std::string SearchNeedle(std::string_view text, bool caseSensitive);

// Reads the file sequentially in large blocks and stops at the first match. needle must already be prepared by
// SearchNeedle; an empty needle matches nothing.
TFileSearchResult SearchFile(const std::string& path, std::string_view needle, bool caseSensitive);

// The same test over text already in memory (the whole of a file's content).
bool TextContains(std::string_view text, std::string_view needle, bool caseSensitive);

}  // namespace hoardscope
