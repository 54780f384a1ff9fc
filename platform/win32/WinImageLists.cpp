// The view's image lists over the module's icons.
#include "platform/win32/WinImageLists.h"

#include "platform/win32/ViewResources.h"

namespace hoardscope {
namespace {

constexpr int kImageListGrowth = 4;

TWinImageLists::TImageList LoadIconList(int firstId, int count, int size) {
  TWinImageLists::TImageList list(ImageList_Create(size, size, ILC_COLOR32 | ILC_MASK, count, kImageListGrowth));
  // Blank images first: a picture that cannot be loaded keeps its place and the others their indexes.
  ImageList_SetImageCount(list.Get(), static_cast<UINT>(count));
  for (int i = 0; i < count; ++i) {
    const auto icon = static_cast<HICON>(
        LoadImageA(ResourceModule(), MAKEINTRESOURCEA(firstId + i), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
    if (!icon) continue;
    ImageList_ReplaceIcon(list.Get(), i, icon);
    DestroyIcon(icon);
  }
  return list;
}

}  // namespace

HINSTANCE ResourceModule() {
  HMODULE module = nullptr;
  GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                     reinterpret_cast<LPCSTR>(&ResourceModule), &module);
  return module;
}

TWinImageLists::TWinImageLists()
    : FImageList1(LoadIconList(IDI_TREE_FIRST, kTreeImageCount, kTreeImageSize)),
      FImageList3(LoadIconList(IDI_ACTION_FIRST, kActionImageCount, kActionImageSize)) {}

}  // namespace hoardscope
