// Reference resolution of RFC 3986: parsing into components, merging paths, removing dot segments, recomposing.
#include "core/ResolveURL.h"

#include <optional>
#include <string_view>

namespace hoardscope {
namespace {

struct TUriParts {
  std::optional<std::string> Scheme;
  std::optional<std::string> Authority;
  std::string Path;
  std::optional<std::string> Query;
  std::optional<std::string> Fragment;
};

bool IsSchemeChar(char c, bool first) {
  const bool alpha = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
  if (first) return alpha;
  return alpha || (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.';
}

// The scheme at the start of text (ALPHA *( ALPHA / DIGIT / "+" / "-" / "." ) ":"), or nullopt.
std::optional<std::string> SchemeOf(std::string_view text) {
  const std::size_t colon = text.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  for (std::size_t i = 0; i < colon; ++i) {
    if (!IsSchemeChar(text[i], i == 0)) return std::nullopt;
  }
  return std::string(text.substr(0, colon));
}

TUriParts Parse(std::string_view text) {
  TUriParts parts;
  if (const std::size_t hash = text.find('#'); hash != std::string_view::npos) {
    parts.Fragment = std::string(text.substr(hash + 1));
    text = text.substr(0, hash);
  }
  if (const std::size_t question = text.find('?'); question != std::string_view::npos) {
    parts.Query = std::string(text.substr(question + 1));
    text = text.substr(0, question);
  }
  parts.Scheme = SchemeOf(text);
  if (parts.Scheme) text.remove_prefix(parts.Scheme->size() + 1);
  if (text.substr(0, 2) == "//") {
    const std::size_t slash = text.find('/', 2);
    parts.Authority = std::string(text.substr(2, slash == std::string_view::npos ? std::string_view::npos : slash - 2));
    text = slash == std::string_view::npos ? std::string_view() : text.substr(slash);
  }
  parts.Path = std::string(text);
  return parts;
}

// Drops the last segment (and its "/") from output.
void DropLastSegment(std::string& output) {
  const std::size_t slash = output.rfind('/');
  output.erase(slash == std::string::npos ? 0 : slash);
}

std::string RemoveDotSegments(std::string input) {
  std::string output;
  while (!input.empty()) {
    if (input.rfind("../", 0) == 0) {
      input.erase(0, 3);
    } else if (input.rfind("./", 0) == 0) {
      input.erase(0, 2);
    } else if (input.rfind("/./", 0) == 0) {
      input.erase(0, 2);
    } else if (input == "/.") {
      input = "/";
    } else if (input.rfind("/../", 0) == 0) {
      input.erase(0, 3);
      DropLastSegment(output);
    } else if (input == "/..") {
      input = "/";
      DropLastSegment(output);
    } else if (input == "." || input == "..") {
      input.clear();
    } else {
      const std::size_t next = input.find('/', input[0] == '/' ? 1 : 0);
      output += input.substr(0, next);
      input.erase(0, next);
    }
  }
  return output;
}

std::string Merge(const TUriParts& base, const std::string& path) {
  if (base.Authority && base.Path.empty()) return "/" + path;
  const std::size_t slash = base.Path.rfind('/');
  return slash == std::string::npos ? path : base.Path.substr(0, slash + 1) + path;
}

std::string Recompose(const TUriParts& parts) {
  std::string text;
  if (parts.Scheme) text += *parts.Scheme + ":";
  if (parts.Authority) text += "//" + *parts.Authority;
  text += parts.Path;
  if (parts.Query) text += "?" + *parts.Query;
  if (parts.Fragment) text += "#" + *parts.Fragment;
  return text;
}

}  // namespace

bool HasScheme(std::string_view text) { return SchemeOf(text).has_value(); }

std::string ResolveURL(const std::string& text, const std::string& base) {
  if (text.empty()) return text;
  const TUriParts baseParts = Parse(base);
  if (!baseParts.Scheme || !baseParts.Authority) return text;
  const TUriParts reference = Parse(text);
  TUriParts target;
  if (reference.Scheme) {
    target = reference;
    target.Path = RemoveDotSegments(reference.Path);
  } else {
    if (reference.Authority) {
      target.Authority = reference.Authority;
      target.Path = RemoveDotSegments(reference.Path);
      target.Query = reference.Query;
    } else {
      if (reference.Path.empty()) {
        target.Path = baseParts.Path;
        target.Query = reference.Query ? reference.Query : baseParts.Query;
      } else {
        target.Path = RemoveDotSegments(reference.Path[0] == '/' ? reference.Path : Merge(baseParts, reference.Path));
        target.Query = reference.Query;
      }
      target.Authority = baseParts.Authority;
    }
    target.Scheme = baseParts.Scheme;
  }
  target.Fragment = reference.Fragment;
  return Recompose(target);
}

}  // namespace hoardscope
