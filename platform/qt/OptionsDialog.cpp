// The Options dialog window: the controls at their places, mirroring TfrmOptions.
#include "platform/qt/OptionsDialog.h"
#include "platform/qt/FitToText.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

namespace hoardscope {

TOptionsDialog::TOptionsDialog(TfrmOptions& logic, QWidget* parent) : QDialog(parent), FLogic(logic) {
  setObjectName("frmOptions");
  setWindowTitle("Options");
  setFixedSize(337, 295);

  chkShowAll = new QCheckBox("Show all items", this);
  chkShowAll->setGeometry(16, 16, 209, 17);
  PageControl1 = new QTabWidget(this);
  PageControl1->setGeometry(16, 56, 297, 161);

  auto* byTypes = new QWidget;
  gbSelectFilter = new QGroupBox("Select catalogue", byTypes);
  gbSelectFilter->setGeometry(8, 4, 273, 117);
  chkShowText = new QCheckBox("Show Text File(HTML,CSS,TXT...)", gbSelectFilter);
  chkShowPic = new QCheckBox("Show Picture File(Jpeg,Gif...)", gbSelectFilter);
  chbShowMedia = new QCheckBox("Show Media File", gbSelectFilter);
  chkShowText->setGeometry(16, 24, 240, 17);
  chkShowPic->setGeometry(16, 56, 240, 17);
  chbShowMedia->setGeometry(16, 88, 240, 17);
  PageControl1->addTab(byTypes, "By File Types");

  auto* byExt = new QWidget;
  (new QLabel(" Input file specification (such as HTML;CSS)   ", byExt))->move(20, 16);
  (new QLabel(" separated by semicolons ", byExt))->move(20, 32);
  edExt = new QLineEdit(byExt);
  edExt->setGeometry(20, 64, 241, 21);
  PageControl1->addTab(byExt, "By File Ext");

  auto* btnOK = new QPushButton("OK", this);
  btnOK->setGeometry(48, 232, 75, 25);
  btnOK->setDefault(true);
  auto* btnCancel = new QPushButton("Cancel", this);
  btnCancel->setGeometry(200, 232, 75, 25);

  connect(chkShowAll, &QCheckBox::toggled, this, [this] {
    if (FShowingState) return;
    TakeControlState();
    FLogic.chkShowAllClick();
    ShowLogicState();
  });
  connect(PageControl1, &QTabWidget::currentChanged, this, [this](int page) {
    if (!FShowingState) FLogic.PageControl1Change(page);
  });
  connect(btnOK, &QPushButton::clicked, this, &TOptionsDialog::PressOk);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  FitToText(*this);
}

void TOptionsDialog::showEvent(QShowEvent* event) {
  FLogic.FormShow();
  ShowLogicState();
  QDialog::showEvent(event);
}

void TOptionsDialog::PressOk() {
  TakeControlState();
  FLogic.btnOKClick();
  accept();
}

void TOptionsDialog::ShowLogicState() {
  FShowingState = true;
  chkShowAll->setChecked(FLogic.chkShowAll.Checked);
  PageControl1->setCurrentIndex(FLogic.ActivePage);
  PageControl1->setEnabled(FLogic.PageControlEnabled);
  const auto show = [](QCheckBox* box, const TCheckBoxState& state) {
    box->setChecked(state.Checked);
    box->setEnabled(state.Enabled);
  };
  show(chkShowText, FLogic.chkShowText);
  show(chkShowPic, FLogic.chkShowPic);
  show(chbShowMedia, FLogic.chbShowMedia);
  edExt->setText(QString::fromStdString(FLogic.edExtText));
  edExt->setEnabled(FLogic.edExtEnabled);
  FShowingState = false;
}

void TOptionsDialog::TakeControlState() {
  FLogic.chkShowAll.Checked = chkShowAll->isChecked();
  FLogic.chkShowText.Checked = chkShowText->isChecked();
  FLogic.chkShowPic.Checked = chkShowPic->isChecked();
  FLogic.chbShowMedia.Checked = chbShowMedia->isChecked();
  FLogic.edExtText = edExt->text().toStdString();
}

}  // namespace hoardscope
