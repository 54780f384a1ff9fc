// TComObjectFactory: the class factory of one creatable class of the server, with the class's registry entries;
// TTypedComObjectFactory: the factory of a class described by the type library.
#pragma once

#include <functional>
#include <string>

#include "com/ComPtr.h"
#include "com/ComServer.h"

namespace hoardscope {

enum class TInstancing { Internal, Single, Multiple };
enum class TThreadingModel { Single, Apartment, Free, Both };

struct TClassInfo {
  CLSID Clsid;
  std::string ClassName;
  std::string Description;
  TInstancing Instancing = TInstancing::Multiple;
  TThreadingModel ThreadingModel = TThreadingModel::Apartment;
};

// Writes a REG_SZ value, creating the key and its parents. Raises RegistryError when the registry refuses.
void WriteRegistryText(IRegistry& registry, RegistryRoot root, const std::string& key, const std::string& name,
                       const std::string& text);
// Deletes a key, passing over one that is missing or cannot be deleted. Without withSubkeys a key that still
// has subkeys stays, as the registry's own key deletion leaves it.
void DeleteKeyQuietly(IRegistry& registry, RegistryRoot root, const std::string& key, bool withSubkeys);

class TComObjectFactory : public IClassFactory {
 public:
  // Creates an object of the class and returns its own unknown with one reference; raises std::exception.
  using TCreator = std::function<TComPtr<IUnknown>(TComServer& server, IUnknown* outer)>;

  TComObjectFactory(TComServer& server, TClassInfo info, TCreator creator);
  virtual ~TComObjectFactory() = default;
  TComObjectFactory(const TComObjectFactory&) = delete;
  TComObjectFactory& operator=(const TComObjectFactory&) = delete;

  // A factory lives as long as the server: its references are counted server-wide.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** object) override;
  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override;

  const TClassInfo& Info() const { return FInfo; }
  // The server name, a dot and the class name; empty for a class without a name.
  std::string ProgID() const;

  // Writes (doRegister) or removes the class's entries under HKEY_CLASSES_ROOT. Registering raises
  // RegistryError at the first key or value that cannot be written, keeping what was written before;
  // unregistering passes over keys that are missing or cannot be deleted.
  virtual void UpdateRegistry(bool doRegister);

 protected:
  TComServer& Server() const { return FServer; }
  IRegistry& Registry() const { return FServer.Host().Registry(); }
  // "CLSID\{clsid}".
  std::string ClassKey() const;

 private:
  void WriteClassEntries();
  void RemoveClassEntries();

  TComServer& FServer;
  TClassInfo FInfo;
  TCreator FCreator;
};

// The factory of a coclass of the type library: its class name and description are the coclass's, and its
// registry entries name the library's version and identifier.
class TTypedComObjectFactory : public TComObjectFactory {
 public:
  // Raises std::runtime_error when the type library has no such coclass.
  TTypedComObjectFactory(TComServer& server, REFCLSID clsid, TInstancing instancing,
                         TThreadingModel threadingModel, TCreator creator);

  void UpdateRegistry(bool doRegister) override;
};

}  // namespace hoardscope
