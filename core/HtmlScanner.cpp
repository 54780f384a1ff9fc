// The tag-finding part of the HTML tokenizer: tags and their attributes, comments, bogus comments, and the
// elements whose content the tree builder has the tokenizer read as text.
#include "core/HtmlScanner.h"

#include <algorithm>
#include <array>

#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr std::array<std::string_view, 2> kEscapableTextElements{"title", "textarea"};
constexpr std::array<std::string_view, 6> kRawTextElements{"style", "xmp", "iframe", "noembed", "noframes",
                                                           "noscript"};

// A tag keeps no more attributes than this (the rest are read past), so that a hostile one costs little.
constexpr std::size_t kMostAttributes = 256;

bool IsAsciiAlpha(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool EndsTagName(char c) { return IsHtmlSpace(c) || c == '/' || c == '>'; }
bool EndsAttributeName(char c) { return IsHtmlSpace(c) || c == '/' || c == '>' || c == '='; }

bool IsOneOf(const THtmlTag& tag, const auto& names) {
  return std::any_of(names.begin(), names.end(), [&](std::string_view name) { return tag.NameIs(name); });
}

}  // namespace

bool THtmlTag::NameIs(std::string_view lowerName) const { return EqualsNoCase(Name, lowerName); }

const THtmlAttribute* THtmlTag::Attribute(std::string_view lowerName) const {
  for (const THtmlAttribute& attribute : Attributes) {
    if (EqualsNoCase(attribute.Name, lowerName)) return &attribute;
  }
  return nullptr;
}

bool THtmlScanner::Next(THtmlTag& tag) {
  FContent = THtmlContent::Markup;
  while (FAt < FHtml.size()) {
    const std::size_t lt = FHtml.find('<', FAt);
    if (lt == std::string_view::npos || lt + 1 >= FHtml.size()) break;
    const std::string_view rest = FHtml.substr(lt);
    const char next = rest[1];
    if (rest.starts_with("<!--")) {
      const std::size_t body = lt + 4;
      if (rest.size() > 4 && rest[4] == '>') {
        FAt = body + 1;  // "<!-->"
      } else if (rest.substr(4, 2) == "->") {
        FAt = body + 2;  // "<!--->"
      } else {
        FAt = CommentEnd(body);
        if (FAt == std::string_view::npos) break;  // the comment runs to the end of the page
      }
    } else if (next == '!' && InForeignContent() && rest.starts_with("<![CDATA[")) {
      FAt = SkipPast(lt + 9, "]]>");
    } else if (next == '!' || next == '?') {
      FAt = SkipPast(lt + 2, ">");
    } else if (next == '/') {
      if (rest.size() > 2 && IsAsciiAlpha(rest[2])) return ReadTag(lt, true, tag);
      FAt = rest.size() > 2 && rest[2] == '>' ? lt + 3 : SkipPast(lt + 2, ">");
    } else if (IsAsciiAlpha(next)) {
      return ReadTag(lt, false, tag);
    } else {
      FAt = lt + 1;
    }
  }
  // A "<" left unread opened a comment that runs to the end, or ends the page.
  if (FAt < FHtml.size() && FHtml.find('<', FAt) != std::string_view::npos) FEndedInside = true;
  FAt = FHtml.size();
  return false;
}

std::size_t THtmlScanner::CommentEnd(std::size_t at) const {
  for (std::size_t dashes = FHtml.find("--", at); dashes != std::string_view::npos; dashes = FHtml.find("--", dashes + 1)) {
    if (FHtml.compare(dashes + 2, 1, ">") == 0) return dashes + 3;
    if (FHtml.compare(dashes + 2, 2, "!>") == 0) return dashes + 4;
  }
  return std::string_view::npos;
}

std::size_t THtmlScanner::SkipPast(std::size_t at, std::string_view end) {
  const std::size_t found = FHtml.find(end, at);
  if (found == std::string_view::npos) {
    FEndedInside = true;
    return FHtml.size();
  }
  return found + end.size();
}

bool THtmlScanner::ReadTag(std::size_t begin, bool isEndTag, THtmlTag& tag) {
  tag.Attributes.clear();
  tag.IsEndTag = isEndTag;
  tag.SelfClosing = false;
  tag.Begin = begin;
  std::size_t at = begin + (isEndTag ? 2 : 1);
  const std::size_t nameBegin = at;
  while (at < FHtml.size() && !EndsTagName(FHtml[at])) ++at;
  tag.Name = FHtml.substr(nameBegin, at - nameBegin);
  if (!ReadAttributes(at, tag)) {
    FEndedInside = true;
    FAt = FHtml.size();
    return false;
  }
  tag.End = at;
  FAt = at;
  TrackForeignContent(tag);
  if (!isEndTag && !InForeignContent()) SkipContent(tag);
  return true;
}

bool THtmlScanner::ReadAttributes(std::size_t& at, THtmlTag& tag) {
  const std::size_t size = FHtml.size();
  auto skipSpace = [&] {
    while (at < size && IsHtmlSpace(FHtml[at])) ++at;
  };
  while (true) {
    skipSpace();
    if (at >= size) return false;
    if (FHtml[at] == '>') {
      ++at;
      return true;
    }
    if (FHtml[at] == '/') {
      if (at + 1 < size && FHtml[at + 1] == '>') {
        tag.SelfClosing = true;
        at += 2;
        return true;
      }
      ++at;
      continue;
    }
    THtmlAttribute attribute;
    const std::size_t nameBegin = at++;  // a name may begin with "="
    while (at < size && !EndsAttributeName(FHtml[at])) ++at;
    attribute.Name = FHtml.substr(nameBegin, at - nameBegin);
    attribute.NameEnd = at;
    attribute.ValueBegin = attribute.ValueEnd = at;
    skipSpace();
    if (at < size && FHtml[at] == '=') {
      ++at;
      skipSpace();
      if (at >= size) return false;
      attribute.HasValue = true;
      attribute.ValueBegin = at;
      const char quote = FHtml[at];
      if (quote == '"' || quote == '\'') {
        const std::size_t close = FHtml.find(quote, at + 1);
        if (close == std::string_view::npos) return false;
        attribute.Value = FHtml.substr(at + 1, close - at - 1);
        at = close + 1;
      } else {
        while (at < size && !IsHtmlSpace(FHtml[at]) && FHtml[at] != '>') ++at;
        attribute.Value = FHtml.substr(attribute.ValueBegin, at - attribute.ValueBegin);
      }
      attribute.ValueEnd = at;
    }
    const bool repeated = std::any_of(tag.Attributes.begin(), tag.Attributes.end(), [&](const THtmlAttribute& first) {
      return EqualsNoCase(first.Name, attribute.Name);
    });
    if (!repeated && tag.Attributes.size() < kMostAttributes) tag.Attributes.push_back(attribute);
  }
}

void THtmlScanner::SkipContent(const THtmlTag& tag) {
  if (IsOneOf(tag, kEscapableTextElements)) {
    FContent = THtmlContent::Escapable;
  } else if (IsOneOf(tag, kRawTextElements) || tag.NameIs("script")) {
    FContent = THtmlContent::Raw;
  } else if (tag.NameIs("plaintext")) {
    FContent = THtmlContent::RestOfPage;
  } else {
    return;
  }
  FTextBegin = tag.End;
  if (FContent == THtmlContent::RestOfPage) {
    FTextEnd = FHtml.size();
  } else {
    FTextEnd = tag.NameIs("script") ? SkipScriptData(tag.End) : FindEndTag(tag.End, tag.Name);
    if (FTextEnd == FHtml.size()) FEndedInside = true;
  }
  FAt = FTextEnd;
}

bool THtmlScanner::EndTagAt(std::size_t at, std::string_view name) const {
  const std::size_t after = at + 2 + name.size();
  return after < FHtml.size() && FHtml.compare(at, 2, "</") == 0 &&
         EqualsNoCase(FHtml.substr(at + 2, name.size()), name) && EndsTagName(FHtml[after]);
}

std::size_t THtmlScanner::FindEndTag(std::size_t at, std::string_view name) const {
  for (std::size_t open = FHtml.find("</", at); open != std::string_view::npos; open = FHtml.find("</", open + 1)) {
    if (EndTagAt(open, name)) return open;
  }
  return FHtml.size();
}

// Script data and its escapes: after "<!--" a "<script" opens a nested one whose "</script" does not end the
// element, until "-->" closes the escape.
std::size_t THtmlScanner::SkipScriptData(std::size_t at) const {
  constexpr std::string_view kScript = "script";
  auto startsScriptTag = [&](std::size_t lt) {
    const std::size_t after = lt + 1 + kScript.size();
    return after < FHtml.size() && EqualsNoCase(FHtml.substr(lt + 1, kScript.size()), kScript) &&
           EndsTagName(FHtml[after]);
  };
  enum class TState { Data, Escaped, DoubleEscaped } state = TState::Data;
  std::size_t close = 0;
  std::size_t endTag = 0;
  while (at < FHtml.size()) {
    if (state == TState::Data) {
      const std::size_t lt = FHtml.find('<', at);
      if (lt == std::string_view::npos) break;
      if (FHtml.compare(lt, 4, "<!--") == 0) {
        state = TState::Escaped;
        at = lt + 2;  // its dashes may also close it: "<!-->"
      } else if (EndTagAt(lt, kScript)) {
        return lt;
      } else {
        at = lt + 1;
      }
      continue;
    }
    // The next "-->" and "</script" from here, looked for again only once the scan has passed them.
    if (close < at) close = FHtml.find("-->", at);
    if (endTag < at) endTag = FindEndTag(at, kScript);
    if (state == TState::Escaped) {
      std::size_t lt = FHtml.find('<', at);
      while (lt != std::string_view::npos && lt < std::min(close, endTag) && !startsScriptTag(lt)) {
        lt = FHtml.find('<', lt + 1);
      }
      if (close < endTag && close < lt) {
        state = TState::Data;
        at = close + 3;
      } else if (lt < endTag) {
        state = TState::DoubleEscaped;
        at = lt + 1 + kScript.size();
      } else {
        return endTag;
      }
    } else if (close < endTag) {
      state = TState::Data;
      at = close + 3;
    } else if (endTag < FHtml.size()) {
      state = TState::Escaped;
      at = endTag + 2 + kScript.size();
    } else {
      break;
    }
  }
  return FHtml.size();
}

void THtmlScanner::TrackForeignContent(const THtmlTag& tag) {
  if (!tag.NameIs("svg") && !tag.NameIs("math")) return;
  if (tag.IsEndTag) {
    if (FForeignDepth > 0) --FForeignDepth;
  } else if (!tag.SelfClosing) {
    ++FForeignDepth;
  }
}

}  // namespace hoardscope
