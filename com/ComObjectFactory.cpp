// Class factories: object creation, server locks and the classes' registry entries.
#include "com/ComObjectFactory.h"

#include <cstdio>
#include <stdexcept>

#include "com/ComSupport.h"
#include "core/Boundary.h"

namespace hoardscope {
namespace {

constexpr RegistryRoot kClasses = RegistryRoot::ClassesRoot;

std::string ThreadingModelText(TThreadingModel model) {
  switch (model) {
    case TThreadingModel::Single: return "";
    case TThreadingModel::Apartment: return "Apartment";
    case TThreadingModel::Free: return "Free";
    case TThreadingModel::Both: return "Both";
  }
  return "";
}

// The text of a failed creation as the message box shows it: a sentence ends with a full stop.
std::string FailureMessage(std::string text) {
  if (!text.empty() && static_cast<unsigned char>(text.back()) > static_cast<unsigned char>('.')) text += '.';
  return text;
}

TClassInfo TypedClassInfo(TComServer& server, REFCLSID clsid, TInstancing instancing, TThreadingModel model) {
  const auto coClass = server.Host().TypeLibrary().FindCoClass(clsid);
  if (!coClass) throw std::runtime_error("The type library has no class " + GuidText(clsid));
  return {clsid, coClass->Name, coClass->Description, instancing, model};
}

}  // namespace

void WriteRegistryText(IRegistry& registry, RegistryRoot root, const std::string& key, const std::string& name,
                       const std::string& text) {
  registry.CreateKey(root, key)->WriteValue(MakeStringValue(name, text));
}

void DeleteKeyQuietly(IRegistry& registry, RegistryRoot root, const std::string& key, bool withSubkeys) {
  try {
    if (!withSubkeys) {
      const auto opened = registry.OpenKey(root, key, false);
      if (!opened || !opened->EnumSubkeys().empty()) return;
    }
    registry.DeleteKey(root, key);
  } catch (const std::exception&) {
    // a key that cannot be deleted is passed over
  }
}

TComObjectFactory::TComObjectFactory(TComServer& server, TClassInfo info, TCreator creator)
    : FServer(server), FInfo(std::move(info)), FCreator(std::move(creator)) {}

HRESULT TComObjectFactory::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (iid != IID_IUnknown && iid != IID_IClassFactory) return E_NOINTERFACE;
  *object = static_cast<IClassFactory*>(this);
  AddRef();
  return S_OK;
}

ULONG TComObjectFactory::AddRef() {
  FServer.FactoryReferenced();
  return static_cast<ULONG>(FServer.FactoryReferences());
}

ULONG TComObjectFactory::Release() {
  FServer.FactoryReleased();
  return static_cast<ULONG>(FServer.FactoryReferences());
}

HRESULT TComObjectFactory::CreateInstance(IUnknown* outer, REFIID iid, void** object) {
  if (!object) return E_POINTER;
  *object = nullptr;
  if (outer && iid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
  return CatchAll(
      [&] {
        const TComPtr<IUnknown> created = FCreator(FServer, outer);
        return created->QueryInterface(iid, object);
      },
      [this](const char* failure) {
        FServer.Host().ShowError(FailureMessage(failure));
        return E_UNEXPECTED;
      });
}

HRESULT TComObjectFactory::LockServer(BOOL lock) {
  CoLockObjectExternal(static_cast<IClassFactory*>(this), lock, TRUE);
  if (lock) {
    FServer.ObjectCreated();
  } else {
    FServer.ObjectDestroyed();
  }
  return S_OK;
}

std::string TComObjectFactory::ProgID() const {
  return FInfo.ClassName.empty() ? "" : FServer.ServerName() + "." + FInfo.ClassName;
}

std::string TComObjectFactory::ClassKey() const { return "CLSID\\" + GuidText(FInfo.Clsid); }

void TComObjectFactory::UpdateRegistry(bool doRegister) {
  if (doRegister) {
    WriteClassEntries();
  } else {
    RemoveClassEntries();
  }
}

void TComObjectFactory::WriteClassEntries() {
  IRegistry& registry = Registry();
  const std::string classKey = ClassKey();
  WriteRegistryText(registry, kClasses, classKey, "", FInfo.Description);
  std::string modulePath = FServer.Host().ModulePath();
  if (modulePath.find(' ') != std::string::npos) modulePath = FServer.Host().ShortPath(modulePath);
  WriteRegistryText(registry, kClasses, classKey + "\\InprocServer32", "", modulePath);
  const std::string threadingModel = ThreadingModelText(FInfo.ThreadingModel);
  if (!threadingModel.empty()) {
    WriteRegistryText(registry, kClasses, classKey + "\\InprocServer32", "ThreadingModel", threadingModel);
  }
  const std::string progId = ProgID();
  if (progId.empty()) return;
  WriteRegistryText(registry, kClasses, progId, "", FInfo.Description);
  WriteRegistryText(registry, kClasses, progId + "\\Clsid", "", GuidText(FInfo.Clsid));
  WriteRegistryText(registry, kClasses, classKey + "\\ProgID", "", progId);
}

void TComObjectFactory::RemoveClassEntries() {
  IRegistry& registry = Registry();
  const std::string classKey = ClassKey();
  const std::string progId = ProgID();
  DeleteKeyQuietly(registry, kClasses, classKey + "\\ProgID", false);
  if (!progId.empty()) {
    DeleteKeyQuietly(registry, kClasses, progId + "\\Clsid", false);
    DeleteKeyQuietly(registry, kClasses, progId, false);
  }
  DeleteKeyQuietly(registry, kClasses, classKey + "\\InprocServer32", false);
  DeleteKeyQuietly(registry, kClasses, classKey, false);
}

TTypedComObjectFactory::TTypedComObjectFactory(TComServer& server, REFCLSID clsid, TInstancing instancing,
                                               TThreadingModel threadingModel, TCreator creator)
    : TComObjectFactory(server, TypedClassInfo(server, clsid, instancing, threadingModel), std::move(creator)) {}

void TTypedComObjectFactory::UpdateRegistry(bool doRegister) {
  const std::string classKey = ClassKey();
  if (doRegister) {
    TComObjectFactory::UpdateRegistry(true);
    ITypeLibrary& library = Server().Host().TypeLibrary();
    const TLibraryVersion version = library.Version();
    char versionText[32];
    std::snprintf(versionText, sizeof versionText, "%d.%d", version.Major, version.Minor);
    WriteRegistryText(Registry(), kClasses, classKey + "\\Version", "", versionText);
    WriteRegistryText(Registry(), kClasses, classKey + "\\TypeLib", "", GuidText(library.LibraryId()));
  } else {
    DeleteKeyQuietly(Registry(), kClasses, classKey + "\\TypeLib", false);
    DeleteKeyQuietly(Registry(), kClasses, classKey + "\\Version", false);
    TComObjectFactory::UpdateRegistry(false);
  }
}

}  // namespace hoardscope
