// The cache-source port: which cache the view shows, the platform's own or one of the browsers' disk caches of
// the user, and switching between them.
#pragma once

#include <string>
#include <vector>

namespace hoardscope {

inline constexpr const char* kPlatformSource = "platform";
// How the platform's own cache is named to the user.
inline constexpr const char* kPlatformCaption = "Platform cache";

class ICacheSourceChoice {
 public:
  virtual ~ICacheSourceChoice() = default;
  // The names of the sources found for the user, "platform" first.
  virtual std::vector<std::string> SourceNames() = 0;
  // The name of the source shown now.
  virtual std::string CurrentSource() const = 0;
  // How the source shown now is named to the user: "Platform cache", the browser and the profile ("Chromium —
  // Default"), or the cache folder a source of a folder reads.
  virtual std::string CurrentCaption() const = 0;
  // Makes the named source (a name of SourceNames, or "chromium:DIR", "firefox:DIR") the one the view's cache
  // reads. Empty on success, else why not; the current source then stays.
  virtual std::string SelectSource(const std::string& name) = 0;
};

}  // namespace hoardscope
