// The dialogs of libhoardscope.so: the folder picker of scripted downloads, the question before replacing a
// file, and the message of a failed creation. They appear when the module's process has a display (with the
// host's Qt application, or one the module makes); without a display they are answered on standard error.
#pragma once

#include <optional>
#include <string>

#include "platform/ports/FolderPicker.h"

namespace hoardscope {

// Qt's folder dialog, starting at the home folder. Without a display: cancelled, with a note on standard error.
class TModuleFolderPicker : public IFolderPicker {
 public:
  std::optional<std::string> PickFolder(const std::string& title) override;
};

// Asks whether to replace the different file at target; nullopt without a display.
std::optional<bool> AskReplaceFile(const std::string& target);

// Shows the text of a failure with the stop icon (and always on standard error).
void ShowModuleError(const std::string& text);

}  // namespace hoardscope
