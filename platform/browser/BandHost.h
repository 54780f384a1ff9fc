// TBandHost: how a browser window of the Linux edition hosts explorer bars, the way the browser does: it finds the
// bars through the registry, loads the registered module of one, creates its band through the module's class
// factory and drives it through the band protocol inside one pane of the window.
#pragma once

#include <QSize>
#include <memory>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/ComModule.h"
#include "platform/ports/Browser.h"
#include "platform/ports/Registry.h"

class QWidget;

namespace hoardscope {

// A registered vertical explorer bar: its class and its menu text (the CLSID key's default value, with the "&"
// of its accelerator).
struct TExplorerBar {
  CLSID Clsid;
  std::string MenuText;
};

// The classes filed under the vertical-bar category: those with the key
// HKEY_CLASSES_ROOT\CLSID\{clsid}\Implemented Categories\{00021493-0000-0000-C000-000000000046},
// in the registry's order.
std::vector<TExplorerBar> FindExplorerBars(IRegistry& registry);

class TBandSite;

class TBandHost {
 public:
  // pane is the widget the bands live in; browser is the window's browser object, offered to them.
  TBandHost(IRegistry& registry, QWidget& pane, std::shared_ptr<IBrowser> browser);
  ~TBandHost();
  TBandHost(const TBandHost&) = delete;
  TBandHost& operator=(const TBandHost&) = delete;

  // Opens a bar: loads the module registered as its InprocServer32, gets its class factory through
  // DllGetClassObject and creates the band, then SetSite (a site offering IInputObjectSite, IOleWindow with the
  // pane, IOleCommandTarget and IServiceProvider with the browser object), GetBandInfo and ShowDW(TRUE). An open
  // bar is closed first. Raises std::runtime_error with the reason when the bar cannot be opened; nothing stays.
  void Open(const CLSID& bar);
  // ShowDW(FALSE), CloseDW, SetSite(nullptr) and the final Release; the module is unloaded once DllCanUnloadNow
  // says so. Nothing when no bar is open.
  void Close();

  bool IsOpen() const { return static_cast<bool>(FBand); }
  // The open bar's window (IOleWindow of the band); nullptr when no bar is open or it has none.
  QWidget* BandWindow() const;
  const CLSID& OpenBar() const { return FBar; }
  // The smallest size the open bar asked for (GetBandInfo's minimum).
  QSize MinimumSize() const { return FMinimumSize; }

 private:
  void Release();

  IRegistry& FRegistry;
  QWidget& FPane;
  std::shared_ptr<IBrowser> FBrowser;
  std::unique_ptr<TComModule> FModule;
  TComPtr<IDeskBand> FBand;
  TComPtr<TBandSite> FSite;
  CLSID FBar{};
  QSize FMinimumSize;
};

}  // namespace hoardscope
