// The Qt item model over the portable tree.
#include "platform/qt/TreeItemModel.h"

namespace hoardscope {
namespace {

// A caption on one line: a page title that spans lines keeps its line breaks in the tree's data only.
QString DisplayedCaption(const std::string& caption) {
  QString text = QString::fromStdString(caption);
  text.replace(QLatin1String("\r\n"), QLatin1String(" "));
  text.replace(QLatin1Char('\r'), QLatin1Char(' '));
  text.replace(QLatin1Char('\n'), QLatin1Char(' '));
  return text;
}

}  // namespace

TTreeItemModel::TTreeItemModel(const TTreeModel& tree, TImageSource images, TToolTipSource toolTips, QObject* parent)
    : QAbstractItemModel(parent), FTree(tree), FImages(std::move(images)), FToolTips(std::move(toolTips)) {
  FTree.AddObserver(this);
}

TTreeItemModel::~TTreeItemModel() { FTree.RemoveObserver(this); }

std::size_t TTreeItemModel::ChildCount(const TTreeNode* parent) const {
  return parent ? parent->ChildCount() : FTree.TopLevelCount();
}

TTreeNode* TTreeItemModel::ChildAt(const TTreeNode* parent, std::size_t row) const {
  return parent ? parent->Child(row) : FTree.TopLevel(row);
}

QModelIndex TTreeItemModel::IndexOf(const TTreeNode* node) const {
  if (!node) return {};
  return createIndex(static_cast<int>(node->Row()), 0, const_cast<TTreeNode*>(node));
}

TTreeNode* TTreeItemModel::NodeOf(const QModelIndex& index) const {
  return index.isValid() ? static_cast<TTreeNode*>(index.internalPointer()) : nullptr;
}

QModelIndex TTreeItemModel::index(int row, int column, const QModelIndex& parent) const {
  if (!hasIndex(row, column, parent)) return {};
  return createIndex(row, column, ChildAt(NodeOf(parent), static_cast<std::size_t>(row)));
}

QModelIndex TTreeItemModel::parent(const QModelIndex& child) const {
  const TTreeNode* node = NodeOf(child);
  return node ? IndexOf(node->Parent()) : QModelIndex();
}

int TTreeItemModel::rowCount(const QModelIndex& parent) const {
  if (parent.column() > 0) return 0;
  const TTreeNode* node = NodeOf(parent);
  const auto announced = FAnnouncedRows.find(node);
  const std::size_t count = announced != FAnnouncedRows.end() ? announced->second : ChildCount(node);
  return static_cast<int>(count);
}

int TTreeItemModel::columnCount(const QModelIndex& parent) const { return parent.column() > 0 ? 0 : 1; }

QVariant TTreeItemModel::data(const QModelIndex& index, int role) const {
  const TTreeNode* node = NodeOf(index);
  if (!node) return {};
  if (role == Qt::DisplayRole) return DisplayedCaption(node->Caption());
  if (role == Qt::ToolTipRole && FToolTips) {
    const std::string tip = FToolTips(*node);
    if (!tip.empty()) return QString::fromStdString(tip);
  }
  if (role == Qt::DecorationRole && node->ImageIndex() >= 0) {
    const QIcon icon = FImages(node->ImageIndex());
    if (!icon.isNull()) return icon;
  }
  return {};
}

Qt::ItemFlags TTreeItemModel::flags(const QModelIndex& index) const {
  return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

bool TTreeItemModel::IsAnnounced(const TTreeNode* node) const {
  for (; node; node = node->Parent()) {
    const auto announced = FAnnouncedRows.find(node->Parent());
    if (announced != FAnnouncedRows.end() && node->Row() >= announced->second) return false;
  }
  return true;
}

void TTreeItemModel::AnnouncePending() {
  while (!FAnnouncedRows.empty()) {
    const auto pending = FAnnouncedRows.begin();
    const TTreeNode* parent = pending->first;
    const std::size_t known = pending->second;
    const std::size_t count = ChildCount(parent);
    if (count > known) {
      beginInsertRows(IndexOf(parent), static_cast<int>(known), static_cast<int>(count - 1));
      FAnnouncedRows.erase(pending);
      endInsertRows();
    } else {
      FAnnouncedRows.erase(pending);
    }
  }
}

void TTreeItemModel::BeforeInsert(TTreeNode* parent, std::size_t first, std::size_t last) {
  if (FUpdateDepth > 0) {
    // The portable tree only appends, so the first row added below a parent is the count the views know.
    if (IsAnnounced(parent)) FAnnouncedRows.try_emplace(parent, first);
    return;
  }
  beginInsertRows(IndexOf(parent), static_cast<int>(first), static_cast<int>(last));
}

void TTreeItemModel::AfterInsert() {
  if (FUpdateDepth == 0) endInsertRows();
}

void TTreeItemModel::BeforeRemove(TTreeNode* parent, std::size_t first, std::size_t last) {
  AnnouncePending();
  beginRemoveRows(IndexOf(parent), static_cast<int>(first), static_cast<int>(last));
}

void TTreeItemModel::AfterRemove() { endRemoveRows(); }

void TTreeItemModel::BeforeReorder() {
  AnnouncePending();
  emit layoutAboutToBeChanged();
  FLayoutIndexes = persistentIndexList();
  FLayoutNodes.clear();
  FLayoutNodes.reserve(static_cast<std::size_t>(FLayoutIndexes.size()));
  for (const QModelIndex& index : FLayoutIndexes) FLayoutNodes.push_back(NodeOf(index));
}

void TTreeItemModel::AfterReorder() {
  QModelIndexList moved;
  moved.reserve(FLayoutIndexes.size());
  for (qsizetype i = 0; i < FLayoutIndexes.size(); ++i) {
    const TTreeNode* node = FLayoutNodes[static_cast<std::size_t>(i)];
    moved.append(createIndex(static_cast<int>(node->Row()), FLayoutIndexes[i].column(), const_cast<TTreeNode*>(node)));
  }
  changePersistentIndexList(FLayoutIndexes, moved);
  FLayoutIndexes.clear();
  FLayoutNodes.clear();
  emit layoutChanged();
}

void TTreeItemModel::NodeChanged(TTreeNode* node) {
  if (!IsAnnounced(node)) return;  // the views read it when it is announced
  const QModelIndex changed = IndexOf(node);
  emit dataChanged(changed, changed);
}

void TTreeItemModel::ExpandedChanged(TTreeNode* node) {
  AnnouncePending();
  emit ExpansionRequested(IndexOf(node), node->Expanded());
}

void TTreeItemModel::BeginUpdate() { ++FUpdateDepth; }

void TTreeItemModel::EndUpdate() {
  if (FUpdateDepth == 0) return;
  if (--FUpdateDepth == 0) AnnouncePending();
}

}  // namespace hoardscope
