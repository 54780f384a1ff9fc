// The details list's cells and column titles as a Qt table model.
#include "platform/qt/DetailsItemModel.h"

namespace hoardscope {
namespace {

bool IsNumberColumn(TDetailsColumn column) {
  return column == TDetailsColumn::Size || column == TDetailsColumn::Status;
}

}  // namespace

void TDetailsItemModel::Reset() {
  beginResetModel();
  endResetModel();
}

int TDetailsItemModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(FDetails.Count());
}

int TDetailsItemModel::columnCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(kDetailsColumnCount);
}

QVariant TDetailsItemModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.column() >= static_cast<int>(kDetailsColumnCount)) return {};
  const TDetailsColumn column = kDetailsColumns[static_cast<std::size_t>(index.column())];
  switch (role) {
    case Qt::DisplayRole:
      return QString::fromStdString(FDetails.CellText(static_cast<std::size_t>(index.row()), column));
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(IsNumberColumn(column) ? Qt::AlignRight | Qt::AlignVCenter
                                                        : Qt::AlignLeft | Qt::AlignVCenter);
    default: return {};
  }
}

QVariant TDetailsItemModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section < 0 ||
      section >= static_cast<int>(kDetailsColumnCount)) {
    return {};
  }
  return QString::fromLatin1(DetailsColumnTitle(kDetailsColumns[static_cast<std::size_t>(section)]));
}

}  // namespace hoardscope
