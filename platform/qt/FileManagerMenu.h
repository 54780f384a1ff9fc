// The Linux edition's context menu of a file or folder. The desktop has no shell menu to borrow, so this one offers
// the verbs of a file manager and carries each of them out itself.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <string>

#include "platform/ports/Desktop.h"
#include "platform/ports/ShellMenu.h"

class QAction;
class QMenu;
class QWidget;

namespace hoardscope {

// The file manager's verbs, numbered as the shell numbers its entries.
enum class TFileVerb : std::uint32_t {
  Open = kFirstShellCommand,
  OpenContainingFolder,
  Copy,
  MoveToTrash,
  Delete,
  Properties,
};

// What Properties shows of an item.
struct TItemProperties {
  QString Name;
  QString Location;   // the folder that holds it
  qint64 Size = 0;    // a folder's size is the sum of the files below it
  QString Type;       // the MIME type's description and name
  QString Modified;   // local time, as the desktop's locale writes it
};
TItemProperties PropertiesOf(const QString& path);

class TFileManagerMenu : public IShellMenu {
 public:
  // owner: the view's window, which owns the menu and the dialogs; desktop: its questions and messages.
  TFileManagerMenu(QWidget* owner, IDesktop& desktop);

  TShellMenuChoice TrackContextMenu(const std::string& path, const std::vector<TOwnMenuItem>& ownItems) override;

  // Shows the menu and returns the chosen action (nullptr: none). By default the menu opens at the mouse pointer
  // and waits for the user; the tests choose for themselves.
  std::function<QAction*(QMenu&)> Track;
  // Shows an item's properties. By default a dialog shows them.
  std::function<void(const TItemProperties&)> ShowProperties;

  // Carries out a verb on the item at path. Throws std::runtime_error saying what failed when the system could
  // not do it; the menu shows that text to the user.
  void Run(TFileVerb verb, const QString& path);

 private:
  QAction* ExecAtPointer(QMenu& menu);
  void ShowPropertiesDialog(const TItemProperties& properties);

  QWidget* FOwner;
  IDesktop& FDesktop;
};

}  // namespace hoardscope
