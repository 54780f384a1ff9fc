// The compiled type library of the module.
#include "platform/win32/WinTypeLibrary.h"

#include <stdexcept>

#include "com/ComSupport.h"

namespace hoardscope {
namespace {

// The text of a BSTR that the library handed over, which is freed here.
std::string TakeText(BSTR text) {
  std::string result = TextOfBstr(text);
  SysFreeString(text);
  return result;
}

}  // namespace

TWinTypeLibrary::TWinTypeLibrary(const std::string& modulePath) {
  const std::wstring path = WideOfText(modulePath);
  const HRESULT result = LoadTypeLibEx(path.c_str(), REGKIND_NONE, FLibrary.Out());
  if (FAILED(result)) {
    throw std::runtime_error("The type library of " + modulePath + " could not be loaded (" + HresultText(result) +
                             ").");
  }
}

TLIBATTR TWinTypeLibrary::Attributes() {
  TLIBATTR* attributes = nullptr;
  TLIBATTR copy{};
  if (SUCCEEDED(FLibrary->GetLibAttr(&attributes))) {
    copy = *attributes;
    FLibrary->ReleaseTLibAttr(attributes);
  }
  return copy;
}

std::string TWinTypeLibrary::Name() {
  BSTR name = nullptr;
  FLibrary->GetDocumentation(-1, &name, nullptr, nullptr, nullptr);
  return TakeText(name);
}

GUID TWinTypeLibrary::LibraryId() { return Attributes().guid; }

TLibraryVersion TWinTypeLibrary::Version() {
  const TLIBATTR attributes = Attributes();
  return {attributes.wMajorVerNum, attributes.wMinorVerNum};
}

TComPtr<ITypeInfo> TWinTypeLibrary::TypeInfo(REFGUID guid) {
  TComPtr<ITypeInfo> info;
  FLibrary->GetTypeInfoOfGuid(guid, info.Out());
  return info;
}

std::optional<TCoClassInfo> TWinTypeLibrary::FindCoClass(REFCLSID clsid) {
  const TComPtr<ITypeInfo> info = TypeInfo(clsid);
  if (!info) return std::nullopt;
  TYPEATTR* attributes = nullptr;
  if (FAILED(info->GetTypeAttr(&attributes))) return std::nullopt;
  const bool coClass = attributes->typekind == TKIND_COCLASS;
  info->ReleaseTypeAttr(attributes);
  if (!coClass) return std::nullopt;
  BSTR name = nullptr;
  BSTR help = nullptr;
  info->GetDocumentation(MEMBERID_NIL, &name, &help, nullptr, nullptr);
  return TCoClassInfo{TakeText(name), TakeText(help)};
}

HRESULT TWinTypeLibrary::Register(const std::string& modulePath, const std::string& helpFolder) {
  std::wstring path = WideOfText(modulePath);
  std::wstring help = WideOfText(helpFolder);
  return RegisterTypeLib(FLibrary.Get(), path.data(), help.empty() ? nullptr : help.data());
}

HRESULT TWinTypeLibrary::Unregister() {
  const TLIBATTR attributes = Attributes();
  return UnRegisterTypeLib(attributes.guid, attributes.wMajorVerNum, attributes.wMinorVerNum, attributes.lcid,
                           attributes.syskind);
}

HRESULT TWinTypeLibrary::GetTypeInfo(REFIID iid, ITypeInfo** info) {
  TComPtr<ITypeInfo> found = TypeInfo(iid);
  if (!found) return TYPE_E_ELEMENTNOTFOUND;
  *info = found.Detach();
  return S_OK;
}

HRESULT TWinTypeLibrary::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  const TComPtr<ITypeInfo> info = TypeInfo(iid);
  if (!info) return TYPE_E_ELEMENTNOTFOUND;
  return DispGetIDsOfNames(info.Get(), names, count, ids);
}

HRESULT TWinTypeLibrary::Invoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params,
                                VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
  const TComPtr<ITypeInfo> info = TypeInfo(iid);
  if (!info) return TYPE_E_ELEMENTNOTFOUND;
  return DispInvoke(object, info.Get(), member, flags, params, result, exception, argumentError);
}

}  // namespace hoardscope
