// Resolves the folders of a run's stores.
#include "platform/ports/Home.h"

#include <cstdlib>

namespace hoardscope {
namespace {

std::filesystem::path XdgFolder(const char* variable, const char* fallbackUnderHome) {
  if (const char* value = std::getenv(variable); value && *value) return value;
  const char* home = std::getenv("HOME");
  return std::filesystem::path(home && *home ? home : ".") / fallbackUnderHome;
}

}  // namespace

THomePaths ResolveHome() {
  THomePaths paths;
  if (const char* home = std::getenv("HOARDSCOPE_HOME"); home && *home) {
    std::filesystem::path root(home);
    paths = {root / "cache", root / "registry.db", root / "app", root / "copies", {}};
  } else {
    const std::filesystem::path cache = XdgFolder("XDG_CACHE_HOME", ".cache") / "hoardscope";
    paths = {cache / "cache", XdgFolder("XDG_CONFIG_HOME", ".config") / "hoardscope" / "registry.db",
             XdgFolder("XDG_DATA_HOME", ".local/share") / "hoardscope", cache / "copies", {}};
  }
#ifdef _WIN32
  // The Windows edition keeps the copies with the user's other local data, whatever the home.
  if (const char* local = std::getenv("LOCALAPPDATA"); local && *local) {
    paths.CopiesRoot = std::filesystem::path(local) / "Hoardscope" / "copies";
  }
#endif
  return paths;
}

}  // namespace hoardscope
