// TFilterBar: the bar's quick filter over the tree: the URL text, the "Cached" choice (with the range's first and
// last day), the least and the largest size, and a button that clears them all. The fields are applied together
// when the user presses Enter in a text field, picks another choice or finishes a day; not on every keystroke,
// since each application reloads the view.
#pragma once

#include <QWidget>

#include "settings/QuickFilter.h"

class QComboBox;
class QDateEdit;
class QLineEdit;
class QToolButton;

namespace hoardscope {

class TFilterBar : public QWidget {
  Q_OBJECT

 public:
  explicit TFilterBar(QWidget* parent);

  // What the fields hold.
  TFilterBarFields Fields() const;

  // The fields, for the tests.
  QLineEdit* UrlEdit() const { return edUrl; }
  QComboBox* CachedChoice() const { return cbCached; }
  QDateEdit* FromEdit() const { return edFrom; }
  QDateEdit* ToEdit() const { return edTo; }
  QLineEdit* MinSizeEdit() const { return edMinSize; }
  QLineEdit* MaxSizeEdit() const { return edMaxSize; }
  QToolButton* ClearButton() const { return btnClear; }

 signals:
  // The user applied the fields, or cleared them (they are then empty).
  void Applied();

 private:
  void Clear();
  void ShowRange();

  QLineEdit* edUrl = nullptr;
  QComboBox* cbCached = nullptr;
  QWidget* FRange = nullptr;  // the two days, shown for the range choice alone
  QDateEdit* edFrom = nullptr;
  QDateEdit* edTo = nullptr;
  QLineEdit* edMinSize = nullptr;
  QLineEdit* edMaxSize = nullptr;
  QToolButton* btnClear = nullptr;
};

}  // namespace hoardscope
