// TWinDialogs: the dialogs port of a view on Windows: the Options and Search dialog resources, the common open
// and save dialogs, the clipboard and HTML Help.
#pragma once

#include <windows.h>

#include <string>

#include "platform/ports/Dialogs.h"

namespace hoardscope {

// "Description|*.ext" as the common dialogs want it: "Description\0*.ext\0\0" (every "|" becomes a NUL).
std::string CommonDialogFilter(const std::string& filter);

class TWinDialogs : public IDialogs {
 public:
  // owner: the view's window, owner of every dialog.
  explicit TWinDialogs(HWND owner) : FOwner(owner) {}

  void ShowOptions(TfrmOptions& dialog) override;
  void ShowSearch(TfrmSearch& dialog) override;
  // GetSaveFileNameA: the read-only box hidden, no network button, resizable; asks before overwriting when the
  // dialog's description asks for it.
  std::optional<std::string> AskSaveFileName(const TFileDialogSpec& spec) override;
  // GetOpenFileNameA: the read-only box hidden, resizable.
  std::optional<std::string> AskOpenFileName(const TFileDialogSpec& spec) override;
  // CF_TEXT; the clipboard is left as it was when it cannot be opened.
  void CopyTextToClipboard(const std::string& text) override;
  // HtmlHelpA with HH_DISPLAY_TOPIC on the help file.
  void ShowHelp(const std::string& path) override;

 private:
  HWND FOwner;
};

}  // namespace hoardscope
