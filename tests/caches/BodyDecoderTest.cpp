// The body decoder over bodies compressed here, stored in the middle of a bigger file as browsers store them.
#include <cstdint>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <zlib.h>
#ifndef _WIN32
#include <zstd.h>
#endif

#include "platform/caches/BrowserCacheEntry.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

// About 300 KB of words that compress poorly enough to span several of the decoder's reads.
std::string PageText() {
  std::string text = "<title>Stored page</title>\n";
  std::uint32_t seed = 12345;
  while (text.size() < 300000) {
    seed = seed * 1103515245u + 12345u;
    text += "word" + std::to_string(seed >> 12) + ((seed & 7) == 0 ? "\n" : " ");
  }
  return text;
}

// windowBits 15 + 16: gzip; 15: zlib-wrapped deflate; -15: raw deflate.
std::string Deflate(const std::string& data, int windowBits) {
  z_stream stream{};
  deflateInit2(&stream, 6, Z_DEFLATED, windowBits, 8, Z_DEFAULT_STRATEGY);
  std::string out(deflateBound(&stream, static_cast<uLong>(data.size())) + 32, '\0');
  stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  stream.avail_in = static_cast<uInt>(data.size());
  stream.next_out = reinterpret_cast<Bytef*>(out.data());
  stream.avail_out = static_cast<uInt>(out.size());
  deflate(&stream, Z_FINISH);
  out.resize(stream.total_out);
  deflateEnd(&stream);
  return out;
}
std::string Gzip(const std::string& data) { return Deflate(data, 15 + 16); }

std::string Zstd(const std::string& data) {
#ifdef _WIN32
  return data;   // never decoded: this edition says it cannot
#else
  std::string out(ZSTD_compressBound(data.size()), '\0');
  out.resize(ZSTD_compress(out.data(), out.size(), data.data(), data.size(), 3));
  return out;
#endif
}

// Three lines of this text, brotli-compressed at quality 11.
const std::string kBrotliLine = "Brotli keeps this page: <title>Compressed in transit</title>\n";
const std::string kBrotliBody(
    "\x1b\xb6\x00\xa8\x44\x4f\x96\xea\x4b\x16\x49\xf9\xc1\xb0\x9b\x81\x0d\x38\x60\x4f\x06\x1a\x27\x9f\x79\x60\x1b"
    "\x36\xe0\x0c\x7a\x59\x6c\x19\x5e\x7e\xfa\x4e\x14\xb9\x8d\x11\xc7\x06\x90\xd0\xfc\x55\xd4\x42\x5c\xe1\xa7\x2a",
    54);

class BodyDecoderTest : public ::testing::Test {
 protected:
  // An entry whose body lies between other bytes of its file.
  TBrowserCacheEntry Stored(const std::string& contentEncoding, const std::string& body) {
    TBrowserCacheEntry entry;
    entry.ResponseHeaders = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n";
    if (!contentEncoding.empty()) entry.ResponseHeaders += "content-encoding:  " + contentEncoding + " \r\n";
    entry.ResponseHeaders += "\r\n";
    entry.Body.File = (Folder.Path / "entry").string();
    WriteFile(entry.Body.File, std::string(1000, 'k') + body + std::string(500, '\xff'));
    entry.Body.Offset = 1000;
    entry.Body.Size = body.size();
    return entry;
  }

  // The decoded body, or "failed: " and the reason.
  static std::string Decode(const TBrowserCacheEntry& entry) {
    std::string decoded;
    std::string failure = ReadDecodedBody(entry, [&decoded](std::string_view piece) {
      decoded.append(piece);
      return true;
    });
    return failure.empty() ? decoded : "failed: " + failure;
  }

  TTempFolder Folder{"decoder"};
};

TEST_F(BodyDecoderTest, UndoesEachCodingInTurnAndNamesWhatItCannot) {
  const std::string text = PageText();
  const std::string gzip = Gzip(text);
#ifdef _WIN32
  const std::string brotliText = "failed: br bodies cannot be decoded in this edition.";
  const std::string zstdText = "failed: zstd bodies cannot be decoded in this edition.";
#else
  const std::string brotliText = kBrotliLine + kBrotliLine + kBrotliLine;
  const std::string zstdText = text;
#endif
  struct Case {
    std::string Coding;
    std::string Body;
    std::string Expected;
  } cases[] = {
      {"", text, text},
      {"gzip", gzip, text},
      {"x-gzip", gzip, text},
      {"deflate", Deflate(text, 15), text},
      {"Deflate", Deflate(text, -15), text},
      {"identity, deflate, GZip", Gzip(Deflate(text, -15)), text},
      {"gzip", "", ""},
      {"br", kBrotliBody, brotliText},
      {"zstd", Zstd(text), zstdText},
      {"zstd, gzip", Gzip(Zstd(text)), zstdText},
      {"compress", text, "failed: The body's content coding \"compress\" is not one Hoardscope can decode."},
      {"gzip", gzip.substr(0, gzip.size() / 2), "failed: The gzip body is truncated."},
      {"gzip", gzip.substr(0, 5000) + std::string(64, '\x55') + gzip.substr(5064), "failed: The gzip body is damaged."},
      {"deflate", "x", "failed: The deflate body is truncated."},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Decode(Stored(c.Coding, c.Body)), c.Expected) << "Content-Encoding: " << c.Coding;
  }
}

// A small body may unpack a long run of one byte; one that unpacks to more than 100 times itself past a megabyte,
// or that names more codings than a server uses, is refused before it costs memory or disk.
TEST_F(BodyDecoderTest, RefusesBombsAndLongCodingLists) {
  EXPECT_EQ(Decode(Stored("gzip", Gzip(std::string(500000, ' ')))).size(), 500000u);
  const std::string bomb = Decode(Stored("gzip", Gzip(std::string(3000000, ' '))));
  EXPECT_TRUE(bomb.starts_with("failed: The body decodes to more than 1048576 bytes from the ")) << bomb.substr(0, 80);
  std::string codings = "gzip";
  for (int i = 0; i < 4; ++i) codings += ", gzip";
  EXPECT_EQ(Decode(Stored(codings, "x")), "failed: The body names 5 content codings, more than 4 are not decoded.");
  TBrowserCacheEntry huge = Stored("", "plain");
  huge.Body.Size = (std::uint64_t{1} << 30) + 1;  // as a sparse entry file claims
  EXPECT_TRUE(Decode(huge).starts_with("failed: The body of 1073741825 bytes is larger than 1 GiB")) << Decode(huge);
}

TEST_F(BodyDecoderTest, StopsWhenTheSinkHasEnoughAndFailsOnAFileTooShort) {
  TBrowserCacheEntry entry = Stored("gzip", Gzip(PageText()));
  std::string decoded;
  int pieces = 0;
  EXPECT_EQ(ReadDecodedBody(entry, [&](std::string_view piece) {
              decoded.append(piece);
              return ++pieces < 2;
            }),
            "");
  EXPECT_EQ(pieces, 2);
  EXPECT_EQ(decoded, PageText().substr(0, decoded.size()));

  entry.Body.Size += 501;
  EXPECT_EQ(Decode(entry), "failed: The body runs past the end of " + entry.Body.File + ".");
}

}  // namespace
}  // namespace hoardscope
