// The registry layer against Wine's registry: the registry contract, each test in an empty registry of its own.
#include "platform/win32/WinRegistry.h"
#include "tests/contract/RegistryContract.h"
#include "tests/win32/WineSupport.h"

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
  // Wine checks no rights when a key is created below an open one, so a registry cannot be made read-only here.
  static constexpr bool kCanBeReadOnly = false;
  void MakeReadOnly() {}
  // Wine lists the values of a key sorted by name; Windows in the order they were written.
  static constexpr bool kEnumeratesInWriteOrder = false;

 private:
  std::string FBase;
  HKEY FRoots[3] = {};
  std::unique_ptr<TWinRegistry> FRegistry;
};

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
