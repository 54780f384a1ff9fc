// TEntryList: the view's list of entry keys, each with its shared TURLInfo record (EntryList, SearchList).
#pragma once

#include <array>
#include <cstddef>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_set>
#include <vector>

#include "core/URLInfo.h"

namespace hoardscope {

// Text of an item whose entry was deleted: its index stays valid, it carries no record.
inline constexpr const char* kDeletionMarker = "///temp";

struct TEntryItem {
  std::string Key;
  std::shared_ptr<TURLInfo> Info;  // nullptr for a deleted entry
  std::string DeletedKey;          // a deleted entry's former key, which keeps its place in the sort order

  const std::string& OrderKey() const { return Info ? Key : DeletedKey; }
};

class TEntryList {
 public:
  void Add(std::string key, std::shared_ptr<TURLInfo> info);
  // Adds an entry whose record the list keeps in a block with many others: a load of many entries allocates and
  // frees its records in bulk.
  void Add(std::string key, TURLInfo&& info);
  // Orders the items by key with CompareEntryKeys; items with equal keys keep their order.
  void Sort();
  // The first index whose key, folded, is not less than prefix: where the run of keys starting with prefix
  // begins in a sorted list (deleted entries count under their former keys).
  std::size_t LowerBound(std::string_view prefix) const;
  void Clear();
  // Turns an item into the deletion marker; its index stays.
  void MarkDeleted(std::size_t index);

  std::size_t Count() const { return FItems.size(); }
  bool Empty() const { return FItems.empty(); }
  const TEntryItem& operator[](std::size_t index) const { return FItems[index]; }
  const std::vector<TEntryItem>& Items() const { return FItems; }

 private:
  static constexpr std::size_t kBlockSize = 1024;
  using TInfoBlock = std::array<TURLInfo, kBlockSize>;

  std::vector<TEntryItem> FItems;
  std::shared_ptr<TInfoBlock> FBlock;   // the block that takes the next records
  std::size_t FBlockUsed = kBlockSize;  // how many of its records are taken
};

// The names placed so far under one parent (hosts during a load, child folders during an expansion).
// Compares without regard to A-Z case.
class TNameList {
 public:
  bool Contains(const std::string& name) const;
  void Add(const std::string& name);
  void Clear();

 private:
  std::unordered_set<std::string> FFolded;  // the names folded to lower case
};

}  // namespace hoardscope
