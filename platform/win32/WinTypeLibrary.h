// The type library port on Windows: the compiled library that the module carries as resource TYPELIB 1, loaded
// with LoadTypeLibEx from the module's own file; IDispatch through its type information.
#pragma once

#include <map>
#include <string>

#include "com/ComPtr.h"
#include "com/TypeLibrary.h"

namespace hoardscope {

class TWinTypeLibrary : public ITypeLibrary {
 public:
  // Loads the library of the module file; raises std::runtime_error when it cannot.
  explicit TWinTypeLibrary(const std::string& modulePath);

  std::string Name() override;
  GUID LibraryId() override;
  TLibraryVersion Version() override;
  std::optional<TCoClassInfo> FindCoClass(REFCLSID clsid) override;
  HRESULT Register(const std::string& modulePath, const std::string& helpFolder) override;
  HRESULT Unregister() override;
  HRESULT GetTypeInfo(REFIID iid, ITypeInfo** info) override;
  HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) override;
  HRESULT Invoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* exception, UINT* argumentError) override;

 private:
  TLIBATTR Attributes();
  // The type information of a type of the library; empty when it has none of that GUID.
  TComPtr<ITypeInfo> TypeInfo(REFGUID guid);

  TComPtr<ITypeLib> FLibrary;
};

}  // namespace hoardscope
