// The cache source on show and the choice of another.
#include "presenter/CurrentSource.h"

#include "settings/SettingsStore.h"

namespace hoardscope {

std::vector<std::string> TCurrentSource::Names() {
  return FSources ? FSources->SourceNames() : std::vector<std::string>{kPlatformSource};
}

std::string TCurrentSource::Current() const {
  return FSources ? FSources->CurrentSource() : std::string(kPlatformSource);
}

std::string TCurrentSource::Caption() const {
  return FSources ? FSources->CurrentCaption() : std::string(kPlatformCaption);
}

bool TCurrentSource::Select(const std::string& name) {
  if (!FSources) return false;
  if (const std::string failure = FSources->SelectSource(name); !failure.empty()) {
    FDesktop.ShowMessage(failure, MessageButtons::Ok);
    return false;
  }
  WriteCacheSource(FRegistry, name);
  return true;
}

void TCurrentSource::OpenSaved() {
  if (!FSources) return;
  const std::string saved = ReadCacheSource(FRegistry);
  if (saved != kPlatformSource) FSources->SelectSource(saved);
}

}  // namespace hoardscope
