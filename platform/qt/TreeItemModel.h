// TTreeItemModel: the Qt item model over the view's portable tree (TreeView1), kept in step with it as its observer.
#pragma once

#include <QAbstractItemModel>
#include <QIcon>
#include <functional>
#include <unordered_map>
#include <vector>

#include "core/TreeModel.h"

namespace hoardscope {

class TTreeItemModel : public QAbstractItemModel, public ITreeObserver {
  Q_OBJECT

 public:
  // The picture of an image index of the tree's image list (a null icon for none).
  using TImageSource = std::function<QIcon(int imageIndex)>;
  // The tip of a node (empty for none).
  using TToolTipSource = std::function<std::string(const TTreeNode& node)>;

  TTreeItemModel(const TTreeModel& tree, TImageSource images, TToolTipSource toolTips = {}, QObject* parent = nullptr);
  ~TTreeItemModel() override;
  TTreeItemModel(const TTreeItemModel&) = delete;
  TTreeItemModel& operator=(const TTreeItemModel&) = delete;

  // The index of a node the views know (every node outside a running BeginUpdate/EndUpdate); invalid for nullptr.
  QModelIndex IndexOf(const TTreeNode* node) const;
  // The node of an index of this model; nullptr for an invalid index.
  TTreeNode* NodeOf(const QModelIndex& index) const;

  QModelIndex index(int row, int column, const QModelIndex& parent = QModelIndex()) const override;
  QModelIndex parent(const QModelIndex& child) const override;
  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  Qt::ItemFlags flags(const QModelIndex& index) const override;

  // ITreeObserver. Between BeginUpdate and EndUpdate, appended nodes are gathered and announced to the views
  // as one range per parent when the update ends (or before any other change), so that a load or an expansion
  // adding thousands of nodes costs the views one insertion each.
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

 signals:
  // The portable tree opened or closed a node (a load opens the root): the views follow.
  void ExpansionRequested(const QModelIndex& index, bool expanded);

 private:
  std::size_t ChildCount(const TTreeNode* parent) const;
  TTreeNode* ChildAt(const TTreeNode* parent, std::size_t row) const;
  // Whether the views know the node: false for nodes appended during the running update, and their descendants.
  bool IsAnnounced(const TTreeNode* node) const;
  // Announces the nodes gathered during the running update.
  void AnnouncePending();

  const TTreeModel& FTree;
  TImageSource FImages;
  TToolTipSource FToolTips;
  int FUpdateDepth = 0;
  // Parents (nullptr: the top level) that got nodes during the running update, with the row count the views know.
  std::unordered_map<const TTreeNode*, std::size_t> FAnnouncedRows;
  QModelIndexList FLayoutIndexes;
  std::vector<TTreeNode*> FLayoutNodes;
};

}  // namespace hoardscope
