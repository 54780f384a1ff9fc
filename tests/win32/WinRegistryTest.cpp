// The registry layer against Wine's registry: the registry contract, each test in an empty registry of its own.
#include "platform/win32/WinRegistry.h"
#include "tests/contract/RegistryContract.h"
#include "tests/win32/WineSupport.h"

#include <sddl.h>  // after the system headers that WineSupport.h brings

namespace hoardscope::win32 {
namespace {

// An empty registry for one test: three fresh keys below HKEY_CURRENT_USER\Software\Hoardscope Tests\<process id>
// stand in for the roots, and go with the backend.
class TWinRegistryBackend {
 public:
  TWinRegistryBackend() : FBase("Software\\Hoardscope Tests\\" + std::to_string(GetCurrentProcessId())) {
    RegDeleteTreeA(HKEY_CURRENT_USER, FBase.c_str());
    for (HKEY& root : FRoots) {
      const std::string path = FBase + "\\" + std::to_string(&root - FRoots);
      EXPECT_EQ(ERROR_SUCCESS, RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS,
                                               nullptr, &root, nullptr));
    }
    FRegistry = std::make_unique<TWinRegistry>(FRoots[0], FRoots[1], FRoots[2]);
  }
  ~TWinRegistryBackend() {
    for (HKEY root : FRoots) RegCloseKey(root);
    RegDeleteTreeA(HKEY_CURRENT_USER, FBase.c_str());
    RegDeleteKeyA(HKEY_CURRENT_USER, FBase.c_str());
  }

  IRegistry& Registry() { return *FRegistry; }
  // Wine checks a key's rights when it is opened, but none when keys are created or deleted below it, so a whole
  // registry cannot be made read-only here; KeyWithoutWriteRightsIsReadAndRefusesWrites checks one key.
  static constexpr bool kCanBeReadOnly = false;
  void MakeReadOnly() {}
  // Wine lists the values of a key sorted by name; Windows in the order they were written.
  static constexpr bool kEnumeratesInWriteOrder = false;

 private:
  std::string FBase;
  HKEY FRoots[3] = {};
  std::unique_ptr<TWinRegistry> FRegistry;
};

// Gives a key below HKEY_CURRENT_USER the rights of an SDDL text.
void SetRights(const std::string& path, const char* rights) {
  HKEY key = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, WRITE_DAC, &key));
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA(rights, SDDL_REVISION_1, &descriptor, nullptr));
  EXPECT_EQ(ERROR_SUCCESS, RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, descriptor));
  LocalFree(descriptor);
  RegCloseKey(key);
}

// The MIME database as the view looks a content type up: an absolute path below HKEY_CLASSES_ROOT, read-only.
TEST(WinRegistryTest, MimeDatabaseIsReadThroughTheClassesRoot) {
  constexpr const char* kType = "MIME\\Database\\Content Type\\image/x-hoardscope-test";
  TWinRegistry registry;
  registry.CreateKey(RegistryRoot::ClassesRoot, kType)->WriteValue(MakeStringValue("Extension", ".hst"));
  const auto key = registry.OpenKey(RegistryRoot::ClassesRoot, std::string("\\") + kType, false);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(std::optional<std::string>(".hst"), StringOf(key->ReadValue("Extension").value()));
  EXPECT_THROW(key->WriteValue(MakeStringValue("Extension", ".x")), RegistryError) << "opened read-only";
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::ClassesRoot, kType));
}

// A key whose rights allow reading only, as HKEY_LOCAL_MACHINE's keys are for a user who is no administrator:
// opening it with create-if-missing still reads it, and each write is refused.
TEST(WinRegistryTest, KeyWithoutWriteRightsIsReadAndRefusesWrites) {
  const std::string path = "Software\\Hoardscope Tests\\Read only " + std::to_string(GetCurrentProcessId());
  TWinRegistry registry;
  registry.CreateKey(RegistryRoot::CurrentUser, path)->WriteValue(MakeDwordValue("UseFilter", 1));
  SetRights(path, "D:P(A;;KR;;;WD)");

  const auto key = registry.CreateKey(RegistryRoot::CurrentUser, path);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(std::optional<std::uint32_t>(1), DwordOf(key->ReadValue("UseFilter").value()));
  EXPECT_THROW(key->WriteValue(MakeDwordValue("UseFilter", 0)), RegistryError);
  EXPECT_THROW(key->DeleteValue("UseFilter"), RegistryError);
  EXPECT_FALSE(key->DeleteValue("Missing"));
  EXPECT_EQ(nullptr, registry.OpenKey(RegistryRoot::CurrentUser, path, true));

  SetRights(path, "D:P(A;;KA;;;WD)");  // the owner may give the rights back, so that the key can go
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::CurrentUser, path));
}

// The settings key: full access where the user has it, and the system's other roots left as they are.
TEST(WinRegistryTest, SettingsKeyUnderTheLocalMachineIsCreatedAndWritten) {
  TWinRegistry registry;
  const std::string path = "Software\\Hoardscope Tests\\Settings " + std::to_string(GetCurrentProcessId());
  registry.CreateKey(RegistryRoot::LocalMachine, path)->WriteValue(MakeDwordValue("UseFilter", 5));
  HKEY raw = nullptr;
  ASSERT_EQ(ERROR_SUCCESS, RegOpenKeyExA(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &raw));
  DWORD type = 0, number = 0, size = sizeof number;
  EXPECT_EQ(ERROR_SUCCESS, RegQueryValueExA(raw, "UseFilter", nullptr, &type, reinterpret_cast<BYTE*>(&number), &size));
  RegCloseKey(raw);
  EXPECT_EQ(static_cast<DWORD>(REG_DWORD), type);
  EXPECT_EQ(5u, number);
  EXPECT_TRUE(registry.DeleteKey(RegistryRoot::LocalMachine, path));
  EXPECT_FALSE(registry.KeyExists(RegistryRoot::LocalMachine, path));
}

}  // namespace
}  // namespace hoardscope::win32

namespace hoardscope {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, RegistryContract, ::testing::Types<win32::TWinRegistryBackend>);
}  // namespace hoardscope
