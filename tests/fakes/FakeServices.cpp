// The small in-memory fakes.
#include "tests/fakes/FakeServices.h"

namespace hoardscope {

int TFakeShell::AddFileTypeIcon(const std::string& extension) {
  if (RefuseIcons) return -1;
  AddedIcons.push_back(extension);
  return ImageCount++;
}

std::optional<std::uint64_t> TFakeShell::ItemSize(const std::string& path) {
  const auto found = ItemSizes.find(path);
  if (found == ItemSizes.end()) return std::nullopt;
  return found->second;
}

MessageAnswer TFakeDesktop::ShowMessage(const std::string& text, MessageButtons) {
  Messages.push_back(text);
  return Answer;
}

void TFakeDesktop::ProcessMessages() {
  ++ProcessMessagesCalls;
  if (OnProcessMessages) OnProcessMessages();
}

void TFakeDesktop::StartTimer(int intervalMs, std::function<void()> tick) {
  TimerRunning = true;
  TimerInterval = intervalMs;
  TimerTick = std::move(tick);
}

void TFakeDesktop::FireTimer() {
  if (TimerRunning && TimerTick) TimerTick();
}

bool TFakeBrowser::IsOffline() { return Offline; }

void TFakeBrowser::Navigate(const std::string& url) {
  if (FailNavigate) throw BrowserError{"navigation refused"};
  Navigations.push_back(url);
}

}  // namespace hoardscope
