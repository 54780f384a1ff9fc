// The Windows shell's services for the view.
#include "platform/win32/WinShell.h"

#include <shlobj.h>

#include "core/Tools.h"
#include "platform/win32/ShellFileList.h"

namespace hoardscope {
namespace {

// Deletes the files directly in folder (subfolders stay) without asking or showing anything; with allowUndo they
// go to the recycle bin. True when the shell reports success.
bool DeleteFilesWithShell(const std::string& folder, bool allowUndo) {
  const bool endsWithSeparator = !folder.empty() && folder.back() == kPathSeparator;
  const std::string pattern = OneNameList(folder + (endsWithSeparator ? "" : "\\") + "*.*");
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_DELETE;
  operation.pFrom = pattern.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOCONFIRMATION | FOF_FILESONLY | FOF_NOERRORUI;
  if (allowUndo) operation.fFlags |= FOF_ALLOWUNDO;
  return SHFileOperationA(&operation) == 0 && !operation.fAnyOperationsAborted;
}

}  // namespace

int TWinShell::AddFileTypeIcon(const std::string& extension) {
  if (!FTreeImages) return -1;
  SHFILEINFOA info{};
  if (!SHGetFileInfoA(extension.c_str(), FILE_ATTRIBUTE_NORMAL, &info, sizeof info,
                      SHGFI_ICON | SHGFI_SMALLICON | SHGFI_USEFILEATTRIBUTES) ||
      !info.hIcon) {
    return -1;
  }
  const int index = ImageList_ReplaceIcon(FTreeImages, -1, info.hIcon);
  DestroyIcon(info.hIcon);  // the image list keeps its own copy
  return index;
}

std::string TWinShell::InternetCacheFolder() {
  char path[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, path, CSIDL_INTERNET_CACHE, FALSE)) return std::string();
  return path;
}

bool TWinShell::DeleteFilesIn(const std::string& folder) { return DeleteFilesWithShell(folder, false); }

bool TWinShell::MoveFilesToTrash(const std::string& folder) { return DeleteFilesWithShell(folder, true); }

}  // namespace hoardscope
