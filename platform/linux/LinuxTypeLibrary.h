// The type library port of the Linux edition: the library's names, coclasses and dual interfaces from the tables
// generated out of its interface definition; registration writes the keys the Windows registration writes; and
// IDispatch calls members through the generated invokers.
#pragma once

#include <functional>

#include "com/TypeLibrary.h"
#include "platform/linux/com/DispatchTables.h"
#include "platform/ports/Registry.h"

namespace hoardscope {

class TLinuxTypeLibrary : public ITypeLibrary {
 public:
  // registry gives the registry that registration writes (asked for only then).
  TLinuxTypeLibrary(const TDispatchLibrary& tables, std::function<IRegistry&()> registry);

  std::string Name() override;
  GUID LibraryId() override;
  TLibraryVersion Version() override;
  std::optional<TCoClassInfo> FindCoClass(REFCLSID clsid) override;
  // HKEY_CLASSES_ROOT\TypeLib\{libid}\major.minor (help string; FLAGS; the module path under locale\win32;
  // HELPDIR) and Interface\{iid} of every dual interface (name, ProxyStubClsid(32), TypeLib with Version).
  HRESULT Register(const std::string& modulePath, const std::string& helpFolder) override;
  // Removes those keys; TYPE_E_REGISTRYACCESS when the library was not registered.
  HRESULT Unregister() override;
  // There are no type-information objects: E_NOTIMPL.
  HRESULT GetTypeInfo(REFIID iid, ITypeInfo** info) override;
  // Member names, then parameter names, compared without regard to A-Z case.
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) override;
  // Methods only (DISPATCH_METHOD), positional arguments only, exactly as many as the method has.
  HRESULT Invoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override;

 private:
  const TDispatchInterface* FindInterface(REFIID iid) const;
  std::string VersionText() const;
  std::string LibraryKey() const;

  const TDispatchLibrary& FTables;
  std::function<IRegistry&()> FRegistry;
};

}  // namespace hoardscope
