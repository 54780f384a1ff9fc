// The behaviour every registry backend owes its callers, as one typed GoogleTest suite. A test file runs it against
// a backend by naming a backend type:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Fake, RegistryContract, ::testing::Types<TFakeRegistryBackend>);
//
// A backend type is default-constructible (each test gets a new one holding an empty registry) and offers
//   IRegistry& Registry();
//   void MakeReadOnly();   // from now on the user may only read what was written so far
//   static constexpr bool kCanBeReadOnly;   // false when the backend's platform cannot take rights away
//   static constexpr bool kEnumeratesInWriteOrder;   // false when values are listed in another order
//
// Portable: the Windows build compiles and runs it too.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/ports/Registry.h"

namespace hoardscope {

template <typename TBackend>
class RegistryContract : public ::testing::Test {
 protected:
  static constexpr auto kUser = RegistryRoot::CurrentUser;
  static constexpr auto kMachine = RegistryRoot::LocalMachine;

  IRegistry& Registry() { return Backend.Registry(); }

  std::unique_ptr<IRegistryKey> Create(const std::string& path, RegistryRoot root = kUser) {
    auto key = Registry().CreateKey(root, path);
    EXPECT_NE(nullptr, key) << path;
    return key;
  }

  std::unique_ptr<IRegistryKey> Open(const std::string& path, bool writable = false) {
    auto key = Registry().OpenKey(kUser, path, writable);
    EXPECT_NE(nullptr, key) << path;
    return key;
  }

  static RegistryValue Raw(const std::string& name, RegistryType type, const std::string& bytes) {
    return {name, type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
  }

  static std::string BytesOf(const RegistryValue& value) { return std::string(value.Data.begin(), value.Data.end()); }

  static std::vector<std::string> NamesOf(const std::vector<RegistryValue>& values) {
    std::vector<std::string> names;
    for (const RegistryValue& value : values) names.push_back(value.Name);
    return names;
  }

  TBackend Backend;
};

TYPED_TEST_SUITE_P(RegistryContract);

// --- keys ---

TYPED_TEST_P(RegistryContract, MissingKeyIsAbsentEverywhere) {
  EXPECT_EQ(nullptr, this->Registry().OpenKey(this->kUser, "Software\\Nothing", false));
  EXPECT_EQ(nullptr, this->Registry().OpenKey(this->kUser, "Software\\Nothing", true));
  EXPECT_FALSE(this->Registry().KeyExists(this->kUser, "Software\\Nothing"));
  EXPECT_FALSE(this->Registry().DeleteKey(this->kUser, "Software\\Nothing"));
}

TYPED_TEST_P(RegistryContract, CreateKeyMakesMissingParentsAndReopensExistingKeys) {
  this->Create("Software\\Pellix\\Hoardscope", this->kMachine)->WriteValue(MakeStringValue("ExtStr", "*.*"));
  EXPECT_TRUE(this->Registry().KeyExists(this->kMachine, "Software"));
  EXPECT_TRUE(this->Registry().KeyExists(this->kMachine, "Software\\Pellix"));
  EXPECT_TRUE(this->Registry().KeyExists(this->kMachine, "\\Software\\Pellix\\Hoardscope"));   // leading "\" ignored

  auto again = this->Create("Software\\Pellix\\Hoardscope", this->kMachine);
  EXPECT_EQ(std::optional<std::string>("*.*"), StringOf(again->ReadValue("ExtStr").value()));
}

TYPED_TEST_P(RegistryContract, RootsAreSeparateTrees) {
  this->Create("Software\\Pellix", this->kMachine);
  EXPECT_FALSE(this->Registry().KeyExists(this->kUser, "Software\\Pellix"));
  EXPECT_FALSE(this->Registry().KeyExists(RegistryRoot::ClassesRoot, "Software\\Pellix"));
}

TYPED_TEST_P(RegistryContract, NamesIgnoreCaseAndKeepTheCaseFirstWritten) {
  auto key = this->Create("Software\\Pellix");
  key->WriteValue(MakeStringValue("AppFolder", "/opt/one"));
  this->Create("SOFTWARE\\pellix\\Search History");
  key->WriteValue(MakeStringValue("APPFOLDER", "/opt/two"));

  auto upper = this->Open("SOFTWARE\\PELLIX");
  EXPECT_EQ(std::vector<std::string>{"Search History"}, upper->EnumSubkeys());
  EXPECT_EQ(std::vector<std::string>{"Pellix"}, this->Open("software")->EnumSubkeys());
  EXPECT_EQ(std::vector<std::string>{"AppFolder"}, this->NamesOf(upper->EnumValues()));
  EXPECT_EQ(std::optional<std::string>("/opt/two"), StringOf(upper->ReadValue("appfolder").value()));
  EXPECT_EQ("AppFolder", upper->ReadValue("APPFOLDER").value().Name) << "a value read is named as first written";
  EXPECT_TRUE(upper->ValueExists("appFOLDER"));
}

TYPED_TEST_P(RegistryContract, EnumSubkeysListsDirectSubkeysSortedWithoutCase) {
  this->Create("Top\\b");
  this->Create("Top\\A\\deep");
  this->Create("Top\\c");
  EXPECT_EQ((std::vector<std::string>{"A", "b", "c"}), this->Open("Top")->EnumSubkeys());
  EXPECT_TRUE(this->Open("Top\\c")->EnumSubkeys().empty());
}

// --- values ---

TYPED_TEST_P(RegistryContract, StringsAndNumbersReadBackAsWritten) {
  auto key = this->Create("Software\\Pellix");
  key->WriteValue(MakeStringValue("ExtStr", "*.gif;*.jpg"));
  key->WriteValue(MakeStringValue("Empty", ""));
  key->WriteValue(MakeStringValue("", "the default value"));
  key->WriteValue(MakeDwordValue("filtration", 0x8000000E));

  auto reopened = this->Open("Software\\Pellix");
  const RegistryValue text = reopened->ReadValue("ExtStr").value();
  EXPECT_EQ(RegistryType::String, text.Type);
  EXPECT_EQ("*.gif;*.jpg", this->BytesOf(text)) << "strings are stored without a terminating NUL";
  EXPECT_EQ(std::optional<std::string>(""), StringOf(reopened->ReadValue("Empty").value()));
  EXPECT_EQ(std::optional<std::string>("the default value"), StringOf(reopened->ReadValue("").value()));
  EXPECT_EQ(std::optional<std::uint32_t>(0x8000000E), DwordOf(reopened->ReadValue("filtration").value()));
  EXPECT_FALSE(reopened->ReadValue("Missing").has_value());
  EXPECT_FALSE(reopened->ValueExists("Missing"));
}

TYPED_TEST_P(RegistryContract, OtherTypesReadBackWithTheirTypeAndBytes) {
  auto key = this->Create("Types");
  key->WriteValue(this->Raw("Binary", RegistryType::Binary, std::string("a\0b\xff", 4)));
  key->WriteValue(this->Raw("Multi", RegistryType::MultiString, std::string("one\0two\0\0", 9)));
  key->WriteValue(this->Raw("Short", RegistryType::Dword, "abc"));
  key->WriteValue(this->Raw("None", RegistryType::None, ""));
  key->WriteValue(this->Raw("Odd", static_cast<RegistryType>(0x1234), "x"));

  const RegistryValue binary = key->ReadValue("Binary").value();
  EXPECT_EQ(RegistryType::Binary, binary.Type);
  EXPECT_EQ(std::string("a\0b\xff", 4), this->BytesOf(binary)) << "bytes after a NUL survive";
  EXPECT_EQ(std::string("one\0two\0\0", 9), this->BytesOf(key->ReadValue("Multi").value()));
  EXPECT_EQ(static_cast<RegistryType>(0x1234), key->ReadValue("Odd").value().Type);
  const RegistryValue none = key->ReadValue("None").value();
  EXPECT_EQ(RegistryType::None, none.Type);
  EXPECT_TRUE(none.Data.empty());

  EXPECT_EQ(std::nullopt, DwordOf(key->ReadValue("Short").value())) << "a REG_DWORD of three bytes has no number";
  EXPECT_EQ(std::nullopt, StringOf(key->ReadValue("Binary").value()));
}

TYPED_TEST_P(RegistryContract, OverwritingReplacesTypeAndDataInPlace) {
  auto key = this->Create("Order");
  key->WriteValue(MakeStringValue("b", "1"));
  key->WriteValue(MakeStringValue("a", "2"));
  key->WriteValue(MakeStringValue("c", "3"));
  key->WriteValue(MakeDwordValue("B", 7));
  if constexpr (TypeParam::kEnumeratesInWriteOrder) {
    EXPECT_EQ((std::vector<std::string>{"b", "a", "c"}), this->NamesOf(key->EnumValues()));
  }
  EXPECT_EQ(3u, key->EnumValues().size());
  EXPECT_EQ(std::optional<std::uint32_t>(7), DwordOf(key->ReadValue("b").value()));
  EXPECT_EQ(std::nullopt, StringOf(key->ReadValue("b").value()));

  EXPECT_TRUE(key->DeleteValue("A"));
  key->WriteValue(MakeStringValue("a", "again"));
  if constexpr (TypeParam::kEnumeratesInWriteOrder) {
    EXPECT_EQ((std::vector<std::string>{"b", "c", "a"}), this->NamesOf(key->EnumValues()));
  }
}

TYPED_TEST_P(RegistryContract, DeleteValueRemovesOnlyThatValue) {
  auto key = this->Create("Software\\Pellix\\Search History");
  key->WriteValue(MakeStringValue("key1", "tea"));
  key->WriteValue(MakeStringValue("key2", "cake"));
  EXPECT_TRUE(key->DeleteValue("KEY1"));
  EXPECT_FALSE(key->DeleteValue("key1"));
  EXPECT_FALSE(key->ValueExists("key1"));
  EXPECT_EQ(std::vector<std::string>{"key2"},
            this->NamesOf(this->Open("Software\\Pellix\\Search History")->EnumValues()));
}

TYPED_TEST_P(RegistryContract, ChangesThroughOneKeyShowThroughAnother) {
  auto writer = this->Create("Shared");
  auto reader = this->Open("shared");
  writer->WriteValue(MakeDwordValue("UseFilter", 1));
  EXPECT_EQ(std::optional<std::uint32_t>(1), DwordOf(reader->ReadValue("UseFilter").value()));
  this->Create("Shared\\Sub");
  EXPECT_EQ(std::vector<std::string>{"Sub"}, reader->EnumSubkeys());
}

// --- deleting keys ---

TYPED_TEST_P(RegistryContract, DeleteKeyRemovesTheWholeSubtreeAndNothingElse) {
  this->Create("CLSID\\{A}\\InprocServer32")->WriteValue(MakeStringValue("ThreadingModel", "Apartment"));
  this->Create("CLSID\\{A}\\Implemented Categories\\{B}");
  this->Create("CLSID\\{A}2")->WriteValue(MakeStringValue("", "a sibling whose name starts alike"));

  EXPECT_TRUE(this->Registry().DeleteKey(this->kUser, "clsid\\{a}"));
  EXPECT_FALSE(this->Registry().KeyExists(this->kUser, "CLSID\\{A}"));
  EXPECT_FALSE(this->Registry().KeyExists(this->kUser, "CLSID\\{A}\\InprocServer32"));
  EXPECT_EQ(std::vector<std::string>{"{A}2"}, this->Open("CLSID")->EnumSubkeys());
  EXPECT_FALSE(this->Registry().DeleteKey(this->kUser, "CLSID\\{A}"));

  auto recreated = this->Create("CLSID\\{A}");
  EXPECT_TRUE(recreated->EnumSubkeys().empty()) << "nothing of the deleted subtree comes back";
  EXPECT_TRUE(this->Create("CLSID\\{A}\\InprocServer32")->EnumValues().empty());
}

TYPED_TEST_P(RegistryContract, RootKeysCannotBeDeleted) {
  this->Create("Software");
  EXPECT_THROW(this->Registry().DeleteKey(this->kUser, ""), RegistryError);
  EXPECT_THROW(this->Registry().DeleteKey(this->kUser, "\\"), RegistryError);
  EXPECT_TRUE(this->Registry().KeyExists(this->kUser, "Software"));
}

TYPED_TEST_P(RegistryContract, KeyOfADeletedKeyReadsNothingAndRefusesWrites) {
  this->Create("Gone\\Sub")->WriteValue(MakeStringValue("v", "1"));
  auto open = this->Open("Gone\\Sub", true);
  ASSERT_TRUE(this->Registry().DeleteKey(this->kUser, "Gone"));

  EXPECT_FALSE(open->ReadValue("v").has_value());
  EXPECT_TRUE(open->EnumValues().empty());
  EXPECT_THROW(open->WriteValue(MakeStringValue("v", "2")), RegistryError);
  EXPECT_FALSE(this->Registry().KeyExists(this->kUser, "Gone\\Sub")) << "a write must not bring the key back";
}

// --- refused changes ---

TYPED_TEST_P(RegistryContract, KeyOpenedReadOnlyRefusesChanges) {
  this->Create("Software")->WriteValue(MakeStringValue("kept", "yes"));
  auto key = this->Open("Software", false);
  EXPECT_THROW(key->WriteValue(MakeStringValue("new", "no")), RegistryError);
  EXPECT_THROW(key->DeleteValue("kept"), RegistryError);
  EXPECT_FALSE(key->DeleteValue("missing"));
  EXPECT_EQ(std::vector<std::string>{"kept"}, this->NamesOf(key->EnumValues()));

  this->Open("Software", true)->WriteValue(MakeStringValue("new", "yes"));
  EXPECT_TRUE(key->ValueExists("new"));
}

TYPED_TEST_P(RegistryContract, ReadOnlyRegistryReadsEverythingAndRefusesEveryChange) {
  if constexpr (!TypeParam::kCanBeReadOnly) GTEST_SKIP() << "this backend's platform cannot take rights away";
  this->Create("Software\\Pellix\\Hoardscope", this->kMachine)->WriteValue(MakeDwordValue("UseFilter", 1));
  this->Create("Software\\Pellix\\Hoardscope\\Search History", this->kMachine);
  this->Backend.MakeReadOnly();
  IRegistry& registry = this->Registry();

  // Opening with create-if-missing still works for an existing key, so that its values can be read.
  auto key = registry.CreateKey(this->kMachine, "Software\\Pellix\\Hoardscope");
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(std::optional<std::uint32_t>(1), DwordOf(key->ReadValue("UseFilter").value()));
  EXPECT_EQ(std::vector<std::string>{"Search History"}, key->EnumSubkeys());

  EXPECT_THROW(key->WriteValue(MakeDwordValue("UseFilter", 0)), RegistryError);
  EXPECT_THROW(key->DeleteValue("UseFilter"), RegistryError);
  EXPECT_THROW(registry.CreateKey(this->kMachine, "Software\\Pellix\\Hoardscope\\New"), RegistryError);
  EXPECT_THROW(registry.DeleteKey(this->kMachine, "Software\\Pellix\\Hoardscope\\Search History"), RegistryError);
  EXPECT_FALSE(registry.DeleteKey(this->kMachine, "Software\\Missing"));
  EXPECT_FALSE(key->DeleteValue("Missing"));

  EXPECT_EQ(std::optional<std::uint32_t>(1), DwordOf(key->ReadValue("UseFilter").value()));
  EXPECT_TRUE(registry.KeyExists(this->kMachine, "Software\\Pellix\\Hoardscope\\Search History"));
  EXPECT_FALSE(registry.KeyExists(this->kMachine, "Software\\Pellix\\Hoardscope\\New"));
}

REGISTER_TYPED_TEST_SUITE_P(RegistryContract, MissingKeyIsAbsentEverywhere,
                            CreateKeyMakesMissingParentsAndReopensExistingKeys, RootsAreSeparateTrees,
                            NamesIgnoreCaseAndKeepTheCaseFirstWritten, EnumSubkeysListsDirectSubkeysSortedWithoutCase,
                            StringsAndNumbersReadBackAsWritten, OtherTypesReadBackWithTheirTypeAndBytes,
                            OverwritingReplacesTypeAndDataInPlace, DeleteValueRemovesOnlyThatValue,
                            ChangesThroughOneKeyShowThroughAnother, DeleteKeyRemovesTheWholeSubtreeAndNothingElse,
                            RootKeysCannotBeDeleted, KeyOfADeletedKeyReadsNothingAndRefusesWrites,
                            KeyOpenedReadOnlyRefusesChanges, ReadOnlyRegistryReadsEverythingAndRefusesEveryChange);

}  // namespace hoardscope
