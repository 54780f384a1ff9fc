// Text folding, entry-key ordering, the URL split, content types and the shell-style file-name helpers.
#include "core/Tools.h"

#include <algorithm>
#include <charconv>
#include <filesystem>

namespace hoardscope {
namespace {

char LowerChar(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char UpperChar(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

constexpr std::size_t kMaxUrlPart = 1023;

std::uint16_t DefaultPort(std::string_view scheme) {
  const std::string lower = LowerAscii(scheme);
  if (lower == "http") return 80;
  if (lower == "https") return 443;
  if (lower == "ftp") return 21;
  return 0;
}

// The characters that separate folders in a path.
bool IsSlash(char c) {
#ifdef _WIN32
  return c == '\\' || c == '/';
#else
  return c == '/';
#endif
}

// Where a file name may begin after: a slash, or on Windows also the colon of a drive.
bool IsSeparator(char c) {
#ifdef _WIN32
  return IsSlash(c) || c == ':';
#else
  return IsSlash(c);
#endif
}

}  // namespace

std::string LowerAscii(std::string_view text) {
  std::string result(text);
  LowerAsciiInPlace(result);
  return result;
}

void LowerAsciiInPlace(std::string& text) { std::transform(text.begin(), text.end(), text.begin(), LowerChar); }

std::string UpperAscii(std::string_view text) {
  std::string result(text);
  std::transform(result.begin(), result.end(), result.begin(), UpperChar);
  return result;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && EqualsNoCase(text.substr(0, prefix.size()), prefix);
}

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && CompareKeys(a, b) == 0;
}

int CompareKeys(std::string_view a, std::string_view b) {
  const std::size_t common = std::min(a.size(), b.size());
  for (std::size_t i = 0; i < common; ++i) {
    const auto ca = static_cast<unsigned char>(LowerChar(a[i]));
    const auto cb = static_cast<unsigned char>(LowerChar(b[i]));
    if (ca != cb) return ca < cb ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

std::size_t WebSchemeLength(std::string_view key) {
  if (StartsWithNoCase(key, "http://")) return 7;
  return StartsWithNoCase(key, "https://") ? 8 : 0;
}

int CompareEntryKeys(std::string_view a, std::string_view b) {
  const int order = CompareKeys(a.substr(WebSchemeLength(a)), b.substr(WebSchemeLength(b)));
  return order != 0 ? order : CompareKeys(a, b);
}

std::optional<UrlParts> CrackUrl(std::string_view url) {
  const std::size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  const std::string_view scheme = url.substr(0, colon);
  std::string_view rest = url.substr(colon + 1);
  if (rest.substr(0, 2) != "//") return std::nullopt;
  rest.remove_prefix(2);

  const std::size_t authorityEnd = rest.find_first_of("/?#");
  std::string_view authority = rest.substr(0, authorityEnd);
  const std::string_view afterAuthority =
      authorityEnd == std::string_view::npos ? std::string_view() : rest.substr(authorityEnd);
  if (const std::size_t at = authority.rfind('@'); at != std::string_view::npos) authority.remove_prefix(at + 1);

  UrlParts parts;
  parts.Port = DefaultPort(scheme);
  const std::size_t portColon = authority.find(':');
  parts.Host = std::string(authority.substr(0, portColon));
  if (portColon != std::string_view::npos) {
    const std::string_view portText = authority.substr(portColon + 1);
    if (!portText.empty()) {
      unsigned number = 0;
      const auto [end, error] = std::from_chars(portText.data(), portText.data() + portText.size(), number);
      if (error != std::errc() || end != portText.data() + portText.size() || number > 65535) return std::nullopt;
      parts.Port = static_cast<std::uint16_t>(number);
    }
  }
  if (!afterAuthority.empty() && afterAuthority.front() == '/') {
    parts.Path = std::string(afterAuthority.substr(0, afterAuthority.find_first_of("?#")));
  }
  if (parts.Host.size() > kMaxUrlPart || parts.Path.size() > kMaxUrlPart) return std::nullopt;
  return parts;
}

bool IsHtmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\f' || c == '\r'; }

std::optional<int> DecimalDigitsAt(std::string_view text, std::size_t position, std::size_t count) {
  if (count == 0 || position > text.size() || text.size() - position < count) return std::nullopt;
  const std::string_view field = text.substr(position, count);
  if (!std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; })) return std::nullopt;
  int value = 0;
  const auto [end, error] = std::from_chars(field.data(), field.data() + field.size(), value);
  if (error != std::errc()) return std::nullopt;
  return value;
}

std::string HtmlEscaped(std::string_view text) {
  std::string escaped;
  escaped.reserve(text.size());
  for (const char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      case '\'': escaped += "&#39;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

std::string_view TrimHtmlSpace(std::string_view text) {
  while (!text.empty() && IsHtmlSpace(text.front())) text.remove_prefix(1);
  while (!text.empty() && IsHtmlSpace(text.back())) text.remove_suffix(1);
  return text;
}

std::string ContentTypeOf(std::string_view headers) {
  constexpr std::string_view kField = "content-type: ";
  const std::string_view text = headers.substr(0, headers.find('\0'));
  std::size_t match = text.find_first_of("cC");
  while (match != std::string_view::npos && !StartsWithNoCase(text.substr(match), kField))
    match = text.find_first_of("cC", match + 1);
  if (match == std::string_view::npos || text.size() - match <= kField.size()) return "Unknown type";
  const std::size_t valueStart = match + kField.size();
  const std::size_t lineEnd = text.find("\r\n", valueStart);
  return LowerAscii(text.substr(valueStart, lineEnd == std::string_view::npos ? std::string_view::npos
                                                                                : lineEnd - valueStart));
}

std::string PathFindFileName(std::string_view path) {
  std::size_t nameStart = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    // A separator counts only when no slash follows it: "dir/" names "dir/", as the shell's helper does.
    if (IsSeparator(path[i]) && i + 1 < path.size() && !IsSlash(path[i + 1])) nameStart = i + 1;
  }
  return std::string(path.substr(nameStart));
}

std::string PathFindExtension(std::string_view path) {
  std::size_t dot = std::string_view::npos;
  for (std::size_t i = 0; i < path.size(); ++i) {
    if (path[i] == '.') {
      dot = i;
    } else if (path[i] == kPathSeparator || path[i] == ' ') {
      dot = std::string_view::npos;
    }
  }
  return dot == std::string_view::npos ? std::string() : std::string(path.substr(dot));
}

std::string PathUndecorate(std::string_view path) {
  const std::size_t extensionStart = path.size() - PathFindExtension(path).size();
  const std::string_view stem = path.substr(0, extensionStart);
  if (stem.empty() || stem.back() != ']') return std::string(path);
  std::size_t digitsStart = stem.size() - 1;
  while (digitsStart > 0 && stem[digitsStart - 1] >= '0' && stem[digitsStart - 1] <= '9') --digitsStart;
  // The "[" must follow some name: "[1].gif" and "dir/[1].gif" are names, not decorations.
  if (digitsStart < 2 || stem[digitsStart - 1] != '[' || stem[digitsStart - 2] == kPathSeparator) {
    return std::string(path);
  }
  return std::string(stem.substr(0, digitsStart - 1)) + std::string(path.substr(extensionStart));
}

std::string FileNameOf(std::string_view path, bool undecorate) {
  const std::string name = PathFindFileName(path);
  return undecorate ? PathUndecorate(name) : name;
}

std::string AddBackslash(std::string_view path) {
  const bool driveRoot = path.size() == 3 && path[1] == ':';
  if (path.empty() || driveRoot || path.back() == '\\') return std::string(path);
  return std::string(path) + '\\';
}

bool FolderExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::is_directory(path, error);
}

bool PathExists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(path, error);
}

namespace {
constexpr std::int64_t kFileTimeUnixEpoch = 116444736000000000LL;  // 1970-01-01 in 100 ns since 1601
constexpr std::int64_t kTicksPerMilli = 10000;
}  // namespace

FileTime FileTimeFromUnixMillis(std::int64_t millis) {
  const std::int64_t ticks = millis * kTicksPerMilli + kFileTimeUnixEpoch;
  return ticks < 0 ? 0 : static_cast<FileTime>(ticks);
}

std::int64_t UnixMillisFromFileTime(FileTime time) {
  return (static_cast<std::int64_t>(time) - kFileTimeUnixEpoch) / kTicksPerMilli;
}

}  // namespace hoardscope
