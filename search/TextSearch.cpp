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

// Folds eight bytes at a time (A-Z only; bytes from 0x80 stay as they are), so that folding keeps up with the disk.
void FoldInPlace(char* data, std::size_t size) {
  constexpr std::uint64_t kHighBits = 0x8080808080808080ULL;
  std::size_t i = 0;
  for (; i + 8 <= size; i += 8) {
    std::uint64_t word;
    std::memcpy(&word, data + i, 8);
    const std::uint64_t low7 = word & ~kHighBits;
    const std::uint64_t aboveZ = low7 + 0x2525252525252525ULL;   // high bit set where the byte is above 'Z'
    const std::uint64_t fromA = low7 + 0x3F3F3F3F3F3F3F3FULL;    // high bit set where the byte is 'A' or above
    const std::uint64_t upper = ~word & (fromA ^ aboveZ) & kHighBits;
    word |= upper >> 2;                                          // 0x80 >> 2 is the case bit 0x20
    std::memcpy(data + i, &word, 8);
  }
  for (; i < size; ++i) {
    if (data[i] >= 'A' && data[i] <= 'Z') data[i] = static_cast<char>(data[i] + 32);
  }
}

// Searches text (which may hold the tail of the previous block before position `fresh`) for the needle. Lines
// end at CR, which no needle can hold; the only other line rule concerns a needle starting with LF: the LF that
// follows a CR belongs to no line, so a match may not start on it.
bool WindowContains(std::string_view window, std::string_view needle) {
  const bool startsWithLineFeed = needle.front() == '\n';
  for (std::size_t at = window.find(needle); at != std::string_view::npos; at = window.find(needle, at + 1)) {
    if (!(startsWithLineFeed && at > 0 && window[at - 1] == '\r')) return true;
  }
  return false;
}

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
  if (caseSensitive) return WindowContains(text, needle);
  std::string folded(text);
  FoldInPlace(folded.data(), folded.size());
  return WindowContains(folded, needle);
}

TFileSearchResult SearchFile(const std::string& path, std::string_view needle, bool caseSensitive) {
  const std::unique_ptr<std::FILE, TFileCloser> file(std::fopen(path.c_str(), "rb"));
  if (!file) return TFileSearchResult::Unreadable;
  if (needle.empty() || needle.find('\r') != std::string_view::npos) return TFileSearchResult::NotFound;

  // The buffer holds the last needle length of the previous block (so that a match across two reads is seen, and
  // a match starting with LF can look at the byte before it) followed by the block just read.
  const std::size_t carry = needle.size();
  std::vector<char>& buffer = ReadBuffer(carry + kBlockSize);
  std::size_t kept = 0;
  for (;;) {
    const std::size_t read = std::fread(buffer.data() + kept, 1, kBlockSize, file.get());
    if (read == 0) return std::ferror(file.get()) ? TFileSearchResult::Unreadable : TFileSearchResult::NotFound;
    char* fresh = buffer.data() + kept;
    const char* stop = static_cast<const char*>(std::memchr(fresh, kCtrlZ, read));
    const std::size_t freshSize = stop ? static_cast<std::size_t>(stop - fresh) : read;
    if (!caseSensitive) FoldInPlace(fresh, freshSize);
    const std::string_view window(buffer.data(), kept + freshSize);
    if (WindowContains(window, needle)) return TFileSearchResult::Found;
    if (stop || read < kBlockSize) {
      return std::ferror(file.get()) ? TFileSearchResult::Unreadable : TFileSearchResult::NotFound;
    }
    kept = std::min(carry, window.size());
    std::memmove(buffer.data(), window.data() + window.size() - kept, kept);
  }
}

}  // namespace hoardscope
