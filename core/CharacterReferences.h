// Decoding the character references of HTML text (&amp; &#8212; &#x2014; &copy) as a browser's tokenizer does.
#pragma once

#include <string>
#include <string_view>

namespace hoardscope {

// Where the text stands: in an attribute's value a named reference without its ";" that an "=" or a letter or
// digit follows stays as written, as browsers keep it for the URLs of old pages ("?a=1&copy=2").
enum class TReferenceContext { Text, AttributeValue };

// The UTF-8 text with every character reference replaced by its characters: named ones from the whole HTML list
// (the legacy names also without ";"), decimal and hex ones by the browsers' rules (0, surrogates and numbers past
// U+10FFFF give U+FFFD; 0x80-0x9F give the windows-1252 characters of those bytes). Every other byte stays.
std::string DecodeCharacterReferences(std::string_view text, TReferenceContext context);

}  // namespace hoardscope
