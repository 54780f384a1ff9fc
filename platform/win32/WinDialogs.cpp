// The view's dialogs and desktop requests over the common dialogs, the clipboard and HTML Help.
#include "platform/win32/WinDialogs.h"

#include <commdlg.h>
#include <htmlhelp.h>

#include <cstring>

#include "platform/win32/OptionsDialog.h"
#include "platform/win32/SearchDialog.h"

namespace hoardscope {
namespace {

// Long enough for any path the common dialogs hand back (they refuse longer ones with FNERR_BUFFERTOOSMALL).
constexpr std::size_t kFileNameBuffer = 32768;

std::optional<std::string> RunFileDialog(HWND owner, const TFileDialogSpec& spec, bool save) {
  const std::string filter = CommonDialogFilter(spec.Filter);
  std::string fileName(kFileNameBuffer, '\0');
  OPENFILENAMEA dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = owner;
  dialog.lpstrFilter = filter.c_str();
  dialog.nFilterIndex = 1;
  dialog.lpstrFile = fileName.data();
  dialog.nMaxFile = static_cast<DWORD>(fileName.size());
  dialog.lpstrDefExt = spec.DefaultExtension.empty() ? nullptr : spec.DefaultExtension.c_str();
  dialog.Flags = OFN_EXPLORER | OFN_HIDEREADONLY | OFN_ENABLESIZING;
  if (save) dialog.Flags |= OFN_NONETWORKBUTTON | (spec.PromptOverwrite ? OFN_OVERWRITEPROMPT : 0);
  const BOOL chosen = save ? GetSaveFileNameA(&dialog) : GetOpenFileNameA(&dialog);
  if (!chosen) return std::nullopt;
  return std::string(fileName.c_str());
}

}  // namespace

std::string CommonDialogFilter(const std::string& filter) {
  std::string result = filter;
  for (char& c : result) {
    if (c == '|') c = '\0';
  }
  result.push_back('\0');
  result.push_back('\0');
  return result;
}

void TWinDialogs::ShowOptions(TfrmOptions& dialog) { ShowOptionsDialog(FOwner, dialog); }

void TWinDialogs::ShowSearch(TfrmSearch& dialog) { ShowSearchDialog(FOwner, dialog); }

std::optional<std::string> TWinDialogs::AskSaveFileName(const TFileDialogSpec& spec) {
  return RunFileDialog(FOwner, spec, true);
}

std::optional<std::string> TWinDialogs::AskOpenFileName(const TFileDialogSpec& spec) {
  return RunFileDialog(FOwner, spec, false);
}

void TWinDialogs::CopyTextToClipboard(const std::string& text) {
  if (!OpenClipboard(FOwner)) return;
  EmptyClipboard();
  if (HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
    if (void* target = GlobalLock(memory)) {
      std::memcpy(target, text.c_str(), text.size() + 1);
      GlobalUnlock(memory);
      // The clipboard owns the memory once it took it.
      if (!SetClipboardData(CF_TEXT, memory)) GlobalFree(memory);
    } else {
      GlobalFree(memory);
    }
  }
  CloseClipboard();
}

void TWinDialogs::ShowHelp(const std::string& path) { HtmlHelpA(FOwner, path.c_str(), HH_DISPLAY_TOPIC, 0); }

}  // namespace hoardscope
