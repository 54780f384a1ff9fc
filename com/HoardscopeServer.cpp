// The module's classes and entry points.
#include "com/HoardscopeServer.h"

#include "com/ComSupport.h"
#include "com/HSCDownload.h"
#include "com/IECacheBand.h"
#include "com/IEClassFac.h"
#include "core/Boundary.h"

namespace hoardscope {

std::unique_ptr<TComServer> CreateHoardscopeServer(IModuleHost& host) {
  auto server = std::make_unique<TComServer>(host);
  server->AddFactory(std::make_unique<TIEClassFac>(
      *server, TClassInfo{CLSID_IECacheBand, "Hoardscope", "", TInstancing::Multiple, TThreadingModel::Apartment},
      [](TComServer& owner, IUnknown* outer) {
        return TIECacheBand::Create<TIECacheBand>(owner, outer);
      }));
  server->AddFactory(std::make_unique<TTypedComObjectFactory>(
      *server, CLSID_HSCDownload, TInstancing::Multiple, TThreadingModel::Apartment,
      [](TComServer& owner, IUnknown* outer) {
        return THSCDownload::Create<THSCDownload>(owner, outer, owner.FindFactory(CLSID_HSCDownload)->ProgID(),
                                                  owner.Host().DownloadServices());
      }));
  return server;
}

TComServer* TModuleEntry::Server() {
  std::lock_guard lock(FLock);
  if (!FServer) {
    FServer = CatchAll([this] { return CreateHoardscopeServer(FHost); },
                       [](const char* failure) {
                         SetErrorInfoText(IID_NULL, "Hoardscope", failure);
                         return std::unique_ptr<TComServer>();
                       });
  }
  return FServer.get();
}

HRESULT TModuleEntry::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  TComServer* server = Server();
  return server ? server->GetClassObject(clsid, iid, object) : CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT TModuleEntry::CanUnloadNow() {
  std::lock_guard lock(FLock);
  return FServer ? FServer->CanUnloadNow() : S_OK;
}

HRESULT TModuleEntry::RegisterServer() {
  TComServer* server = Server();
  return server ? server->RegisterServer() : E_FAIL;
}

HRESULT TModuleEntry::UnregisterServer() {
  TComServer* server = Server();
  return server ? server->UnregisterServer() : E_FAIL;
}

}  // namespace hoardscope
