// The small in-memory fakes.
#include "tests/fakes/FakeServices.h"

#include "search/Search.h"
#include "settings/Options.h"

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

void TFakeDialogs::ShowOptions(TfrmOptions& dialog) {
  ++Shown;
  dialog.FormShow();
  if (OnOptions) OnOptions(dialog);
}

void TFakeDialogs::ShowSearch(TfrmSearch& dialog) {
  ++Shown;
  dialog.FormShow();
  if (OnSearch) OnSearch(dialog);
}

std::optional<std::string> TFakeDialogs::AskSaveFileName(const TFileDialogSpec& spec) {
  FileDialogs.push_back(spec);
  return FileName;
}

std::optional<std::string> TFakeDialogs::AskOpenFileName(const TFileDialogSpec& spec) {
  FileDialogs.push_back(spec);
  return FileName;
}

int TFakeBrowserWindows::NotifyViews(int code) {
  for (const auto& view : Views) view(kCacheChangedCommand, code);
  return static_cast<int>(Views.size());
}

}  // namespace hoardscope
