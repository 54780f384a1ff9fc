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
  if (const char* home = std::getenv("HOARDSCOPE_HOME"); home && *home) {
    std::filesystem::path root(home);
    return {root / "cache", root / "registry.db", root / "app"};
  }
  return {XdgFolder("XDG_CACHE_HOME", ".cache") / "hoardscope" / "cache",
          XdgFolder("XDG_CONFIG_HOME", ".config") / "hoardscope" / "registry.db",
          XdgFolder("XDG_DATA_HOME", ".local/share") / "hoardscope"};
}

}  // namespace hoardscope
