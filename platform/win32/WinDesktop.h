// TWinDesktop: the desktop port of a view on Windows (message boxes, the wait cursor, letting messages run, the
// start-up timer on the view's window, the About box), and the guard through which every window message of the
// view reaches portable code.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "platform/ports/Desktop.h"

namespace hoardscope {

// The caption of the view's message boxes.
inline constexpr const char* kMessageTitle = "Hoardscope";
// The identifier of the view's one timer on its window.
inline constexpr UINT_PTR kStartTimerId = 1;

class TWinDesktop : public IDesktop {
 public:
  // owner: the view's window; parent of the message boxes and the About box, and the timer's window.
  explicit TWinDesktop(HWND owner) : FOwner(owner) {}
  ~TWinDesktop() override;
  TWinDesktop(const TWinDesktop&) = delete;
  TWinDesktop& operator=(const TWinDesktop&) = delete;

  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;
  void SetCursor(CursorShape shape) override;
  void ProcessMessages() override;
  void StartTimer(int intervalMs, std::function<void()> tick) override;
  void StopTimer() override;
  void ShowAbout() override;

  // The view's window got WM_TIMER with this identifier.
  void TimerMessage(UINT_PTR id);
  bool TimerActive() const { return static_cast<bool>(FTick); }
  // The view's window got WM_SETCURSOR: true when it showed the wait cursor (the message is then answered).
  bool SetCursorMessage();
  // Runs a handler on behalf of a window message: an error it raises is shown in a message box and goes no
  // further. Returns false when it raised one.
  bool RunHandler(const std::function<void()>& handler);
  // How many handlers run at the moment (a handler that lets messages run can be entered again).
  int HandlerDepth() const { return FHandlerDepth; }

 private:
  HWND FOwner;
  std::function<void()> FTick;
  bool FWaitCursor = false;
  int FHandlerDepth = 0;
};

}  // namespace hoardscope
