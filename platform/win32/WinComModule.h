// TComModule: a COM module of the Windows edition (a DLL with the four entry points of an in-process server),
// loaded with LoadLibraryA as the system loads an in-process server.
#pragma once

#include <filesystem>

#include "com/ComTypes.h"

namespace hoardscope {

class TComModule {
 public:
  // Loads the module. Raises std::runtime_error naming the file when it cannot be loaded or lacks an entry point.
  explicit TComModule(const std::filesystem::path& file);
  // Unloads the module when it says it may be unloaded; else it stays loaded for the objects it still serves.
  ~TComModule();
  TComModule(const TComModule&) = delete;
  TComModule& operator=(const TComModule&) = delete;

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
  HRESULT CanUnloadNow();
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

  // Creates an object of a class of the module through its class factory.
  HRESULT CreateInstance(REFCLSID clsid, REFIID iid, void** object);

 private:
  using TGetClassObject = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
  using TEntry = HRESULT(WINAPI*)();

  HMODULE FHandle = nullptr;
  TGetClassObject FGetClassObject = nullptr;
  TEntry FCanUnloadNow = nullptr;
  TEntry FRegisterServer = nullptr;
  TEntry FUnregisterServer = nullptr;
};

}  // namespace hoardscope
