// Node lookup by node key or entry key.
#include "presenter/NodeLookup.h"

#include "core/Tools.h"
#include "core/TreeRules.h"

namespace hoardscope {
namespace {

bool IsUnexpanded(const TTreeNode& node) {
  return node.HasNodeKey() && node.HasChildren() && node.Child(0)->Kind() == TNodeKind::Placeholder;
}

bool IsEntryKey(const std::string& name) { return WebSchemeLength(name) > 0; }

// One pass over the tree: the node, or else in ancestorToExpand the first unopened node that leads to it. A file
// named by its source URL is found before the first file listed under that text as its entry key.
TTreeNode* SearchOnce(const THoardscopeMain& view, const std::string& name, TTreeNode*& ancestorToExpand) {
  const bool entryKey = IsEntryKey(name);
  const std::string key = entryKey ? view.EntryKeyOf(name) : name;
  TTreeNode* found = nullptr;
  TTreeNode* foundByKey = nullptr;
  ancestorToExpand = nullptr;
  view.State().TreeView1.Walk([&](TTreeNode& node) {
    if (found) return false;
    if (entryKey) {
      const TEntryList& list = view.State().ListOf(&node);
      if (node.Kind() == TNodeKind::File && node.EntryIndex() < list.Count()) {
        const TEntryItem& item = list[node.EntryIndex()];
        if (item.Info && item.Info->SourceUrl == name) found = &node;
        if (!foundByKey && item.Key == name) foundByKey = &node;
      }
    } else if (node.HasNodeKey() && EqualsNoCase(node.Key(), name)) {
      found = &node;
    }
    const bool leadsThere =
        node.HasNodeKey() && !node.Key().empty() &&
        (entryKey ? IsUnderNodeKey(node.Key(), key) : StartsWithNoCase(name, NodePrefix(node.Key())));
    if (!ancestorToExpand && leadsThere && IsUnexpanded(node)) ancestorToExpand = &node;
    return true;
  });
  return found ? found : foundByKey;
}

}  // namespace

TTreeNode* FindNodeByName(const THoardscopeMain& view, const std::string& name,
                          const std::function<void(TTreeNode*)>& expand) {
  for (;;) {
    TTreeNode* ancestor = nullptr;
    if (TTreeNode* node = SearchOnce(view, name, ancestor)) return node;
    if (!ancestor) return nullptr;
    expand(ancestor);
    if (IsUnexpanded(*ancestor)) return nullptr;  // the expansion did not open it: searching again would not end
  }
}

}  // namespace hoardscope
