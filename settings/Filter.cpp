// The entry filter.
#include "settings/Filter.h"

#include "core/Tools.h"

namespace hoardscope {
namespace {

bool PassesExtensionFilter(const std::string& extStr, const std::string& localFileName) {
  if (extStr == "*.*") return true;
  const std::string extension = PathFindExtension(localFileName);
  return !extension.empty() && UpperAscii(extStr).find(UpperAscii(extension)) != std::string::npos;
}

bool PassesTypeFilter(const TFilterClasses& classes, const std::string& contentType) {
  const std::string type = LowerAscii(contentType);
  const auto startsWith = [&](const char* prefix) { return type.rfind(prefix, 0) == 0; };
  return (classes.Contains(TFilterClass::fcMedia) && (startsWith("audio/") || startsWith("video/"))) ||
         (classes.Contains(TFilterClass::fcText) && startsWith("text/")) ||
         (classes.Contains(TFilterClass::fcPicture) && startsWith("image/"));
}

}  // namespace

bool PassesFilter(const TSettings& settings, const TFilterClasses& classes, const std::string& contentType,
                  const std::string& localFileName) {
  return settings.FilterType ? PassesExtensionFilter(settings.ExtStr, localFileName)
                             : PassesTypeFilter(classes, contentType);
}

}  // namespace hoardscope
