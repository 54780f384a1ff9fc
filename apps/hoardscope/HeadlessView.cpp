// The headless main view: finding, expanding and printing nodes.
#include "HeadlessView.h"

#include <vector>

#include "core/Tools.h"
#include "core/TreeRules.h"

namespace hoardscope {
namespace {

const char* KindName(TNodeKind kind) {
  switch (kind) {
    case TNodeKind::Root: return "root";
    case TNodeKind::Search: return "search";
    case TNodeKind::Host: return "host";
    case TNodeKind::Folder: return "folder";
    case TNodeKind::File: return "file";
    case TNodeKind::Placeholder: return "placeholder";
  }
  return "";
}

bool IsUnexpanded(const TTreeNode& node) {
  return node.HasNodeKey() && node.HasChildren() && node.Child(0)->Kind() == TNodeKind::Placeholder;
}

bool IsEntryKey(const std::string& name) { return StartsWithNoCase(name, "http://"); }

}  // namespace

THeadlessView::THeadlessView(const THomePaths& home, std::ostream& events)
    : FCache(home.CacheRoot), FRegistry(home.RegistryFile), FShell(home.CacheRoot), FDesktop(events),
      FInternet(events) {
  FView = std::make_unique<THoardscopeMain>(
      TViewServices{FCache, FInternet, FRegistry, FShell, FDesktop, &FDialogs, &FClock, nullptr}, FWidgets);
  FView->FBrowser = std::make_shared<THeadlessBrowser>(events);
}

void THeadlessView::ShowAndLoad() {
  FView->FormShow();
  FDesktop.FireTimer();
}

void THeadlessView::Expand(TTreeNode* node) {
  FView->TreeView1.SetExpanded(node, true);
  FView->TreeView1Expanded(node);
}

void THeadlessView::ExpandAll() {
  for (std::size_t i = 0; i < FView->TreeView1.TopLevelCount(); ++i) ExpandBelow(FView->TreeView1.TopLevel(i));
}

void THeadlessView::ExpandBelow(TTreeNode* top) {
  std::vector<TTreeNode*> pending{top};
  while (!pending.empty()) {
    TTreeNode* node = pending.back();
    pending.pop_back();
    if (node->HasNodeKey() && !node->Expanded()) Expand(node);
    for (std::size_t i = 0; i < node->ChildCount(); ++i) pending.push_back(node->Child(i));
  }
}

TTreeNode* THeadlessView::SearchOnce(const std::string& name, TTreeNode*& ancestorToExpand) {
  const bool entryKey = IsEntryKey(name);
  TTreeNode* found = nullptr;
  ancestorToExpand = nullptr;
  FView->TreeView1.Walk([&](TTreeNode& node) {
    if (found) return false;
    if (entryKey) {
      const TEntryList& list = FView->IsInSearchResult(&node) ? FView->SearchList : FView->EntryList;
      if (node.Kind() == TNodeKind::File && node.EntryIndex() < list.Count() && list[node.EntryIndex()].Key == name) {
        found = &node;
      }
    } else if (node.HasNodeKey() && EqualsNoCase(node.Key(), name)) {
      found = &node;
    }
    const bool leadsThere = node.HasNodeKey() && !node.Key().empty() &&
                            (entryKey ? IsUnderNodeKey(node.Key(), name) : StartsWithNoCase(name, node.Key() + "/"));
    if (!ancestorToExpand && leadsThere && IsUnexpanded(node)) ancestorToExpand = &node;
    return true;
  });
  return found;
}

TTreeNode* THeadlessView::FindNode(const std::string& name) {
  for (;;) {
    TTreeNode* ancestor = nullptr;
    if (TTreeNode* node = SearchOnce(name, ancestor)) return node;
    if (!ancestor) return nullptr;
    Expand(ancestor);
  }
}

void THeadlessView::PrintTree(std::ostream& out, bool longForm, const TTreeNode* branch) {
  FView->TreeView1.Walk([&](TTreeNode& node) {
    if (branch && node.Depth() == 0 && &node != branch) return false;
    out << std::string(2 * node.Depth(), ' ') << EscapeLineBreaks(node.Caption());
    if (longForm) {
      out << '\t' << KindName(node.Kind()) << " img=" << node.ImageIndex();
      if (node.HasNodeKey()) out << " key=" << node.Key();
      if (node.Kind() == TNodeKind::File) out << " index=" << node.EntryIndex();
    }
    out << '\n';
    return true;
  });
  PrintPanels(out);
}

void THeadlessView::PrintPanels(std::ostream& out) {
  out << "panel0: " << FView->StatusText(0) << "\n";
  out << "panel1: " << FView->StatusText(1) << "\n";
}

}  // namespace hoardscope
