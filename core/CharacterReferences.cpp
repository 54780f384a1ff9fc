// The character references of HTML text, decoded by the rules of the HTML tokenizer's character reference state.
#include "core/CharacterReferences.h"

#include <algorithm>
#include <array>

#include "core/TextEncodings.h"

namespace hoardscope {
namespace {

struct TNamedReference {
  std::string_view Name;  // as written after "&", with its ";" where it has one
  std::string_view Text;  // its characters as UTF-8
};

#include "NamedCharacterReferences.inc"

constexpr std::size_t kLongestName = 32;        // "CounterClockwiseContourIntegral;"
constexpr std::size_t kLongestLegacyName = 6;   // "middot", the longest of those also without ";"
constexpr char32_t kPastLastCodePoint = 0x110000;

bool IsAsciiDigit(char c) { return c >= '0' && c <= '9'; }
bool IsAsciiHexDigit(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }
bool IsAsciiAlphanumeric(char c) { return IsAsciiDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int DigitValue(char c) {
  if (IsAsciiDigit(c)) return c - '0';
  return (c | 0x20) - 'a' + 10;
}

const TNamedReference* FindNamed(std::string_view name) {
  const auto found = std::lower_bound(kNamedReferences.begin(), kNamedReferences.end(), name,
                                      [](const TNamedReference& entry, std::string_view key) { return entry.Name < key; });
  return found != kNamedReferences.end() && found->Name == name ? &*found : nullptr;
}

// A reference found at an "&": how many bytes it takes, the "&" included, and its characters. Length 0: none.
struct TReference {
  std::size_t Length = 0;
  std::string Text;
};

char32_t NumericReferenceCharacter(char32_t number) {
  if (number == 0 || number >= kPastLastCodePoint || (number >= 0xD800 && number <= 0xDFFF)) {
    return kReplacementCharacter;
  }
  if (number >= 0x80 && number <= 0x9F) return Windows1252HighCharacter(static_cast<unsigned char>(number));
  return number;
}

// "&#" then decimal digits, or "&#x" then hex digits, and an optional ";".
TReference NumericReference(std::string_view text) {
  const bool hex = text.size() > 2 && (text[2] == 'x' || text[2] == 'X');
  std::size_t end = hex ? 3 : 2;
  const std::size_t digitsStart = end;
  char32_t number = 0;
  while (end < text.size() && (hex ? IsAsciiHexDigit(text[end]) : IsAsciiDigit(text[end]))) {
    number = std::min<char32_t>(number * (hex ? 16 : 10) + DigitValue(text[end]), kPastLastCodePoint);
    ++end;
  }
  if (end == digitsStart) return {};
  if (end < text.size() && text[end] == ';') ++end;
  TReference reference{end, std::string()};
  AppendUtf8(reference.Text, NumericReferenceCharacter(number));
  return reference;
}

// The longest name of the list that follows the "&": with its ";", or a legacy one without it.
TReference NamedReference(std::string_view text, TReferenceContext context) {
  std::size_t run = 1;
  while (run < text.size() && run <= kLongestName && IsAsciiAlphanumeric(text[run])) ++run;
  if (run < text.size() && text[run] == ';') {
    if (const TNamedReference* named = FindNamed(text.substr(1, run))) return {run + 1, std::string(named->Text)};
  }
  for (std::size_t end = std::min(run, kLongestLegacyName + 1); end > 1; --end) {
    const TNamedReference* named = FindNamed(text.substr(1, end - 1));
    if (!named) continue;
    const bool followedByNameCharacter = end < text.size() && (text[end] == '=' || IsAsciiAlphanumeric(text[end]));
    if (context == TReferenceContext::AttributeValue && followedByNameCharacter) return {};
    return {end, std::string(named->Text)};
  }
  return {};
}

TReference ReferenceAt(std::string_view text, TReferenceContext context) {
  if (text.size() < 2) return {};
  if (text[1] == '#') return NumericReference(text);
  if (IsAsciiAlphanumeric(text[1])) return NamedReference(text, context);
  return {};
}

}  // namespace

std::string DecodeCharacterReferences(std::string_view text, TReferenceContext context) {
  std::string decoded;
  decoded.reserve(text.size());
  std::size_t done = 0;
  for (std::size_t amp = text.find('&'); amp != std::string_view::npos; amp = text.find('&', amp + 1)) {
    const TReference reference = ReferenceAt(text.substr(amp), context);
    if (reference.Length == 0) continue;
    decoded.append(text.substr(done, amp - done));
    decoded += reference.Text;
    done = amp + reference.Length;
    amp = done - 1;
  }
  decoded.append(text.substr(done));
  return decoded;
}

}  // namespace hoardscope
