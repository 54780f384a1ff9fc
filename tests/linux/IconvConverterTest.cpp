// The Linux edition's text converter: the browsers' encodings through iconv, what they lack as U+FFFD.
#include <gtest/gtest.h>

#include "platform/linux/IconvConverter.h"

namespace hoardscope {
namespace {

TEST(IconvConverterTest, ConvertsTheBrowsersEncodingsAndMarksWhatTheyDoNotDefine) {
  TIconvConverter converter;
  EXPECT_EQ(converter.ToUtf8("\xf0\xd2\xc9\xd7\xc5\xd4, koi8", "koi8-r"), "\u041f\u0440\u0438\u0432\u0435\u0442, koi8");
  // Shift_JIS as browsers read it (Microsoft's), a byte it does not define, and a character cut off at the end.
  EXPECT_EQ(converter.ToUtf8("\x93\xfa\x96\x7b \x87\x40 \xa0 \x82", "shift_jis"),
            "\u65e5\u672c \u2460 \ufffd \ufffd");
  EXPECT_EQ(converter.ToUtf8("\x1b$B$3$s\x1b(B!", "iso-2022-jp"), "\u3053\u3093!");
  EXPECT_EQ(converter.ToUtf8("x", "x-klingon"), std::nullopt);
  EXPECT_EQ(converter.PathToUtf8("/tmp/caf\xe9.html"), "/tmp/caf\ufffd.html");
}

}  // namespace
}  // namespace hoardscope
