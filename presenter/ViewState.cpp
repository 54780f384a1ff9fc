// The queries of the view's state.
#include "presenter/ViewState.h"

namespace hoardscope {

bool TViewState::IsInSearchResult(const TTreeNode* node) const {
  if (!SearchNode || !node) return false;
  for (const TTreeNode* parent = node->Parent(); parent; parent = parent->Parent()) {
    if (parent == SearchNode) return true;
  }
  return false;
}

const TEntryList& TViewState::ListOf(const TTreeNode* node) const {
  return IsInSearchResult(node) ? SearchList : EntryList;
}

}  // namespace hoardscope
