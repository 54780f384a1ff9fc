// The module glue both editions share.
#include "com/ModuleGlue.h"

#include <optional>
#include <string>
#include <utility>

#include "core/Boundary.h"

namespace hoardscope {
namespace {

// An entry point's answer: E_UNEXPECTED when its call raises.
template <class Call>
HRESULT Exported(Call call) noexcept {
  return CatchAll(call, [](const char*) { return E_UNEXPECTED; });
}

}  // namespace

TModuleGlue::TModuleGlue(std::function<std::unique_ptr<IGlueHost>()> makeHost, std::function<bool()> viewsAlive)
    : FMakeHost(std::move(makeHost)), FViewsAlive(std::move(viewsAlive)) {}

TModuleEntry& TModuleGlue::Entry() {
  const std::lock_guard lock(FMaking);
  if (!FEntry) {
    std::unique_ptr<IGlueHost> host = FMakeHost();
    FEntry.emplace(*host);
    FHost = std::move(host);
  }
  return *FEntry;
}

HRESULT TModuleGlue::GetClassObject(REFCLSID clsid, REFIID iid, void** object) noexcept {
  return Exported([&] { return Entry().GetClassObject(clsid, iid, object); });
}

HRESULT TModuleGlue::CanUnloadNow() noexcept {
  return Exported([this] {
    if (FViewsAlive && FViewsAlive()) return S_FALSE;
    return Entry().CanUnloadNow();
  });
}

HRESULT TModuleGlue::RegisterServer() noexcept {
  return Exported([this] { return Entry().RegisterServer(); });
}

HRESULT TModuleGlue::UnregisterServer() noexcept {
  return Exported([this] { return Entry().UnregisterServer(); });
}

HRESULT TModuleGlue::AnswerFolderPicker(const char* folder) noexcept {
  return Exported([&] {
    Entry();
    FHost->Picker().SetAnswer(folder ? std::optional<std::string>(folder) : std::nullopt);
    return S_OK;
  });
}

}  // namespace hoardscope
