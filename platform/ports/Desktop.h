// The desktop port: what the view needs of the window system besides its own widgets.
#pragma once

#include <functional>
#include <string>

namespace hoardscope {

enum class CursorShape { Default, Hourglass };

enum class MessageButtons { Ok, YesNo };
enum class MessageAnswer { Ok, Yes, No };

class IDesktop {
 public:
  virtual ~IDesktop() = default;

  // Shows a modal message box with exactly this text and returns the button pressed.
  virtual MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) = 0;

  virtual void SetCursor(CursorShape shape) = 0;

  // Lets waiting window messages run once (user input, repaints, other views' notices).
  virtual void ProcessMessages() = 0;

  // Starts (or restarts) the view's one timer: tick runs every intervalMs until StopTimer.
  virtual void StartTimer(int intervalMs, std::function<void()> tick) = 0;
  virtual void StopTimer() = 0;

  // Shows the About box modally.
  virtual void ShowAbout() = 0;
};

}  // namespace hoardscope
