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
  IUrlCacheDeleter* deleter = FCache.Deleter();
  if (!deleter) return NothingDeletedFrom(FSourceCaption());
  if (!node.HasChildren()) {
    const bool listed =
        node.Kind() == TNodeKind::File && node.EntryIndex() < list.Count() && list[node.EntryIndex()].Info;
    return listed ? deleter->DeleteRefusal(list[node.EntryIndex()].Info->SourceUrl) : std::string();
  }
  for (const TEntryItem& item : list.Items()) {
    if (!item.Info || !IsUnderNodeKey(node.Key(), item.Key)) continue;
    if (std::string refusal = deleter->DeleteRefusal(item.Info->SourceUrl); !refusal.empty()) return refusal;
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
  FRunning = true;
  try {
    for (std::size_t i = 0; i < list.Count(); ++i) {
      if (list[i].Info && IsUnderNodeKey(nodeKey, list[i].Key)) DeleteEntry(list, i);
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
