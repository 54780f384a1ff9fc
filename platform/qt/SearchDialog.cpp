// The Search dialog window: the controls at their places, mirroring TfrmSearch.
#include "platform/qt/SearchDialog.h"
#include "platform/qt/FitToText.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <functional>

namespace hoardscope {

TSearchDialog::TSearchDialog(TfrmSearch& logic, QWidget* parent) : QDialog(parent), FLogic(logic) {
  setObjectName("frmSearch");
  setWindowTitle("Search");
  setFixedSize(383, 296);

  (new QLabel("Search Text", this))->move(16, 8);
  cbSearch = new QComboBox(this);
  cbSearch->setEditable(true);
  cbSearch->setInsertPolicy(QComboBox::NoInsert);
  cbSearch->setGeometry(16, 24, 329, 21);
  chkSense = new QCheckBox("Case Sensitive", this);
  chkSense->setGeometry(16, 56, 97, 17);
  auto* btnSearch = new QPushButton("&Search", this);
  btnSearch->setGeometry(168, 56, 73, 25);
  btnSearch->setDefault(true);
  auto* btnCancel = new QPushButton(QDialogButtonBox(QDialogButtonBox::Cancel).buttons().front()->text(), this);
  btnCancel->setGeometry(264, 56, 75, 25);

  auto* GroupBox2 = new QGroupBox("Access Time", this);
  GroupBox2->setGeometry(16, 112, 145, 137);
  CheckBox1 = new QCheckBox("Access all files", GroupBox2);
  CheckBox1->move(24, 24);
  rbToday = new QRadioButton("Today", GroupBox2);
  rbToday->move(24, 56);
  rbThisWeek = new QRadioButton("This Week", GroupBox2);
  rbThisWeek->move(24, 80);
  rbThisMonth = new QRadioButton("This Month", GroupBox2);
  rbThisMonth->move(24, 104);

  auto* GroupBox1 = new QGroupBox("Search Folder", this);
  GroupBox1->setGeometry(184, 112, 169, 137);
  rbFEntireCache = new QRadioButton("Entire cache", GroupBox1);
  rbFEntireCache->move(16, 32);
  rbFUnderFolder = new QRadioButton("Search in selected folder", GroupBox1);
  rbFUnderFolder->move(16, 72);

  connect(CheckBox1, &QCheckBox::clicked, this, [this] {
    TakeControlState();
    FLogic.CheckBox1Click();
    ShowAgeState();
  });
  const auto onAge = [this](QRadioButton* button, std::function<void()> handler) {
    connect(button, &QRadioButton::clicked, this, [this, handler = std::move(handler)] {
      TakeControlState();
      handler();
    });
  };
  onAge(rbToday, [this] { FLogic.rbTodayClick(); });
  onAge(rbThisWeek, [this] { FLogic.rbThisWeekClick(); });
  onAge(rbThisMonth, [this] { FLogic.rbThisMonthClick(); });
  connect(rbFEntireCache, &QRadioButton::clicked, this, [this] {
    FLogic.rbFEntireCache = true;
    FLogic.rbFUnderFolder = false;
    FLogic.rbFEntireCacheClick();
  });
  connect(rbFUnderFolder, &QRadioButton::clicked, this, [this] {
    FLogic.rbFUnderFolder = true;
    FLogic.rbFEntireCache = false;
    FLogic.rbFUnderFolderClick();
  });
  connect(btnSearch, &QPushButton::clicked, this, &TSearchDialog::PressSearch);
  connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
  FitToText(*this);
}

void TSearchDialog::showEvent(QShowEvent* event) {
  FLogic.FormShow();
  ShowLogicState();
  cbSearch->lineEdit()->selectAll();
  cbSearch->setFocus();
  QDialog::showEvent(event);
}

void TSearchDialog::PressSearch() {
  TakeControlState();
  FLogic.btnSearchClick();
  accept();
}

// What the user typed and ticked, so that the logic's handlers work on it and showing their outcome keeps it.
void TSearchDialog::TakeControlState() {
  FLogic.cbSearchText = cbSearch->currentText().toStdString();
  FLogic.chkSense = chkSense->isChecked();
  FLogic.CheckBox1 = CheckBox1->isChecked();
  FLogic.rbToday.Checked = rbToday->isChecked();
  FLogic.rbThisWeek.Checked = rbThisWeek->isChecked();
  FLogic.rbThisMonth.Checked = rbThisMonth->isChecked();
}

void TSearchDialog::ShowLogicState() {
  if (cbSearch->count() != static_cast<int>(FLogic.cbSearchItems.size())) {
    cbSearch->clear();
    for (const std::string& item : FLogic.cbSearchItems) cbSearch->addItem(QString::fromStdString(item));
  }
  cbSearch->setEditText(QString::fromStdString(FLogic.cbSearchText));
  chkSense->setChecked(FLogic.chkSense);
  ShowAgeState();
  rbFEntireCache->setChecked(FLogic.rbFEntireCache);
  rbFUnderFolder->setChecked(FLogic.rbFUnderFolder);
}

void TSearchDialog::ShowAgeState() {
  CheckBox1->setChecked(FLogic.CheckBox1);
  const auto show = [](QRadioButton* button, const TRadioState& state) {
    button->setChecked(state.Checked);
    button->setEnabled(state.Enabled);
  };
  show(rbToday, FLogic.rbToday);
  show(rbThisWeek, FLogic.rbThisWeek);
  show(rbThisMonth, FLogic.rbThisMonth);
}

}  // namespace hoardscope
