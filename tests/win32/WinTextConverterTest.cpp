// The Windows edition's text converter under Wine: the browsers' encodings through the system's code pages.
#include <gtest/gtest.h>

#include "platform/win32/WinTextConverter.h"

namespace hoardscope {
namespace {

TEST(WinTextConverterTest, ConvertsTheBrowsersEncodingsThroughTheCodePages) {
  TWinTextConverter converter;
  EXPECT_EQ(converter.ToUtf8("\x93\xfa\x96\x7b \x87\x40, sjis", "shift_jis"), "\u65e5\u672c \u2460, sjis");
  EXPECT_EQ(converter.ToUtf8("\xf0\xd2\xc9\xd7\xc5\xd4", "koi8-r"), "\u041f\u0440\u0438\u0432\u0435\u0442");
  EXPECT_EQ(converter.ToUtf8("x", "iso-8859-16"), std::nullopt);  // a code page Windows has not
  EXPECT_EQ(converter.PathToUtf8("C:\\cache\\page[1].htm"), "C:\\cache\\page[1].htm");
}

}  // namespace
}  // namespace hoardscope
