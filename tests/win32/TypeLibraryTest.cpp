// The type library that hoardscope.dll carries, read back through oleaut32: library attributes, the four type
// descriptions in their order, and IHSCDownload's members with their DISPIDs and method-table order.
#include "com/ComPtr.h"
#include "com/ComSupport.h"
#include "com/Hoardscope_TLB.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

class TypeLibraryTest : public ::testing::Test {
 protected:
  TypeLibraryTest() {
    const std::wstring path = WideOfText(ModulePath());
    EXPECT_EQ(S_OK, LoadTypeLibEx(path.c_str(), REGKIND_NONE, Library.Out()));
  }

  struct TTypeFacts {
    std::string Name;
    std::string Help;
    TYPEKIND Kind;
    GUID Guid;
    WORD Flags;
    WORD Functions;
    WORD VtableSize;
  };

  TTypeFacts Facts(UINT index) {
    TComPtr<ITypeInfo> info;
    EXPECT_EQ(S_OK, Library->GetTypeInfo(index, info.Out()));
    TYPEATTR* attributes = nullptr;
    info->GetTypeAttr(&attributes);
    TTypeFacts facts{Documentation(info.Get(), MEMBERID_NIL).first, Documentation(info.Get(), MEMBERID_NIL).second,
                     attributes->typekind, attributes->guid, attributes->wTypeFlags, attributes->cFuncs,
                     attributes->cbSizeVft};
    info->ReleaseTypeAttr(attributes);
    return facts;
  }

  // The flags of the method-table half of a dual interface (widl marks it, not the dispatch half, as OLE
  // Automation).
  WORD VtableFlags(REFIID iid) {
    TComPtr<ITypeInfo> dispatch, methods;
    Library->GetTypeInfoOfGuid(iid, dispatch.Out());
    HREFTYPE vtablePart = 0;
    dispatch->GetRefTypeOfImplType(-1, &vtablePart);
    dispatch->GetRefTypeInfo(vtablePart, methods.Out());
    TYPEATTR* attributes = nullptr;
    methods->GetTypeAttr(&attributes);
    const WORD flags = attributes->wTypeFlags;
    methods->ReleaseTypeAttr(attributes);
    return flags;
  }

  static std::pair<std::string, std::string> Documentation(ITypeInfo* info, MEMBERID member) {
    BSTR name = nullptr;
    BSTR help = nullptr;
    info->GetDocumentation(member, &name, &help, nullptr, nullptr);
    std::pair<std::string, std::string> texts{TextOfBstr(name), TextOfBstr(help)};
    SysFreeString(name);
    SysFreeString(help);
    return texts;
  }

  TComPtr<ITypeLib> Library;
};

TEST_F(TypeLibraryTest, LibraryAttributes) {
  ASSERT_TRUE(Library);
  TLIBATTR* attributes = nullptr;
  ASSERT_EQ(S_OK, Library->GetLibAttr(&attributes));
  EXPECT_EQ(LIBID_Hoardscope, attributes->guid);
  EXPECT_EQ(1, attributes->wMajorVerNum);
  EXPECT_EQ(0, attributes->wMinorVerNum);
  EXPECT_EQ(0x0409u, attributes->lcid);
  Library->ReleaseTLibAttr(attributes);
  BSTR name = nullptr, help = nullptr, helpFile = nullptr;
  Library->GetDocumentation(-1, &name, &help, nullptr, &helpFile);
  EXPECT_EQ("Hoardscope", TextOfBstr(name));
  EXPECT_EQ("Hoardscope Library", TextOfBstr(help));
  EXPECT_EQ("", TextOfBstr(helpFile));
  for (BSTR text : {name, help, helpFile}) SysFreeString(text);
  EXPECT_EQ(4u, Library->GetTypeInfoCount());
}

TEST_F(TypeLibraryTest, FourTypeDescriptionsInOrder) {
  ASSERT_TRUE(Library);
  const TTypeFacts band = Facts(0);
  EXPECT_EQ("IIECacheBand", band.Name);
  EXPECT_EQ("Interface for IECacheBand Object", band.Help);
  EXPECT_EQ(TKIND_INTERFACE, band.Kind);
  EXPECT_EQ(IID_IIECacheBand, band.Guid);
  EXPECT_EQ(0, band.Flags & (TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDUAL));
  EXPECT_EQ(0, band.Functions);

  const TTypeFacts bandClass = Facts(1);
  EXPECT_EQ("IECacheBand", bandClass.Name);
  EXPECT_EQ("IECacheBand Object", bandClass.Help);
  EXPECT_EQ(TKIND_COCLASS, bandClass.Kind);
  EXPECT_EQ(CLSID_IECacheBand, bandClass.Guid);
  EXPECT_TRUE(bandClass.Flags & TYPEFLAG_FCANCREATE);

  const TTypeFacts download = Facts(2);
  EXPECT_EQ("IHSCDownload", download.Name);
  EXPECT_EQ("Dispatch interface for HSCDownload Object", download.Help);
  EXPECT_EQ(TKIND_DISPATCH, download.Kind);
  EXPECT_EQ(IID_IHSCDownload, download.Guid);
  const WORD dual = TYPEFLAG_FDUAL | TYPEFLAG_FDISPATCHABLE;
  EXPECT_EQ(dual, download.Flags & dual);
  EXPECT_EQ(TYPEFLAG_FOLEAUTOMATION, VtableFlags(IID_IHSCDownload) & TYPEFLAG_FOLEAUTOMATION);

  const TTypeFacts downloadClass = Facts(3);
  EXPECT_EQ("HSCDownload", downloadClass.Name);
  EXPECT_EQ("HSCDownload Object", downloadClass.Help);
  EXPECT_EQ(TKIND_COCLASS, downloadClass.Kind);
  EXPECT_EQ(CLSID_HSCDownload, downloadClass.Guid);
  EXPECT_TRUE(downloadClass.Flags & TYPEFLAG_FCANCREATE);
}

TEST_F(TypeLibraryTest, DownloadMethodsFollowIDispatchWithTheirDispids) {
  ASSERT_TRUE(Library);
  // The vtable half of the dual interface: its methods come after the seven of IDispatch.
  TComPtr<ITypeInfo> dispatch, methods;
  ASSERT_EQ(S_OK, Library->GetTypeInfoOfGuid(IID_IHSCDownload, dispatch.Out()));
  HREFTYPE vtablePart = 0;
  ASSERT_EQ(S_OK, dispatch->GetRefTypeOfImplType(-1, &vtablePart));
  ASSERT_EQ(S_OK, dispatch->GetRefTypeInfo(vtablePart, methods.Out()));

  const std::vector<std::pair<std::string, SHORT>> expected = {
      {"BeginSetSWF", 0}, {"BeginSetIMG", 0}, {"EndSetSWF", 0}, {"EndSetIMG", 0}, {"SetSWF", 2}, {"SetIMG", 2}};
  for (UINT index = 0; index < expected.size(); ++index) {
    FUNCDESC* function = nullptr;
    ASSERT_EQ(S_OK, methods->GetFuncDesc(index, &function));
    EXPECT_EQ(static_cast<MEMBERID>(index + 1), function->memid);
    EXPECT_EQ(expected[index].first, Documentation(methods.Get(), function->memid).first);
    EXPECT_EQ("", Documentation(methods.Get(), function->memid).second);
    EXPECT_EQ(static_cast<SHORT>((7 + index) * sizeof(void*)), function->oVft);
    EXPECT_EQ(INVOKE_FUNC, function->invkind);
    EXPECT_EQ(CC_STDCALL, function->callconv);
    EXPECT_EQ(FUNC_PUREVIRTUAL, function->funckind);
    EXPECT_EQ(VT_HRESULT, function->elemdescFunc.tdesc.vt);
    ASSERT_EQ(expected[index].second, function->cParams);
    for (SHORT parameter = 0; parameter < function->cParams; ++parameter) {
      EXPECT_EQ(VT_VARIANT, function->lprgelemdescParam[parameter].tdesc.vt);
      EXPECT_TRUE(function->lprgelemdescParam[parameter].paramdesc.wParamFlags & PARAMFLAG_FIN);
    }
    methods->ReleaseFuncDesc(function);
  }
}

}  // namespace
}  // namespace hoardscope::win32
