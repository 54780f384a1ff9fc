// The cache source on show: the sources to offer, the one shown and how it is named, and the choice of another,
// kept in the settings.
#pragma once

#include <string>
#include <vector>

#include "platform/ports/CacheSources.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/Registry.h"

namespace hoardscope {

class TCurrentSource {
 public:
  // Without sources only the platform cache is offered, and no other can be chosen.
  TCurrentSource(ICacheSourceChoice* sources, IRegistry& registry, IDesktop& desktop)
      : FSources(sources), FRegistry(registry), FDesktop(desktop) {}

  bool CanChoose() const { return FSources != nullptr; }
  std::vector<std::string> Names();
  std::string Current() const;
  // How the source on show is named to the user: "Platform cache", "Chromium — Default", a cache folder.
  std::string Caption() const;
  // Shows the named source and keeps the choice in the settings; false, with the reason said, when it cannot be
  // shown (the source on show stays).
  bool Select(const std::string& name);
  // Shows the source the settings name. One that is gone (its browser removed) leaves the platform cache on
  // show; the setting stays for later.
  void OpenSaved();

 private:
  ICacheSourceChoice* FSources;
  IRegistry& FRegistry;
  IDesktop& FDesktop;
};

}  // namespace hoardscope
