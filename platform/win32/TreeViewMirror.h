// TTreeViewMirror: keeps a TreeView control of the common controls equal to the presenter's tree model. Every
// model node has one item whose lParam is the node; the control never sorts or changes items by itself.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <unordered_map>

#include "core/TreeModel.h"

namespace hoardscope {

class TTreeViewMirror : public ITreeObserver {
 public:
  // Mirrors the model's present nodes at once and follows its changes until destroyed.
  TTreeViewMirror(const TTreeModel& model, HWND tree);
  ~TTreeViewMirror() override;
  TTreeViewMirror(const TTreeViewMirror&) = delete;
  TTreeViewMirror& operator=(const TTreeViewMirror&) = delete;

  HTREEITEM ItemOf(const TTreeNode* node) const;
  static TTreeNode* NodeOf(HWND tree, HTREEITEM item);
  // True while the mirror itself changes the control: notifications then come from it, not from the user.
  bool Mirroring() const { return FMirroring > 0; }

  void BeforeInsert(TTreeNode* parent, std::size_t first, std::size_t last) override;
  void AfterInsert() override;
  void BeforeRemove(TTreeNode* parent, std::size_t first, std::size_t last) override;
  void AfterRemove() override;
  void BeforeReorder() override;
  void AfterReorder() override;
  void NodeChanged(TTreeNode* node) override;
  void ExpandedChanged(TTreeNode* node) override;
  void BeginUpdate() override;
  void EndUpdate() override;

 private:
  class TMirroringScope;
  void InsertItem(TTreeNode* node);
  void Forget(const TTreeNode* node);
  void SortChildrenByRow(TTreeNode* node);

  const TTreeModel& FModel;
  HWND FTree;
  std::unordered_map<const TTreeNode*, HTREEITEM> FItems;
  TTreeNode* FInsertParent = nullptr;
  std::size_t FInsertFirst = 0;
  std::size_t FInsertLast = 0;
  int FMirroring = 0;
  int FUpdateDepth = 0;
};

}  // namespace hoardscope
