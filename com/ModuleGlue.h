// The module glue both editions share: the one entry of the module's COM server over the platform's host, the
// folder picker a client may answer, and the bodies of the five entry points the module exports. The platform's
// glue only builds its host and exports these under the platform's calling convention.
#pragma once

#include <functional>
#include <memory>
#include <mutex>
#include <optional>

#include "com/ComTypes.h"
#include "com/HoardscopeServer.h"
#include "com/ModuleHost.h"
#include "com/ScriptedFolderPicker.h"

namespace hoardscope {

// What the platform's glue builds: the module's host, with the download object's folder picker that a client may
// answer.
class IGlueHost : public IModuleHost {
 public:
  virtual TScriptedFolderPicker& Picker() = 0;
};

class TModuleGlue {
 public:
  // makeHost builds the host at the first call of an entry point, and again at the next while it raises.
  // viewsAlive, when given, tells whether views of the band still live (they may outlive the band while their
  // work runs, and keep the module loaded).
  explicit TModuleGlue(std::function<std::unique_ptr<IGlueHost>()> makeHost,
                       std::function<bool()> viewsAlive = nullptr);

  // The exported entry points; each answers E_UNEXPECTED when its call raises, so that nothing leaves the module.
  HRESULT GetClassObject(REFCLSID clsid, REFIID iid, void** object) noexcept;
  HRESULT CanUnloadNow() noexcept;
  HRESULT RegisterServer() noexcept;
  HRESULT UnregisterServer() noexcept;
  // The client's answer to the download object's folder picker: the folder, or nullptr for a cancelled picker.
  HRESULT AnswerFolderPicker(const char* folder) noexcept;

 private:
  TModuleEntry& Entry();

  std::function<std::unique_ptr<IGlueHost>()> FMakeHost;
  std::function<bool()> FViewsAlive;
  std::mutex FMaking;  // not std::call_once: MinGW's never returns again once its call has raised
  std::unique_ptr<IGlueHost> FHost;
  std::optional<TModuleEntry> FEntry;
};

}  // namespace hoardscope
