// Loading COM modules with the dynamic loader.
#include "platform/linux/com/ComModule.h"

#include <dlfcn.h>

#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "com/ComPtr.h"
#include "com/ComSupport.h"

namespace hoardscope {
namespace {

template <class T>
T Entry(void* handle, const char* name, const std::filesystem::path& file) {
  void* symbol = dlsym(handle, name);
  if (!symbol) throw std::runtime_error(file.string() + " is not a COM module: it has no " + name + ".");
  return reinterpret_cast<T>(symbol);
}

// Modules whose objects outlived their last TComModule: each with its DllCanUnloadNow.
struct TLingeringModules {
  std::mutex Lock;
  std::vector<std::pair<void*, HRESULT (*)()>> Modules;
};

TLingeringModules& Lingering() {
  static TLingeringModules modules;
  return modules;
}

}  // namespace

void FreeUnusedModules() {
  TLingeringModules& lingering = Lingering();
  const std::lock_guard<std::mutex> guard(lingering.Lock);
  std::erase_if(lingering.Modules, [](const std::pair<void*, HRESULT (*)()>& module) {
    if (module.second() != S_OK) return false;
    dlclose(module.first);
    return true;
  });
}

TComModule::TComModule(const std::filesystem::path& file) {
  FHandle = dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (!FHandle) throw std::runtime_error("The module " + file.string() + " could not be loaded: " + dlerror());
  try {
    FGetClassObject = Entry<TGetClassObject>(FHandle, "DllGetClassObject", file);
    FCanUnloadNow = Entry<TEntry>(FHandle, "DllCanUnloadNow", file);
    FRegisterServer = Entry<TEntry>(FHandle, "DllRegisterServer", file);
    FUnregisterServer = Entry<TEntry>(FHandle, "DllUnregisterServer", file);
  } catch (...) {
    dlclose(FHandle);
    throw;
  }
}

TComModule::~TComModule() {
  if (FCanUnloadNow() == S_OK) {
    dlclose(FHandle);
    return;
  }
  TLingeringModules& lingering = Lingering();
  const std::lock_guard<std::mutex> guard(lingering.Lock);
  lingering.Modules.emplace_back(FHandle, FCanUnloadNow);
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
