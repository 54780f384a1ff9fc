// TDetailsItemModel: the Qt table model over the presenter's details list, which it reads a cell at a time.
#pragma once

#include <QAbstractTableModel>

#include "presenter/DetailsList.h"

namespace hoardscope {

class TDetailsItemModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  explicit TDetailsItemModel(const TDetailsList& details, QObject* parent = nullptr)
      : QAbstractTableModel(parent), FDetails(details) {}

  // The details list changed its rows or their order: the views read it afresh.
  void Reset();

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

 private:
  const TDetailsList& FDetails;
};

}  // namespace hoardscope
