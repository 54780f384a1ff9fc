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

}  // namespace
}  // namespace hoardscope::win32

namespace hoardscope {
INSTANTIATE_TYPED_TEST_SUITE_P(Wine, RegistryContract, ::testing::Types<win32::TWinRegistryBackend>);
}  // namespace hoardscope
