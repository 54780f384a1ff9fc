// TSearchDialog: the Search dialog window over the portable TfrmSearch logic.
#pragma once

#include <QDialog>

#include "search/Search.h"

class QCheckBox;
class QComboBox;
class QRadioButton;

namespace hoardscope {

class TSearchDialog : public QDialog {
  Q_OBJECT

 public:
  TSearchDialog(TfrmSearch& logic, QWidget* parent = nullptr);

  QComboBox* TextBox() const { return cbSearch; }
  QCheckBox* CaseBox() const { return chkSense; }
  QCheckBox* AllFilesBox() const { return CheckBox1; }
  QRadioButton* TodayButton() const { return rbToday; }
  QRadioButton* WeekButton() const { return rbThisWeek; }
  QRadioButton* MonthButton() const { return rbThisMonth; }
  QRadioButton* EntireCacheButton() const { return rbFEntireCache; }
  QRadioButton* UnderFolderButton() const { return rbFUnderFolder; }
  void PressSearch();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowLogicState();
  void ShowAgeState();
  void TakeControlState();

  TfrmSearch& FLogic;
  QComboBox* cbSearch;
  QCheckBox* chkSense;
  QCheckBox* CheckBox1;
  QRadioButton* rbToday;
  QRadioButton* rbThisWeek;
  QRadioButton* rbThisMonth;
  QRadioButton* rbFEntireCache;
  QRadioButton* rbFUnderFolder;
};

}  // namespace hoardscope
