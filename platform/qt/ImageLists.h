// The view's two image lists: ImageList1 (16×16 pictures of the tree, then the file-type icons the shell adds)
// and ImageList3 (32×32 pictures of the actions and menus).
#pragma once

#include <QIcon>
#include <string>
#include <vector>

#include "platform/linux/LinuxShell.h"

namespace hoardscope {

inline constexpr int kTreeImageSize = 16;
inline constexpr int kActionImageSize = 32;
inline constexpr int kActionImageCount = 10;

// One of our own pictures (a file name of the pictures compiled into the module, "globe.svg"), drawn at size×size.
QIcon DrawnPicture(const char* fileName, int size);

class TImageLists {
 public:
  // shell: whose FileTypeIcons() name the file-type images from index kFixedTreeImages on.
  explicit TImageLists(const TLinuxShell& shell);

  // ImageList1: 0 closed folder, 1 open folder, 2 globe, 3 globe with a red pointer, then the file types the shell
  // added. A null icon for -1 and for indexes the list doesn't hold.
  QIcon TreeImage(int index);
  // ImageList3; a null icon for indexes the list doesn't hold.
  QIcon ActionImage(int index) const;

  // The desktop icon theme's icon of files with this extension (".gif", or "" for a file without type), by the
  // MIME type the extension stands for; the generic file icon when the theme has none.
  static QIcon FileTypeIcon(const std::string& extension);

 private:
  const TLinuxShell& FShell;
  std::vector<QIcon> FTreeImages;  // the fixed pictures, then each file type's icon once it was asked for
  std::vector<QIcon> FActionImages;
};

}  // namespace hoardscope
