// The type library port of the module: what the server reads from its type library, registering it, and
// IDispatch for the library's dual interfaces. Windows serves it from the compiled library in the module's
// resources; the Linux edition from the tables generated out of the same interface definition.
#pragma once

#include <optional>
#include <string>

#include "com/ComTypes.h"

namespace hoardscope {

struct TCoClassInfo {
  std::string Name;          // the coclass's name: the class name of its factory
  std::string Description;   // its help string
};

struct TLibraryVersion {
  int Major = 0;
  int Minor = 0;
};

class ITypeLibrary {
 public:
  virtual ~ITypeLibrary() = default;

  // The library's name (the server name of the module's ProgIDs), identifier and version.
  virtual std::string Name() = 0;
  virtual GUID LibraryId() = 0;
  virtual TLibraryVersion Version() = 0;
  // The coclass with this CLSID; nullopt when the library has none.
  virtual std::optional<TCoClassInfo> FindCoClass(REFCLSID clsid) = 0;

  // Registers the library for the module at modulePath, with helpFolder as its help directory; unregisters it.
  // S_OK or the failure; a registry that refuses may also raise RegistryError.
  virtual HRESULT Register(const std::string& modulePath, const std::string& helpFolder) = 0;
  virtual HRESULT Unregister() = 0;

  // IDispatch of an object through the dual interface iid of the library. object is the object's pointer of
  // that interface. Invoke turns a failed method into DISP_E_EXCEPTION, with the method's HRESULT and the
  // thread's error information in exception.
  virtual HRESULT GetTypeInfo(REFIID iid, ITypeInfo** info) = 0;
  virtual HRESULT GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, DISPID* ids) = 0;
  virtual HRESULT Invoke(REFIID iid, void* object, DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result,
                         EXCEPINFO* exception, UINT* argumentError) = 0;
};

}  // namespace hoardscope
