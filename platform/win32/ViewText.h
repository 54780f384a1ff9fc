// The texts the view shows, between the portable code's 8-bit strings and the controls' UTF-16. Captions and the
// names of the view are UTF-8; a text that is not valid UTF-8 still comes from the ANSI code page (a path of the
// system's A functions) and is read as such.
#pragma once

#include <string>
#include <string_view>

namespace hoardscope {

std::wstring WideOfViewText(std::string_view text);
// The text in this code page (CP_ACP: the ANSI code page) as UTF-16, what the page does not define as its
// replacement character; empty when the code page is not installed.
std::wstring WideOfCodePage(unsigned codePage, std::string_view text);
// The control's text as UTF-8.
std::string ViewTextOfWide(std::wstring_view wide);
// The text in the ANSI code page, for a control that takes the A messages ("?" for what the page lacks).
std::string AnsiOfViewText(std::string_view text);

}  // namespace hoardscope
