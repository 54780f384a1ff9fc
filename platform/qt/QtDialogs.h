// The dialogs port of a view over Qt: the Options and Search dialogs and the open and save file dialogs.
#pragma once

#include <QString>
#include <functional>
#include <memory>

#include "platform/ports/Browser.h"
#include "platform/ports/Dialogs.h"

class QWidget;

namespace hoardscope {

class TQtDialogs : public IDialogs {
 public:
  // browser gives the browser the view sits in (nullptr: none).
  TQtDialogs(QWidget* owner, std::function<std::shared_ptr<IBrowser>()> browser)
      : FOwner(owner), FBrowser(std::move(browser)) {}
  void ShowOptions(TfrmOptions& dialog) override;
  void ShowSearch(TfrmSearch& dialog) override;
  std::optional<std::string> AskSaveFileName(const TFileDialogSpec& spec) override;
  std::optional<std::string> AskOpenFileName(const TFileDialogSpec& spec) override;
  void CopyTextToClipboard(const std::string& text) override;
  // Opens the help pages (the folder "help" beside the given file) in a new window of the view's browser, or
  // with the desktop's browser when the view has none.
  void ShowHelp(const std::string& path) override;

 private:
  QWidget* FOwner;
  std::function<std::shared_ptr<IBrowser>()> FBrowser;
};

// "Description|*.ext" as a Qt file-dialog filter, "Description (*.ext)".
QString QtFileFilter(const std::string& filter);

}  // namespace hoardscope
