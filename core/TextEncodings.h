// The encodings of web pages: the labels browsers accept for them, and the decoders of UTF-8, windows-1252,
// UTF-16 and x-user-defined that need no platform; every other encoding goes through the text converter port.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/TextConverter.h"

namespace hoardscope {

inline constexpr char32_t kReplacementCharacter = 0xFFFD;

// Appends the UTF-8 form of a code point (a surrogate or a number past U+10FFFF as U+FFFD).
void AppendUtf8(std::string& out, char32_t codePoint);

// The character windows-1252 gives a byte of 0x80-0x9F (the five bytes it leaves unassigned map to the C1
// control of the same number).
char32_t Windows1252HighCharacter(unsigned char byte);

// The encoding a label names, as browsers map labels ("latin1", "ISO-8859-1" and "ascii" name windows-1252,
// "sjis" names shift_jis): its lower-case name; nullopt for a label browsers do not know. White space around the
// label and the letter case do not matter.
std::optional<std::string_view> EncodingOfLabel(std::string_view label);

// Whether an encoding keeps the bytes of ASCII for ASCII's characters alone, so that a page's markup can be read
// before its text is decoded: every encoding but UTF-16 and ISO-2022-JP (and "replacement", which has no text).
bool IsAsciiCompatible(std::string_view encoding);

// The bytes in this encoding (a name EncodingOfLabel gives) as UTF-8, each malformed or unassigned sequence as
// U+FFFD. UTF-8, windows-1252, UTF-16LE/BE and x-user-defined are decoded here; the others by converter. Without
// a converter, or where it lacks the encoding, ASCII stays and every other byte becomes U+FFFD. The "replacement"
// encoding gives "".
std::string DecodeText(std::string_view bytes, std::string_view encoding, ITextConverter* converter);

// Whether the bytes are well-formed UTF-8 throughout.
bool IsValidUtf8(std::string_view bytes);

// The bytes as UTF-8, each malformed sequence (its longest start that could have been valid) as U+FFFD.
std::string DecodeUtf8(std::string_view bytes);

}  // namespace hoardscope
