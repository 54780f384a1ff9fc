// hoardscope.dll as the system sees it: its exported entry points, and registration by Wine's regsvr32 checked
// with Wine's reg tool.
#include "com/ComPtr.h"
#include "com/Hoardscope_TLB.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using TCanUnloadNow = HRESULT(WINAPI*)();

constexpr const char* kBand = "{717CBA3F-9DEC-4F4D-85EC-6F435BFE12D9}";
constexpr const char* kDownload = "{97D57733-5B03-4C51-B735-13F9ADB02F7A}";
constexpr const char* kLibrary = "{5B9CEBC5-6642-4C5D-AA72-AC904168A01B}";

// An exported function, by its name.
void* Export(HMODULE module, const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }

std::string Query(const std::string& key) { return RunCommand("reg query " + Quoted(key) + " /s").Out; }
bool KeyExists(const std::string& key) { return RunCommand("reg query " + Quoted(key)).ExitCode == 0; }

// The module's path as it registers itself as its classes' server: in the short form when the path holds a blank.
std::string ServerPath(const std::string& path) {
  if (path.find(' ') == std::string::npos) return path;
  char shortPath[MAX_PATH] = {};
  return GetShortPathNameA(path.c_str(), shortPath, MAX_PATH) > 0 ? std::string(shortPath) : path;
}

class ModuleTest : public ::testing::Test {
 protected:
  TNoDesktopWithoutDisplay FNoDesktop;
};

TEST_F(ModuleTest, EntryPointsHandOutTheTwoFactoriesAndCountTheirReferences) {
  const HMODULE module = LoadLibraryA(ModulePath().c_str());
  ASSERT_TRUE(module);
  const auto getClassObject = reinterpret_cast<TGetClassObject>(Export(module, "DllGetClassObject"));
  const auto canUnloadNow = reinterpret_cast<TCanUnloadNow>(Export(module, "DllCanUnloadNow"));
  ASSERT_TRUE(getClassObject && canUnloadNow);
  ASSERT_TRUE(Export(module, "DllRegisterServer") && Export(module, "DllUnregisterServer"));

  void* object = module;
  EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IHSCDownload, IID_IClassFactory, &object));
  EXPECT_EQ(nullptr, object);
  EXPECT_EQ(E_NOINTERFACE, getClassObject(CLSID_IECacheBand, IID_IDispatch, &object));

  TComPtr<IClassFactory> factory;
  ASSERT_EQ(S_OK, getClassObject(CLSID_HSCDownload, IID_IClassFactory, reinterpret_cast<void**>(factory.Out())));
  EXPECT_EQ(S_FALSE, canUnloadNow());
  TComPtr<IDispatch> download;
  ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, reinterpret_cast<void**>(download.Out())));
  factory.Reset();
  EXPECT_EQ(S_FALSE, canUnloadNow());
  UINT typeInfoCount = 0;
  EXPECT_EQ(S_OK, download->GetTypeInfoCount(&typeInfoCount));
  EXPECT_EQ(1u, typeInfoCount);
  download.Reset();
  EXPECT_EQ(S_OK, canUnloadNow());

  ASSERT_EQ(S_OK, getClassObject(CLSID_IECacheBand, IID_IUnknown, reinterpret_cast<void**>(factory.Out())));
  TComPtr<IDeskBand> band;
  EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDeskBand, reinterpret_cast<void**>(band.Out())));
  band.Reset();
  factory.Reset();
  EXPECT_EQ(S_OK, canUnloadNow());
  FreeLibrary(module);
}

TEST_F(ModuleTest, Regsvr32WritesEveryKeyAndValueAndUnregistersTwice) {
  const std::string path = ModulePath();
  ASSERT_EQ(0, Regsvr32(path));

  EXPECT_EQ(std::string("\n") +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kBand + "\n    (Default)    REG_SZ    Hoard&scope\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kBand + "\\Implemented Categories\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kBand + "\\Implemented Categories\\{00021493-0000-0000-C000-000000000046}\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kBand + "\\InprocServer32\n    (Default)    REG_SZ    " +
                ServerPath(path) + "\n    ThreadingModel    REG_SZ    Apartment\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kBand + "\\ProgID\n    (Default)    REG_SZ    Hoardscope.Hoardscope\n\n",
            Query(std::string("HKCR\\CLSID\\") + kBand));
  EXPECT_EQ(std::string("\n") +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kDownload + "\n    (Default)    REG_SZ    HSCDownload Object\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kDownload + "\\InprocServer32\n    (Default)    REG_SZ    " +
                ServerPath(path) + "\n    ThreadingModel    REG_SZ    Apartment\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kDownload + "\\ProgID\n    (Default)    REG_SZ    Hoardscope.HSCDownload\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kDownload + "\\TypeLib\n    (Default)    REG_SZ    " + kLibrary + "\n\n" +
                "HKEY_CLASSES_ROOT\\CLSID\\" + kDownload + "\\Version\n    (Default)    REG_SZ    1.0\n\n",
            Query(std::string("HKCR\\CLSID\\") + kDownload));
  EXPECT_EQ(std::string("\n") +
                "HKEY_CLASSES_ROOT\\Hoardscope.HSCDownload\n    (Default)    REG_SZ    HSCDownload Object\n\n" +
                "HKEY_CLASSES_ROOT\\Hoardscope.HSCDownload\\Clsid\n    (Default)    REG_SZ    " + kDownload + "\n\n",
            Query("HKCR\\Hoardscope.HSCDownload"));
  EXPECT_EQ(std::string("\n") +
                "HKEY_CLASSES_ROOT\\Hoardscope.Hoardscope\n    (Default)    REG_SZ    \n\n" +
                "HKEY_CLASSES_ROOT\\Hoardscope.Hoardscope\\Clsid\n    (Default)    REG_SZ    " + kBand + "\n\n",
            Query("HKCR\\Hoardscope.Hoardscope"));
  EXPECT_NE(std::string::npos, Query(std::string("HKCR\\TypeLib\\") + kLibrary).find("REG_SZ    " + path + "\n"));

  ASSERT_EQ(0, Regsvr32(path, true));
  for (const std::string& key : {std::string("HKCR\\CLSID\\") + kBand, std::string("HKCR\\CLSID\\") + kDownload,
                                std::string("HKCR\\Hoardscope.HSCDownload"), std::string("HKCR\\Hoardscope.Hoardscope"),
                                std::string("HKCR\\TypeLib\\") + kLibrary}) {
    EXPECT_FALSE(KeyExists(key)) << key;
  }
  EXPECT_EQ(0, Regsvr32(path, true));  // again: nothing left to remove is no failure
}

TEST_F(ModuleTest, AModulePathWithABlankIsRegisteredInItsShortForm) {
  const fs::path folder = fs::path("C:\\Program Files\\Hoardscope Test");
  fs::create_directories(folder);
  const std::string path = (folder / "hoardscope.dll").string();
  ASSERT_TRUE(CopyFileA(ModulePath().c_str(), path.c_str(), FALSE));
  const std::string shortPath = ServerPath(path);
  ASSERT_EQ(std::string::npos, shortPath.find(' '));

  ASSERT_EQ(0, Regsvr32(path));
  const std::string band = Query(std::string("HKCR\\CLSID\\") + kBand + "\\InprocServer32");
  EXPECT_NE(std::string::npos, band.find("(Default)    REG_SZ    " + shortPath + "\n")) << band;
  const std::string library = Query(std::string("HKCR\\TypeLib\\") + kLibrary);
  EXPECT_NE(std::string::npos, library.find("REG_SZ    " + path + "\n")) << library;

  EXPECT_EQ(0, Regsvr32(path, true));
  fs::remove_all(folder);
}

}  // namespace
}  // namespace hoardscope::win32
