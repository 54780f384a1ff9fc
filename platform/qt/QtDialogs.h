// The dialogs port of a view over Qt: the Options and Search dialogs and the open and save file dialogs.
#pragma once

#include <QString>

#include "platform/ports/Dialogs.h"

class QWidget;

namespace hoardscope {

class TQtDialogs : public IDialogs {
 public:
  explicit TQtDialogs(QWidget* owner) : FOwner(owner) {}
  void ShowOptions(TfrmOptions& dialog) override;
  void ShowSearch(TfrmSearch& dialog) override;
  std::optional<std::string> AskSaveFileName(const TFileDialogSpec& spec) override;
  std::optional<std::string> AskOpenFileName(const TFileDialogSpec& spec) override;
  void CopyTextToClipboard(const std::string& text) override;
  // Opens the help pages (the folder "help" beside the given file) with the desktop's browser.
  void ShowHelp(const std::string& path) override;

 private:
  QWidget* FOwner;
};

// "Description|*.ext" as a Qt file-dialog filter, "Description (*.ext)".
QString QtFileFilter(const std::string& filter);

}  // namespace hoardscope
