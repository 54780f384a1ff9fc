// The in-memory settings; each view holds its own.
#pragma once

#include <bitset>
#include <string>

namespace hoardscope {

enum class TFilterClass { fcMedia, fcPicture, fcText };

class TFilterClasses {
 public:
  bool Contains(TFilterClass member) const { return FMembers.test(static_cast<std::size_t>(member)); }
  void Include(TFilterClass member) { FMembers.set(static_cast<std::size_t>(member)); }
  void Exclude(TFilterClass member) { FMembers.reset(static_cast<std::size_t>(member)); }
  bool Empty() const { return FMembers.none(); }
  bool operator==(const TFilterClasses&) const = default;

 private:
  std::bitset<3> FMembers;
};

struct TSettings {
  bool UseFilter = false;        // the filter applies while the cache is loaded
  TFilterClasses FilterClasses;  // classes shown in type mode
  bool FilterType = false;       // false: type mode, true: extension mode
  std::string ExtStr;            // extension list of the extension mode
  bool ShowSecure = false;       // the platform cache lists its https entries too
  bool ShowDetails = true;       // the details list is shown below the tree
};

}  // namespace hoardscope
