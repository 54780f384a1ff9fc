// Deleting listed entries from the URL cache.
#include "operations/EntryDeletion.h"

#include <utility>

#include "core/TreeRules.h"

namespace hoardscope {
namespace {

// The refusal of a cache that has no deleting half.
std::string NothingDeletedFrom(const std::string& caption) { return "Nothing is deleted from " + caption + "."; }

}  // namespace

std::string TEntryDeletion::RefusalFor(const TEntryList& list, const TTreeNode& node) const {
  std::vector<std::size_t> indexes;
  if (node.HasChildren() && node.HasNodeKey() && !node.Key().empty()) indexes = EntryIndexesUnder(list, node.Key());
  if (!node.HasChildren() && node.Kind() == TNodeKind::File) indexes.push_back(node.EntryIndex());
  return RefusalFor(list, indexes);
}

std::string TEntryDeletion::RefusalFor(const TEntryList& list, const std::vector<std::size_t>& indexes) const {
  IUrlCacheDeleter* deleter = FCache.Deleter();
  if (!deleter) return NothingDeletedFrom(FSourceCaption());
  for (const std::size_t index : indexes) {
    if (index >= list.Count() || !list[index].Info) continue;
    if (std::string refusal = deleter->DeleteRefusal(list[index].Info->SourceUrl); !refusal.empty()) return refusal;
  }
  return std::string();
}

bool TEntryDeletion::DeleteUrl(const std::string& url) {
  IUrlCacheDeleter* deleter = FCache.Deleter();
  if (deleter && deleter->DeleteEntry(url)) return true;
  std::string failure = deleter ? deleter->LastDeleteFailure() : NothingDeletedFrom(FSourceCaption());
  if (failure.empty()) return true;  // nothing of it was there to remove
  FFailures.push_back(std::move(failure));
  return false;
}

bool TEntryDeletion::DeleteEntry(TEntryList& list, std::size_t index) {
  if (index >= list.Count()) return false;
  if (list[index].Info && !DeleteUrl(list[index].Info->SourceUrl)) return false;
  list.MarkDeleted(index);
  return true;
}

void TEntryDeletion::DeleteUnder(TEntryList& list, const std::string& nodeKey) {
  if (!nodeKey.empty()) DeleteEntries(list, EntryIndexesUnder(list, nodeKey));  // no key names no entries
}

void TEntryDeletion::DeleteEntries(TEntryList& list, const std::vector<std::size_t>& indexes) {
  FRunning = true;
  try {
    for (const std::size_t index : indexes) {
      if (index < list.Count() && list[index].Info) DeleteEntry(list, index);
      FDesktop.ProcessMessages();
    }
  } catch (...) {
    // A failure ends the walk; what was deleted so far stays deleted.
  }
  FRunning = false;
}

bool TEntryDeletion::ShowFailures() {
  if (FFailures.empty()) return false;
  std::string text = FFailures.front();
  if (FFailures.size() > 1) {
    text = std::to_string(FFailures.size()) + " entries were not deleted:";
    for (const std::string& failure : FFailures) text += "\r\n" + failure;
  }
  FFailures.clear();
  FDesktop.ShowMessage(text, MessageButtons::Ok);
  return true;
}

}  // namespace hoardscope
