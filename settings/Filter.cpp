// The entry filter.
#include "settings/Filter.h"

#include <algorithm>
#include <string_view>

#include "core/Tools.h"
#include "core/URLInfo.h"

namespace hoardscope {
namespace {

// The list as the extension test reads it: each item without the spaces around it, upper case, and ".CSS" for an
// item written "css".
std::string ExtensionListOf(std::string_view extStr) {
  std::string list;
  for (std::size_t start = 0; start <= extStr.size();) {
    const std::size_t end = std::min(extStr.find(';', start), extStr.size());
    const std::string_view item = TrimHtmlSpace(extStr.substr(start, end - start));
    if (start > 0) list += ';';
    if (!item.empty() && item.find('.') == std::string_view::npos) list += '.';
    list += UpperAscii(item);
    start = end + 1;
  }
  return list;
}

}  // namespace

TEntryFilter::TEntryFilter(const TSettings& settings, const TQuickFilter& quick)
    : FTypeFilter(settings.UseFilter),
      FByExtension(settings.FilterType),
      FAllExtensions(settings.ExtStr == "*.*"),
      FExtensions(ExtensionListOf(settings.ExtStr)),
      FClasses(settings.FilterClasses),
      FQuick(quick) {}

bool TEntryFilter::Admits(const TURLInfo& info) const {
  return (!FTypeFilter || PassesTypeFilter(info)) && FQuick.Admits(info);
}

bool TEntryFilter::PassesTypeFilter(const TURLInfo& info) const {
  return FByExtension ? PassesExtensionFilter(info.LocalFile) : PassesClassFilter(info.ContentType);
}

bool TEntryFilter::PassesExtensionFilter(const std::string& localFileName) const {
  if (FAllExtensions) return true;
  const std::string extension = PathFindExtension(localFileName);
  return !extension.empty() && FExtensions.find(UpperAscii(extension)) != std::string::npos;
}

bool TEntryFilter::PassesClassFilter(const std::string& contentType) const {
  const std::string type = LowerAscii(contentType);
  const auto startsWith = [&](const char* prefix) { return type.rfind(prefix, 0) == 0; };
  return (FClasses.Contains(TFilterClass::fcMedia) && (startsWith("audio/") || startsWith("video/"))) ||
         (FClasses.Contains(TFilterClass::fcText) && startsWith("text/")) ||
         (FClasses.Contains(TFilterClass::fcPicture) && startsWith("image/"));
}

}  // namespace hoardscope
