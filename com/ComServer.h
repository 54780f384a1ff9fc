// TComServer: the module's one server object. It counts the live objects and the references held on its class
// factories, keeps the factory list, and carries out the module's four entry points.
#pragma once

#include <atomic>
#include <memory>
#include <shared_mutex>
#include <vector>

#include "com/ComTypes.h"
#include "com/ModuleHost.h"

namespace hoardscope {

class TComObjectFactory;

class TComServer {
 public:
  explicit TComServer(IModuleHost& host);
  ~TComServer();
  TComServer(const TComServer&) = delete;
  TComServer& operator=(const TComServer&) = delete;

  IModuleHost& Host() { return FHost; }
  // The server name: the type library's name, the first part of every ProgID.
  std::string ServerName();

  // Puts a factory at the head of the list (the list runs newest first).
  void AddFactory(std::unique_ptr<TComObjectFactory> factory);
  // The factory of a class; nullptr when the server has none.
  TComObjectFactory* FindFactory(REFCLSID clsid);

  // The entry points.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object);
  HRESULT CanUnloadNow() const;
  HRESULT RegisterServer();
  HRESULT UnregisterServer();

  // Objects alive plus server locks; references held by clients on the factories.
  void ObjectCreated() { ++FObjectCount; }
  void ObjectDestroyed() { --FObjectCount; }
  LONG ObjectCount() const { return FObjectCount; }
  void FactoryReferenced() { ++FFactoryReferences; }
  void FactoryReleased() { --FFactoryReferences; }
  LONG FactoryReferences() const { return FFactoryReferences; }

 private:
  // Runs every factory's registry update, newest first.
  void UpdateRegistry(bool doRegister);

  IModuleHost& FHost;
  std::atomic<LONG> FObjectCount{0};
  std::atomic<LONG> FFactoryReferences{0};
  std::shared_mutex FFactoriesLock;
  std::vector<std::unique_ptr<TComObjectFactory>> FFactories;  // newest first
};

}  // namespace hoardscope
