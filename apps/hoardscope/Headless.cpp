// The headless desktop, browser and internet options of the command line.
#include "Headless.h"

#include <cstdint>

#include "settings/Options.h"

namespace hoardscope {

std::string EscapeLineBreaks(const std::string& text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    if (c == '\r') {
      result += "\\r";
    } else if (c == '\n') {
      result += "\\n";
    } else {
      result += c;
    }
  }
  return result;
}

MessageAnswer THeadlessDesktop::ShowMessage(const std::string& text, MessageButtons buttons) {
  FEvents << "message: " << EscapeLineBreaks(text) << "\n";
  if (buttons == MessageButtons::Ok) return MessageAnswer::Ok;
  return AnswerYes ? MessageAnswer::Yes : MessageAnswer::No;
}

void THeadlessDesktop::StartTimer(int, std::function<void()> tick) { FTick = std::move(tick); }

void THeadlessDesktop::StopTimer() { FTick = nullptr; }

void THeadlessDesktop::ShowAbout() { FEvents << "about: Hoardscope\n"; }

bool THeadlessDesktop::FireTimer() {
  if (!FTick) return false;
  const std::function<void()> tick = FTick;  // the tick stops the timer, which clears FTick
  tick();
  return true;
}

namespace {

std::ostream* gProgressLine = nullptr;

// "Searching 120 of 4000 (3%)", or "Loading 120" while the total is not known.
std::string ProgressText(const TProgressState& progress) {
  std::string text = progress.Caption + " " + std::to_string(progress.Done);
  if (!progress.Total) return text;
  const std::uint64_t percent = *progress.Total == 0 ? 100 : progress.Done * 100 / *progress.Total;
  return text + " of " + std::to_string(*progress.Total) + " (" + std::to_string(percent) + "%)";
}

}  // namespace

void SetProgressLine(std::ostream* line) { gProgressLine = line; }

std::ostream* ProgressLine() { return gProgressLine; }

void THeadlessWidgets::ShowProgress(const TProgressState& progress) {
  if (!FProgressLine) return;
  const std::string text = ProgressText(progress);
  // Blanks cover what is left of a longer line before.
  *FProgressLine << '\r' << text << std::string(FDrawnLength > text.size() ? FDrawnLength - text.size() : 0, ' ')
                 << std::flush;
  FDrawnLength = text.size();
}

void THeadlessWidgets::HideProgress() {
  if (!FProgressLine || FDrawnLength == 0) return;
  *FProgressLine << '\r' << std::string(FDrawnLength, ' ') << '\r' << std::flush;
  FDrawnLength = 0;
}

void THeadlessDialogs::CopyTextToClipboard(const std::string& text) {
  FEvents << "clipboard: " << EscapeLineBreaks(text) << "\n";
}

void THeadlessDialogs::ShowHelp(const std::string& path) { FEvents << "help: " << path << "\n"; }

void THeadlessDialogs::ShowOptions(TfrmOptions& dialog) { dialog.FormShow(); }

void THeadlessDialogs::ShowSearch(TfrmSearch& dialog) {
  dialog.FormShow();
  dialog.cbSearchText = FAnswers.SearchText;
  dialog.chkSense = FAnswers.CaseSensitive;
  if (FAnswers.Age != TDateChoice::dcAll) {
    dialog.CheckBox1 = false;
    dialog.CheckBox1Click();
    dialog.rbToday.Checked = FAnswers.Age == TDateChoice::dcToday;
    dialog.rbThisWeek.Checked = FAnswers.Age == TDateChoice::dcThisWeek;
    dialog.rbThisMonth.Checked = FAnswers.Age == TDateChoice::dcThisMonth;
    dialog.rbTodayClick();
    dialog.rbThisWeekClick();
    dialog.rbThisMonthClick();
  }
  dialog.rbFEntireCache = FAnswers.WholeCache;
  dialog.rbFUnderFolder = !FAnswers.WholeCache;
  if (FAnswers.WholeCache) {
    dialog.rbFEntireCacheClick();
  } else {
    dialog.rbFUnderFolderClick();
  }
  dialog.btnSearchClick();
}

void THeadlessBrowser::Navigate(const std::string& url) { FEvents << "navigate: " << url << "\n"; }

void THeadlessBrowser::NavigateInNewWindow(const std::string& url) {
  FEvents << "navigate (new window): " << url << "\n";
}

void THeadlessInternet::ForceOffline() {
  FPlatform.ForceOffline();
  FEvents << "offline: forced\n";
}

}  // namespace hoardscope
