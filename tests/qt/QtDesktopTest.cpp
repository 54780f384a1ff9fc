// The desktop port over Qt: message boxes, the wait cursor, the timer, letting events run, the error guard of
// the handlers, and the About box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <optional>
#include <stdexcept>

#include "platform/qt/AboutBox.h"
#include "platform/qt/QtDesktop.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

struct TSeenBox {
  QString Text;
  Qt::TextFormat Format = Qt::AutoText;
  QMessageBox::Icon Icon = QMessageBox::NoIcon;
  QMessageBox::StandardButtons Buttons;
};

class QtDesktopTest : public ::testing::Test {
 protected:
  // Answers the next message box with a button (NoButton: Escape) and keeps what it showed.
  void Answer(QMessageBox::StandardButton button) {
    Answering.emplace([this, button](QWidget* modal) {
      auto* box = qobject_cast<QMessageBox*>(modal);
      if (!box) {
        modal->close();
        return;
      }
      Seen = {box->text(), box->textFormat(), box->icon(), box->standardButtons()};
      if (button == QMessageBox::NoButton) {
        QTest::keyClick(box, Qt::Key_Escape);
      } else {
        box->button(button)->click();
      }
    });
  }

  QWidget Owner;
  TQtDesktop Desktop{&Owner};
  TSeenBox Seen;
  std::optional<TModalAnswer> Answering;
};

TEST_F(QtDesktopTest, MessageBoxesShowTheTextAsItIsAndReturnTheButtonPressed) {
  const std::string question = "Delete <b>all</b> files of\r\nwww.example.com?";
  Answer(QMessageBox::Yes);
  EXPECT_EQ(Desktop.ShowMessage(question, MessageButtons::YesNo), MessageAnswer::Yes);
  EXPECT_EQ(Seen.Text.toStdString(), question);
  EXPECT_EQ(Seen.Format, Qt::PlainText);
  EXPECT_EQ(Seen.Buttons, QMessageBox::Yes | QMessageBox::No);

  Answer(QMessageBox::No);
  EXPECT_EQ(Desktop.ShowMessage(question, MessageButtons::YesNo), MessageAnswer::No);
  Answer(QMessageBox::NoButton);
  EXPECT_EQ(Desktop.ShowMessage(question, MessageButtons::YesNo), MessageAnswer::No);

  Answer(QMessageBox::Ok);
  EXPECT_EQ(Desktop.ShowMessage("x not found", MessageButtons::Ok), MessageAnswer::Ok);
  EXPECT_EQ(Seen.Buttons, QMessageBox::Ok);
}

TEST_F(QtDesktopTest, WaitCursorStaysBalancedAndGoesWithTheView) {
  {
    TQtDesktop desktop(&Owner);
    desktop.SetCursor(CursorShape::Hourglass);
    desktop.SetCursor(CursorShape::Hourglass);
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    desktop.SetCursor(CursorShape::Default);
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    desktop.SetCursor(CursorShape::Default);
    desktop.SetCursor(CursorShape::Hourglass);  // the view closes before its first load
  }
  EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST_F(QtDesktopTest, ErrorsOfHandlersAndTimerTicksAreShownAndGoNoFurther) {
  Answer(QMessageBox::Ok);
  Desktop.RunHandler([] { throw std::runtime_error("Cannot create file /tmp/x.hef."); });
  EXPECT_EQ(Seen.Text, "Cannot create file /tmp/x.hef.");
  EXPECT_EQ(Seen.Icon, QMessageBox::Critical);

  Answer(QMessageBox::Ok);
  Desktop.RunHandler([] { throw 42; });
  EXPECT_EQ(Seen.Text, "An unexpected error occurred.");

  int ticks = 0;
  Answer(QMessageBox::Ok);
  Desktop.StartTimer(1, [&] {
    if (++ticks < 3) return;
    Desktop.StopTimer();
    throw std::runtime_error("tick failed");
  });
  EXPECT_TRUE(QTest::qWaitFor([&] { return Answering->Answered(); }));
  EXPECT_EQ(Seen.Text, "tick failed");
  QTest::qWait(20);
  EXPECT_EQ(ticks, 3);  // stopped for good
}

TEST_F(QtDesktopTest, AboutBoxNamesTheVersionAndWhereTheHelpIs) {
  QString title;
  QStringList texts;
  const TModalAnswer answer([&](QWidget* modal) {
    title = modal->windowTitle();
    for (const QLabel* label : modal->findChildren<QLabel*>()) texts << label->text();
    if (auto* box = qobject_cast<TAboutBox*>(modal)) box->accept();
    modal->close();
  });
  Desktop.ShowAbout();
  ASSERT_TRUE(answer.Answered());
  EXPECT_EQ(title, "About Hoardscope");
  EXPECT_TRUE(texts.contains("Hoardscope"));
  EXPECT_TRUE(texts.contains("Version 1.2"));
  EXPECT_FALSE(texts.filter("cache").isEmpty());
  EXPECT_FALSE(texts.filter("F1").isEmpty());
}

}  // namespace
}  // namespace hoardscope
