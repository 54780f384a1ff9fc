// The shell port: the platform's file-type icons, special folders and facts about file-system items.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace hoardscope {

class IShell {
 public:
  virtual ~IShell() = default;

  // Appends the shell's small icon of files with this extension (".gif", or "" for a file without type) to the
  // tree's image list. Returns the new image index, or -1 when no icon could be added.
  virtual int AddFileTypeIcon(const std::string& extension) = 0;

  // The folder of the platform's internet cache (the special folder CSIDL_INTERNET_CACHE).
  virtual std::string InternetCacheFolder() = 0;

  // Removes the files directly in folder for good; subfolders stay. False when the folder could not be read.
  virtual bool DeleteFilesIn(const std::string& folder) = 0;
  // Moves the files directly in folder to the desktop's recycle bin (trash), where the user can restore them;
  // subfolders stay. False when a file could not be moved.
  virtual bool MoveFilesToTrash(const std::string& folder) = 0;
};

}  // namespace hoardscope
