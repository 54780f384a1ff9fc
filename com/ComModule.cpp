// Loading COM modules, and unloading them once their objects are gone.
#include "com/ComModule.h"

#include <mutex>
#include <stdexcept>
#include <utility>
#include <vector>

#include "com/ComPtr.h"
#include "com/ScriptedFolderPicker.h"
#include "platform/ports/ModuleLoader.h"

namespace hoardscope {
namespace {

template <class T>
T Entry(void* library, const char* name, const std::filesystem::path& file) {
  void* entry = FindModuleEntry(library, name);
  if (!entry) throw std::runtime_error(file.string() + " is not a COM module: it has no " + name + ".");
  return reinterpret_cast<T>(entry);
}

// Modules whose objects outlived their last TComModule: each with its DllCanUnloadNow.
struct TLingeringModules {
  std::mutex Lock;
  std::vector<std::pair<void*, HRESULT(STDMETHODCALLTYPE*)()>> Modules;
};

TLingeringModules& Lingering() {
  static TLingeringModules modules;
  return modules;
}

}  // namespace

void FreeUnusedModules() {
  TLingeringModules& lingering = Lingering();
  const std::lock_guard<std::mutex> guard(lingering.Lock);
  std::erase_if(lingering.Modules, [](const auto& module) {
    if (module.second() != S_OK) return false;
    FreeModuleLibrary(module.first);
    return true;
  });
}

TComModule::TComModule(const std::filesystem::path& file) : FLibrary(LoadModuleLibrary(file)) {
  try {
    FGetClassObject = Entry<TGetClassObject>(FLibrary, "DllGetClassObject", file);
    FCanUnloadNow = Entry<TEntry>(FLibrary, "DllCanUnloadNow", file);
    FRegisterServer = Entry<TEntry>(FLibrary, "DllRegisterServer", file);
    FUnregisterServer = Entry<TEntry>(FLibrary, "DllUnregisterServer", file);
  } catch (...) {
    FreeModuleLibrary(FLibrary);
    throw;
  }
}

TComModule::~TComModule() {
  if (FCanUnloadNow() == S_OK) {
    FreeModuleLibrary(FLibrary);
    return;
  }
  TLingeringModules& lingering = Lingering();
  const std::lock_guard<std::mutex> guard(lingering.Lock);
  lingering.Modules.emplace_back(FLibrary, FCanUnloadNow);
}

HRESULT TComModule::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  return FGetClassObject(clsid, iid, object);
}

HRESULT TComModule::CanUnloadNow() { return FCanUnloadNow(); }
HRESULT TComModule::RegisterServer() { return FRegisterServer(); }
HRESULT TComModule::UnregisterServer() { return FUnregisterServer(); }

HRESULT TComModule::AnswerFolderPicker(const char* folder) {
  const auto answer = reinterpret_cast<TAnswerFolderPicker>(FindModuleEntry(FLibrary, kAnswerFolderPickerEntry));
  return answer ? answer(folder) : E_NOTIMPL;
}

HRESULT TComModule::CreateInstance(REFCLSID clsid, REFIID iid, void** object) {
  TComPtr<IClassFactory> factory;
  const HRESULT found = GetClassObject(clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Out()));
  if (FAILED(found)) return found;
  return factory->CreateInstance(nullptr, iid, object);
}

}  // namespace hoardscope
