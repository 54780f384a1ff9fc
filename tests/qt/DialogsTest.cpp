// The Options and Search dialog windows: they show their logic's state and hand the user's choices back to it.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCheckBox>
#include <QLabel>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>

#include "platform/qt/OptionsDialog.h"
#include "platform/qt/QtDialogs.h"
#include "platform/qt/SearchDialog.h"
#include "tests/fakes/FakeRegistry.h"

namespace hoardscope {
namespace {

class DialogsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Registry.CreateKey(RegistryRoot::LocalMachine, kSearchHistoryKey)->WriteValue(MakeStringValue("key1", "older"));
  }
  TFakeRegistry Registry;
  TSettings Settings{false, TFilterClasses(), false, "*.*"};
  TSearchRequest Request;
};

TEST_F(DialogsTest, OptionsShowsTheSettingsAndOkStoresTheControls) {
  TfrmOptions logic(Settings, Registry);
  TOptionsDialog dialog(logic);
  dialog.show();
  EXPECT_TRUE(dialog.ShowAllBox()->isChecked());
  EXPECT_FALSE(dialog.Pages()->isEnabled());
  EXPECT_FALSE(dialog.PictureBox()->isEnabled());
  dialog.ShowAllBox()->click();  // the user clears "Show all items"
  EXPECT_TRUE(dialog.Pages()->isEnabled());
  EXPECT_TRUE(dialog.PictureBox()->isEnabled());
  dialog.PictureBox()->click();
  dialog.Pages()->setCurrentIndex(TfrmOptions::kPageByFileExt);
  dialog.ExtensionEdit()->setText("");
  dialog.PressOk();
  EXPECT_TRUE(logic.Changed);
  EXPECT_TRUE(Settings.UseFilter);
  EXPECT_TRUE(Settings.FilterType);
  EXPECT_EQ(Settings.ExtStr, "*.*");
  EXPECT_TRUE(Settings.FilterClasses.Contains(TFilterClass::fcPicture));
}

TEST_F(DialogsTest, OptionsCancelledAfterAPageSwitchChangesNothing) {
  TfrmOptions logic(Settings, Registry);
  TOptionsDialog dialog(logic);
  dialog.show();
  dialog.Pages()->setCurrentIndex(TfrmOptions::kPageByFileExt);
  dialog.reject();
  EXPECT_FALSE(logic.Changed);
  EXPECT_FALSE(Settings.FilterType);
}

TEST_F(DialogsTest, SearchOffersTheHistoryAndHandsBackTheRequest) {
  TfrmSearch logic(Registry, Request);
  TSearchDialog dialog(logic);
  dialog.show();
  EXPECT_EQ(dialog.TextBox()->currentText(), "older");
  EXPECT_TRUE(dialog.UnderFolderButton()->isChecked());
  EXPECT_FALSE(dialog.WeekButton()->isEnabled());
  dialog.AllFilesBox()->click();
  EXPECT_TRUE(dialog.WeekButton()->isEnabled());
  dialog.WeekButton()->click();
  dialog.EntireCacheButton()->click();
  dialog.CaseBox()->click();
  dialog.TextBox()->setEditText("Needle");
  dialog.PressSearch();
  const TSearchRequest& request = Request;
  EXPECT_TRUE(request.Accepted);
  EXPECT_EQ(request.Text, "Needle");
  EXPECT_TRUE(request.CaseSensitive);
  EXPECT_EQ(request.DateChoice, TDateChoice::dcThisWeek);
  EXPECT_TRUE(request.WholeCache);
  const auto stored = Registry.OpenKey(RegistryRoot::LocalMachine, kSearchHistoryKey, false)->ReadValue("key2");
  ASSERT_TRUE(stored);
  EXPECT_EQ(StringOf(*stored), "Needle");
}

TEST_F(DialogsTest, SearchKeepsTheTypedTextAndCaseThroughTheAgeClicks) {
  TfrmSearch logic(Registry, Request);
  TSearchDialog dialog(logic);
  dialog.show();
  dialog.TextBox()->setEditText("Typed");
  dialog.CaseBox()->click();
  dialog.AllFilesBox()->click();
  dialog.MonthButton()->click();
  dialog.AllFilesBox()->click();
  EXPECT_EQ(dialog.TextBox()->currentText(), "Typed");
  EXPECT_TRUE(dialog.CaseBox()->isChecked());
  dialog.PressSearch();
  EXPECT_EQ(Request.Text, "Typed");
  EXPECT_TRUE(Request.CaseSensitive);
  EXPECT_EQ(Request.DateChoice, TDateChoice::dcAll);
}

// Each text of a shown dialog is whole: its control is as wide as the text needs and lies within what holds it.
void ExpectEveryTextWhole(const QWidget& dialog) {
  for (const QWidget* control : dialog.findChildren<QWidget*>()) {
    const auto* label = qobject_cast<const QLabel*>(control);
    const auto* button = qobject_cast<const QAbstractButton*>(control);
    if ((!label && !button) || !control->isVisibleTo(&dialog)) continue;
    const QString text = label ? label->text() : button->text();
    EXPECT_GE(control->width(), control->sizeHint().width()) << text.toStdString();
    for (const QWidget* inner = control; inner != &dialog; inner = inner->parentWidget()) {
      EXPECT_TRUE(inner->parentWidget()->rect().contains(inner->geometry()))
          << text.toStdString() << " sticks out of " << inner->parentWidget()->metaObject()->className() << " "
          << inner->geometry().width() << "x" << inner->geometry().height() << "+" << inner->geometry().x() << "+"
          << inner->geometry().y() << " in " << inner->parentWidget()->width() << "x" << inner->parentWidget()->height();
    }
  }
}

TEST_F(DialogsTest, TheDialogsTextsFitTheirControls) {
  TfrmSearch search(Registry, Request);
  TSearchDialog searchDialog(search);
  searchDialog.show();
  ExpectEveryTextWhole(searchDialog);
  TfrmOptions options(Settings, Registry);
  TOptionsDialog optionsDialog(options);
  optionsDialog.show();
  for (int page = 0; page < optionsDialog.Pages()->count(); ++page) {
    optionsDialog.Pages()->setCurrentIndex(page);
    ExpectEveryTextWhole(optionsDialog);
  }
}

TEST(QtFileFilter, TurnsTheBarFormIntoQtsForm) {
  EXPECT_EQ(QtFileFilter("Hoardscope Export File|*.hef"), "Hoardscope Export File (*.hef)");
}

}  // namespace
}  // namespace hoardscope
