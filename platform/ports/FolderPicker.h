// The folder picker port: the platform's dialog in which the user chooses a folder of the file system.
#pragma once

#include <optional>
#include <string>

namespace hoardscope {

class IFolderPicker {
 public:
  virtual ~IFolderPicker() = default;
  // Shows the picker with this title, rooted at the desktop, without an owner window, and waits for the user.
  // The chosen folder's path as the platform gives it; nullopt when the user cancels, or chooses an item that
  // has no file-system path.
  virtual std::optional<std::string> PickFolder(const std::string& title) = 0;
};

}  // namespace hoardscope
