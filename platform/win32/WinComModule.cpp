// Loading COM modules with the system's loader.
#include "platform/win32/WinComModule.h"

#include <stdexcept>

#include "com/ComPtr.h"

namespace hoardscope {
namespace {

template <class T>
T Entry(HMODULE handle, const char* name, const std::filesystem::path& file) {
  const FARPROC symbol = GetProcAddress(handle, name);
  if (!symbol) throw std::runtime_error(file.string() + " is not a COM module: it has no " + name + ".");
  return reinterpret_cast<T>(reinterpret_cast<void*>(symbol));
}

}  // namespace

TComModule::TComModule(const std::filesystem::path& file) {
  FHandle = LoadLibraryA(file.string().c_str());
  if (!FHandle) {
    throw std::runtime_error("The module " + file.string() + " could not be loaded (error " +
                             std::to_string(GetLastError()) + ").");
  }
  try {
    FGetClassObject = Entry<TGetClassObject>(FHandle, "DllGetClassObject", file);
    FCanUnloadNow = Entry<TEntry>(FHandle, "DllCanUnloadNow", file);
    FRegisterServer = Entry<TEntry>(FHandle, "DllRegisterServer", file);
    FUnregisterServer = Entry<TEntry>(FHandle, "DllUnregisterServer", file);
  } catch (...) {
    FreeLibrary(FHandle);
    throw;
  }
}

TComModule::~TComModule() {
  if (FCanUnloadNow() == S_OK) FreeLibrary(FHandle);
}

HRESULT TComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return FGetClassObject(clsid, iid, object);
}

HRESULT TComModule::CanUnloadNow() { return FCanUnloadNow(); }
HRESULT TComModule::RegisterServer() { return FRegisterServer(); }
HRESULT TComModule::UnregisterServer() { return FUnregisterServer(); }

HRESULT TComModule::CreateInstance(REFCLSID clsid, REFIID iid, void** object) {
  TComPtr<IClassFactory> factory;
  const HRESULT found = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Out()));
  if (FAILED(found)) return found;
  return factory->CreateInstance(nullptr, iid, object);
}

}  // namespace hoardscope
