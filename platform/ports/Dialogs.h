// The dialogs port: the view's modal dialogs, and the two desktop requests of its entry actions (clipboard, help).
// Each dialog runs its own logic object (handlers and control states are portable) in a window of the platform
// and returns when the dialog has closed.
#pragma once

#include <optional>
#include <string>

namespace hoardscope {

class TfrmOptions;
class TfrmSearch;

// A file dialog: the filter as "Description|*.ext", the default extension (without dot), whether an existing
// file needs confirming before it is overwritten.
struct TFileDialogSpec {
  std::string Filter;
  std::string DefaultExtension;
  bool PromptOverwrite = false;
};

class IDialogs {
 public:
  virtual ~IDialogs() = default;
  virtual void ShowOptions(TfrmOptions& dialog) = 0;
  virtual void ShowSearch(TfrmSearch& dialog) = 0;
  // The chosen file's full name; nullopt when the user cancelled.
  virtual std::optional<std::string> AskSaveFileName(const TFileDialogSpec& spec) = 0;
  virtual std::optional<std::string> AskOpenFileName(const TFileDialogSpec& spec) = 0;
  // Puts the text on the clipboard as plain text, replacing what it held.
  virtual void CopyTextToClipboard(const std::string& text) = 0;
  // Shows the help, whose start page or file is at path.
  virtual void ShowHelp(const std::string& path) = 0;
};

}  // namespace hoardscope
