// The TreeView control as a mirror of the tree model, its captions shown from UTF-8 through the wide messages.
#include "platform/win32/TreeViewMirror.h"

#include "platform/win32/ViewText.h"

namespace hoardscope {

class TTreeViewMirror::TMirroringScope {
 public:
  explicit TMirroringScope(int& depth) : FDepth(depth) { ++FDepth; }
  ~TMirroringScope() { --FDepth; }
  TMirroringScope(const TMirroringScope&) = delete;
  TMirroringScope& operator=(const TMirroringScope&) = delete;

 private:
  int& FDepth;
};

TTreeViewMirror::TTreeViewMirror(const TTreeModel& model, HWND tree) : FModel(model), FTree(tree) {
  model.Walk([this](TTreeNode& node) {
    InsertItem(&node);
    return true;
  });
  model.AddObserver(this);
}

TTreeViewMirror::~TTreeViewMirror() { FModel.RemoveObserver(this); }

HTREEITEM TTreeViewMirror::ItemOf(const TTreeNode* node) const {
  const auto found = FItems.find(node);
  return found == FItems.end() ? nullptr : found->second;
}

TTreeNode* TTreeViewMirror::NodeOf(HWND tree, HTREEITEM item) {
  if (!item) return nullptr;
  TVITEMA data{};
  data.mask = TVIF_PARAM | TVIF_HANDLE;
  data.hItem = item;
  if (!TreeView_GetItem(tree, &data)) return nullptr;
  return reinterpret_cast<TTreeNode*>(data.lParam);
}

void TTreeViewMirror::InsertItem(TTreeNode* node) {
  const TMirroringScope scope(FMirroring);
  const std::wstring caption = WideOfViewText(node->Caption());
  TVINSERTSTRUCTW insert{};
  insert.hParent = node->Parent() ? ItemOf(node->Parent()) : TVI_ROOT;
  const std::size_t row = node->Row();
  insert.hInsertAfter = row == 0 ? TVI_FIRST : ItemOf(node->Parent() ? node->Parent()->Child(row - 1)
                                                                      : FModel.TopLevel(row - 1));
  if (!insert.hInsertAfter) insert.hInsertAfter = TVI_LAST;
  insert.item.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_PARAM;
  insert.item.pszText = const_cast<wchar_t*>(caption.c_str());
  insert.item.iImage = node->ImageIndex();
  insert.item.iSelectedImage = node->SelectedIndex();
  insert.item.lParam = reinterpret_cast<LPARAM>(node);
  const HTREEITEM item = reinterpret_cast<HTREEITEM>(
      SendMessageW(FTree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
  if (item) FItems[node] = item;
}

void TTreeViewMirror::BeforeInsert(TTreeNode* parent, std::size_t first, std::size_t last) {
  FInsertParent = parent;
  FInsertFirst = first;
  FInsertLast = last;
}

void TTreeViewMirror::AfterInsert() {
  for (std::size_t row = FInsertFirst; row <= FInsertLast; ++row) {
    InsertItem(FInsertParent ? FInsertParent->Child(row) : FModel.TopLevel(row));
  }
}

void TTreeViewMirror::Forget(const TTreeNode* node) {
  FItems.erase(node);
  for (std::size_t i = 0; i < node->ChildCount(); ++i) Forget(node->Child(i));
}

void TTreeViewMirror::BeforeRemove(TTreeNode* parent, std::size_t first, std::size_t last) {
  const TMirroringScope scope(FMirroring);
  for (std::size_t row = first; row <= last; ++row) {
    const TTreeNode* node = parent ? parent->Child(row) : FModel.TopLevel(row);
    if (const HTREEITEM item = ItemOf(node)) TreeView_DeleteItem(FTree, item);
    Forget(node);
  }
}

void TTreeViewMirror::AfterRemove() {}

void TTreeViewMirror::BeforeReorder() {}

namespace {

int CALLBACK CompareRows(LPARAM first, LPARAM second, LPARAM) {
  const std::size_t a = reinterpret_cast<const TTreeNode*>(first)->Row();
  const std::size_t b = reinterpret_cast<const TTreeNode*>(second)->Row();
  return a < b ? -1 : (a > b ? 1 : 0);
}

}  // namespace

void TTreeViewMirror::SortChildrenByRow(TTreeNode* node) {
  TVSORTCB sort{};
  sort.hParent = node ? ItemOf(node) : TVI_ROOT;
  sort.lpfnCompare = CompareRows;
  if (sort.hParent) TreeView_SortChildrenCB(FTree, &sort, FALSE);
}

void TTreeViewMirror::AfterReorder() {
  // The model says only that some children changed order: put every item back in its node's row.
  const TMirroringScope scope(FMirroring);
  SortChildrenByRow(nullptr);
  FModel.Walk([this](TTreeNode& node) {
    if (node.ChildCount() > 1) SortChildrenByRow(&node);
    return true;
  });
}

void TTreeViewMirror::NodeChanged(TTreeNode* node) {
  const HTREEITEM item = ItemOf(node);
  if (!item) return;
  const std::wstring caption = WideOfViewText(node->Caption());
  TVITEMW data{};
  data.mask = TVIF_HANDLE | TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
  data.hItem = item;
  data.pszText = const_cast<wchar_t*>(caption.c_str());
  data.iImage = node->ImageIndex();
  data.iSelectedImage = node->SelectedIndex();
  SendMessageW(FTree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&data));
}

void TTreeViewMirror::ExpandedChanged(TTreeNode* node) {
  const HTREEITEM item = ItemOf(node);
  if (!item) return;
  const bool shown = (TreeView_GetItemState(FTree, item, TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
  if (shown == node->Expanded()) return;
  const TMirroringScope scope(FMirroring);
  TreeView_Expand(FTree, item, node->Expanded() ? TVE_EXPAND : TVE_COLLAPSE);
}

void TTreeViewMirror::BeginUpdate() {
  if (FUpdateDepth++ == 0) SendMessageA(FTree, WM_SETREDRAW, FALSE, 0);
}

void TTreeViewMirror::EndUpdate() {
  if (FUpdateDepth == 0 || --FUpdateDepth > 0) return;
  SendMessageA(FTree, WM_SETREDRAW, TRUE, 0);
  InvalidateRect(FTree, nullptr, TRUE);
}

}  // namespace hoardscope
