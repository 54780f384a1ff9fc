// Encoding labels as browsers read them, and the decoders that need no platform.
#include "core/TextEncodings.h"

#include <array>
#include <unordered_map>

#include "core/Tools.h"

namespace hoardscope {
namespace {

struct TEncodingLabels {
  std::string_view Encoding;
  std::string_view Labels;  // separated by spaces
};

// The labels of the web's encodings, as the browsers' encoding table gives them.
constexpr std::array<TEncodingLabels, 40> kEncodingLabels{{
    {"utf-8", "unicode-1-1-utf-8 unicode11utf8 unicode20utf8 utf-8 utf8 x-unicode20utf8"},
    {"ibm866", "866 cp866 csibm866 ibm866"},
    {"iso-8859-2", "csisolatin2 iso-8859-2 iso-ir-101 iso8859-2 iso88592 iso_8859-2 iso_8859-2:1987 l2 latin2"},
    {"iso-8859-3", "csisolatin3 iso-8859-3 iso-ir-109 iso8859-3 iso88593 iso_8859-3 iso_8859-3:1988 l3 latin3"},
    {"iso-8859-4", "csisolatin4 iso-8859-4 iso-ir-110 iso8859-4 iso88594 iso_8859-4 iso_8859-4:1988 l4 latin4"},
    {"iso-8859-5", "csisolatincyrillic cyrillic iso-8859-5 iso-ir-144 iso8859-5 iso88595 iso_8859-5 iso_8859-5:1988"},
    {"iso-8859-6", "arabic asmo-708 csiso88596e csiso88596i csisolatinarabic ecma-114 iso-8859-6 iso-8859-6-e "
                   "iso-8859-6-i iso-ir-127 iso8859-6 iso88596 iso_8859-6 iso_8859-6:1987"},
    {"iso-8859-7", "csisolatingreek ecma-118 elot_928 greek greek8 iso-8859-7 iso-ir-126 iso8859-7 iso88597 "
                   "iso_8859-7 iso_8859-7:1987 sun_eu_greek"},
    {"iso-8859-8", "csiso88598e csisolatinhebrew hebrew iso-8859-8 iso-8859-8-e iso-ir-138 iso8859-8 iso88598 "
                   "iso_8859-8 iso_8859-8:1988 visual"},
    {"iso-8859-8-i", "csiso88598i iso-8859-8-i logical"},
    {"iso-8859-10", "csisolatin6 iso-8859-10 iso-ir-157 iso8859-10 iso885910 l6 latin6"},
    {"iso-8859-13", "iso-8859-13 iso8859-13 iso885913"},
    {"iso-8859-14", "iso-8859-14 iso8859-14 iso885914"},
    {"iso-8859-15", "csisolatin9 iso-8859-15 iso8859-15 iso885915 iso_8859-15 l9"},
    {"iso-8859-16", "iso-8859-16"},
    {"koi8-r", "cskoi8r koi koi8 koi8-r koi8_r"},
    {"koi8-u", "koi8-ru koi8-u"},
    {"macintosh", "csmacintosh mac macintosh x-mac-roman"},
    {"windows-874", "dos-874 iso-8859-11 iso8859-11 iso885911 tis-620 windows-874"},
    {"windows-1250", "cp1250 windows-1250 x-cp1250"},
    {"windows-1251", "cp1251 windows-1251 x-cp1251"},
    {"windows-1252", "ansi_x3.4-1968 ascii cp1252 cp819 csisolatin1 ibm819 iso-8859-1 iso-ir-100 iso8859-1 iso88591 "
                     "iso_8859-1 iso_8859-1:1987 l1 latin1 us-ascii windows-1252 x-cp1252"},
    {"windows-1253", "cp1253 windows-1253 x-cp1253"},
    {"windows-1254", "cp1254 csisolatin5 iso-8859-9 iso-ir-148 iso8859-9 iso88599 iso_8859-9 iso_8859-9:1989 l5 "
                     "latin5 windows-1254 x-cp1254"},
    {"windows-1255", "cp1255 windows-1255 x-cp1255"},
    {"windows-1256", "cp1256 windows-1256 x-cp1256"},
    {"windows-1257", "cp1257 windows-1257 x-cp1257"},
    {"windows-1258", "cp1258 windows-1258 x-cp1258"},
    {"x-mac-cyrillic", "x-mac-cyrillic x-mac-ukrainian"},
    {"gbk", "chinese csgb2312 csiso58gb231280 gb2312 gb_2312 gb_2312-80 gbk iso-ir-58 x-gbk"},
    {"gb18030", "gb18030"},
    {"big5", "big5 big5-hkscs cn-big5 csbig5 x-x-big5"},
    {"euc-jp", "cseucpkdfmtjapanese euc-jp x-euc-jp"},
    {"iso-2022-jp", "csiso2022jp iso-2022-jp"},
    {"shift_jis", "csshiftjis ms932 ms_kanji shift-jis shift_jis sjis windows-31j x-sjis"},
    {"euc-kr", "cseuckr csksc56011987 euc-kr iso-ir-149 korean ks_c_5601-1987 ks_c_5601-1989 ksc5601 ksc_5601 "
               "windows-949"},
    {"replacement", "csiso2022kr hz-gb-2312 iso-2022-cn iso-2022-cn-ext iso-2022-kr replacement"},
    {"utf-16be", "unicodefffe utf-16be"},
    {"utf-16le", "csunicode iso-10646-ucs-2 ucs-2 unicode unicodefeff utf-16 utf-16le"},
    {"x-user-defined", "x-user-defined"},
}};

// windows-1252 from 0x80 to 0x9F.
constexpr std::array<char16_t, 32> kWindows1252High{
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D,
    0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A,
    0x0153, 0x009D, 0x017E, 0x0178};

const std::unordered_map<std::string_view, std::string_view>& EncodingsByLabel() {
  static const std::unordered_map<std::string_view, std::string_view> byLabel = [] {
    std::unordered_map<std::string_view, std::string_view> map;
    for (const TEncodingLabels& entry : kEncodingLabels) {
      std::string_view labels = entry.Labels;
      while (!labels.empty()) {
        const std::size_t space = labels.find(' ');
        map.emplace(labels.substr(0, space), entry.Encoding);
        labels = space == std::string_view::npos ? std::string_view() : labels.substr(space + 1);
      }
    }
    return map;
  }();
  return byLabel;
}

std::string DecodeWindows1252(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size() + bytes.size() / 8);
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x80) {
      text += c;
    } else {
      AppendUtf8(text, byte <= 0x9F ? Windows1252HighCharacter(byte) : char32_t{byte});
    }
  }
  return text;
}

std::string DecodeUtf16(std::string_view bytes, bool bigEndian) {
  std::string text;
  text.reserve(bytes.size());
  auto unitAt = [&](std::size_t i) -> char32_t {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    return bigEndian ? (first << 8 | second) : (second << 8 | first);
  };
  std::size_t i = 0;
  for (; i + 1 < bytes.size(); i += 2) {
    const char32_t unit = unitAt(i);
    if (unit >= 0xD800 && unit <= 0xDBFF && i + 3 < bytes.size()) {
      const char32_t next = unitAt(i + 2);
      if (next >= 0xDC00 && next <= 0xDFFF) {
        AppendUtf8(text, 0x10000 + ((unit - 0xD800) << 10) + (next - 0xDC00));
        i += 2;
        continue;
      }
    }
    AppendUtf8(text, unit);  // a lone surrogate becomes U+FFFD there
  }
  if (i < bytes.size()) AppendUtf8(text, kReplacementCharacter);  // half a code unit at the end
  return text;
}

// x-user-defined: ASCII, and each other byte as a character of the private use area.
std::string DecodeUserDefined(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    AppendUtf8(text, byte < 0x80 ? char32_t{byte} : 0xF700 + byte);
  }
  return text;
}

std::string AsciiOnly(std::string_view bytes) {
  std::string text;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80) {
      text += c;
    } else {
      AppendUtf8(text, kReplacementCharacter);
    }
  }
  return text;
}

// The UTF-8 sequence at the start of bytes: its length and whether it is whole and valid. A sequence that is not
// takes its lead byte and the bytes after it that could still have continued it (one U+FFFD stands for them).
struct TUtf8Sequence {
  std::size_t Length = 1;
  bool Valid = true;
};

TUtf8Sequence Utf8SequenceAt(std::string_view bytes) {
  const auto lead = static_cast<unsigned char>(bytes[0]);
  if (lead < 0x80) return {1, true};
  std::size_t length = 0;
  unsigned char low = 0x80;
  unsigned char high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // no overlong forms
    if (lead == 0xED) high = 0x9F;  // no surrogates
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;  // nothing past U+10FFFF
  } else {
    return {1, false};
  }
  std::size_t taken = 1;
  while (taken < length && taken < bytes.size()) {
    const auto byte = static_cast<unsigned char>(bytes[taken]);
    if (byte < low || byte > high) break;
    low = 0x80;
    high = 0xBF;
    ++taken;
  }
  return {taken, taken == length};
}

}  // namespace

void AppendUtf8(std::string& out, char32_t codePoint) {
  if (codePoint >= 0x110000 || (codePoint >= 0xD800 && codePoint <= 0xDFFF)) codePoint = kReplacementCharacter;
  if (codePoint < 0x80) {
    out += static_cast<char>(codePoint);
  } else if (codePoint < 0x800) {
    out += static_cast<char>(0xC0 | (codePoint >> 6));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else if (codePoint < 0x10000) {
    out += static_cast<char>(0xE0 | (codePoint >> 12));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (codePoint >> 18));
    out += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (codePoint & 0x3F));
  }
}

char32_t Windows1252HighCharacter(unsigned char byte) { return kWindows1252High[byte - 0x80]; }

std::optional<std::string_view> EncodingOfLabel(std::string_view label) {
  const std::string folded = LowerAscii(TrimHtmlSpace(label));
  const auto& byLabel = EncodingsByLabel();
  const auto found = byLabel.find(folded);
  if (found == byLabel.end()) return std::nullopt;
  return found->second;
}

bool IsAsciiCompatible(std::string_view encoding) {
  return encoding != "utf-16le" && encoding != "utf-16be" && encoding != "iso-2022-jp" && encoding != "replacement";
}

bool IsValidUtf8(std::string_view bytes) {
  for (std::size_t i = 0; i < bytes.size();) {
    const TUtf8Sequence sequence = Utf8SequenceAt(bytes.substr(i));
    if (!sequence.Valid) return false;
    i += sequence.Length;
  }
  return true;
}

std::string DecodeUtf8(std::string_view bytes) {
  std::string text;
  text.reserve(bytes.size());
  std::size_t i = 0;
  while (i < bytes.size()) {
    const TUtf8Sequence sequence = Utf8SequenceAt(bytes.substr(i));
    if (sequence.Valid) {
      text.append(bytes.substr(i, sequence.Length));
    } else {
      AppendUtf8(text, kReplacementCharacter);
    }
    i += sequence.Length;
  }
  return text;
}

std::string DecodeText(std::string_view bytes, std::string_view encoding, ITextConverter* converter) {
  if (encoding == "utf-8") return DecodeUtf8(bytes);
  if (encoding == "windows-1252") return DecodeWindows1252(bytes);
  if (encoding == "utf-16le" || encoding == "utf-16be") return DecodeUtf16(bytes, encoding == "utf-16be");
  if (encoding == "x-user-defined") return DecodeUserDefined(bytes);
  if (encoding == "replacement") return std::string();
  if (converter) {
    if (std::optional<std::string> converted = converter->ToUtf8(bytes, encoding)) return std::move(*converted);
  }
  return AsciiOnly(bytes);
}

}  // namespace hoardscope
