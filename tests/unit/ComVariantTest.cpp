// Automation values as text, GUID text and BSTRs: run against the Linux edition's COM layer and, in the Windows
// build, against the system's own conversion, so the two are held to the same results.
#include <gtest/gtest.h>

#include "tests/unit/ComFakes.h"

namespace hoardscope {
namespace {

VARIANT Number(VARTYPE type, double value) {
  VARIANT variant = VariantOfType(type);
  switch (type) {
    case VT_I2: variant.iVal = static_cast<SHORT>(value); break;
    case VT_I4: variant.lVal = static_cast<LONG>(value); break;
    case VT_UI1: variant.bVal = static_cast<BYTE>(value); break;
    case VT_R4: variant.fltVal = static_cast<FLOAT>(value); break;
    case VT_R8: variant.dblVal = value; break;
    case VT_DATE: variant.date = value; break;
    case VT_BOOL: variant.boolVal = value != 0 ? VARIANT_TRUE : VARIANT_FALSE; break;
    default: break;
  }
  return variant;
}

TEST(ComVariantTest, TextOfStringsAndEmptyValues) {
  TVariant text("http://h/a b.gif");
  EXPECT_EQ("http://h/a b.gif", TextOfVariant(text.Value));
  EXPECT_EQ("", TextOfVariant(VariantOfType(VT_EMPTY)));
  VARIANT nullString = VariantOfType(VT_BSTR);  // a BSTR of nullptr is the empty string
  EXPECT_EQ("", TextOfVariant(nullString));
  EXPECT_EQ("http://h/a b.gif", TextOfBstr(text.Value.bstrVal));
}

TEST(ComVariantTest, TextOfNumbersBooleansAndDates) {
  EXPECT_EQ("-12", TextOfVariant(Number(VT_I2, -12)));
  EXPECT_EQ("2147483647", TextOfVariant(Number(VT_I4, 2147483647.0)));
  EXPECT_EQ("200", TextOfVariant(Number(VT_UI1, 200)));
  EXPECT_EQ("1.5", TextOfVariant(Number(VT_R8, 1.5)));
  EXPECT_EQ("0.1", TextOfVariant(Number(VT_R8, 0.1)));
  EXPECT_EQ("0.25", TextOfVariant(Number(VT_R4, 0.25)));
  EXPECT_EQ("-1", TextOfVariant(Number(VT_BOOL, 1)));
  EXPECT_EQ("0", TextOfVariant(Number(VT_BOOL, 0)));
  EXPECT_EQ("1/2/2024", TextOfVariant(Number(VT_DATE, 45293.0)));
  EXPECT_EQ("1/2/2024 6:00:00 PM", TextOfVariant(Number(VT_DATE, 45293.75)));
  EXPECT_EQ("12:00:00 AM", TextOfVariant(Number(VT_DATE, 0.0)));
}

TEST(ComVariantTest, ValuesWithoutTextFail) {
  EXPECT_THROW(TextOfVariant(VariantOfType(VT_NULL)), std::runtime_error);
  VARIANT error = VariantOfType(VT_ERROR);
  error.scode = E_FAIL;
  EXPECT_THROW(TextOfVariant(error), std::runtime_error);
}

TEST(ComVariantTest, ReferencesAreFollowed) {
  LONG number = 7;
  VARIANT reference = VariantOfType(VT_I4 | VT_BYREF);
  reference.plVal = &number;
  EXPECT_EQ("7", TextOfVariant(reference));
  VARIANT inner = Number(VT_R8, 2.5);
  VARIANT toVariant = VariantOfType(VT_VARIANT | VT_BYREF);
  toVariant.pvarVal = &inner;
  EXPECT_EQ("2.5", TextOfVariant(toVariant));
}

TEST(ComVariantTest, GuidTextRoundTrips) {
  EXPECT_EQ("{23A54D64-E6D6-4ABB-8108-D6D778A881D0}", GuidText(IID_IHSCDownload));
  EXPECT_EQ(IID_IHSCDownload, ParseGuid("{23a54d64-e6d6-4abb-8108-d6d778a881d0}"));
  for (const char* bad : {"", "23A54D64-E6D6-4ABB-8108-D6D778A881D0", "{23A54D64-E6D6-4ABB-8108-D6D778A881D}",
                          "{23A54D64-E6D6-4ABB-8108+D6D778A881D0}", "{23A54D64-E6D6-4ABB-8108-D6D778A881DX}"}) {
    EXPECT_FALSE(ParseGuid(bad)) << bad;
  }
}

}  // namespace
}  // namespace hoardscope
