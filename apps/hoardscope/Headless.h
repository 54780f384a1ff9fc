// The headless desktop: the view's window-system services for the command line. Everything the view would show
// a person is printed as one event line on standard output; dialogs are answered by the command's options.
#pragma once

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "platform/ports/Browser.h"
#include "platform/ports/Desktop.h"
#include "platform/ports/Dialogs.h"
#include "platform/ports/ViewWidgets.h"
#include "presenter/HoardscopeMain.h"
#include "search/Search.h"

namespace hoardscope {

// A CR printed as "\r", a LF as "\n", so that every event and node stays on one line.
std::string EscapeLineBreaks(const std::string& text);

class THeadlessDesktop : public IDesktop {
 public:
  explicit THeadlessDesktop(std::ostream& events) : FEvents(events) {}
  MessageAnswer ShowMessage(const std::string& text, MessageButtons buttons) override;
  void SetCursor(CursorShape) override {}
  void ProcessMessages() override {}
  void StartTimer(int intervalMs, std::function<void()> tick) override;
  void StopTimer() override;
  void ShowAbout() override;

  // Runs the timer's tick at once instead of after its interval; false when no timer runs.
  bool FireTimer();

  bool AnswerYes = false;  // what a Yes/No question is answered

 private:
  std::ostream& FEvents;
  std::function<void()> FTick;
};

// A browser that is online and records each navigation as an event.
class THeadlessBrowser : public IBrowser {
 public:
  explicit THeadlessBrowser(std::ostream& events) : FEvents(events) {}
  bool IsOffline() override { return false; }
  void Navigate(const std::string& url) override;
  void NavigateInNewWindow(const std::string& url) override;

 private:
  std::ostream& FEvents;
};

// The process's connected state, with each forcing reported as an event.
class THeadlessInternet : public IInternetOptions {
 public:
  THeadlessInternet(IInternetOptions& platform, std::ostream& events) : FPlatform(platform), FEvents(events) {}
  void ForceOffline() override;

 private:
  IInternetOptions& FPlatform;
  std::ostream& FEvents;
};

// The platform's shell, with the file-type images numbered instead of drawn: from the first index after the fixed
// images on, in the order they are asked for, as the window's image list numbers them.
class THeadlessShell : public IShell {
 public:
  explicit THeadlessShell(IShell& platform) : FPlatform(platform) {}
  int AddFileTypeIcon(const std::string&) override { return kImageSearch + 1 + FFileTypeImages++; }
  std::string InternetCacheFolder() override { return FPlatform.InternetCacheFolder(); }
  bool DeleteFilesIn(const std::string& folder) override { return FPlatform.DeleteFilesIn(folder); }
  bool MoveFilesToTrash(const std::string& folder) override { return FPlatform.MoveFilesToTrash(folder); }

 private:
  IShell& FPlatform;
  int FFileTypeImages = 0;
};

// What the command line's options answer in the view's dialogs.
struct THeadlessAnswers {
  std::string SearchText;
  bool CaseSensitive = false;
  TDateChoice Age = TDateChoice::dcAll;
  bool WholeCache = false;
  std::optional<std::string> FileName;  // the answer of the open and save dialogs
  bool Yes = false;                     // the answer to a Yes/No question
};

// Dialogs answered by the command's options, as a person would fill them in and press the default button.
class THeadlessDialogs : public IDialogs {
 public:
  THeadlessDialogs(THeadlessAnswers& answers, std::ostream& events) : FAnswers(answers), FEvents(events) {}
  void ShowOptions(TfrmOptions& dialog) override;
  void ShowSearch(TfrmSearch& dialog) override;
  std::optional<std::string> AskSaveFileName(const TFileDialogSpec&) override { return FAnswers.FileName; }
  std::optional<std::string> AskOpenFileName(const TFileDialogSpec&) override { return FAnswers.FileName; }
  void CopyTextToClipboard(const std::string& text) override;
  void ShowHelp(const std::string& path) override;

 private:
  THeadlessAnswers& FAnswers;
  std::ostream& FEvents;
};

// Where the headless views draw their progress line: standard error when it is a terminal and --quiet was not
// given (main decides, once), else nowhere (nullptr).
void SetProgressLine(std::ostream* line);
std::ostream* ProgressLine();

// The view's widgets without a window: only the progress of long work shows, as one line on the progress line's
// stream that each state overwrites after a carriage return and that is wiped when the work is over.
class THeadlessWidgets : public IViewWidgets {
 public:
  explicit THeadlessWidgets(std::ostream* progressLine) : FProgressLine(progressLine) {}
  void SetToolBarEnabled(bool) override {}
  void SetStatusText(int, const std::string&) override {}
  void SetWindowText(const std::string&) override {}
  TTreeNode* TopVisibleNode() override { return nullptr; }
  void SetTopVisibleNode(TTreeNode*) override {}
  void FocusTree() override {}
  bool TreeHasFocus() override { return true; }
  void ActionsChanged() override {}
  void DetailsChanged() override {}
  bool DetailsHaveFocus() override { return false; }
  void ShowProgress(const TProgressState& progress) override;
  void HideProgress() override;

 private:
  std::ostream* FProgressLine;
  std::size_t FDrawnLength = 0;  // of the line on show
};

}  // namespace hoardscope
