// The Linux edition's COM layer: wide strings, error information, the type library over the generated dispatch
// tables (registration keys and late-bound calls), loading modules, the hosting browser's interface and the
// download copy.
#include <gtest/gtest.h>

#include "Hoardscope_dispatch.h"
#include "com/ClassRegistry.h"
#include "com/ComBrowser.h"
#include "com/ComPtr.h"
#include "com/ComSupport.h"
#include "com/ComModule.h"
#include "platform/linux/LinuxFileCopier.h"
#include "platform/linux/LinuxTypeLibrary.h"
#include "tests/contract/FileCopierContract.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

TEST(ComRuntimeTest, WideTextRoundTripsThroughUtf16) {
  const std::string text = "Gr\xC3\xBC\xC3\x9F" "e \xF0\x9F\x98\x80 \xE2\x82\xAC";  // two-, four- and three-byte forms
  const std::u16string wide = WideOfText(text);
  EXPECT_EQ(u"Gr\u00FC\u00DFe \U0001F600 \u20AC", wide);
  EXPECT_EQ(text, TextOfWide(wide));
  EXPECT_EQ(u"a\uFFFDb\uFFFD", WideOfText("a\xFF" "b\xC3"));   // invalid and cut-off sequences
  EXPECT_EQ("\xEF\xBF\xBD", TextOfWide(u"\xD800"));              // a lone surrogate
  EXPECT_EQ(u"\uFFFD", WideOfText("\xC0\xAF"));                  // an overlong form
}

TEST(ComRuntimeTest, BstrsKnowTheirLengthAndHoldNuls) {
  BSTR text = SysAllocStringLen(u"a\0b", 3);
  EXPECT_EQ(3u, SysStringLen(text));
  EXPECT_EQ(u'\0', text[3]);
  EXPECT_EQ(std::string("a\0b", 3), TextOfBstr(text));
  SysFreeString(text);
  EXPECT_EQ(0u, SysStringLen(nullptr));
  EXPECT_EQ(nullptr, SysAllocString(nullptr));
}

TEST(ComRuntimeTest, ErrorInformationIsHandedOverOnce) {
  SetErrorInfoText(IID_IHSCDownload, "Hoardscope.HSCDownload", "it failed");
  IErrorInfo* info = nullptr;
  ASSERT_EQ(S_OK, GetErrorInfo(0, &info));
  BSTR description = nullptr;
  info->GetDescription(&description);
  EXPECT_EQ("it failed", TextOfBstr(description));
  SysFreeString(description);
  info->Release();
  EXPECT_EQ(S_FALSE, GetErrorInfo(0, &info));  // taking it cleared the thread's information
  EXPECT_EQ(nullptr, info);
}

// An IHSCDownload that records its calls and can be made to fail.
class TRecordingDownload : public IHSCDownload {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
  HRESULT BeginSetSWF() override { return Note("BeginSetSWF"); }
  HRESULT BeginSetIMG() override { return Note("BeginSetIMG"); }
  HRESULT EndSetSWF() override { return Note("EndSetSWF"); }
  HRESULT EndSetIMG() override {
    SetErrorInfoText(IID_IHSCDownload, "Hoardscope.HSCDownload", "no batch");
    return E_UNEXPECTED;
  }
  HRESULT SetSWF(VARIANT movie, VARIANT base) override {
    return Note("SetSWF " + TextOfVariant(movie) + " " + TextOfVariant(base));
  }
  HRESULT SetIMG(VARIANT image, VARIANT base) override {
    return Note("SetIMG " + TextOfVariant(image) + " " + TextOfVariant(base));
  }
  std::vector<std::string> Calls;

 private:
  HRESULT Note(const std::string& call) {
    Calls.push_back(call);
    return S_OK;
  }
};

class LinuxTypeLibraryTest : public ::testing::Test {
 protected:
  DISPID IdOf(const std::u16string& name) {
    std::u16string copy = name;
    LPOLESTR names[] = {copy.data()};
    DISPID id = 0;
    EXPECT_EQ(S_OK, Library.GetIDsOfNames(IID_IHSCDownload, names, 1, &id));
    return id;
  }
  HRESULT Call(DISPID member, std::vector<VARIANT> lastFirst, EXCEPINFO* exception = nullptr,
               WORD flags = DISPATCH_METHOD) {
    DISPPARAMS params{lastFirst.data(), nullptr, static_cast<UINT>(lastFirst.size()), 0};
    return Library.Invoke(IID_IHSCDownload, static_cast<IHSCDownload*>(&Object), member, flags, &params, nullptr,
                          exception, nullptr);
  }
  // A text argument; the fixture frees its BSTR.
  VARIANT Text(const char16_t* text) {
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(text);
    FTexts.push_back(value.bstrVal);
    return value;
  }
  ~LinuxTypeLibraryTest() override {
    for (BSTR text : FTexts) SysFreeString(text);
  }

  TFakeRegistry Registry;
  TLinuxTypeLibrary Library{idl::kLibrary, [this]() -> IRegistry& { return Registry; }};
  TRecordingDownload Object;

 private:
  std::vector<BSTR> FTexts;
};

TEST_F(LinuxTypeLibraryTest, DescribesTheLibraryFromItsDefinition) {
  EXPECT_EQ("Hoardscope", Library.Name());
  EXPECT_EQ(LIBID_Hoardscope, Library.LibraryId());
  EXPECT_EQ(1, Library.Version().Major);
  EXPECT_EQ(0, Library.Version().Minor);
  EXPECT_EQ("HSCDownload", Library.FindCoClass(CLSID_HSCDownload)->Name);
  EXPECT_EQ("HSCDownload Object", Library.FindCoClass(CLSID_HSCDownload)->Description);
  EXPECT_EQ("IECacheBand Object", Library.FindCoClass(CLSID_IECacheBand)->Description);
  EXPECT_FALSE(Library.FindCoClass(IID_IHSCDownload));
}

TEST_F(LinuxTypeLibraryTest, NamesGiveTheDispidsOfTheDefinition) {
  const std::vector<std::u16string> names = {u"BeginSetSWF", u"BeginSetIMG", u"EndSetSWF",
                                             u"EndSetIMG",   u"SetSWF",      u"setimg"};
  for (std::size_t i = 0; i < names.size(); ++i) EXPECT_EQ(static_cast<DISPID>(i + 1), IdOf(names[i]));

  std::u16string member = u"SetIMG", parameter = u"baseurl", unknown = u"Nothing";
  LPOLESTR withParameter[] = {member.data(), parameter.data()};
  DISPID ids[2] = {};
  EXPECT_EQ(S_OK, Library.GetIDsOfNames(IID_IHSCDownload, withParameter, 2, ids));
  EXPECT_EQ(6, ids[0]);
  EXPECT_EQ(1, ids[1]);
  LPOLESTR missing[] = {unknown.data()};
  EXPECT_EQ(DISP_E_UNKNOWNNAME, Library.GetIDsOfNames(IID_IHSCDownload, missing, 1, ids));
  EXPECT_EQ(DISPID_UNKNOWN, ids[0]);
}

TEST_F(LinuxTypeLibraryTest, InvokeCallsTheMethodWithItsArgumentsInOrder) {
  EXPECT_EQ(S_OK, Call(1, {}));
  VARIANT base = Text(u"http://h/page.html");
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_VARIANT | VT_BYREF;
  reference.pvarVal = &base;
  EXPECT_EQ(S_OK, Call(5, {reference, Text(u"movie.swf")}));
  EXPECT_EQ((std::vector<std::string>{"BeginSetSWF", "SetSWF movie.swf http://h/page.html"}), Object.Calls);
}

TEST_F(LinuxTypeLibraryTest, InvokeRefusesWhatTheMethodCannotTake) {
  EXPECT_EQ(DISP_E_BADPARAMCOUNT, Call(6, {Text(u"one")}));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(7, {}));
  EXPECT_EQ(DISP_E_MEMBERNOTFOUND, Call(1, {}, nullptr, DISPATCH_PROPERTYGET));
  std::vector<VARIANT> arguments = {Text(u"a"), Text(u"b")};
  DISPID named[] = {0};
  DISPPARAMS params{arguments.data(), named, 2, 1};
  EXPECT_EQ(DISP_E_NONAMEDARGS, Library.Invoke(IID_IHSCDownload, static_cast<IHSCDownload*>(&Object), 6,
                                               DISPATCH_METHOD, &params, nullptr, nullptr, nullptr));
  EXPECT_EQ(std::vector<std::string>{}, Object.Calls);
}

TEST_F(LinuxTypeLibraryTest, AFailedMethodBecomesAnExceptionWithItsErrorInformation) {
  EXCEPINFO exception{};
  EXPECT_EQ(DISP_E_EXCEPTION, Call(4, {}, &exception));
  EXPECT_EQ(E_UNEXPECTED, exception.scode);
  EXPECT_EQ("Hoardscope.HSCDownload", TextOfBstr(exception.bstrSource));
  EXPECT_EQ("no batch", TextOfBstr(exception.bstrDescription));
  for (BSTR text : {exception.bstrSource, exception.bstrDescription, exception.bstrHelpFile}) SysFreeString(text);
}

TEST_F(LinuxTypeLibraryTest, RegistrationWritesTheKeysOfTheWindowsRegistration) {
  ASSERT_EQ(S_OK, Library.Register("/opt/hs/libhoardscope.so", "/opt/hs/"));
  const auto text = [&](const std::string& key, const std::string& name = "") {
    const auto opened = Registry.OpenKey(RegistryRoot::ClassesRoot, key, false);
    const auto value = opened ? opened->ReadValue(name) : std::nullopt;
    return value ? StringOf(*value).value_or("") : "<none>";
  };
  const std::string library = "TypeLib\\{5B9CEBC5-6642-4C5D-AA72-AC904168A01B}\\1.0";
  const std::string dual = "Interface\\{23A54D64-E6D6-4ABB-8108-D6D778A881D0}";
  EXPECT_EQ("Hoardscope Library", text(library));
  EXPECT_EQ("/opt/hs/libhoardscope.so", text(library + "\\409\\win32"));
  EXPECT_EQ("/opt/hs/", text(library + "\\HELPDIR"));
  EXPECT_EQ("IHSCDownload", text(dual));
  EXPECT_EQ("{00020424-0000-0000-C000-000000000046}", text(dual + "\\ProxyStubClsid32"));
  EXPECT_EQ("{5B9CEBC5-6642-4C5D-AA72-AC904168A01B}", text(dual + "\\TypeLib"));
  EXPECT_EQ("1.0", text(dual + "\\TypeLib", "Version"));
  EXPECT_EQ("<none>", text("Interface\\{AD1671D1-C6CE-4DC8-AB53-E36C8E232B43}"));  // not an automation interface

  EXPECT_EQ(S_OK, Library.Unregister());
  EXPECT_FALSE(Registry.KeyExists(RegistryRoot::ClassesRoot, "TypeLib\\{5B9CEBC5-6642-4C5D-AA72-AC904168A01B}"));
  EXPECT_FALSE(Registry.KeyExists(RegistryRoot::ClassesRoot, dual));
  EXPECT_EQ(TYPE_E_REGISTRYACCESS, Library.Unregister());
}

TEST(ComModuleTest, LoadingReportsFilesThatAreNoModules) {
  TTempFolder folder("com-module");
  WriteFile(folder.Path / "text.so", "not a library");
  EXPECT_THROW(TComModule(folder.Path / "missing.so"), std::runtime_error);
  EXPECT_THROW(TComModule(folder.Path / "text.so"), std::runtime_error);
  try {
    TComModule module("libm.so.6");
    FAIL() << "a library without the entry points loaded";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string::npos, std::string(error.what()).find("DllGetClassObject")) << error.what();
  }
}

TEST(ComModuleTest, ClassesAreFoundThroughProgIdAndCLSID) {
  TFakeRegistry registry;
  EXPECT_FALSE(ClassOfProgId(registry, "Hoardscope.HSCDownload"));
  registry.CreateKey(RegistryRoot::ClassesRoot, "Hoardscope.HSCDownload\\Clsid")
      ->WriteValue(MakeStringValue("", "{97D57733-5B03-4C51-B735-13F9ADB02F7A}"));
  registry.CreateKey(RegistryRoot::ClassesRoot, "CLSID\\{97D57733-5B03-4C51-B735-13F9ADB02F7A}\\InprocServer32")
      ->WriteValue(MakeStringValue("", "/opt/hs/libhoardscope.so"));
  EXPECT_EQ(CLSID_HSCDownload, ClassOfProgId(registry, "hoardscope.hscdownload"));
  EXPECT_EQ("/opt/hs/libhoardscope.so", ModuleOfClass(registry, CLSID_HSCDownload));
  EXPECT_FALSE(ModuleOfClass(registry, CLSID_IECacheBand));
}

// The browser object of a host window, as far as the Linux edition's browser offers it.
class TFakeWebBrowser : public IWebBrowser2 {
 public:
  HRESULT QueryInterface(REFIID, void**) override { return E_NOINTERFACE; }
  ULONG AddRef() override { return ++References; }
  ULONG Release() override { return --References; }
  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override { return E_NOTIMPL; }
  HRESULT Navigate(BSTR url, VARIANT* flags, VARIANT* frame, VARIANT* postData, VARIANT* headers) override {
    for (VARIANT* optional : {flags, frame, postData, headers}) {
      if (!optional || optional->vt != VT_EMPTY) return E_INVALIDARG;
    }
    Navigations.push_back(TextOfBstr(url));
    return Result;
  }
  HRESULT get_Offline(VARIANT_BOOL* offline) override {
    *offline = Offline;
    return Result;
  }
  ULONG References = 1;
  HRESULT Result = S_OK;
  VARIANT_BOOL Offline = VARIANT_FALSE;
  std::vector<std::string> Navigations;
};

TEST(ComBrowserTest, NavigatesAndReportsOfflineThroughTheBrowserObject) {
  TFakeWebBrowser browser;
  {
    TComBrowser port{TComPtr<IWebBrowser2>(&browser)};
    EXPECT_FALSE(port.IsOffline());
    browser.Offline = VARIANT_TRUE;
    EXPECT_TRUE(port.IsOffline());
    port.Navigate("http://h/a b.html");
    EXPECT_EQ(std::vector<std::string>{"http://h/a b.html"}, browser.Navigations);
    browser.Result = E_FAIL;
    EXPECT_THROW(port.Navigate("http://h/"), BrowserError);
    EXPECT_THROW(port.IsOffline(), BrowserError);
  }
  EXPECT_EQ(1u, browser.References);  // the port let go of the browser
}

class LinuxFileCopierTest : public ::testing::Test {
 protected:
  std::string Path(const std::string& name) { return (Folder.Path / name).string(); }

  TTempFolder Folder{"copier"};
  std::vector<std::string> Questions;
  std::optional<bool> Answer;
  TLinuxFileCopier Copier{[this](const std::string& target) {
    Questions.push_back(target);
    return Answer;
  }};
};

TEST_F(LinuxFileCopierTest, ReplacingAsksAndWithoutAnAnswerKeepsBoth) {
  WriteFile(Path("pic.gif"), "mine");
  WriteFile(Path("source"), "cached");
  Copier.Copy(Path("source"), Path("source"), true);  // onto itself: nothing to do, nothing asked
  EXPECT_EQ(std::vector<std::string>{}, Questions);
  Answer = false;
  Copier.Copy(Path("source"), Path("pic.gif"), true);
  EXPECT_EQ("mine", ReadFile(Path("pic.gif")));
  EXPECT_EQ(std::vector<std::string>{Path("pic.gif")}, Questions);

  Answer = std::nullopt;  // nobody to ask
  Copier.Copy(Path("source"), Path("pic.gif"), true);
  Copier.Copy(Path("source"), Path("pic.gif"), true);  // kept before: no second copy
  WriteFile(Path("newer"), "cached again");
  Copier.Copy(Path("newer"), Path("pic.gif"), true);
  WriteFile(Path("noext"), "mine");
  Copier.Copy(Path("source"), Path("noext"), true);
  EXPECT_EQ("mine", ReadFile(Path("pic.gif")));
  EXPECT_EQ("cached", ReadFile(Path("pic (2).gif")));
  EXPECT_EQ("cached again", ReadFile(Path("pic (3).gif")));
  EXPECT_FALSE(Copier.FileExists(Path("pic (4).gif")));
  EXPECT_EQ("cached", ReadFile(Path("noext (2)")));

  Answer = true;
  Copier.Copy(Path("source"), Path("pic.gif"), true);
  EXPECT_EQ("cached", ReadFile(Path("pic.gif")));
}

// The copier of the contract asks nobody.
struct TLinuxCopierBackend {
  IFileCopier& Copier() { return LinuxCopier; }
  TLinuxFileCopier LinuxCopier{[](const std::string&) { return std::optional<bool>(); }};
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Linux, FileCopierContract, ::testing::Types<TLinuxCopierBackend>);

}  // namespace hoardscope
