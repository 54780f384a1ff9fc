// The file manager's verbs on a cached file or the save folder: those that leave a cached file where its entry
// finds it, or remove it (the view then drops the entry); no rename, which would leave an entry without its file.
#include "platform/qt/FileManagerMenu.h"

#include "platform/linux/LinuxShell.h"

#include <QApplication>
#include <QClipboard>
#include <QCursor>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QMimeDatabase>
#include <QProcess>
#include <QUrl>
#include <filesystem>
#include <stdexcept>
#include <system_error>

namespace hoardscope {
namespace {

// The item's name as the messages quote it.
std::string Quoted(const QString& path) { return "\"" + QFileInfo(path).fileName().toStdString() + "\""; }

struct TVerbEntry {
  TFileVerb Verb;
  const char* Caption;
  bool SeparatorBefore;
};
constexpr TVerbEntry kVerbs[] = {
    {TFileVerb::Open, "Open", false},
    {TFileVerb::OpenContainingFolder, "Open Containing Folder", false},
    {TFileVerb::Copy, "Copy", true},
    {TFileVerb::MoveToTrash, "Move to Trash", true},
    {TFileVerb::Delete, "Delete", false},
    {TFileVerb::Properties, "Properties", true},
};

// The item's path without a trailing separator (the save folder is named with one).
QString ItemPath(const std::string& path) {
  QString item = QString::fromStdString(path);
  while (item.size() > 1 && item.endsWith(QLatin1Char('/'))) item.chop(1);
  return item;
}

void OpenWithDesktop(const QString& path) {
  if (!QProcess::startDetached(QStringLiteral("xdg-open"), {path})) {
    throw std::runtime_error(Quoted(path) + " could not be opened: the desktop's opener xdg-open could not be started.");
  }
}

// The file as a file manager copies it: its URI, for pasting into a file manager or a document.
void CopyToClipboard(const QString& path) {
  const QUrl uri = QUrl::fromLocalFile(path);
  auto* data = new QMimeData;
  data->setUrls({uri});
  data->setText(uri.toString());
  data->setData(QStringLiteral("x-special/gnome-copied-files"), "copy\n" + uri.toEncoded());
  QApplication::clipboard()->setMimeData(data);
}

void DeleteForGood(const QString& path) {
  std::error_code error;
  std::filesystem::remove_all(path.toStdString(), error);
  if (error) throw std::runtime_error(Quoted(path) + " could not be deleted: " + error.message() + ".");
}

qint64 SizeOf(const QFileInfo& item) {
  if (!item.isDir()) return item.size();
  qint64 total = 0;
  QDirIterator files(item.filePath(), QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
  while (files.hasNext()) {
    files.next();
    total += files.fileInfo().size();
  }
  return total;
}

}  // namespace

TItemProperties PropertiesOf(const QString& path) {
  const QFileInfo item(path);
  const QMimeType type = QMimeDatabase().mimeTypeForFile(item);
  return {item.fileName(), item.absolutePath(), SizeOf(item), type.comment() + " (" + type.name() + ")",
          QLocale().toString(item.lastModified(), QLocale::LongFormat)};
}

TFileManagerMenu::TFileManagerMenu(QWidget* owner, IDesktop& desktop)
    : Track([this](QMenu& menu) { return ExecAtPointer(menu); }),
      ShowProperties([this](const TItemProperties& properties) { ShowPropertiesDialog(properties); }),
      FOwner(owner),
      FDesktop(desktop) {}

TShellMenuChoice TFileManagerMenu::TrackContextMenu(const std::string& path,
                                                    const std::vector<TOwnMenuItem>& ownItems) {
  const QString item = ItemPath(path);
  if (!QFileInfo::exists(item)) return {};
  QMenu menu(FOwner);
  for (const TVerbEntry& entry : kVerbs) {
    if (entry.SeparatorBefore) menu.addSeparator();
    menu.addAction(QString::fromUtf8(entry.Caption))->setData(static_cast<std::uint32_t>(entry.Verb));
  }
  menu.addSeparator();
  for (const TOwnMenuItem& own : ownItems) menu.addAction(QString::fromStdString(own.Caption))->setData(own.Command);
  const QAction* chosen = Track(menu);
  if (!chosen) return {};
  const std::uint32_t command = chosen->data().toUInt();
  if (command < kFirstShellCommand || command > kLastShellCommand) return {TShellMenuChoice::TKind::OwnItem, command};
  try {
    Run(static_cast<TFileVerb>(command), item);
  } catch (const std::runtime_error& error) {
    // As the shell of Windows does with its commands, the menu tells of a verb that failed itself.
    FDesktop.ShowMessage(error.what(), MessageButtons::Ok);
  }
  return {TShellMenuChoice::TKind::ShellCommand, 0};
}

void TFileManagerMenu::Run(TFileVerb verb, const QString& path) {
  switch (verb) {
    case TFileVerb::Open: OpenWithDesktop(path); break;
    case TFileVerb::OpenContainingFolder: OpenWithDesktop(QFileInfo(path).absolutePath()); break;
    case TFileVerb::Copy: CopyToClipboard(path); break;
    case TFileVerb::MoveToTrash:
      if (!MoveToTrash(path.toStdString())) throw std::runtime_error(Quoted(path) + " could not be moved to the trash.");
      break;
    case TFileVerb::Delete:
      if (FDesktop.ShowMessage("Delete " + Quoted(path) + " for good? It cannot be restored from the trash.",
                               MessageButtons::YesNo) == MessageAnswer::Yes) {
        DeleteForGood(path);
      }
      break;
    case TFileVerb::Properties: ShowProperties(PropertiesOf(path)); break;
  }
}

QAction* TFileManagerMenu::ExecAtPointer(QMenu& menu) { return menu.exec(QCursor::pos()); }

void TFileManagerMenu::ShowPropertiesDialog(const TItemProperties& properties) {
  QDialog dialog(FOwner);
  dialog.setWindowTitle(properties.Name + QStringLiteral(" Properties"));
  auto* form = new QFormLayout(&dialog);
  const auto addRow = [&](const char* label, const QString& value) {
    auto* text = new QLabel(value, &dialog);
    text->setTextFormat(Qt::PlainText);
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QString::fromLatin1(label), text);
  };
  addRow("Name:", properties.Name);
  addRow("Location:", properties.Location);
  addRow("Size:", QLocale().formattedDataSize(properties.Size) + " (" + QLocale().toString(properties.Size) + " bytes)");
  addRow("Type:", properties.Type);
  addRow("Modified:", properties.Modified);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, &dialog);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
  form->addRow(buttons);
  dialog.exec();
}

}  // namespace hoardscope
