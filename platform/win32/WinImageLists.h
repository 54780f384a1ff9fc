// TWinImageLists: the view's two image lists of the common controls. ImageList1 holds 16×16 pictures for the
// tree (the four fixed ones; the view's shell adds the file-type icons after them); ImageList3 the 32×32
// pictures of the actions and menus. The pictures are icons in the module's resources.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "platform/win32/UniqueHandle.h"

namespace hoardscope {

inline constexpr int kTreeImageSize = 16;
inline constexpr int kActionImageSize = 32;
inline constexpr int kTreeImageCount = 4;
inline constexpr int kActionImageCount = 10;

// The module whose resources hold the view's pictures and dialogs (the one this code is linked into).
HINSTANCE ResourceModule();

class TWinImageLists {
 public:
  TWinImageLists();

  HIMAGELIST ImageList1() const { return FImageList1.Get(); }
  HIMAGELIST ImageList3() const { return FImageList3.Get(); }

  using TImageList = TUniqueHandle<HIMAGELIST, ImageList_Destroy>;

 private:
  // Owned from their making: a list made before a failure goes with the members made so far.
  TImageList FImageList1;
  TImageList FImageList3;
};

}  // namespace hoardscope
