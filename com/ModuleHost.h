// The module host port: everything the COM server takes from the platform it runs on. The platform's module
// glue implements it; each service is made when first asked for.
#pragma once

#include <string>

#include "com/TypeLibrary.h"
#include "platform/ports/FileCopier.h"
#include "platform/ports/FolderPicker.h"
#include "platform/ports/Registry.h"
#include "platform/ports/UrlCacheReader.h"
#include "platform/ports/ViewFactory.h"

namespace hoardscope {

// The platform services of the download automation object.
struct TDownloadServices {
  IUrlCacheReader& Cache;
  IFolderPicker& Picker;
  IFileCopier& Files;
};

class IModuleHost {
 public:
  virtual ~IModuleHost() = default;

  // The full path of the module file.
  virtual std::string ModulePath() = 0;
  // The short (8.3) form of a path, where the platform has one; else the path itself.
  virtual std::string ShortPath(const std::string& path) = 0;

  // The registry the module registers in. Raises RegistryError when it cannot be opened.
  virtual IRegistry& Registry() = 0;
  // The module's type library. Raises std::exception when it cannot be loaded.
  virtual ITypeLibrary& TypeLibrary() = 0;
  // The view factory of the band; raises std::exception when this platform cannot create views.
  virtual IViewFactory& ViewFactory() = 0;
  // Raises std::exception when a service cannot be opened.
  virtual TDownloadServices DownloadServices() = 0;

  // Shows the text of a failure in a message box with the stop icon, brought to the foreground.
  virtual void ShowError(const std::string& text) = 0;
};

}  // namespace hoardscope
