// Folder picker and file copy through the Windows shell.
#include "platform/win32/WinShellServices.h"

#include <algorithm>
#include <fstream>
#include <iterator>

#include "com/ComTypes.h"
#include "platform/win32/ShellFileList.h"

namespace hoardscope {
namespace {

constexpr DWORD kPathLength = 261;

}  // namespace

std::optional<std::string> TWinFolderPicker::PickFolder(const std::string& title) {
  char displayName[kPathLength] = {};
  BROWSEINFOA browse{};
  browse.pszDisplayName = displayName;
  browse.lpszTitle = title.c_str();
  PIDLIST_ABSOLUTE item = SHBrowseForFolderA(&browse);
  if (!item) return std::nullopt;
  char path[kPathLength] = {};
  const BOOL fileSystem = SHGetPathFromIDListA(item, path);
  CoTaskMemFree(item);
  // An item without a file-system path (a printer, the control panel) counts as a cancel.
  if (!fileSystem || !path[0]) return std::nullopt;
  return std::string(path);
}

bool TWinFileCopier::FileExists(const std::string& path) {
  if (path.empty()) return false;
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool TWinFileCopier::SameContent(const std::string& first, const std::string& second) {
  std::ifstream a(first, std::ios::binary);
  std::ifstream b(second, std::ios::binary);
  if (!a || !b) return false;
  return std::equal(std::istreambuf_iterator<char>(a), std::istreambuf_iterator<char>(),
                    std::istreambuf_iterator<char>(b), std::istreambuf_iterator<char>());
}

void TWinFileCopier::Copy(const std::string& source, const std::string& target, bool askBeforeReplacing) {
  const std::string from = OneNameList(source);
  const std::string to = OneNameList(target);
  SHFILEOPSTRUCTA operation{};
  operation.wFunc = FO_COPY;
  operation.pFrom = from.c_str();
  operation.pTo = to.c_str();
  operation.fFlags = FOF_SILENT | FOF_NOERRORUI | FOF_NOCONFIRMMKDIR;
  if (!askBeforeReplacing) operation.fFlags |= FOF_NOCONFIRMATION;
  SHFileOperationA(&operation);
}

}  // namespace hoardscope
