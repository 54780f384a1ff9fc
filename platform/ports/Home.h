// Where a run of hoardscope keeps its stores, and the edition's services a run works on. The Linux edition keeps
// its stores under HOARDSCOPE_HOME when it is set, else in the XDG base directories of the user; the Windows
// edition works on the system's WinInet cache and registry, whatever the home.
#pragma once

#include <filesystem>
#include <memory>

#include "platform/ports/Clock.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/Registry.h"
#include "platform/ports/Report.h"
#include "platform/ports/Shell.h"
#include "platform/ports/TextConverter.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

struct THomePaths {
  std::filesystem::path CacheRoot;      // the cache store: index plus content folders
  std::filesystem::path RegistryFile;   // the registry store
  std::filesystem::path AppFolder;      // the data folder its setup makes: the help and "Save Files"
  std::filesystem::path CopiesRoot;     // decoded copies of the bodies of browsers' caches, a folder per source
  std::string CacheSource;              // the source the commands work on (--cache); empty for the platform's
};

THomePaths ResolveHome();

// The edition's platform services, opened for one run.
class IHomeServices {
 public:
  virtual ~IHomeServices() = default;
  virtual IUrlCache& Cache() = 0;
  virtual IRegistry& Registry() = 0;
  virtual IShell& Shell() = 0;
  virtual IClock& Clock() = 0;
  virtual IInternetOptions& Internet() = 0;
  virtual IReport& Report() = 0;
  virtual ITextConverter& Converter() = 0;
};

// Each edition defines these in its own home file.
std::unique_ptr<IHomeServices> OpenHomeServices(const THomePaths& home);
// The registry alone, for the commands that need nothing else.
std::unique_ptr<IRegistry> OpenHomeRegistry(const THomePaths& home);
// The installed module beside this program: libhoardscope.so, or hoardscope.dll.
std::filesystem::path InstalledModule();

}  // namespace hoardscope
