// Converting web pages' text to UTF-8 through the code page of each of the browsers' encodings.
#include "platform/win32/WinTextConverter.h"

#include <windows.h>

#include <array>

#include "platform/win32/ViewText.h"

namespace hoardscope {
namespace {

struct TCodePage {
  std::string_view Encoding;
  UINT CodePage;
};

// The code pages of the browsers' encodings that Windows has (ISO-8859-10, -14 and -16 it has not).
constexpr std::array<TCodePage, 31> kCodePages{{
    {"ibm866", 866},         {"iso-8859-2", 28592},    {"iso-8859-3", 28593},   {"iso-8859-4", 28594},
    {"iso-8859-5", 28595},   {"iso-8859-6", 28596},    {"iso-8859-7", 28597},   {"iso-8859-8", 28598},
    {"iso-8859-8-i", 38598}, {"iso-8859-13", 28603},   {"iso-8859-15", 28605},  {"koi8-r", 20866},
    {"koi8-u", 21866},       {"macintosh", 10000},     {"windows-874", 874},    {"windows-1250", 1250},
    {"windows-1251", 1251},  {"windows-1253", 1253},   {"windows-1254", 1254},  {"windows-1255", 1255},
    {"windows-1256", 1256},  {"windows-1257", 1257},   {"windows-1258", 1258},  {"x-mac-cyrillic", 10017},
    {"gbk", 936},            {"gb18030", 54936},       {"big5", 950},           {"euc-jp", 20932},
    {"shift_jis", 932},      {"euc-kr", 949},          {"iso-2022-jp", 50220},
}};

}  // namespace

std::optional<std::string> TWinTextConverter::ToUtf8(std::string_view bytes, std::string_view encoding) {
  for (const TCodePage& entry : kCodePages) {
    if (entry.Encoding != encoding) continue;
    if (!IsValidCodePage(entry.CodePage)) return std::nullopt;
    return ViewTextOfWide(WideOfCodePage(entry.CodePage, bytes));
  }
  return std::nullopt;
}

std::string TWinTextConverter::PathToUtf8(std::string_view path) {
  return ViewTextOfWide(WideOfCodePage(CP_ACP, path));
}

}  // namespace hoardscope
