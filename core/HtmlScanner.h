// THtmlScanner: the tags of an HTML page in the order a browser's tokenizer finds them, past comments, doctypes
// and the text of the elements whose content it does not read as markup (script, style, title, textarea, ...).
// It works on the page's bytes in any encoding that keeps ASCII as ASCII, and never reads past the text it gets.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

namespace hoardscope {

struct THtmlAttribute {
  std::string_view Name;   // as written
  std::string_view Value;  // as written, without its quotes, character references not decoded
  std::size_t NameEnd = 0;     // where the name ends in the page
  bool HasValue = false;       // an "=" follows the name
  std::size_t ValueBegin = 0;  // the value as written in the page, its quotes included; empty without a value
  std::size_t ValueEnd = 0;
};

struct THtmlTag {
  std::string_view Name;   // as written; compare with NameIs
  bool IsEndTag = false;
  bool SelfClosing = false;
  std::size_t Begin = 0;   // the "<"
  std::size_t End = 0;     // past the ">"
  std::vector<THtmlAttribute> Attributes;  // the first of each name, in the order written

  bool NameIs(std::string_view lowerName) const;
  // The first attribute of this name (lower case); nullptr when there is none.
  const THtmlAttribute* Attribute(std::string_view lowerName) const;
};

// How the content of the element a start tag opens is read.
enum class THtmlContent {
  Markup,     // tags and text
  Escapable,  // text with character references, up to the element's end tag: title, textarea
  Raw,        // text as written, up to the element's end tag: script, style, xmp, iframe, noembed, noframes,
              // noscript (as a browser that runs scripts reads it)
  RestOfPage  // plaintext: the rest of the page is its text
};

class THtmlScanner {
 public:
  explicit THtmlScanner(std::string_view html) : FHtml(html) {}

  // The next tag; false at the end of the page (a tag cut off by the end of the page is no tag). After a start
  // tag whose content is not markup, TextBegin and TextEnd give where that content lies and the scan goes on at
  // its end tag.
  bool Next(THtmlTag& tag);

  // How the content of the last start tag is read.
  THtmlContent Content() const { return FContent; }
  std::size_t TextBegin() const { return FTextBegin; }
  std::size_t TextEnd() const { return FTextEnd; }
  // Whether the last tag lies inside svg or math, whose elements are not HTML's (their title is no page title,
  // their style and script no raw text).
  bool InForeignContent() const { return FForeignDepth > 0; }
  // Whether the page's text ended inside a comment, a tag or the content of an element, which more of the page
  // could end differently.
  bool EndedInside() const { return FEndedInside; }

 private:
  bool ReadTag(std::size_t begin, bool isEndTag, THtmlTag& tag);
  bool ReadAttributes(std::size_t& at, THtmlTag& tag);
  void SkipContent(const THtmlTag& tag);
  // Where the end tag "</name" followed by white space, "/" or ">" starts, from at; the page's size when none does.
  std::size_t FindEndTag(std::size_t at, std::string_view name) const;
  bool EndTagAt(std::size_t at, std::string_view name) const;
  // Past the "-->" or "--!>" that closes a comment whose text starts at at; npos when none does.
  std::size_t CommentEnd(std::size_t at) const;
  std::size_t SkipScriptData(std::size_t at) const;
  std::size_t SkipPast(std::size_t at, std::string_view end);
  void TrackForeignContent(const THtmlTag& tag);

  std::string_view FHtml;
  std::size_t FAt = 0;
  THtmlContent FContent = THtmlContent::Markup;
  std::size_t FTextBegin = 0;
  std::size_t FTextEnd = 0;
  int FForeignDepth = 0;
  bool FEndedInside = false;
};

}  // namespace hoardscope
