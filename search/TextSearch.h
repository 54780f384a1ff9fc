// Whether a cached text holds a text on one of its lines: lines end at CR (a LF right after it belongs to no line),
// a Ctrl-Z ends the text, and a match never spans a line end. The text is searched where it lies, piece by piece as
// it is read or decoded, never copied or folded.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace hoardscope {

enum class TFileSearchResult { Found, NotFound, Unreadable };

// The needle as the search looks for it: itself when case matters, else folded to lower case in ASCII.
std::string SearchNeedle(std::string_view text, bool caseSensitive);

// One needle, ready to be looked for in any number of texts at once (it is never changed after it is made).
// Candidates are the places where the needle's two rarest bytes both stand at their distance, found 16 bytes at a
// time with A-Z folded by a bit mask; each candidate is then compared in place.
class TTextMatcher {
 public:
  // needle as SearchNeedle prepared it.
  TTextMatcher(std::string_view needle, bool caseSensitive);

  // True when no text can hold the needle: it is empty, or holds a CR (which ends every line) or a Ctrl-Z.
  bool MatchesNothing() const { return FMatchesNothing; }
  std::size_t Size() const { return FNeedle.size(); }

  // Whether a match lies whole within window, which holds no Ctrl-Z. before is the byte that precedes the window
  // in the text (0 at the text's start): the LF right after a CR belongs to no line, so a match that starts with
  // LF may not start there.
  bool Contains(std::string_view window, char before) const;

 private:
  bool MatchesAt(const char* start, char before) const;

  std::string FNeedle;
  std::string FFold;         // per needle byte: 0x20 where A-Z case is ignored there (the needle holds a-z), else 0
  std::size_t FFirstAnchor;  // the needle's rarest byte
  std::size_t FSecondAnchor; // its next rarest, elsewhere in the needle (the same one in a needle of one byte)
  bool FMatchesNothing;
};

// The search of one text fed piece by piece (a file read in blocks, a body as it is decoded): the pieces are
// searched where they lie; only the few bytes on either side of the seam between two pieces are copied. Reset
// makes it ready for the next text, keeping its buffers.
class TTextMatch {
 public:
  explicit TTextMatch(const TTextMatcher& matcher) : FMatcher(matcher) {}

  void Reset();
  // Searches the next piece of the text; false once the outcome is known (a match, or the Ctrl-Z that ends the
  // text), so that the reader may stop.
  bool Feed(std::string_view piece);
  bool Found() const { return FFound; }

 private:
  const TTextMatcher& FMatcher;
  std::string FTail;  // the text's last bytes so far, as many as the needle has
  std::string FSeam;  // the tail with the start of the next piece
  bool FFound = false;
  bool FEnded = false;
};

// Reads the file sequentially in large blocks and stops at the first match. needle must already be prepared by
// SearchNeedle; an empty needle matches nothing.
TFileSearchResult SearchFile(const std::string& path, std::string_view needle, bool caseSensitive);

// The same test over text already in memory (the whole of a file's content).
bool TextContains(std::string_view text, std::string_view needle, bool caseSensitive);

}  // namespace hoardscope
