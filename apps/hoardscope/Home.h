// Where a run of hoardscope keeps its stores: under HOARDSCOPE_HOME when it is set, else in the XDG base
// directories of the user.
#pragma once

#include <filesystem>

namespace hoardscope {

struct THomePaths {
  std::filesystem::path CacheRoot;      // the cache store: index plus content folders
  std::filesystem::path RegistryFile;   // the registry store
};

THomePaths ResolveHome();

}  // namespace hoardscope
