// The shell's folder picker and file copy for scripted downloads on Windows.
#pragma once

#include "platform/ports/FileCopier.h"
#include "platform/ports/FolderPicker.h"

namespace hoardscope {

// SHBrowseForFolderA rooted at the desktop, without owner, flags or callback.
class TWinFolderPicker : public IFolderPicker {
 public:
  std::optional<std::string> PickFolder(const std::string& title) override;
};

// SHFileOperationA copies without a progress window; replacing a file goes through the shell's own
// confirmation when asked for.
class TWinFileCopier : public IFileCopier {
 public:
  bool FileExists(const std::string& path) override;
  bool SameContent(const std::string& first, const std::string& second) override;
  void Copy(const std::string& source, const std::string& target, bool askBeforeReplacing) override;
};

}  // namespace hoardscope
