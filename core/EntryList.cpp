// The entry list and the name list of the view.
#include "core/EntryList.h"

#include <algorithm>

#include "core/Tools.h"

namespace hoardscope {

void TEntryList::Add(std::string key, std::shared_ptr<TURLInfo> info) {
  FItems.push_back({std::move(key), std::move(info), {}});
}

// Each record shares the ownership of its block, so a block lives while any of its records is in use.
void TEntryList::Add(std::string key, TURLInfo&& info) {
  if (FBlockUsed == kBlockSize) {
    FBlock = std::make_shared<TInfoBlock>();
    FBlockUsed = 0;
  }
  TURLInfo& placed = (*FBlock)[FBlockUsed++];
  placed = std::move(info);
  Add(std::move(key), std::shared_ptr<TURLInfo>(FBlock, &placed));
}

void TEntryList::Sort() {
  // Folds every key once into one buffer and sorts the folded keys, each with its item's index: comparing the
  // folded bytes after the scheme, then the whole folded keys, is CompareEntryKeys, and the index breaks ties the
  // way a stable sort keeps equal keys in order.
  struct TFoldedKey {
    std::size_t Offset;
    std::size_t Length;
    std::size_t Scheme;
    std::size_t Index;
  };
  std::string folded;
  std::vector<TFoldedKey> order;
  order.reserve(FItems.size());
  std::size_t total = 0;
  for (const TEntryItem& item : FItems) total += item.Key.size();
  folded.reserve(total);
  for (std::size_t i = 0; i < FItems.size(); ++i) {
    order.push_back({folded.size(), FItems[i].Key.size(), WebSchemeLength(FItems[i].Key), i});
    folded += FItems[i].Key;
  }
  LowerAsciiInPlace(folded);
  const std::string_view text(folded);
  std::sort(order.begin(), order.end(), [text](const TFoldedKey& a, const TFoldedKey& b) {
    const int byPlace = text.substr(a.Offset + a.Scheme, a.Length - a.Scheme)
                            .compare(text.substr(b.Offset + b.Scheme, b.Length - b.Scheme));
    if (byPlace != 0) return byPlace < 0;
    const int byKey = text.substr(a.Offset, a.Length).compare(text.substr(b.Offset, b.Length));
    return byKey != 0 ? byKey < 0 : a.Index < b.Index;
  });
  // Position i takes the item at order[i].Index; each cycle of that permutation is moved in place, and a position
  // done points at itself.
  for (std::size_t start = 0; start < order.size(); ++start) {
    if (order[start].Index == start) continue;
    TEntryItem first = std::move(FItems[start]);
    std::size_t position = start;
    while (order[position].Index != start) {
      const std::size_t source = order[position].Index;
      FItems[position] = std::move(FItems[source]);
      order[position].Index = position;
      position = source;
    }
    FItems[position] = std::move(first);
    order[position].Index = position;
  }
}

std::size_t TEntryList::LowerBound(std::string_view prefix) const {
  const auto found = std::lower_bound(FItems.begin(), FItems.end(), prefix, [](const TEntryItem& item, std::string_view text) {
    return CompareEntryKeys(item.OrderKey(), text) < 0;
  });
  return static_cast<std::size_t>(found - FItems.begin());
}

void TEntryList::Clear() {
  FItems.clear();
  FBlock.reset();
  FBlockUsed = kBlockSize;
}

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
