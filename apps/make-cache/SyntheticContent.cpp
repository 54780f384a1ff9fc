// Builds the contents of make-cache's synthetic entries.
#include "SyntheticContent.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <iterator>

namespace hoardscope {
namespace {

constexpr std::array<std::string_view, 64> kWords = {
    "harbour", "tea",     "kettle",  "garden",  "lantern", "market",  "river",   "bridge",  "window",  "letter",
    "morning", "evening", "copper",  "silver",  "orchard", "meadow",  "station", "ticket",  "journey", "archive",
    "record",  "folder",  "picture", "story",   "weather", "island",  "harvest", "festival", "recipe", "bakery",
    "lighthouse", "ferry", "quay",   "anchor",  "compass", "voyage",  "north",   "south",   "summer",  "winter",
    "report",  "notice",  "council", "library", "museum",  "gallery", "concert", "theatre", "school",  "village",
    "number",  "detail",  "update",  "version", "service", "network", "request", "response", "page",   "cache",
    "browser", "offline", "history", "search"};

enum class TLineEnds { Lf, CrLf, Mixed };

// Lines of text up to a target size, with the line ends of one server.
class TTextBuilder {
 public:
  TTextBuilder(TSplitMix64& random, std::size_t targetSize)
      : Random(random), Target(targetSize), Ends(PickLineEnds(random)) {
    Text.reserve(targetSize + 128);
  }

  void Append(std::string_view text) { Text += text; }

  void EndLine() {
    const bool crlf = Ends == TLineEnds::CrLf || (Ends == TLineEnds::Mixed && Random.Chance(500));
    Text += crlf ? "\r\n" : "\n";
  }

  void Line(std::string_view line) {
    Append(line);
    EndLine();
  }

  // Bytes left before the target once `reserved` more bytes are written; 0 when there is no room.
  std::size_t Room(std::size_t reserved) const {
    const std::size_t planned = Text.size() + reserved;
    return planned < Target ? Target - planned : 0;
  }

  // Words separated by spaces: at least one, and no more than fit into maxBytes after the first.
  void AppendWords(std::size_t maxBytes) {
    const std::size_t start = Text.size();
    Text += RandomWord(Random);
    for (std::string_view next = RandomWord(Random); Text.size() - start + 1 + next.size() <= maxBytes;
         next = RandomWord(Random)) {
      Text += ' ';
      Text += next;
    }
  }

  void AppendTitle(std::size_t wordCount) {
    for (std::size_t i = 0; i < wordCount; ++i) {
      if (i > 0) Text += ' ';
      Text += CapitalisedWord(Random);
    }
  }

  // Lines of prefix, words and suffix up to the target, leaving `reserved` bytes for what follows.
  void FillLines(std::string_view prefix, std::string_view suffix, std::size_t reserved) {
    constexpr std::size_t kLineEndBytes = 2, kMaxLineBytes = 90;
    const std::size_t frame = prefix.size() + suffix.size() + kLineEndBytes;
    for (std::size_t room = Room(reserved); room > frame; room = Room(reserved)) {
      Append(prefix);
      AppendWords(std::min(room - frame, kMaxLineBytes));
      Line(suffix);
    }
  }

  std::string Take() { return std::move(Text); }

 private:
  static TLineEnds PickLineEnds(TSplitMix64& random) {
    const std::uint64_t roll = random.Below(100);
    return roll < 50 ? TLineEnds::Lf : roll < 90 ? TLineEnds::CrLf : TLineEnds::Mixed;
  }

  TSplitMix64& Random;
  std::size_t Target;
  TLineEnds Ends;
  std::string Text;
};

std::string Page(std::size_t targetSize, TSplitMix64& random) {
  constexpr std::string_view kClosing = "</body>\r\n</html>\r\n";
  TTextBuilder text(random, targetSize);
  text.Line("<!DOCTYPE html>");
  text.Line("<html>");
  text.Line("<head>");
  text.Line("<meta charset=\"utf-8\">");
  // Most pages have a title; a few write its opening tag in capitals, and some have none at all.
  const std::uint64_t titleRoll = random.Below(100);
  if (titleRoll < 93) {
    text.Append(titleRoll < 90 ? "<title>" : "<TITLE>");
    text.AppendTitle(2 + random.Below(3));
    text.Line("</title>");
  }
  text.Line("<link rel=\"stylesheet\" href=\"/css/site.css\">");
  text.Line("</head>");
  text.Line("<body>");
  text.Append("<h1>");
  text.AppendTitle(3);
  text.Line("</h1>");
  if (random.Chance(10)) {
    text.Append("<p>");
    text.AppendWords(30);
    text.Append(" ");
    text.Append(kSearchNeedle);
    text.Append(" ");
    text.AppendWords(30);
    text.Line("</p>");
  }
  text.FillLines("<p>", "</p>", kClosing.size());
  text.Line("</body>");
  text.Line("</html>");
  return text.Take();
}

std::string Script(std::size_t targetSize, TSplitMix64& random) {
  TTextBuilder text(random, targetSize);
  text.Line("\"use strict\";");
  while (text.Room(0) > 0) {
    text.Append("// ");
    text.AppendWords(60);
    text.Line(".");
    text.Append("function ");
    text.Append(RandomWord(random));
    text.Append(CapitalisedWord(random));
    text.Line("(value) {");
    text.Append("  var ");
    text.Append(RandomWord(random));
    text.Append(" = value * ");
    text.Append(std::to_string(random.Below(100)));
    text.Line(";");
    text.Append("  return \"");
    text.AppendWords(30);
    text.Line("\" + value;");
    text.Line("}");
  }
  return text.Take();
}

std::string Stylesheet(std::size_t targetSize, TSplitMix64& random) {
  TTextBuilder text(random, targetSize);
  char declarations[64];
  while (text.Room(0) > 0) {
    text.Append(".");
    text.Append(RandomWord(random));
    text.Append("-");
    text.Append(RandomWord(random));
    text.Line(" {");
    std::snprintf(declarations, sizeof declarations, "  color: #%06x;", static_cast<unsigned>(random.Below(0x1000000)));
    text.Line(declarations);
    std::snprintf(declarations, sizeof declarations, "  margin: %upx %upx;", static_cast<unsigned>(random.Below(24)),
                  static_cast<unsigned>(random.Below(24)));
    text.Line(declarations);
    text.Line("}");
  }
  return text.Take();
}

std::string PlainText(std::size_t targetSize, TSplitMix64& random) {
  TTextBuilder text(random, targetSize);
  text.FillLines("", "", 0);
  return text.Take();
}

// The opening bytes of each binary format; a complete 1x1 picture for the picture formats.
constexpr unsigned char kGif[] = {0x47, 0x49, 0x46, 0x38, 0x39, 0x61, 0x01, 0x00, 0x01, 0x00, 0x81, 0x00, 0x00, 0xc9,
                                  0xb8, 0x9a, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x2c, 0x00, 0x00,
                                  0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x00, 0x02, 0x02, 0x44, 0x01, 0x00, 0x3b};
constexpr unsigned char kPng[] = {0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48,
                                  0x44, 0x52, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x01, 0x08, 0x02, 0x00, 0x00,
                                  0x00, 0x90, 0x77, 0x53, 0xde, 0x00, 0x00, 0x00, 0x0c, 0x49, 0x44, 0x41, 0x54, 0x78,
                                  0xda, 0x63, 0x38, 0xb9, 0x63, 0x16, 0x00, 0x04, 0x69, 0x02, 0x1c, 0x62, 0x08, 0x5f,
                                  0xc4, 0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};
constexpr unsigned char kJpeg[] = {
    0xff, 0xd8, 0xff, 0xe0, 0x00, 0x10, 0x4a, 0x46, 0x49, 0x46, 0x00, 0x01, 0x01, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00,
    0x00, 0xff, 0xdb, 0x00, 0x43, 0x00, 0x08, 0x06, 0x06, 0x07, 0x06, 0x05, 0x08, 0x07, 0x07, 0x07, 0x09, 0x09, 0x08,
    0x0a, 0x0c, 0x14, 0x0d, 0x0c, 0x0b, 0x0b, 0x0c, 0x19, 0x12, 0x13, 0x0f, 0x14, 0x1d, 0x1a, 0x1f, 0x1e, 0x1d, 0x1a,
    0x1c, 0x1c, 0x20, 0x24, 0x2e, 0x27, 0x20, 0x22, 0x2c, 0x23, 0x1c, 0x1c, 0x28, 0x37, 0x29, 0x2c, 0x30, 0x31, 0x34,
    0x34, 0x34, 0x1f, 0x27, 0x39, 0x3d, 0x38, 0x32, 0x3c, 0x2e, 0x33, 0x34, 0x32, 0xff, 0xc0, 0x00, 0x0b, 0x08, 0x00,
    0x01, 0x00, 0x01, 0x01, 0x01, 0x11, 0x00, 0xff, 0xc4, 0x00, 0x14, 0x00, 0x01, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xc4, 0x00, 0x14, 0x10, 0x01, 0x00,
    0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xda, 0x00, 0x08,
    0x01, 0x01, 0x00, 0x00, 0x3f, 0x00, 0x3f, 0xff, 0xd9};
// An ID3v2.3 tag of no frames, then the header of an MPEG-1 layer III frame (128 kbit/s, 44.1 kHz).
constexpr unsigned char kMp3[] = {0x49, 0x44, 0x33, 0x03, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0xff, 0xfb, 0x90, 0x00};
// RIFF/WAVE of 8 kHz 8-bit mono samples; both lengths are filled in by PatchLittleEndian32.
constexpr unsigned char kWav[] = {0x52, 0x49, 0x46, 0x46, 0x00, 0x00, 0x00, 0x00, 0x57, 0x41, 0x56, 0x45, 0x66,
                                  0x6d, 0x74, 0x20, 0x10, 0x00, 0x00, 0x00, 0x01, 0x00, 0x01, 0x00, 0x40, 0x1f,
                                  0x00, 0x00, 0x40, 0x1f, 0x00, 0x00, 0x01, 0x00, 0x08, 0x00, 0x64, 0x61, 0x74,
                                  0x61, 0x00, 0x00, 0x00, 0x00};
// An ISO media "ftyp" box (isom, mp41).
constexpr unsigned char kMp4[] = {0x00, 0x00, 0x00, 0x18, 0x66, 0x74, 0x79, 0x70, 0x69, 0x73, 0x6f, 0x6d,
                                  0x00, 0x00, 0x02, 0x00, 0x69, 0x73, 0x6f, 0x6d, 0x6d, 0x70, 0x34, 0x31};
// An uncompressed Flash movie, version 10; its file length is filled in by PatchLittleEndian32.
constexpr unsigned char kFlash[] = {0x46, 0x57, 0x53, 0x0a, 0x00, 0x00, 0x00, 0x00};

void PatchLittleEndian32(std::string& bytes, std::size_t offset, std::size_t value) {
  for (int i = 0; i < 4; ++i) bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

template <std::size_t N>
std::string Binary(const unsigned char (&opening)[N], std::size_t targetSize, TSplitMix64& random) {
  std::string bytes(std::max(N, targetSize), '\0');
  std::copy(std::begin(opening), std::end(opening), bytes.begin());
  std::uint64_t filler = 0;
  for (std::size_t i = N; i < bytes.size(); ++i, filler >>= 8) {
    if ((i - N) % 8 == 0) filler = random.Next();
    bytes[i] = static_cast<char>(filler & 0xff);
  }
  return bytes;
}

}  // namespace

std::string_view RandomWord(TSplitMix64& random) { return random.Pick(kWords); }

std::string CapitalisedWord(TSplitMix64& random) {
  std::string word(RandomWord(random));
  word[0] = static_cast<char>(word[0] - 'a' + 'A');
  return word;
}

std::string MakeContent(TContentKind kind, std::size_t targetSize, TSplitMix64& random) {
  switch (kind) {
    case TContentKind::Page: return Page(targetSize, random);
    case TContentKind::Script: return Script(targetSize, random);
    case TContentKind::Stylesheet: return Stylesheet(targetSize, random);
    case TContentKind::PlainText: return PlainText(targetSize, random);
    case TContentKind::Gif: return Binary(kGif, targetSize, random);
    case TContentKind::Png: return Binary(kPng, targetSize, random);
    case TContentKind::Jpeg: return Binary(kJpeg, targetSize, random);
    case TContentKind::Mp3: return Binary(kMp3, targetSize, random);
    case TContentKind::Mp4: return Binary(kMp4, targetSize, random);
    case TContentKind::Wav: {
      std::string wav = Binary(kWav, targetSize, random);
      PatchLittleEndian32(wav, 4, wav.size() - 8);
      PatchLittleEndian32(wav, 40, wav.size() - sizeof kWav);
      return wav;
    }
    case TContentKind::Flash: {
      std::string movie = Binary(kFlash, targetSize, random);
      PatchLittleEndian32(movie, 4, movie.size());
      return movie;
    }
  }
  return {};
}

}  // namespace hoardscope
