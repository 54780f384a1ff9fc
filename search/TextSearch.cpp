// The search of cached text files: block reads, ASCII folding of each block, substring search within lines.
#include "search/TextSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr std::size_t kBlockSize = 1 << 20;
constexpr char kCtrlZ = 26;

char LowerChar(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; }

char UpperChar(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

// Letters from the rarest in running text to the most common: the rarer the anchor, the fewer candidates.
constexpr std::string_view kLettersRareFirst = "zqxjkvbpygfwmucldrhsnioate";

// The needle byte whose occurrences the search looks for first: when case is ignored, a byte that is no letter
// (it matches only itself), else the rarest letter; when case matters, the needle's first byte.
std::size_t AnchorOf(std::string_view needle, bool caseSensitive) {
  if (caseSensitive) return 0;
  const auto noLetter = std::find_if(needle.begin(), needle.end(), [](char c) { return UpperChar(c) == LowerChar(c); });
  if (noLetter != needle.end()) return static_cast<std::size_t>(noLetter - needle.begin());
  std::size_t best = 0;
  for (std::size_t i = 1; i < needle.size(); ++i) {
    if (kLettersRareFirst.find(needle[i]) < kLettersRareFirst.find(needle[best])) best = i;
  }
  return best;
}

// The test of a window of text against one needle (folded to lower case when case is ignored). A window may hold
// the tail of the previous block before the bytes just read; the text itself is never changed. Lines end at CR,
// which no needle can hold; the only other line rule concerns a needle starting with LF: the LF that follows a CR
// belongs to no line, so a match may not start on it. That CR may lie just before the window: before is the byte
// that precedes the window in the text (0 at the text's start).
class TNeedleMatcher {
 public:
  TNeedleMatcher(std::string_view needle, bool caseSensitive)
      : FNeedle(needle), FCaseSensitive(caseSensitive), FStartsWithLineFeed(needle.front() == '\n'),
        FAnchor(AnchorOf(needle, caseSensitive)) {}

  bool Contains(std::string_view window, char before) const {
    if (FCaseSensitive) return ContainsExactly(window, before);
    if (window.size() < FNeedle.size()) return false;
    // Candidates are the places of the anchor byte in either case, taken in order from two memchr scans.
    const char lower = FNeedle[FAnchor];
    const char upper = UpperChar(lower);
    const char* const last = window.data() + window.size() - (FNeedle.size() - FAnchor) + 1;  // past the last anchor
    const char* nextLower = Find(window.data() + FAnchor, last, lower);
    const char* nextUpper = upper == lower ? last : Find(window.data() + FAnchor, last, upper);
    while (nextLower < last || nextUpper < last) {
      const char* hit = std::min(nextLower, nextUpper);
      const std::size_t at = static_cast<std::size_t>(hit - window.data()) - FAnchor;
      if (EqualsFolded(window.substr(at, FNeedle.size())) && StartsOnALine(window, at, before)) return true;
      if (hit == nextLower) nextLower = Find(hit + 1, last, lower);
      if (hit == nextUpper) nextUpper = Find(hit + 1, last, upper);
    }
    return false;
  }

 private:
  static const char* Find(const char* from, const char* last, char byte) {
    if (from >= last) return last;
    const void* hit = std::memchr(from, byte, static_cast<std::size_t>(last - from));
    return hit ? static_cast<const char*>(hit) : last;
  }

  bool StartsOnALine(std::string_view window, std::size_t at, char before) const {
    return !(FStartsWithLineFeed && (at > 0 ? window[at - 1] : before) == '\r');
  }

  bool ContainsExactly(std::string_view window, char before) const {
    for (std::size_t at = window.find(FNeedle); at != std::string_view::npos; at = window.find(FNeedle, at + 1)) {
      if (StartsOnALine(window, at, before)) return true;
    }
    return false;
  }

  bool EqualsFolded(std::string_view text) const {
    for (std::size_t i = 0; i < text.size(); ++i) {
      if (LowerChar(text[i]) != FNeedle[i]) return false;
    }
    return true;
  }

  std::string_view FNeedle;
  bool FCaseSensitive;
  bool FStartsWithLineFeed;
  std::size_t FAnchor;
};

// One read buffer for all searches of this thread: most cached files are small, and clearing a fresh megabyte for
// each of them would cost more than reading them.
std::vector<char>& ReadBuffer(std::size_t size) {
  thread_local std::vector<char> buffer;
  if (buffer.size() < size) buffer.resize(size);
  return buffer;
}

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

}  // namespace

std::string SearchNeedle(std::string_view text, bool caseSensitive) {
  return caseSensitive ? std::string(text) : LowerAscii(text);
}

bool TextContains(std::string_view text, std::string_view needle, bool caseSensitive) {
  if (needle.empty() || needle.find('\r') != std::string_view::npos) return false;
  text = text.substr(0, text.find(kCtrlZ));
  return TNeedleMatcher(needle, caseSensitive).Contains(text, '\0');
}

TFileSearchResult SearchFile(const std::string& path, std::string_view needle, bool caseSensitive) {
  const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return TFileSearchResult::Unreadable;
  if (needle.empty() || needle.find('\r') != std::string_view::npos) return TFileSearchResult::NotFound;

  // The buffer holds the tail of the previous block where a match may still begin (all but the last byte of a
  // needle's length: a match across two reads) followed by the block just read; before keeps the byte in front of
  // that tail, which decides whether a match starting with LF starts on a line.
  const TNeedleMatcher matcher(needle, caseSensitive);
  const std::size_t carry = needle.size() - 1;
  std::vector<char>& buffer = ReadBuffer(carry + kBlockSize);
  std::size_t kept = 0;
  char before = '\0';
  for (;;) {
    const std::size_t read = std::fread(buffer.data() + kept, 1, kBlockSize, file.get());
    if (read == 0) return std::ferror(file.get()) ? TFileSearchResult::Unreadable : TFileSearchResult::NotFound;
    const char* fresh = buffer.data() + kept;
    const char* stop = static_cast<const char*>(std::memchr(fresh, kCtrlZ, read));
    const std::size_t freshSize = stop ? static_cast<std::size_t>(stop - fresh) : read;
    const std::string_view window(buffer.data(), kept + freshSize);
    if (matcher.Contains(window, before)) return TFileSearchResult::Found;
    if (stop || read < kBlockSize) {
      return std::ferror(file.get()) ? TFileSearchResult::Unreadable : TFileSearchResult::NotFound;
    }
    kept = std::min(carry, window.size());
    if (kept < window.size()) before = window[window.size() - kept - 1];
    std::memmove(buffer.data(), window.data() + window.size() - kept, kept);
  }
}

}  // namespace hoardscope
