// The shell port on Windows: file-type icons of the shell, the internet-cache special folder, the size a
// directory search reports, and deleting the files of a folder with the shell's file operation.
#pragma once

#include "com/ComTypes.h"
#include "platform/ports/Shell.h"

#include <commctrl.h>

namespace hoardscope {

class TWinShell : public IShell {
 public:
  // treeImages: the tree's image list, which AddFileTypeIcon appends to; without one no icon is added.
  explicit TWinShell(HIMAGELIST treeImages = nullptr) : FTreeImages(treeImages) {}

  // The shell's small icon of the file type (SHGetFileInfoA by extension, no file needed), appended with
  // ImageList_ReplaceIcon.
  int AddFileTypeIcon(const std::string& extension) override;
  std::string InternetCacheFolder() override;
  // SHFileOperationA deletes what folder\*.* matches, files only, silently: for good, or to the recycle bin.
  bool DeleteFilesIn(const std::string& folder) override;
  bool MoveFilesToTrash(const std::string& folder) override;

 private:
  HIMAGELIST FTreeImages;
};

}  // namespace hoardscope
