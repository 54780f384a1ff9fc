// Deleting listed entries from the URL cache: what refuses a deletion, the deletion of one entry or of every entry
// below a node, and the report of the entries that stayed.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "core/EntryList.h"
#include "core/TreeModel.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

class TEntryDeletion {
 public:
  // sourceCaption names the cache on show, for the refusal of one that has no deleting half.
  TEntryDeletion(IUrlCache& cache, IDesktop& desktop, std::function<std::string()> sourceCaption)
      : FCache(cache), FDesktop(desktop), FSourceCaption(std::move(sourceCaption)) {}

  // Why the entries of list below node (or node's own entry) cannot be deleted; empty when they all can.
  std::string RefusalFor(const TEntryList& list, const TTreeNode& node) const;
  // Why the entries of list at these indexes cannot be deleted; empty when they all can.
  std::string RefusalFor(const TEntryList& list, const std::vector<std::size_t>& indexes) const;
  // Deletes the URL's entries; false, with the cache's reason kept for ShowFailures, when it left some behind.
  bool DeleteUrl(const std::string& url);
  // Deletes the entry at index and marks it deleted in list; false, and the entry stays listed, when the cache
  // kept it.
  bool DeleteEntry(TEntryList& list, std::size_t index);
  // Deletes every entry of list below nodeKey, letting messages run between them (Running meanwhile). A failure
  // of the cache ends the walk; what was deleted so far stays deleted.
  void DeleteUnder(TEntryList& list, const std::string& nodeKey);
  // Deletes the entries of list at these indexes, in the same way.
  void DeleteEntries(TEntryList& list, const std::vector<std::size_t>& indexes);
  bool Running() const { return FRunning; }
  // Says which entries the deletions since the last report left behind, and why; false when none was.
  bool ShowFailures();
  // Drops what the deletions since the last report left behind, unsaid (a Delete starts afresh).
  void ForgetFailures() { FFailures.clear(); }

 private:
  IUrlCache& FCache;
  IDesktop& FDesktop;
  std::function<std::string()> FSourceCaption;
  bool FRunning = false;
  std::vector<std::string> FFailures;  // why entries stayed
};

}  // namespace hoardscope
