// The small in-memory fakes.
#include "tests/fakes/FakeServices.h"

#include <cstdio>
#include <filesystem>
#include <stdexcept>

#include "search/Search.h"
#include "settings/Options.h"

namespace hoardscope {

int TFakeShell::AddFileTypeIcon(const std::string& extension) {
  if (RefuseIcons) return -1;
  AddedIcons.push_back(extension);
  return ImageCount++;
}

namespace {

// Applies action to every file directly in folder; false when the folder cannot be listed.
template <typename F>
bool ForFilesIn(const std::string& folder, F&& action) {
  std::error_code error;
  std::filesystem::directory_iterator files(folder, error);
  if (error) return false;
  for (const auto& entry : files) {
    if (entry.is_regular_file(error)) action(entry.path());
  }
  return true;
}

}  // namespace

bool TFakeShell::DeleteFilesIn(const std::string& folder) {
  return ForFilesIn(folder, [](const std::filesystem::path& file) { std::filesystem::remove(file); });
}

bool TFakeShell::MoveFilesToTrash(const std::string& folder) {
  std::filesystem::create_directories(TrashFolder);
  return ForFilesIn(folder, [this](const std::filesystem::path& file) {
    std::filesystem::rename(file, std::filesystem::path(TrashFolder) / file.filename());
  });
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

void TFakeBrowser::NavigateFromSource(const std::string& url, const std::string& source) {
  if (!FromSources) return IBrowser::NavigateFromSource(url, source);
  Navigate(source + " " + url);
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

TShellMenuChoice TFakeShellMenu::TrackContextMenu(const std::string& path, const std::vector<TOwnMenuItem>& ownItems) {
  Opened.push_back({path, ownItems});
  if (WhileOpen) WhileOpen();
  if (!Failure.empty()) throw std::runtime_error(Failure);
  if (Choice.Kind == TShellMenuChoice::TKind::ShellCommand && OnShellCommand) OnShellCommand(path);
  return Choice;
}

std::optional<std::string> TFakeTextConverter::ToUtf8(std::string_view bytes, std::string_view encoding) {
  if (encoding != "koi8-r") return std::nullopt;
  std::string text;
  for (const char c : bytes) {
    if (static_cast<unsigned char>(c) < 0x80) {
      text += c;
    } else {
      char hex[8];
      std::snprintf(hex, sizeof hex, "{%02X}", static_cast<unsigned>(static_cast<unsigned char>(c)));
      text += hex;
    }
  }
  return text;
}

void TFakeProgress::Step(std::uint64_t done, std::optional<std::uint64_t> total) {
  Steps.push_back({std::string(), done, total});
}

}  // namespace hoardscope
