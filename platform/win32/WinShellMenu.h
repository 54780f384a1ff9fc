// The shell's own context menu of a file or folder on Windows: the object is found in the shell's namespace, its
// folder gives the menu handler (IContextMenu), and the view's items follow the handler's entries.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "com/ComPtr.h"
#include "com/ComTypes.h"
#include "platform/ports/ShellMenu.h"
#include "platform/win32/UniqueHandle.h"

namespace hoardscope {

inline void FreeItemIdList(LPITEMIDLIST items) { CoTaskMemFree(items); }
using TItemIdList = TUniqueHandle<LPITEMIDLIST, &FreeItemIdList>;
using TPopupMenu = TUniqueHandle<HMENU, &DestroyMenu>;

// A file-system object in the shell's namespace: the folder that holds it and its item identifier there.
struct TShellItem {
  TComPtr<IShellFolder> Folder;
  TItemIdList Item;
};

// Walks from My Computer down the drive and each folder of path, matching every level by its full parsing name
// (letter case ignored, hidden folders included); a path ending in a backslash names its last folder. nullopt
// when a level is not found. Raises std::runtime_error when a folder of the walk cannot be opened.
std::optional<TShellItem> FindShellItem(const std::string& path);

// The popup menu of a context-menu handler: its entries (identifiers kFirstShellCommand to kLastShellCommand),
// a separator and the own items. Raises std::runtime_error when the handler cannot fill it.
TPopupMenu BuildShellMenu(IContextMenu& handler, const std::vector<TOwnMenuItem>& ownItems);

class TWinShellMenu : public IShellMenu {
 public:
  // owner: the view's window, which owns the menu and the shell's commands.
  explicit TWinShellMenu(HWND owner) : FOwner(owner) {}

  TShellMenuChoice TrackContextMenu(const std::string& path, const std::vector<TOwnMenuItem>& ownItems) override;

 private:
  HWND FOwner;
};

}  // namespace hoardscope
