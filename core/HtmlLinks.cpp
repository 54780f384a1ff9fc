// Rewriting the URL attributes of a page's tags, found by the HTML scanner, leaving every other byte in place.
#include "core/HtmlLinks.h"

#include <algorithm>
#include <array>

#include "core/CharacterReferences.h"
#include "core/HtmlScanner.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

struct TUrlAttribute {
  std::string_view Element;
  std::string_view Attribute;
};

// The attributes whose value is a URL the page loads or leads to.
constexpr std::array<TUrlAttribute, 26> kUrlAttributes{{
    {"a", "href"},          {"area", "href"},       {"link", "href"},      {"base", "href"},
    {"img", "src"},         {"img", "srcset"},      {"script", "src"},     {"iframe", "src"},
    {"frame", "src"},       {"embed", "src"},       {"source", "src"},     {"source", "srcset"},
    {"audio", "src"},       {"video", "src"},       {"video", "poster"},   {"track", "src"},
    {"input", "src"},       {"input", "formaction"}, {"button", "formaction"}, {"form", "action"},
    {"object", "data"},     {"body", "background"}, {"table", "background"}, {"td", "background"},
    {"th", "background"},   {"blockquote", "cite"},
}};

using TReplacement = std::function<std::optional<std::string>(const std::string& value)>;

bool IsUrlAttribute(const THtmlTag& tag, std::string_view name) {
  return std::any_of(kUrlAttributes.begin(), kUrlAttributes.end(), [&](const TUrlAttribute& entry) {
    return tag.NameIs(entry.Element) && EqualsNoCase(name, entry.Attribute);
  });
}

// A srcset with each of its URLs replaced where replacement gives a new one: candidates are a URL and its
// descriptors ("2x", "640w"), separated by commas; a URL may hold commas, but not end with one.
std::optional<std::string> RewriteSrcset(const std::string& srcset, const TReplacement& replacement) {
  std::string rewritten;
  bool changed = false;
  std::size_t done = 0;
  std::size_t at = 0;
  while (true) {
    while (at < srcset.size() && (IsHtmlSpace(srcset[at]) || srcset[at] == ',')) ++at;
    if (at >= srcset.size()) break;
    const std::size_t urlBegin = at;
    while (at < srcset.size() && !IsHtmlSpace(srcset[at])) ++at;
    std::size_t urlEnd = at;
    while (urlEnd > urlBegin && srcset[urlEnd - 1] == ',') --urlEnd;
    if (urlEnd == at) {  // descriptors follow, up to a comma outside parentheses
      int depth = 0;
      while (at < srcset.size() && (srcset[at] != ',' || depth > 0)) {
        if (srcset[at] == '(') ++depth;
        if (srcset[at] == ')' && depth > 0) --depth;
        ++at;
      }
    }
    const std::string url = srcset.substr(urlBegin, urlEnd - urlBegin);
    const std::optional<std::string> replaced = replacement(url);
    if (!replaced || *replaced == url) continue;
    rewritten.append(srcset, done, urlBegin - done);
    rewritten += *replaced;
    done = urlEnd;
    changed = true;
  }
  if (!changed) return std::nullopt;
  rewritten.append(srcset, done);
  return rewritten;
}

std::string QuotedAttributeValue(std::string_view value) {
  std::string quoted = "\"";
  for (const char c : value) {
    if (c == '&') {
      quoted += "&amp;";
    } else if (c == '"') {
      quoted += "&quot;";
    } else {
      quoted += c;
    }
  }
  return quoted + "\"";
}

}  // namespace

std::string RewriteLinks(std::string_view html, const TReplacement& replacement) {
  std::string rewritten;
  std::size_t done = 0;
  THtmlScanner scanner(html);
  THtmlTag tag;
  while (scanner.Next(tag)) {
    if (tag.IsEndTag) continue;
    for (const THtmlAttribute& attribute : tag.Attributes) {
      if (!IsUrlAttribute(tag, attribute.Name)) continue;
      const std::string value = DecodeCharacterReferences(attribute.Value, TReferenceContext::AttributeValue);
      const std::optional<std::string> replaced =
          EqualsNoCase(attribute.Name, "srcset") ? RewriteSrcset(value, replacement) : replacement(value);
      if (!replaced || *replaced == value) continue;
      if (attribute.HasValue) {
        rewritten.append(html.substr(done, attribute.ValueBegin - done));
        done = attribute.ValueEnd;
      } else {
        rewritten.append(html.substr(done, attribute.NameEnd - done));
        rewritten += '=';
        done = attribute.NameEnd;
      }
      rewritten += QuotedAttributeValue(*replaced);
    }
  }
  rewritten.append(html.substr(done));
  return rewritten;
}

}  // namespace hoardscope
