// The Linux edition's type library over the generated dispatch tables.
#include "platform/linux/LinuxTypeLibrary.h"

#include <cstdio>
#include <vector>

#include "com/ComSupport.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;
// The proxy of OLE Automation interfaces, which marshals them from their type library.
constexpr const char* kAutomationProxy = "{00020424-0000-0000-C000-000000000046}";

void WriteText(IRegistry& registry, const std::string& key, const std::string& name, const std::string& text) {
  registry.CreateKey(kClasses, key)->WriteValue(MakeStringValue(name, text));
}

std::string Narrow(LPOLESTR name) { return name ? TextOfWide(name) : ""; }

// The members' arguments in declaration order (DISPPARAMS holds them last first), references to VARIANTs
// followed.
std::vector<VARIANT> ArgumentsOf(const DISPPARAMS& params) {
  std::vector<VARIANT> arguments;
  for (UINT i = params.cArgs; i-- > 0;) {
    const VARIANT& argument = params.rgvarg[i];
    arguments.push_back(argument.vt == (VT_VARIANT | VT_BYREF) && argument.pvarVal ? *argument.pvarVal : argument);
  }
  return arguments;
}

void FillException(EXCEPINFO& exception, HRESULT failure) {
  exception = EXCEPINFO{};
  exception.scode = failure;
  IErrorInfo* info = nullptr;
  if (GetErrorInfo(0, &info) != S_OK || !info) return;
  info->GetSource(&exception.bstrSource);
  info->GetDescription(&exception.bstrDescription);
  info->GetHelpFile(&exception.bstrHelpFile);
  info->GetHelpContext(&exception.dwHelpContext);
  info->Release();
}

}  // namespace

TLinuxTypeLibrary::TLinuxTypeLibrary(const TDispatchLibrary& tables, std::function<IRegistry&()> registry)
    : FTables(tables), FRegistry(std::move(registry)) {}

std::string TLinuxTypeLibrary::Name() { return FTables.Name; }

GUID TLinuxTypeLibrary::LibraryId() { return *FTables.LibraryId; }

TLibraryVersion TLinuxTypeLibrary::Version() { return {FTables.MajorVersion, FTables.MinorVersion}; }

std::optional<TCoClassInfo> TLinuxTypeLibrary::FindCoClass(REFCLSID clsid) {
  for (std::size_t i = 0; i < FTables.CoClassCount; ++i) {
    const TDispatchCoClass& coClass = FTables.CoClasses[i];
    if (*coClass.Clsid == clsid) return TCoClassInfo{coClass.Name, coClass.HelpString};
  }
  return std::nullopt;
}

std::string TLinuxTypeLibrary::VersionText() const {
  char text[32];
  std::snprintf(text, sizeof text, "%d.%d", FTables.MajorVersion, FTables.MinorVersion);
  return text;
}

std::string TLinuxTypeLibrary::LibraryKey() const { return "TypeLib\\" + GuidText(*FTables.LibraryId); }

HRESULT TLinuxTypeLibrary::Register(const std::string& modulePath, const std::string& helpFolder) {
  IRegistry& registry = FRegistry();
  const std::string versionKey = LibraryKey() + "\\" + VersionText();
  char locale[16];
  std::snprintf(locale, sizeof locale, "%x", static_cast<unsigned>(FTables.Locale));
  WriteText(registry, versionKey, "", FTables.HelpString);
  WriteText(registry, versionKey + "\\FLAGS", "", "0");
  WriteText(registry, versionKey + "\\" + locale + "\\win32", "", modulePath);
  if (!helpFolder.empty()) WriteText(registry, versionKey + "\\HELPDIR", "", helpFolder);
  for (std::size_t i = 0; i < FTables.InterfaceCount; ++i) {
    const TDispatchInterface& dual = FTables.Interfaces[i];
    const std::string key = "Interface\\" + GuidText(*dual.Iid);
    WriteText(registry, key, "", dual.Name);
    WriteText(registry, key + "\\ProxyStubClsid", "", kAutomationProxy);
    WriteText(registry, key + "\\ProxyStubClsid32", "", kAutomationProxy);
    WriteText(registry, key + "\\TypeLib", "", GuidText(*FTables.LibraryId));
    WriteText(registry, key + "\\TypeLib", "Version", VersionText());
  }
  return S_OK;
}

HRESULT TLinuxTypeLibrary::Unregister() {
  try {
    IRegistry& registry = FRegistry();
    for (std::size_t i = 0; i < FTables.InterfaceCount; ++i) {
      registry.DeleteKey(kClasses, "Interface\\" + GuidText(*FTables.Interfaces[i].Iid));
    }
    const bool registered = registry.DeleteKey(kClasses, LibraryKey() + "\\" + VersionText());
    const auto library = registry.OpenKey(kClasses, LibraryKey(), false);
    if (library && library->EnumSubkeys().empty()) registry.DeleteKey(kClasses, LibraryKey());
    return registered ? S_OK : TYPE_E_REGISTRYACCESS;
  } catch (const RegistryError&) {
    return TYPE_E_REGISTRYACCESS;
  }
}

const TDispatchInterface* TLinuxTypeLibrary::FindInterface(REFIID iid) const {
  for (std::size_t i = 0; i < FTables.InterfaceCount; ++i) {
    if (*FTables.Interfaces[i].Iid == iid) return &FTables.Interfaces[i];
  }
  return nullptr;
}

HRESULT TLinuxTypeLibrary::GetTypeInfo(REFIID, ITypeInfo** info) {
  if (info) *info = nullptr;
  return E_NOTIMPL;
}

HRESULT TLinuxTypeLibrary::GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) {
  if (!names || !ids) return E_POINTER;
  const TDispatchInterface* dual = FindInterface(iid);
  if (!dual) return TYPE_E_ELEMENTNOTFOUND;
  for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
  if (count == 0) return S_OK;
  const TDispatchMember* member = nullptr;
  for (std::size_t i = 0; i < dual->MemberCount && !member; ++i) {
    if (EqualsNoCase(dual->Members[i].Name, Narrow(names[0]))) member = &dual->Members[i];
  }
  if (!member) return DISP_E_UNKNOWNNAME;
  ids[0] = member->Id;
  HRESULT result = S_OK;
  for (UINT name = 1; name < count; ++name) {
    for (std::size_t parameter = 0; parameter < member->ParameterCount; ++parameter) {
      if (EqualsNoCase(member->ParameterNames[parameter], Narrow(names[name]))) {
        ids[name] = static_cast<DISPID>(parameter);
      }
    }
    if (ids[name] == DISPID_UNKNOWN) result = DISP_E_UNKNOWNNAME;
  }
  return result;
}

HRESULT TLinuxTypeLibrary::Invoke(REFIID iid, void* object, DISPID memberId, WORD flags, DISPPARAMS* params,
                                  VARIANT* result, EXCEPINFO* exception, UINT*) {
  const TDispatchInterface* dual = FindInterface(iid);
  if (!dual) return TYPE_E_ELEMENTNOTFOUND;
  const TDispatchMember* member = nullptr;
  for (std::size_t i = 0; i < dual->MemberCount && !member; ++i) {
    if (dual->Members[i].Id == memberId) member = &dual->Members[i];
  }
  if (!member || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
  const DISPPARAMS none{};
  const DISPPARAMS& given = params ? *params : none;
  if (given.cNamedArgs > 0) return DISP_E_NONAMEDARGS;
  if (given.cArgs != member->ParameterCount) return DISP_E_BADPARAMCOUNT;
  std::vector<VARIANT> arguments = ArgumentsOf(given);
  if (result) VariantInit(result);
  const HRESULT called = dual->Invoke(object, memberId, arguments.data());
  if (SUCCEEDED(called)) return S_OK;
  if (exception) FillException(*exception, called);
  return DISP_E_EXCEPTION;
}

}  // namespace hoardscope
