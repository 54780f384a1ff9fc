// The Linux edition's shell: file-type icons by extension for the tree's image list, the internet-cache folder
// (the cache store's root) and what a directory listing says of an item.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "platform/ports/Shell.h"

namespace hoardscope {

// Pictures of the tree's image list before any file-type icon is added.
inline constexpr int kFixedTreeImages = 4;

// Moves a file or a folder with everything in it to the freedesktop.org trash of the user's data folder, where a
// file manager can restore it. False when it could not be moved; then it stays where it was.
bool MoveToTrash(const std::filesystem::path& item);

class TLinuxShell : public IShell {
 public:
  explicit TLinuxShell(std::filesystem::path cacheRoot);

  // Appends an image for files with this extension; the widgets draw it from the desktop's icon theme.
  int AddFileTypeIcon(const std::string& extension) override;
  std::string InternetCacheFolder() override;
  bool DeleteFilesIn(const std::string& folder) override;
  // The freedesktop.org trash of the user's data folder: each file goes to Trash/files with its record in
  // Trash/info, so that a file manager can restore it.
  bool MoveFilesToTrash(const std::string& folder) override;

  // The extensions of the images added so far; image kFixedTreeImages + i shows FileTypeIcons()[i].
  const std::vector<std::string>& FileTypeIcons() const { return FFileTypeIcons; }

 private:
  std::filesystem::path FCacheRoot;
  std::vector<std::string> FFileTypeIcons;
};

}  // namespace hoardscope
