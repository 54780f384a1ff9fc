// The server object: counts, the factory list and the entry points of the module.
#include "com/ComServer.h"

#include <mutex>
#include <stdexcept>

#include "com/ComObjectFactory.h"
#include "com/ComSupport.h"
#include "core/Boundary.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

// The folder of a file path, with its trailing separator.
std::string FolderOf(const std::string& path) {
  const std::size_t separator = path.rfind(kPathSeparator);
  return separator == std::string::npos ? "" : path.substr(0, separator + 1);
}

// A failed registration leaves its text in the thread's error information.
HRESULT ReportFailure(const char* failure) {
  SetErrorInfoText(IID_NULL, "Hoardscope", failure);
  return E_FAIL;
}

}  // namespace

TComServer::TComServer(IModuleHost& host) : FHost(host) {}

TComServer::~TComServer() = default;

std::string TComServer::ServerName() { return FHost.TypeLibrary().Name(); }

void TComServer::AddFactory(std::unique_ptr<TComObjectFactory> factory) {
  std::unique_lock lock(FFactoriesLock);
  FFactories.insert(FFactories.begin(), std::move(factory));
}

TComObjectFactory* TComServer::FindFactory(REFCLSID clsid) {
  std::shared_lock lock(FFactoriesLock);
  for (const auto& factory : FFactories) {
    if (factory->Info().Clsid == clsid) return factory.get();
  }
  return nullptr;
}

HRESULT TComServer::GetClassObject(REFCLSID clsid, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  TComObjectFactory* factory = FindFactory(clsid);
  if (!factory) return CLASS_E_CLASSNOTAVAILABLE;
  return factory->QueryInterface(iid, object);
}

HRESULT TComServer::CanUnloadNow() const {
  return FObjectCount == 0 && FFactoryReferences == 0 ? S_OK : S_FALSE;
}

HRESULT TComServer::RegisterServer() {
  return CatchAll(
      [this] {
        const std::string modulePath = FHost.ModulePath();
        const HRESULT registered = FHost.TypeLibrary().Register(modulePath, FolderOf(modulePath));
        if (FAILED(registered)) {
          throw std::runtime_error("The type library could not be registered (" + HresultText(registered) + ").");
        }
        UpdateRegistry(true);
        return S_OK;
      },
      ReportFailure);
}

HRESULT TComServer::UnregisterServer() {
  return CatchAll(
      [this] {
        FHost.TypeLibrary().Unregister();  // a library that was never registered is no failure
        UpdateRegistry(false);
        return S_OK;
      },
      ReportFailure);
}

void TComServer::UpdateRegistry(bool doRegister) {
  std::shared_lock lock(FFactoriesLock);
  for (const auto& factory : FFactories) factory->UpdateRegistry(doRegister);
}

}  // namespace hoardscope
