// The desktop port over Qt.
#include "platform/qt/QtDesktop.h"

#include <QApplication>
#include <QMessageBox>
#include <exception>

#include "platform/qt/AboutBox.h"

namespace hoardscope {
namespace {

constexpr const char* kMessageTitle = "Hoardscope";
constexpr const char* kUnknownError = "An unexpected error occurred.";

MessageAnswer RunMessageBox(QWidget* owner, const std::string& text, MessageButtons buttons, QMessageBox::Icon icon) {
  const QMessageBox::StandardButtons choices =
      buttons == MessageButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok;
  QMessageBox box(icon, QLatin1String(kMessageTitle), QString::fromStdString(text), choices, owner);
  box.setTextFormat(Qt::PlainText);  // a URL or file name in the text is shown as it is, never as markup
  switch (box.exec()) {
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
  }
}

}  // namespace

TQtDesktop::TQtDesktop(QWidget* owner) : FOwner(owner) {
  QObject::connect(&FTimer, &QTimer::timeout, &FTimer, [this] {
    const std::function<void()> tick = FTick;  // the tick may start the timer anew
    if (tick) RunHandler(tick);
  });
}

TQtDesktop::~TQtDesktop() { SetCursor(CursorShape::Default); }

MessageAnswer TQtDesktop::ShowMessage(const std::string& text, MessageButtons buttons) {
  return RunMessageBox(FOwner, text, buttons,
                       buttons == MessageButtons::YesNo ? QMessageBox::Question : QMessageBox::NoIcon);
}

void TQtDesktop::SetCursor(CursorShape shape) {
  const bool wait = shape == CursorShape::Hourglass;
  if (wait == FWaitCursor) return;  // the override cursors of one view stay balanced
  FWaitCursor = wait;
  if (wait) {
    QApplication::setOverrideCursor(Qt::WaitCursor);
  } else {
    QApplication::restoreOverrideCursor();
  }
}

void TQtDesktop::ProcessMessages() {
  if (FSinceEvents.isValid() && FSinceEvents.elapsed() < kProcessEventsIntervalMs) return;
  QCoreApplication::processEvents();
  FSinceEvents.start();
}

void TQtDesktop::StartTimer(int intervalMs, std::function<void()> tick) {
  FTick = std::move(tick);
  FTimer.start(intervalMs);
}

void TQtDesktop::StopTimer() { FTimer.stop(); }

void TQtDesktop::ShowAbout() {
  TAboutBox box(FOwner);
  box.exec();
}

void TQtDesktop::RunHandler(const std::function<void()>& handler) {
  std::string failure;
  try {
    handler();
    return;
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = kUnknownError;
  }
  try {
    RunMessageBox(FOwner, failure, MessageButtons::Ok, QMessageBox::Critical);
  } catch (...) {
    // Nothing is left to report with; the event loop goes on.
  }
}

}  // namespace hoardscope
