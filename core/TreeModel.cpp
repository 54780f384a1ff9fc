// The portable tree model and its change notifications.
#include "core/TreeModel.h"

#include <algorithm>

namespace hoardscope {
TTreeNode::TTreeNode(TTreeNode* parent, TNodeKind kind, std::string caption, int imageIndex)
    : FKind(kind), FCaption(std::move(caption)), FImageIndex(imageIndex), FSelectedIndex(imageIndex),
      FParent(parent) {}

std::size_t TTreeNode::Row() const { return FRow; }

std::size_t TTreeNode::Depth() const {
  std::size_t depth = 0;
  for (const TTreeNode* node = FParent; node; node = node->FParent) ++depth;
  return depth;
}

TTreeModel::TTreeModel() = default;
TTreeModel::~TTreeModel() = default;

void TTreeModel::AddObserver(ITreeObserver* observer) const { FObservers.push_back(observer); }

void TTreeModel::RemoveObserver(ITreeObserver* observer) const {
  FObservers.erase(std::remove(FObservers.begin(), FObservers.end(), observer), FObservers.end());
}

template <typename F>
void TTreeModel::Notify(F&& call) {
  for (ITreeObserver* observer : FObservers) call(*observer);
}

std::vector<std::unique_ptr<TTreeNode>>& TTreeModel::ChildrenOf(TTreeNode* node) {
  return node ? node->FChildren : FTopLevel;
}

TTreeNode* TTreeModel::Insert(TTreeNode* parent, std::unique_ptr<TTreeNode> node) {
  auto& siblings = ChildrenOf(parent);
  const std::size_t row = siblings.size();
  Notify([&](ITreeObserver& o) { o.BeforeInsert(parent, row, row); });
  node->FRow = row;
  siblings.push_back(std::move(node));
  Notify([](ITreeObserver& o) { o.AfterInsert(); });
  return siblings.back().get();
}

TTreeNode* TTreeModel::AddChild(TTreeNode* parent, TNodeKind kind, std::string caption, int imageIndex) {
  return Insert(parent, std::make_unique<TTreeNode>(parent, kind, std::move(caption), imageIndex));
}

TTreeNode* TTreeModel::AddFolderChild(TTreeNode* parent, TNodeKind kind, std::string caption, std::string key) {
  auto node = std::make_unique<TTreeNode>(parent, kind, std::move(caption), 0);
  node->FKey = std::move(key);
  return Insert(parent, std::move(node));
}

TTreeNode* TTreeModel::AddFileChild(TTreeNode* parent, std::string caption, std::size_t entryIndex,
                                    int imageIndex) {
  auto node = std::make_unique<TTreeNode>(parent, TNodeKind::File, std::move(caption), imageIndex);
  node->FEntryIndex = entryIndex;
  return Insert(parent, std::move(node));
}

void TTreeModel::Delete(TTreeNode* node) {
  auto& siblings = ChildrenOf(node->FParent);
  const std::size_t row = node->FRow;
  Notify([&](ITreeObserver& o) { o.BeforeRemove(node->FParent, row, row); });
  siblings.erase(siblings.begin() + static_cast<std::ptrdiff_t>(row));
  for (std::size_t i = row; i < siblings.size(); ++i) siblings[i]->FRow = i;
  Notify([](ITreeObserver& o) { o.AfterRemove(); });
}

void TTreeModel::DeleteChildren(TTreeNode* node) {
  auto& children = ChildrenOf(node);
  if (children.empty()) return;
  Notify([&](ITreeObserver& o) { o.BeforeRemove(node, 0, children.size() - 1); });
  children.clear();
  Notify([](ITreeObserver& o) { o.AfterRemove(); });
}

void TTreeModel::SetImageIndex(TTreeNode* node, int imageIndex) {
  node->FImageIndex = imageIndex;
  node->FSelectedIndex = imageIndex;
  Notify([&](ITreeObserver& o) { o.NodeChanged(node); });
}

void TTreeModel::SetExpanded(TTreeNode* node, bool expanded) {
  if (node->FExpanded == expanded) return;
  node->FExpanded = expanded;
  Notify([&](ITreeObserver& o) { o.ExpandedChanged(node); });
}

void TTreeModel::SortRecursive(std::vector<std::unique_ptr<TTreeNode>>& nodes, const TNodeLess& less) {
  std::stable_sort(nodes.begin(), nodes.end(), [&](const auto& a, const auto& b) { return less(*a, *b); });
  for (std::size_t i = 0; i < nodes.size(); ++i) {
    nodes[i]->FRow = i;
    if (!nodes[i]->FChildren.empty()) SortRecursive(nodes[i]->FChildren, less);
  }
}

void TTreeModel::SortChildren(TTreeNode* node, const TNodeLess& less) {
  auto& children = ChildrenOf(node);
  Notify([](ITreeObserver& o) { o.BeforeReorder(); });
  std::stable_sort(children.begin(), children.end(), [&](const auto& a, const auto& b) { return less(*a, *b); });
  for (std::size_t i = 0; i < children.size(); ++i) children[i]->FRow = i;
  Notify([](ITreeObserver& o) { o.AfterReorder(); });
}

void TTreeModel::SortAll(const TNodeLess& less) {
  Notify([](ITreeObserver& o) { o.BeforeReorder(); });
  SortRecursive(FTopLevel, less);
  Notify([](ITreeObserver& o) { o.AfterReorder(); });
}

void TTreeModel::BeginUpdate() {
  Notify([](ITreeObserver& o) { o.BeginUpdate(); });
}

void TTreeModel::EndUpdate() {
  Notify([](ITreeObserver& o) { o.EndUpdate(); });
}

void TTreeModel::Walk(const std::function<bool(TTreeNode&)>& visit) const {
  const std::function<void(const std::vector<std::unique_ptr<TTreeNode>>&)> walkList =
      [&](const std::vector<std::unique_ptr<TTreeNode>>& nodes) {
        for (const auto& node : nodes) {
          if (visit(*node)) walkList(node->FChildren);
        }
      };
  walkList(FTopLevel);
}

}  // namespace hoardscope
