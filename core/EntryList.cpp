// The entry list and the name list of the view.
#include "core/EntryList.h"

#include <algorithm>

#include "core/Tools.h"

namespace hoardscope {

void TEntryList::Add(std::string key, std::shared_ptr<TURLInfo> info) {
  FItems.push_back({std::move(key), std::move(info), {}});
}

void TEntryList::Sort() {
  std::stable_sort(FItems.begin(), FItems.end(),
                   [](const TEntryItem& a, const TEntryItem& b) { return CompareEntryKeys(a.Key, b.Key) < 0; });
}

std::size_t TEntryList::LowerBound(std::string_view prefix) const {
  const auto found = std::lower_bound(FItems.begin(), FItems.end(), prefix, [](const TEntryItem& item, std::string_view text) {
    return CompareEntryKeys(item.OrderKey(), text) < 0;
  });
  return static_cast<std::size_t>(found - FItems.begin());
}

void TEntryList::Clear() { FItems.clear(); }

void TEntryList::MarkDeleted(std::size_t index) {
  if (index >= FItems.size()) return;
  FItems[index].DeletedKey = std::move(FItems[index].Key);
  FItems[index].Key = kDeletionMarker;
  FItems[index].Info.reset();
}

bool TNameList::Contains(const std::string& name) const { return FFolded.count(LowerAscii(name)) != 0; }

void TNameList::Add(const std::string& name) { FFolded.insert(LowerAscii(name)); }

void TNameList::Clear() { FFolded.clear(); }

}  // namespace hoardscope
