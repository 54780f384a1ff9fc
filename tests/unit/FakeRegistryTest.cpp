// The registry contract run against the in-memory registry that the unit tests use, and the port's value helpers.
#include "tests/contract/RegistryContract.h"
#include "tests/fakes/FakeRegistry.h"

namespace hoardscope {
namespace {

struct TFakeRegistryBackend {
  IRegistry& Registry() { return Fake; }
  void MakeReadOnly() { Fake.SetReadOnly(true); }
  static constexpr bool kCanBeReadOnly = true;
  static constexpr bool kEnumeratesInWriteOrder = true;
  TFakeRegistry Fake;
};

RegistryValue Raw(RegistryType type, const std::string& bytes) {
  return {"v", type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

TEST(RegistryValueHelpers, StringsEndAtAStoredNulAndOnlyStringTypesHaveText) {
  EXPECT_EQ(std::optional<std::string>("abc"), StringOf(Raw(RegistryType::String, std::string("abc\0junk", 8))));
  EXPECT_EQ(std::optional<std::string>("%TEMP%"), StringOf(Raw(RegistryType::ExpandString, "%TEMP%")));
  EXPECT_EQ(std::nullopt, StringOf(MakeDwordValue("v", 1)));
  EXPECT_EQ(std::nullopt, StringOf(Raw(RegistryType::Binary, "abc")));
}

TEST(RegistryValueHelpers, DwordsAreFourLittleEndianBytes) {
  const RegistryValue value = MakeDwordValue("filtration", 0x12345678);
  EXPECT_EQ((std::vector<std::uint8_t>{0x78, 0x56, 0x34, 0x12}), value.Data);
  EXPECT_EQ(std::optional<std::uint32_t>(0x12345678), DwordOf(value));
  EXPECT_EQ(std::nullopt, DwordOf(Raw(RegistryType::Dword, std::string(8, '\0'))));
  EXPECT_EQ(std::nullopt, DwordOf(Raw(RegistryType::Binary, std::string(4, '\0'))));
}

TEST(RegistryValueHelpers, KeyPathsSplitAtBackslashesWithoutEmptyParts) {
  EXPECT_EQ((std::vector<std::string>{"Software", "Pellix", "Search History"}),
            SplitKeyPath("\\Software\\\\Pellix\\Search History\\"));
  EXPECT_TRUE(SplitKeyPath("").empty());
  EXPECT_EQ(std::vector<std::string>{"text/html; charset=utf-8"}, SplitKeyPath("text/html; charset=utf-8"));
}

TEST(RegistryValueHelpers, RegistryErrorsAreStandardExceptions) {
  try {
    throw RegistryError("refused");
  } catch (const std::exception& error) {
    EXPECT_STREQ("refused", error.what());
  }
}

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, ::testing::Types<TFakeRegistryBackend>);

}  // namespace hoardscope
