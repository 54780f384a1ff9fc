// TQtDesktop: the desktop port of a view over Qt (message boxes, wait cursor, letting events run, the start-up
// timer, the About box), and the guard through which every event of the view reaches portable code.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>
#include <string>

#include "platform/ports/Desktop.h"

class QWidget;

namespace hoardscope {

// Events are let run at most this often during a long loop, so that a large load is not slowed by them.
inline constexpr int kProcessEventsIntervalMs = 30;

class TQtDesktop : public IDesktop {
 public:
  // owner: the view; parent of the message boxes and the About box.
  explicit TQtDesktop(QWidget* owner);
  // Restores the cursor when the view goes while it shows the wait cursor (closed before its first load).
  ~TQtDesktop() override;
  TQtDesktop(const TQtDesktop&) = delete;
  TQtDesktop& operator=(const TQtDesktop&) = delete;

  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;
  void SetCursor(CursorShape shape) override;
  // Runs waiting events when kProcessEventsIntervalMs have passed since they last ran (the first call always).
  void ProcessMessages() override;
  void StartTimer(int intervalMs, std::function<void()> tick) override;
  void StopTimer() override;
  void ShowAbout() override;

  // Runs a handler on behalf of the event loop: an error it raises is shown in a message box and goes no further.
  void RunHandler(const std::function<void()>& handler);

  bool TimerActive() const { return FTimer.isActive(); }

 private:
  QWidget* FOwner;
  QTimer FTimer;
  std::function<void()> FTick;
  bool FWaitCursor = false;
  QElapsedTimer FSinceEvents;
};

}  // namespace hoardscope
