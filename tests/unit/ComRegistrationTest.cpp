// Registration and unregistration of the module against a fresh in-memory registry: every key and value of both
// classes, the band's explorer-bar entries, the type library, and the failure rules.
#include <gtest/gtest.h>

#include "com/IEClassFac.h"
#include "tests/unit/ComFakes.h"

namespace hoardscope {
namespace {

constexpr const char* kBandKey = "CLSID\\{717CBA3F-9DEC-4F4D-85EC-6F435BFE12D9}";
constexpr const char* kDownloadKey = "CLSID\\{97D57733-5B03-4C51-B735-13F9ADB02F7A}";
constexpr const char* kBarCaches = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Discardable\\PostSetup\\"
                                   "Component Categories\\";

class ComRegistrationTest : public ::testing::Test {
 protected:
  // The text of a value; "<no key>" or "<no value>" when it is missing.
  std::string Text(const std::string& key, const std::string& name = "", RegistryRoot root = RegistryRoot::ClassesRoot) {
    const auto opened = Host.RegistryStore.OpenKey(root, key, false);
    if (!opened) return "<no key>";
    const auto value = opened->ReadValue(name);
    return value ? StringOf(*value).value_or("<not text>") : "<no value>";
  }
  bool Exists(const std::string& key, RegistryRoot root = RegistryRoot::ClassesRoot) {
    return Host.RegistryStore.KeyExists(root, key);
  }

  TFakeModuleHost Host;
  TModuleEntry Entry{Host};
};

TEST_F(ComRegistrationTest, RegisteringWritesBothClassesWithProgIdsAndThreadingModel) {
  ASSERT_EQ(S_OK, Entry.RegisterServer());
  const std::string path = Host.Path;

  EXPECT_EQ("HSCDownload Object", Text(kDownloadKey));
  EXPECT_EQ(path, Text(std::string(kDownloadKey) + "\\InprocServer32"));
  EXPECT_EQ("Apartment", Text(std::string(kDownloadKey) + "\\InprocServer32", "ThreadingModel"));
  EXPECT_EQ("Hoardscope.HSCDownload", Text(std::string(kDownloadKey) + "\\ProgID"));
  EXPECT_EQ("1.0", Text(std::string(kDownloadKey) + "\\Version"));
  EXPECT_EQ("{5B9CEBC5-6642-4C5D-AA72-AC904168A01B}", Text(std::string(kDownloadKey) + "\\TypeLib"));
  EXPECT_EQ("HSCDownload Object", Text("Hoardscope.HSCDownload"));
  EXPECT_EQ("{97D57733-5B03-4C51-B735-13F9ADB02F7A}", Text("Hoardscope.HSCDownload\\Clsid"));

  EXPECT_EQ(path, Text(std::string(kBandKey) + "\\InprocServer32"));
  EXPECT_EQ("Apartment", Text(std::string(kBandKey) + "\\InprocServer32", "ThreadingModel"));
  EXPECT_EQ("Hoardscope.Hoardscope", Text(std::string(kBandKey) + "\\ProgID"));
  EXPECT_EQ("", Text("Hoardscope.Hoardscope"));   // the band's description is empty
  EXPECT_EQ("{717CBA3F-9DEC-4F4D-85EC-6F435BFE12D9}", Text("Hoardscope.Hoardscope\\Clsid"));
  EXPECT_FALSE(Exists(std::string(kBandKey) + "\\TypeLib"));   // the band's factory is not a typed one

  EXPECT_EQ(path, Host.Library.RegisteredPath);
  EXPECT_EQ(path.substr(0, path.size() - std::string("hoardscope.dll").size()), Host.Library.RegisteredHelpFolder);
}

TEST_F(ComRegistrationTest, TheBandIsAVerticalExplorerBarNamedWithItsAccelerator) {
  const auto caches = [](const char* category) { return std::string(kBarCaches) + category + "\\Enum"; };
  Host.RegistryStore.CreateKey(RegistryRoot::CurrentUser, caches(kVerticalBarCategory) + "\\Sub");
  Host.RegistryStore.CreateKey(RegistryRoot::CurrentUser, caches(kHorizontalBarCategory));

  ASSERT_EQ(S_OK, Entry.RegisterServer());
  EXPECT_EQ("Hoard&scope", Text(kBandKey));  // replaces the class's empty description
  EXPECT_TRUE(Exists(std::string(kBandKey) + "\\Implemented Categories\\" + kVerticalBarCategory));
  EXPECT_FALSE(Exists(std::string(kBandKey) + "\\Implemented Categories\\" + kHorizontalBarCategory));
  EXPECT_FALSE(Exists(caches(kVerticalBarCategory), RegistryRoot::CurrentUser));
  EXPECT_FALSE(Exists(caches(kHorizontalBarCategory), RegistryRoot::CurrentUser));
  EXPECT_TRUE(Exists(std::string(kBarCaches) + kVerticalBarCategory, RegistryRoot::CurrentUser));

  ASSERT_EQ(S_OK, Entry.RegisterServer());  // again, with the caches gone: no error
}

TEST_F(ComRegistrationTest, APathWithABlankIsRegisteredInItsShortForm) {
  Host.Path = "C:\\Program Files\\Hoardscope\\hoardscope.dll";
  ASSERT_EQ(S_OK, Entry.RegisterServer());
  EXPECT_EQ("SHORT:" + Host.Path, Text(std::string(kBandKey) + "\\InprocServer32"));
  EXPECT_EQ("SHORT:" + Host.Path, Text(std::string(kDownloadKey) + "\\InprocServer32"));
  EXPECT_EQ(Host.Path, Host.Library.RegisteredPath);  // the type library gets the full path
}

TEST_F(ComRegistrationTest, UnregisteringRemovesEveryKeyAndSucceedsAgainAndWithoutRegistration) {
  EXPECT_EQ(S_OK, Entry.UnregisterServer());  // never registered
  ASSERT_EQ(S_OK, Entry.RegisterServer());
  Host.RegistryStore.CreateKey(RegistryRoot::ClassesRoot, "CLSID\\{00000000-1111-2222-3333-444444444444}");

  EXPECT_EQ(S_OK, Entry.UnregisterServer());
  for (const char* key : {kBandKey, kDownloadKey, "Hoardscope.Hoardscope", "Hoardscope.HSCDownload"}) {
    EXPECT_FALSE(Exists(key)) << key;
  }
  EXPECT_TRUE(Exists("CLSID\\{00000000-1111-2222-3333-444444444444}"));
  EXPECT_EQ(2, Host.Library.Unregistered);
  EXPECT_EQ(S_OK, Entry.UnregisterServer());  // twice
}

TEST_F(ComRegistrationTest, UnregisteringKeepsAClassKeyThatHoldsForeignSubkeys) {
  ASSERT_EQ(S_OK, Entry.RegisterServer());
  Host.RegistryStore.CreateKey(RegistryRoot::ClassesRoot, std::string(kDownloadKey) + "\\Foreign");
  EXPECT_EQ(S_OK, Entry.UnregisterServer());
  EXPECT_TRUE(Exists(std::string(kDownloadKey) + "\\Foreign"));
  EXPECT_FALSE(Exists(std::string(kDownloadKey) + "\\InprocServer32"));
  EXPECT_FALSE(Exists(std::string(kBandKey)));  // the band's own steps delete its key with all subkeys
}

TEST_F(ComRegistrationTest, ARegistryThatRefusesWritesFailsTheRegistrationWithTheReason) {
  Host.RegistryStore.SetReadOnly(true);
  EXPECT_EQ(E_FAIL, Entry.RegisterServer());
  EXPECT_NE(std::string::npos, TakeErrorInfo().find("Hoardscope"));
  EXPECT_EQ(S_OK, Entry.UnregisterServer());  // keys that cannot be deleted are passed over
}

TEST_F(ComRegistrationTest, ATypeLibraryThatCannotBeRegisteredFailsTheRegistration) {
  Host.Library.RegisterResult = static_cast<HRESULT>(0x80070005);  // access denied
  EXPECT_EQ(E_FAIL, Entry.RegisterServer());
  EXPECT_FALSE(Exists(kBandKey));
}

}  // namespace
}  // namespace hoardscope
