// The view's dialogs over Qt.
#include "platform/qt/QtDialogs.h"

#include <QClipboard>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QUrl>

#include "platform/qt/OptionsDialog.h"
#include "platform/qt/SearchDialog.h"

namespace hoardscope {

QString QtFileFilter(const std::string& filter) {
  const std::size_t bar = filter.find('|');
  if (bar == std::string::npos) return QString::fromStdString(filter);
  return QString::fromStdString(filter.substr(0, bar) + " (" + filter.substr(bar + 1) + ")");
}

void TQtDialogs::ShowOptions(TfrmOptions& dialog) {
  TOptionsDialog window(dialog, FOwner);
  window.exec();
}

void TQtDialogs::ShowSearch(TfrmSearch& dialog) {
  TSearchDialog window(dialog, FOwner);
  window.exec();
}

std::optional<std::string> TQtDialogs::AskSaveFileName(const TFileDialogSpec& spec) {
  QFileDialog dialog(FOwner);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setNameFilter(QtFileFilter(spec.Filter));
  dialog.setDefaultSuffix(QString::fromStdString(spec.DefaultExtension));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, !spec.PromptOverwrite);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

std::optional<std::string> TQtDialogs::AskOpenFileName(const TFileDialogSpec& spec) {
  QFileDialog dialog(FOwner);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setNameFilter(QtFileFilter(spec.Filter));
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return dialog.selectedFiles().front().toStdString();
}

void TQtDialogs::CopyTextToClipboard(const std::string& text) {
  QGuiApplication::clipboard()->setText(QString::fromStdString(text));
}

void TQtDialogs::ShowHelp(const std::string& path) {
  const QUrl pages =
      QUrl::fromLocalFile(QFileInfo(QString::fromStdString(path)).absolutePath() + "/help/index.html");
  if (const std::shared_ptr<IBrowser> browser = FBrowser ? FBrowser() : nullptr) {
    try {
      browser->NavigateInNewWindow(pages.toString().toStdString());
      return;
    } catch (const BrowserError&) {
      // The browser's window is gone: the desktop's browser shows the pages instead.
    }
  }
  QDesktopServices::openUrl(pages);
}

}  // namespace hoardscope
