// Converting web pages' text to UTF-8 with iconv: the browsers' encodings under glibc's names for them.
#include "platform/linux/IconvConverter.h"

#include <array>
#include <cerrno>

#include "core/TextEncodings.h"

namespace hoardscope {
namespace {

const iconv_t kNoConversion = reinterpret_cast<iconv_t>(-1);

struct TIconvName {
  std::string_view Encoding;
  const char* Name;
};

// The browsers' encodings that iconv converts, by the names of glibc's converters of the same tables (the
// browsers' Shift_JIS, EUC-KR and Big5 are Microsoft's and Hong Kong's extensions of them).
constexpr std::array<TIconvName, 34> kIconvNames{{
    {"ibm866", "CP866"},           {"iso-8859-2", "ISO-8859-2"},   {"iso-8859-3", "ISO-8859-3"},
    {"iso-8859-4", "ISO-8859-4"},  {"iso-8859-5", "ISO-8859-5"},   {"iso-8859-6", "ISO-8859-6"},
    {"iso-8859-7", "ISO-8859-7"},  {"iso-8859-8", "ISO-8859-8"},   {"iso-8859-8-i", "ISO-8859-8"},
    {"iso-8859-10", "ISO-8859-10"}, {"iso-8859-13", "ISO-8859-13"}, {"iso-8859-14", "ISO-8859-14"},
    {"iso-8859-15", "ISO-8859-15"}, {"iso-8859-16", "ISO-8859-16"}, {"koi8-r", "KOI8-R"},
    {"koi8-u", "KOI8-RU"},         {"macintosh", "MACINTOSH"},     {"windows-874", "CP874"},
    {"windows-1250", "CP1250"},    {"windows-1251", "CP1251"},     {"windows-1253", "CP1253"},
    {"windows-1254", "CP1254"},    {"windows-1255", "CP1255"},     {"windows-1256", "CP1256"},
    {"windows-1257", "CP1257"},    {"windows-1258", "CP1258"},     {"x-mac-cyrillic", "MAC-UK"},
    {"gbk", "GBK"},                {"gb18030", "GB18030"},         {"big5", "BIG5-HKSCS"},
    {"euc-jp", "EUC-JP"},          {"iso-2022-jp", "ISO-2022-JP"}, {"shift_jis", "CP932"},
    {"euc-kr", "CP949"},
}};

void AppendReplacement(std::string& text) { AppendUtf8(text, kReplacementCharacter); }

}  // namespace

TIconvConverter::~TIconvConverter() {
  for (const auto& [encoding, conversion] : FConversions) {
    if (conversion != kNoConversion) iconv_close(conversion);
  }
}

iconv_t TIconvConverter::ConversionFrom(std::string_view encoding) {
  if (const auto found = FConversions.find(encoding); found != FConversions.end()) return found->second;
  iconv_t conversion = kNoConversion;
  for (const TIconvName& entry : kIconvNames) {
    if (entry.Encoding == encoding) conversion = iconv_open("UTF-8", entry.Name);
  }
  FConversions.emplace(std::string(encoding), conversion);
  return conversion;
}

std::optional<std::string> TIconvConverter::ToUtf8(std::string_view bytes, std::string_view encoding) {
  const iconv_t conversion = ConversionFrom(encoding);
  if (conversion == kNoConversion) return std::nullopt;
  iconv(conversion, nullptr, nullptr, nullptr, nullptr);  // back to the initial shift state
  std::string text;
  std::array<char, 4096> buffer;
  char* in = const_cast<char*>(bytes.data());
  std::size_t inLeft = bytes.size();
  while (true) {
    char* out = buffer.data();
    std::size_t outLeft = buffer.size();
    const std::size_t result = iconv(conversion, inLeft > 0 ? &in : nullptr, &inLeft, &out, &outLeft);
    const int error = errno;
    text.append(buffer.data(), buffer.size() - outLeft);
    if (result != static_cast<std::size_t>(-1)) {
      if (inLeft == 0) break;  // the input is done and the shift state reset
      continue;
    }
    if (error == E2BIG) continue;
    // A byte the encoding does not define (EILSEQ), or a sequence cut off by the end (EINVAL).
    AppendReplacement(text);
    if (error == EINVAL) break;
    ++in;
    --inLeft;
  }
  return text;
}

std::string TIconvConverter::PathToUtf8(std::string_view path) { return DecodeUtf8(path); }

}  // namespace hoardscope
