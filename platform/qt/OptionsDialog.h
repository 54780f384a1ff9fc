// TOptionsDialog: the Options dialog window over the portable TfrmOptions logic.
#pragma once

#include <QDialog>

#include "settings/Options.h"

class QCheckBox;
class QGroupBox;
class QLineEdit;
class QTabWidget;

namespace hoardscope {

class TOptionsDialog : public QDialog {
  Q_OBJECT

 public:
  TOptionsDialog(TfrmOptions& logic, QWidget* parent = nullptr);

  QCheckBox* ShowAllBox() const { return chkShowAll; }
  QTabWidget* Pages() const { return PageControl1; }
  QCheckBox* TextBox() const { return chkShowText; }
  QCheckBox* PictureBox() const { return chkShowPic; }
  QCheckBox* MediaBox() const { return chbShowMedia; }
  QLineEdit* ExtensionEdit() const { return edExt; }
  void PressOk();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void ShowLogicState();
  void TakeControlState();

  TfrmOptions& FLogic;
  QCheckBox* chkShowAll;
  QTabWidget* PageControl1;
  QGroupBox* gbSelectFilter;
  QCheckBox* chkShowText;
  QCheckBox* chkShowPic;
  QCheckBox* chbShowMedia;
  QLineEdit* edExt;
  bool FShowingState = false;  // the controls are being filled from the logic: their signals are not the user
};

}  // namespace hoardscope
