// The view's tree (TreeView1) as portable data: nodes with caption, images and node data, ordered children, and
// the operations a tree control offers. Widgets observe it and mirror it.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace hoardscope {

enum class TNodeKind { Root, Search, Host, Folder, File, Placeholder };

inline constexpr const char* kPlaceholderCaption = "tempmarl";

class TTreeNode {
 public:
  TTreeNode(TTreeNode* parent, TNodeKind kind, std::string caption, int imageIndex);

  TNodeKind Kind() const { return FKind; }
  const std::string& Caption() const { return FCaption; }
  int ImageIndex() const { return FImageIndex; }
  int SelectedIndex() const { return FSelectedIndex; }
  bool Expanded() const { return FExpanded; }
  TTreeNode* Parent() const { return FParent; }

  // Node data: the node key of a host or folder, the list index of a file.
  const std::string& Key() const { return FKey; }
  std::size_t EntryIndex() const { return FEntryIndex; }
  bool HasNodeKey() const { return FKind == TNodeKind::Host || FKind == TNodeKind::Folder; }

  bool HasChildren() const { return !FChildren.empty(); }
  std::size_t ChildCount() const { return FChildren.size(); }
  TTreeNode* Child(std::size_t index) const { return FChildren[index].get(); }
  // Position among the parent's children (or among the top-level nodes).
  std::size_t Row() const;
  std::size_t Depth() const;

 private:
  friend class TTreeModel;
  TNodeKind FKind;
  std::string FCaption;
  int FImageIndex;
  int FSelectedIndex;
  bool FExpanded = false;
  TTreeNode* FParent;
  std::string FKey;
  std::size_t FEntryIndex = 0;
  std::size_t FRow = 0;  // kept current by the model
  std::vector<std::unique_ptr<TTreeNode>> FChildren;
};

// What a widget needs to mirror the model. Calls come in Before/After pairs around each change.
class ITreeObserver {
 public:
  virtual ~ITreeObserver() = default;
  // parent nullptr: the top level.
  virtual void BeforeInsert(TTreeNode* parent, std::size_t first, std::size_t last) = 0;
  virtual void AfterInsert() = 0;
  virtual void BeforeRemove(TTreeNode* parent, std::size_t first, std::size_t last) = 0;
  virtual void AfterRemove() = 0;
  virtual void BeforeReorder() = 0;
  virtual void AfterReorder() = 0;
  virtual void NodeChanged(TTreeNode* node) = 0;
  virtual void ExpandedChanged(TTreeNode* node) = 0;
  // Redrawing suspended while many nodes are added.
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
};

class TTreeModel {
 public:
  using TNodeLess = std::function<bool(const TTreeNode&, const TTreeNode&)>;

  TTreeModel();
  ~TTreeModel();
  TTreeModel(const TTreeModel&) = delete;
  TTreeModel& operator=(const TTreeModel&) = delete;

  // Watching the tree changes nothing in it: a view that only reads the tree may watch it.
  void AddObserver(ITreeObserver* observer) const;
  void RemoveObserver(ITreeObserver* observer) const;

  // parent nullptr adds a top-level node.
  TTreeNode* AddChild(TTreeNode* parent, TNodeKind kind, std::string caption, int imageIndex);
  TTreeNode* AddFolderChild(TTreeNode* parent, TNodeKind kind, std::string caption, std::string key);
  TTreeNode* AddFileChild(TTreeNode* parent, std::string caption, std::size_t entryIndex, int imageIndex);
  void Delete(TTreeNode* node);
  void DeleteChildren(TTreeNode* node);
  void SetImageIndex(TTreeNode* node, int imageIndex);  // normal and selected
  void SetExpanded(TTreeNode* node, bool expanded);

  std::size_t TopLevelCount() const { return FTopLevel.size(); }
  TTreeNode* TopLevel(std::size_t index) const { return FTopLevel[index].get(); }

  // Sorts the children of one node (nullptr: the top level), keeping equal nodes in their order.
  void SortChildren(TTreeNode* node, const TNodeLess& less);
  // Sorts the top level and the children of every node, at every depth.
  void SortAll(const TNodeLess& less);

  void BeginUpdate();
  void EndUpdate();

  // Every node in display order (depth first), with the callback's return value deciding whether to descend.
  void Walk(const std::function<bool(TTreeNode&)>& visit) const;

 private:
  std::vector<std::unique_ptr<TTreeNode>>& ChildrenOf(TTreeNode* node);
  TTreeNode* Insert(TTreeNode* parent, std::unique_ptr<TTreeNode> node);
  void SortRecursive(std::vector<std::unique_ptr<TTreeNode>>& nodes, const TNodeLess& less);
  template <typename F>
  void Notify(F&& call);

  std::vector<std::unique_ptr<TTreeNode>> FTopLevel;
  mutable std::vector<ITreeObserver*> FObservers;
};

}  // namespace hoardscope
