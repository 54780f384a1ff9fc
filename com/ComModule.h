// TComModule: a COM module (a library with the four entry points of an in-process server), loaded the way the
// system loads an in-process server: through the edition's loader (LoadLibraryA on Windows, the dynamic loader on
// Linux).
#pragma once

#include <filesystem>

#include "com/ComTypes.h"

namespace hoardscope {

class TComModule {
 public:
  // Loads the module. Raises std::runtime_error naming the file when it cannot be loaded or lacks an entry point.
  explicit TComModule(const std::filesystem::path& file);
  // Unloads the module when it says it may be unloaded; else it stays loaded for the objects it still serves,
  // until FreeUnusedModules finds them gone.
  ~TComModule();
  TComModule(const TComModule&) = delete;
  TComModule& operator=(const TComModule&) = delete;

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
  HRESULT CanUnloadNow();
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

  // Creates an object of a class of the module through its class factory.
  HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object);

  // Has the module's download object take this folder (nullptr: cancel) wherever it would ask the user for one.
  // E_NOTIMPL when the module offers no such answer.
  HRESULT AnswerFolderPicker(const char* folder);

 private:
  using TGetClassObject = HRESULT(STDMETHODCALLTYPE*)(REFCLSID, REFIID, void**);
  using TEntry = HRESULT(STDMETHODCALLTYPE*)();

  void* FLibrary = nullptr;
  TGetClassObject FGetClassObject = nullptr;
  TEntry FCanUnloadNow = nullptr;
  TEntry FRegisterServer = nullptr;
  TEntry FUnregisterServer = nullptr;
};

// Unloads the modules that stayed loaded for their objects and now say they may go, as CoFreeUnusedLibraries
// does on Windows.
void FreeUnusedModules();

}  // namespace hoardscope
