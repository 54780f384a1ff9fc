// The title of a cached page as a browser's tab shows it: the page's encoding found as a browser finds it, its
// first title element found by the HTML scanner, the text decoded, its white space collapsed.
#include "core/PageTitle.h"

#include <algorithm>

#include "core/CharacterReferences.h"
#include "core/HtmlScanner.h"
#include "core/TextEncodings.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

// How far a browser looks for a meta tag naming the encoding before it has read the title.
constexpr std::size_t kPrescanLength = 1024;

struct TByteOrderMark {
  std::string_view Encoding;
  std::size_t Length = 0;
};

std::optional<TByteOrderMark> ByteOrderMarkOf(std::string_view bytes) {
  if (bytes.starts_with("\xEF\xBB\xBF")) return TByteOrderMark{"utf-8", 3};
  if (bytes.starts_with("\xFE\xFF")) return TByteOrderMark{"utf-16be", 2};
  if (bytes.starts_with("\xFF\xFE")) return TByteOrderMark{"utf-16le", 2};
  return std::nullopt;
}

// The charset parameter of a content type ("text/html; charset=iso-8859-1"), without its quotes; "" when none.
std::string_view CharsetParameter(std::string_view contentType) {
  for (std::size_t semicolon = contentType.find(';'); semicolon != std::string_view::npos;
       semicolon = contentType.find(';', semicolon + 1)) {
    std::string_view parameter = contentType.substr(semicolon + 1);
    parameter = parameter.substr(0, parameter.find(';'));
    const std::size_t equals = parameter.find('=');
    if (equals == std::string_view::npos || !EqualsNoCase(TrimHtmlSpace(parameter.substr(0, equals)), "charset")) {
      continue;
    }
    std::string_view value = TrimHtmlSpace(parameter.substr(equals + 1));
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"') value = value.substr(1, value.size() - 2);
    return value;
  }
  return {};
}

// The encoding label in a meta tag's content ("text/html; charset=koi8-r"), as browsers extract it; "" when none.
std::string CharsetInMetaContent(std::string_view content) {
  const std::string text = LowerAscii(content);
  std::size_t at = 0;
  while ((at = text.find("charset", at)) != std::string::npos) {
    at += 7;
    while (at < text.size() && IsHtmlSpace(text[at])) ++at;
    if (at >= text.size() || text[at] != '=') continue;
    ++at;
    while (at < text.size() && IsHtmlSpace(text[at])) ++at;
    if (at >= text.size()) return {};
    if (text[at] == '"' || text[at] == '\'') {
      const std::size_t close = text.find(text[at], at + 1);
      return close == std::string::npos ? std::string() : text.substr(at + 1, close - at - 1);
    }
    return text.substr(at, text.find_first_of(" \t\n\f\r;", at) - at);
  }
  return {};
}

// The encoding a meta tag declares, by its charset, or by the content of an http-equiv="Content-Type"; nullopt
// when it declares none a browser knows. The first of the two attributes counts.
std::optional<std::string_view> EncodingOfMeta(const THtmlTag& tag) {
  bool gotPragma = false;
  std::optional<bool> needPragma;
  std::optional<std::string_view> encoding;
  for (const THtmlAttribute& attribute : tag.Attributes) {
    if (EqualsNoCase(attribute.Name, "http-equiv")) {
      gotPragma = gotPragma || EqualsNoCase(attribute.Value, "content-type");
    } else if (EqualsNoCase(attribute.Name, "content") && !needPragma) {
      const std::string label = CharsetInMetaContent(attribute.Value);
      if (label.empty()) continue;
      encoding = EncodingOfLabel(label);
      needPragma = true;
    } else if (EqualsNoCase(attribute.Name, "charset") && !needPragma) {
      encoding = EncodingOfLabel(attribute.Value);
      needPragma = false;
    }
  }
  if (!needPragma || (*needPragma && !gotPragma) || !encoding) return std::nullopt;
  if (*encoding == "utf-16le" || *encoding == "utf-16be") return "utf-8";  // the page was read as ASCII
  if (*encoding == "x-user-defined") return "windows-1252";
  return encoding;
}

// Where the first title element's text lies, and whether its end tag was found.
struct TTitleText {
  std::size_t Begin = 0;
  std::size_t End = 0;
  bool Closed = false;
};

// The text as a tab shows it: ASCII white space collapsed to single spaces and trimmed, a NUL as U+FFFD, other
// control characters left out.
std::string TabText(std::string_view text) {
  std::string shown;
  shown.reserve(text.size());
  bool spaceBefore = false;
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsHtmlSpace(c)) {
      spaceBefore = !shown.empty();
      continue;
    }
    if (c != '\0' && (byte < 0x20 || byte == 0x7F)) continue;
    if (spaceBefore) shown += ' ';
    spaceBefore = false;
    if (c == '\0') {
      AppendUtf8(shown, kReplacementCharacter);
    } else {
      shown += c;
    }
  }
  return shown;
}

bool HasNonAscii(std::string_view bytes) {
  return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

}  // namespace

bool ShowsPageTitle(std::string_view contentType) {
  const std::string_view type = TrimHtmlSpace(contentType.substr(0, contentType.find(';')));
  return EqualsNoCase(type, "text/html") || EqualsNoCase(type, "application/xhtml+xml") ||
         EqualsNoCase(type, "Unknown") || EqualsNoCase(type, "Unknown type") || type.empty();
}

std::optional<std::string> PageTitleOf(std::string_view bytes, bool complete, std::string_view contentType,
                                       ITextConverter* converter) {
  std::optional<std::string_view> encoding = EncodingOfLabel(CharsetParameter(contentType));
  if (const std::optional<TByteOrderMark> mark = ByteOrderMarkOf(bytes)) {
    encoding = mark->Encoding;
    bytes.remove_prefix(mark->Length);
  }
  std::string decodedPage;
  if (encoding && !IsAsciiCompatible(*encoding)) {
    // Its markup is only seen in its characters: decode the page first.
    decodedPage = DecodeText(bytes, *encoding, converter);
    bytes = decodedPage;
    encoding = "utf-8";
  }

  THtmlScanner scanner(bytes);
  THtmlTag tag;
  int templateDepth = 0;  // a template's content is not part of the page
  std::optional<TTitleText> title;
  while (scanner.Next(tag)) {
    if (tag.NameIs("template")) {
      templateDepth = tag.IsEndTag ? std::max(templateDepth - 1, 0) : templateDepth + 1;
    } else if (!tag.IsEndTag && !encoding && tag.NameIs("meta")) {
      encoding = EncodingOfMeta(tag);
    } else if (!tag.IsEndTag && !title && templateDepth == 0 && tag.NameIs("title") &&
               scanner.Content() == THtmlContent::Escapable) {
      title = TTitleText{scanner.TextBegin(), scanner.TextEnd(), scanner.TextEnd() < bytes.size()};
    }
    if (title && (encoding || tag.End >= kPrescanLength)) break;
  }
  if (!complete && (!title || !title->Closed)) return std::nullopt;
  if (!title) return std::string();
  const std::string_view text = bytes.substr(title->Begin, title->End - title->Begin);
  if (!encoding) encoding = HasNonAscii(text) && IsValidUtf8(text) ? "utf-8" : "windows-1252";
  return TabText(DecodeCharacterReferences(DecodeText(text, *encoding, converter), TReferenceContext::Text));
}

std::optional<std::string> FileCaptionOf(IUrlCacheReader& cache, const TURLInfo& info, ITextConverter* converter) {
  if (!info.LocalFile.empty() && ShowsPageTitle(info.ContentType)) {
    for (const std::size_t limit : {kTitleFirstRead, kTitleMostRead}) {
      const BodyStart start = cache.ReadBodyStart(info.LocalFile, limit);
      if (start.State == BodyStartState::Missing) return std::nullopt;
      if (start.State == BodyStartState::Unreadable) break;
      const bool complete = start.Bytes.size() < limit || limit == kTitleMostRead;
      const std::optional<std::string> title = PageTitleOf(start.Bytes, complete, info.ContentType, converter);
      if (!title) continue;
      if (!title->empty()) return title;
      break;
    }
  }
  const std::string name = FileNameOf(info.LocalFile, true);
  return converter ? converter->PathToUtf8(name) : name;
}

}  // namespace hoardscope
