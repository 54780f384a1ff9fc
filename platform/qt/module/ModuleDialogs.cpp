// Dialogs of the module over Qt.
#include "platform/qt/module/ModuleDialogs.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <cstdlib>
#include <iostream>
#include <memory>

namespace hoardscope {
namespace {

constexpr const char* kCaption = "Hoardscope";

bool HasDisplay() {
  const auto set = [](const char* variable) {
    const char* value = std::getenv(variable);
    return value && *value;
  };
  return set("DISPLAY") || set("WAYLAND_DISPLAY");
}

// A Qt application that can show dialogs to a person: the host's, or one the module makes on the display.
bool DialogsCanAppear() {
  static int argc = 1;
  static char name[] = "hoardscope";
  static char* argv[] = {name, nullptr};
  static std::unique_ptr<QApplication> own;
  if (!QCoreApplication::instance()) {
    if (!HasDisplay()) return false;
    own = std::make_unique<QApplication>(argc, argv);
  }
  const auto* application = qobject_cast<QApplication*>(QCoreApplication::instance());
  if (!application) return false;
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

}  // namespace

std::optional<std::string> TModuleFolderPicker::PickFolder(const std::string& title) {
  if (!DialogsCanAppear()) {
    std::cerr << title << ": no display to choose a folder on; cancelled\n";
    return std::nullopt;
  }
  const QString folder = QFileDialog::getExistingDirectory(nullptr, QString::fromStdString(title), QDir::homePath());
  if (folder.isEmpty()) return std::nullopt;
  return QDir::toNativeSeparators(folder).toStdString();
}

std::optional<bool> AskReplaceFile(const std::string& target) {
  if (!DialogsCanAppear()) return std::nullopt;
  const QString text = QString("The folder already holds a different file named \"%1\".\n\nReplace it with the "
                               "cached copy?")
                           .arg(QString::fromStdString(target).section('/', -1));
  return QMessageBox::question(nullptr, kCaption, text, QMessageBox::Yes | QMessageBox::No, QMessageBox::No) ==
         QMessageBox::Yes;
}

void ShowModuleError(const std::string& text) {
  std::cerr << "hoardscope: " << text << "\n";
  if (!DialogsCanAppear()) return;
  QMessageBox box(QMessageBox::Critical, kCaption, QString::fromStdString(text), QMessageBox::Ok);
  box.activateWindow();
  box.exec();
}

}  // namespace hoardscope
