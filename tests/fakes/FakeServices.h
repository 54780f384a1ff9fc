// In-memory fakes of the small ports: shell, desktop, browser, internet options, the view's widgets and the report.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/ports/Browser.h"
#include "platform/ports/BrowserWindows.h"
#include "platform/ports/Clock.h"
#include "platform/ports/Dialogs.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/InternetOptions.h"
#include "platform/ports/Progress.h"
#include "platform/ports/Report.h"
#include "platform/ports/Shell.h"
#include "platform/ports/ShellMenu.h"
#include "platform/ports/TextConverter.h"
#include "platform/ports/ViewWidgets.h"

namespace hoardscope {

class TFakeShell : public IShell {
 public:
  int AddFileTypeIcon(const std::string& extension) override;
  std::string InternetCacheFolder() override { return CacheFolder; }
  bool DeleteFilesIn(const std::string& folder) override;
  // Moves the files into TrashFolder (made when needed), keeping their names.
  bool MoveFilesToTrash(const std::string& folder) override;

  std::vector<std::string> AddedIcons;   // extensions in the order their icons were added
  int ImageCount = 4;                    // the tree's image list starts with its four pictures
  bool RefuseIcons = false;
  std::string CacheFolder = "cache";
  std::string TrashFolder;
};

// A context menu that records what it was opened for and answers with the test's choice. A chosen shell command
// runs OnShellCommand, which plays what the shell's command does to the file system.
class TFakeShellMenu : public IShellMenu {
 public:
  struct TOpened {
    std::string Path;
    std::vector<TOwnMenuItem> OwnItems;
  };
  TShellMenuChoice TrackContextMenu(const std::string& path, const std::vector<TOwnMenuItem>& ownItems) override;

  std::vector<TOpened> Opened;
  TShellMenuChoice Choice;
  std::function<void(const std::string& path)> OnShellCommand;
  std::function<void()> WhileOpen;  // what runs in the menu's message loop
  std::string Failure;              // when set, the menu throws this text
};

class TFakeDesktop : public IDesktop {
 public:
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;
  void SetCursor(CursorShape shape) override { Cursor = shape; }
  void ProcessMessages() override;
  void StartTimer(int intervalMs, std::function<void()> tick) override;
  void StopTimer() override { TimerRunning = false; }
  void ShowAbout() override { ++AboutShown; }

  // Runs the timer's tick as if its interval had passed.
  void FireTimer();

  std::vector<std::string> Messages;
  MessageAnswer Answer = MessageAnswer::Ok;
  CursorShape Cursor = CursorShape::Default;
  int ProcessMessagesCalls = 0;
  std::function<void()> OnProcessMessages;  // what "waiting messages" do during a long loop
  bool TimerRunning = false;
  int TimerInterval = 0;
  std::function<void()> TimerTick;
  int AboutShown = 0;
};

class TFakeBrowser : public IBrowser {
 public:
  bool IsOffline() override;
  void Navigate(const std::string& url) override;
  void NavigateInNewWindow(const std::string& url) override { NewWindows.push_back(url); }
  bool NavigatesFromSources() override { return FromSources; }
  // Recorded among Navigations as "SOURCE URL".
  void NavigateFromSource(const std::string& url, const std::string& source) override;

  bool Offline = false;
  bool FailNavigate = false;
  bool FromSources = false;  // set: plays a browser that shows pages from a cache source
  std::vector<std::string> Navigations;
  std::vector<std::string> NewWindows;
};

class TFakeInternetOptions : public IInternetOptions {
 public:
  void ForceOffline() override { ++ForcedOffline; }
  int ForcedOffline = 0;
};

class TFakeViewWidgets : public IViewWidgets {
 public:
  void SetToolBarEnabled(bool enabled) override { ToolBarEnabled = enabled; }
  void SetStatusText(int panel, const std::string& text) override { StatusText[panel] = text; }
  void SetWindowText(const std::string& text) override { WindowText = text; }
  TTreeNode* TopVisibleNode() override { return TopNode; }
  void SetTopVisibleNode(TTreeNode* node) override { TopNode = node; }
  void FocusTree() override { ++FocusRequests; }
  bool TreeHasFocus() override { return TreeFocused; }
  void ActionsChanged() override { ++ActionChanges; }
  void DetailsChanged() override { ++DetailsChanges; }
  bool DetailsHaveFocus() override { return DetailsFocused; }
  void ShowProgress(const TProgressState& progress) override {
    Progress.push_back(progress);
    ProgressShown = true;
  }
  void HideProgress() override { ProgressShown = false; }

  bool ToolBarEnabled = true;
  std::map<int, std::string> StatusText;
  std::string WindowText;
  TTreeNode* TopNode = nullptr;
  int FocusRequests = 0;
  bool TreeFocused = true;
  int ActionChanges = 0;
  int DetailsChanges = 0;
  bool DetailsFocused = false;
  std::vector<TProgressState> Progress;  // every state shown, in order
  bool ProgressShown = false;
};

// A progress that records every step and asks to stop once the steps have reached StopAt done (at once for 0).
class TFakeProgress : public IProgress {
 public:
  void Step(std::uint64_t done, std::optional<std::uint64_t> total) override;
  bool StopRequested() const override { return StopAt && (Steps.empty() ? 0 : Steps.back().Done) >= *StopAt; }

  std::vector<TProgressState> Steps;  // without a caption
  std::optional<std::uint64_t> StopAt;
};

// Dialogs answered by the test: each Show runs the dialog's FormShow, then the test's script, which plays the
// user (ticks boxes, types, presses a button handler).
class TFakeDialogs : public IDialogs {
 public:
  void ShowOptions(TfrmOptions& dialog) override;
  void ShowSearch(TfrmSearch& dialog) override;
  std::optional<std::string> AskSaveFileName(const TFileDialogSpec& spec) override;
  std::optional<std::string> AskOpenFileName(const TFileDialogSpec& spec) override;
  void CopyTextToClipboard(const std::string& text) override { Clipboard = text; }
  void ShowHelp(const std::string& path) override { HelpShown.push_back(path); }

  std::function<void(TfrmOptions&)> OnOptions;
  std::function<void(TfrmSearch&)> OnSearch;
  std::optional<std::string> FileName;  // the answer of the file dialogs
  std::vector<TFileDialogSpec> FileDialogs;
  std::string Clipboard;
  std::vector<std::string> HelpShown;
  int Shown = 0;
};

class TFakeClock : public IClock {
 public:
  FileTime NowUtc() override { return Now; }
  FileTime Now = 0;
};

// A text converter that knows "koi8-r" alone, writing each of its bytes past ASCII as "{XX}" (its hex digits),
// and takes paths as they are.
class TFakeTextConverter : public ITextConverter {
 public:
  std::optional<std::string> ToUtf8(std::string_view bytes, std::string_view encoding) override;
  std::string PathToUtf8(std::string_view path) override { return std::string(path); }
};

// Browser windows whose views are the ones registered here; the notice reaches them as the window message would.
class TFakeBrowserWindows : public IBrowserWindows {
 public:
  int NotifyViews(int code) override;
  std::vector<std::function<void(int, int)>> Views;  // each view's WM_SYSCOMMAND handler
};

class TFakeReport : public IReport {
 public:
  void WriteLine(const std::string& line) override { Lines.push_back(line); }
  std::vector<std::string> Lines;
};

}  // namespace hoardscope
