// Small helpers shared by the whole view: text folding, entry-key comparison, the URL split, content types and
// the file-name helpers that mirror the shell's path functions.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

// The separator of local paths on this platform: every separator the logic adds or looks for.
#ifdef _WIN32
inline constexpr char kPathSeparator = '\\';
#else
inline constexpr char kPathSeparator = '/';
#endif

// A-Z folded to a-z (or the reverse); other bytes stay as they are.
std::string LowerAscii(std::string_view text);
void LowerAsciiInPlace(std::string& text);
std::string UpperAscii(std::string_view text);
bool StartsWithNoCase(std::string_view text, std::string_view prefix);
bool EqualsNoCase(std::string_view a, std::string_view b);

// ASCII white space as HTML and the web's labels know it: tab, LF, FF, CR and space.
bool IsHtmlSpace(char c);
// The number that exactly count decimal digits at position spell; nullopt when text has fewer there or a character
// that is not a digit (a sign included).
std::optional<int> DecimalDigitsAt(std::string_view text, std::size_t position, std::size_t count);
// The text without the HTML white space around it.
std::string_view TrimHtmlSpace(std::string_view text);
// The text with &, <, >, " and ' written as character references, to stand in HTML text or an attribute value.
std::string HtmlEscaped(std::string_view text);

// The one ordering of entry keys, for sorting and looking up: ordinal after folding A-Z. <0, 0 or >0.
// It is the unsigned byte order of the keys' LowerAscii forms, so a sort over many keys may fold each key once
// and compare the folded forms (std::string_view::compare) instead.
int CompareKeys(std::string_view a, std::string_view b);

// The length of the "http://" or "https://" (any letter case) that begins an entry key; 0 for any other text.
std::size_t WebSchemeLength(std::string_view key);
// The order of entry keys in the view's lists: by the text after their web scheme (so that a host's http and
// https entries form one run), then by the whole key; each compared as CompareKeys does.
int CompareEntryKeys(std::string_view a, std::string_view b);

// Splits a URL the way the platform's URL parser does: host after "//" up to ":", "/", "?", "#" or the end
// (user information dropped), path from the first "/" after the host up to "?" or "#", port as written or the
// scheme's default. No decoding. nullopt when there is no scheme, no "//", a bad port, or a part longer than
// 1023 characters.
std::optional<UrlParts> CrackUrl(std::string_view url);

// The content type named in a response-header block: the text after the first "content-type: " (lower case, up
// to the first CR LF); "Unknown type" when there is none.
std::string ContentTypeOf(std::string_view headers);

// The file-name part of a path: what follows its last separator (the shell's PathFindFileName).
std::string PathFindFileName(std::string_view path);
// The extension of a path: from its last dot, dot included, when neither a separator nor a space follows that
// dot; else "" (the shell's PathFindExtension).
std::string PathFindExtension(std::string_view path);
// Removes the cache's "[n]" decoration right before the extension or at the end: page[2].htm -> page.htm.
std::string PathUndecorate(std::string_view path);
// The file-name part of a path, undecorated when asked.
std::string FileNameOf(std::string_view path, bool undecorate);
// A Windows path with a trailing backslash: unchanged when it ends with one already, is empty, or is a
// three-character drive root ("C:\", or any three characters whose second is ":").
std::string AddBackslash(std::string_view path);
// Whether the path names a folder, or anything at all; false too when the file system cannot say.
bool FolderExists(const std::string& path);
bool PathExists(const std::string& path);

// FILETIME (100 ns since 1601 UTC) and Unix milliseconds.
FileTime FileTimeFromUnixMillis(std::int64_t millis);
std::int64_t UnixMillisFromFileTime(FileTime time);

}  // namespace hoardscope
