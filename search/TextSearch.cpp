// The search of cached texts: a scan for the needle's two rarest bytes, 16 bytes at a time, that verifies each
// candidate in place, and the seams between the pieces a text arrives in.
#include "search/TextSearch.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "core/Tools.h"
#include "platform/ports/LocalFile.h"

namespace hoardscope {
namespace {

constexpr char kCtrlZ = 26;
constexpr unsigned char kFoldBit = 0x20;  // what tells a-z from A-Z

// Sixteen bytes at once, as the compiler's vector extension gives them (SSE2 on x86, plain words elsewhere). No
// function takes or gives one: where the processor has no vector registers, that would change the calls' ABI.
using TBytes16 = unsigned char __attribute__((vector_size(16)));
using TWords2 = std::uint64_t __attribute__((vector_size(16)));

bool IsLowerLetter(char c) { return c >= 'a' && c <= 'z'; }

// Letters from the rarest in running text to the most common.
constexpr std::string_view kLettersRareFirst = "zqxjkvbpygfwmucldrhsnioate";
// Bytes of markup, scripts and style sheets that are about as common as letters.
constexpr std::string_view kCommonPunctuation = "<>/=\".:-_;,()'{}#&\n\t";

// How common a needle byte is in cached text, roughly: the lower, the fewer candidates it gives as an anchor.
// A folded letter stands for both of its cases.
int Commonness(char c, bool folded) {
  if (c == ' ') return 300;
  const bool upper = c >= 'A' && c <= 'Z';
  if (const std::size_t letter = kLettersRareFirst.find(upper ? static_cast<char>(c + 32) : c);
      letter != std::string_view::npos) {
    const int rank = static_cast<int>(letter);
    return upper && !folded ? 40 + 2 * rank : 100 + 6 * rank;
  }
  if (c >= '0' && c <= '9') return 90;
  if (kCommonPunctuation.find(c) != std::string_view::npos) return 110;
  return static_cast<unsigned char>(c) >= 0x80 ? 20 : 30;
}

}  // namespace

std::string SearchNeedle(std::string_view text, bool caseSensitive) {
  return caseSensitive ? std::string(text) : LowerAscii(text);
}

TTextMatcher::TTextMatcher(std::string_view needle, bool caseSensitive)
    : FNeedle(needle), FFold(needle.size(), '\0'), FFirstAnchor(0), FSecondAnchor(0),
      FMatchesNothing(needle.empty() || needle.find_first_of("\r\x1A") != std::string_view::npos) {
  if (!caseSensitive) {
    for (std::size_t i = 0; i < FNeedle.size(); ++i) {
      if (IsLowerLetter(FNeedle[i])) FFold[i] = static_cast<char>(kFoldBit);
    }
  }
  auto rarer = [&](std::size_t a, std::size_t b) {
    return Commonness(FNeedle[a], !caseSensitive) < Commonness(FNeedle[b], !caseSensitive);
  };
  for (std::size_t i = 1; i < FNeedle.size(); ++i) {
    if (rarer(i, FFirstAnchor)) FFirstAnchor = i;
  }
  FSecondAnchor = FFirstAnchor == 0 && FNeedle.size() > 1 ? 1 : 0;
  for (std::size_t i = 0; i < FNeedle.size(); ++i) {
    if (i != FFirstAnchor && (FSecondAnchor == FFirstAnchor || rarer(i, FSecondAnchor))) FSecondAnchor = i;
  }
}

bool TTextMatcher::MatchesAt(const char* start, char before) const {
  for (std::size_t i = 0; i < FNeedle.size(); ++i) {
    if ((start[i] | FFold[i]) != FNeedle[i]) return false;
  }
  return !(FNeedle.front() == '\n' && before == '\r');
}

bool TTextMatcher::Contains(std::string_view window, char before) const {
  if (FMatchesNothing || window.size() < FNeedle.size()) return false;
  const char* const text = window.data();
  const std::size_t starts = window.size() - FNeedle.size() + 1;  // the places a match may start
  const char* const first = text + FFirstAnchor;
  const char* const second = text + FSecondAnchor;
  const TBytes16 none{};  // a vector combined with a byte takes the byte in each of its places
  const TBytes16 firstFold = none | static_cast<unsigned char>(FFold[FFirstAnchor]);
  const TBytes16 secondFold = none | static_cast<unsigned char>(FFold[FSecondAnchor]);
  const TBytes16 firstByte = none | static_cast<unsigned char>(FNeedle[FFirstAnchor]);
  const TBytes16 secondByte = none | static_cast<unsigned char>(FNeedle[FSecondAnchor]);
  auto matches = [&](std::size_t at) { return MatchesAt(text + at, at > 0 ? text[at - 1] : before); };

  std::size_t at = 0;
  for (; at + 16 <= starts; at += 16) {
    TBytes16 firstLanes;
    TBytes16 secondLanes;
    std::memcpy(&firstLanes, first + at, sizeof firstLanes);
    std::memcpy(&secondLanes, second + at, sizeof secondLanes);
    const TBytes16 both = (TBytes16)((firstLanes | firstFold) == firstByte) &
                          (TBytes16)((secondLanes | secondFold) == secondByte);
    const TWords2 words = (TWords2)both;
    if ((words[0] | words[1]) == 0) continue;
    // Each candidate's byte is all ones; its top bit alone marks it. The order among the 16 does not matter.
    for (int half = 0; half < 2; ++half) {
      for (std::uint64_t marks = words[half] & 0x8080808080808080ULL; marks != 0; marks &= marks - 1) {
        if (matches(at + 8 * half + static_cast<std::size_t>(__builtin_ctzll(marks)) / 8)) return true;
      }
    }
  }
  for (; at < starts; ++at) {
    if ((first[at] | FFold[FFirstAnchor]) == FNeedle[FFirstAnchor] &&
        (second[at] | FFold[FSecondAnchor]) == FNeedle[FSecondAnchor] && matches(at)) {
      return true;
    }
  }
  return false;
}

void TTextMatch::Reset() {
  FTail.clear();
  FFound = false;
  FEnded = false;
}

bool TTextMatch::Feed(std::string_view piece) {
  if (FFound || FEnded) return false;
  if (const void* stop = std::memchr(piece.data(), kCtrlZ, piece.size())) {
    piece = piece.substr(0, static_cast<std::size_t>(static_cast<const char*>(stop) - piece.data()));
    FEnded = true;
  }
  // A match across the seam starts in the tail and ends in the piece. A whole tail holds one byte more than such
  // a match may take of it: the byte before the match. A shorter tail is all of the text so far.
  const std::size_t size = FMatcher.Size();
  if (!FTail.empty()) {
    FSeam.assign(FTail).append(piece.substr(0, size - 1));
    const std::string_view seam(FSeam);
    FFound = FTail.size() == size ? FMatcher.Contains(seam.substr(1), seam.front()) : FMatcher.Contains(seam, '\0');
  }
  FFound = FFound || FMatcher.Contains(piece, FTail.empty() ? '\0' : FTail.back());
  if (piece.size() >= size) {
    FTail.assign(piece.substr(piece.size() - size));
  } else {
    FTail.append(piece);
    FTail.erase(0, FTail.size() - std::min(FTail.size(), size));
  }
  return !FFound && !FEnded;
}

bool TextContains(std::string_view text, std::string_view needle, bool caseSensitive) {
  const TTextMatcher matcher(needle, caseSensitive);
  TTextMatch match(matcher);
  match.Feed(text);
  return match.Found();
}

TFileSearchResult SearchFile(const std::string& path, std::string_view needle, bool caseSensitive) {
  const TTextMatcher matcher(needle, caseSensitive);
  TTextMatch match(matcher);
  if (!ReadLocalFile(path, [&](std::string_view piece) { return match.Feed(piece); })) {
    return TFileSearchResult::Unreadable;
  }
  return match.Found() ? TFileSearchResult::Found : TFileSearchResult::NotFound;
}

}  // namespace hoardscope
