// The Hoardscope module: its server with the band factory and the download automation factory, and the four
// entry points that the platform's module glue exports.
#pragma once

#include <memory>
#include <mutex>

#include "com/ComServer.h"

namespace hoardscope {

// Creates the server and its factories, the band factory first. Raises std::exception when the type library
// cannot be loaded.
std::unique_ptr<TComServer> CreateHoardscopeServer(IModuleHost& host);

// The entry points of the module over one host. The server is created at the first call that needs it; while
// it cannot be created, the entry points fail (and the module may be unloaded).
class TModuleEntry {
 public:
  explicit TModuleEntry(IModuleHost& host) : FHost(host) {}

  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
  HRESULT CanUnloadNow();
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

 private:
  TComServer* Server();

  IModuleHost& FHost;
  std::mutex FLock;
  std::unique_ptr<TComServer> FServer;
};

}  // namespace hoardscope
