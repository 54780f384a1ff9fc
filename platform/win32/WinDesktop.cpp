// The view's desktop requests over the window system.
#include "platform/win32/WinDesktop.h"

#include <exception>

#include "platform/win32/AboutBox.h"

namespace hoardscope {

TWinDesktop::~TWinDesktop() {
  StopTimer();
  if (FWaitCursor) ::SetCursor(LoadCursorA(nullptr, IDC_ARROW));
}

MessageAnswer TWinDesktop::ShowMessage(const std::string& text, MessageButtons buttons) {
  const UINT style = buttons == MessageButtons::YesNo ? MB_YESNO | MB_ICONQUESTION : MB_OK;
  const int answer = MessageBoxA(FOwner, text.c_str(), kMessageTitle, style);
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return answer == IDYES ? MessageAnswer::Yes : MessageAnswer::No;
}

void TWinDesktop::SetCursor(CursorShape shape) {
  FWaitCursor = shape == CursorShape::Hourglass;
  ::SetCursor(LoadCursorA(nullptr, FWaitCursor ? IDC_WAIT : IDC_ARROW));
}

bool TWinDesktop::SetCursorMessage() {
  if (!FWaitCursor) return false;
  ::SetCursor(LoadCursorA(nullptr, IDC_WAIT));
  return true;
}

void TWinDesktop::ProcessMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // The thread's loop has to see the request to end as well.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

void TWinDesktop::StartTimer(int intervalMs, std::function<void()> tick) {
  FTick = std::move(tick);
  SetTimer(FOwner, kStartTimerId, static_cast<UINT>(intervalMs), nullptr);
}

void TWinDesktop::StopTimer() {
  if (!FTick) return;
  KillTimer(FOwner, kStartTimerId);
  FTick = nullptr;
}

void TWinDesktop::TimerMessage(UINT_PTR id) {
  if (id != kStartTimerId || !FTick) return;
  const std::function<void()> tick = FTick;  // the tick may stop the timer, which drops FTick
  RunHandler(tick);
}

void TWinDesktop::ShowAbout() { ShowAboutBox(FOwner); }

bool TWinDesktop::RunHandler(const std::function<void()>& handler) {
  std::string failure;
  ++FHandlerDepth;
  try {
    handler();
  } catch (const std::exception& error) {
    failure = error.what();
  } catch (...) {
    failure = "An unexpected error occurred.";
  }
  --FHandlerDepth;
  if (failure.empty()) return true;
  MessageBoxA(FOwner, failure.c_str(), kMessageTitle, MB_OK | MB_ICONSTOP);
  return false;
}

}  // namespace hoardscope
