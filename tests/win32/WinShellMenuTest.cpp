// The shell's context menu on Windows: finding a file or folder in the shell's namespace as the menu needs it,
// and the menu that its handler fills, with the view's own items after the shell's.
#include "platform/win32/WinShellMenu.h"

#include <shlwapi.h>

#include "core/Tools.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

std::string ParsingNameOf(const TShellItem& item) {
  STRRET name{};
  EXPECT_EQ(S_OK, item.Folder->GetDisplayNameOf(item.Item.Get(), SHGDN_FORPARSING, &name));
  char text[MAX_PATH] = {};
  StrRetToBufA(&name, item.Item.Get(), text, MAX_PATH);
  return text;
}

class WinShellMenuTest : public ::testing::Test {
 protected:
  WinShellMenuTest() {
    CoInitialize(nullptr);
    File = (Folder.Path / "Cached Page.htm").string();
    WriteFile(File, "<p>cached");
  }
  ~WinShellMenuTest() override { CoUninitialize(); }

  TTempFolder Folder{"shellmenu"};
  std::string File;
};

TEST_F(WinShellMenuTest, FindsAFileAndAFolderNamedWithABackslashIgnoringLetterCase) {
  const std::optional<TShellItem> file = FindShellItem(UpperAscii(File));
  ASSERT_TRUE(file);
  EXPECT_TRUE(EqualsNoCase(ParsingNameOf(*file), File)) << ParsingNameOf(*file);

  const std::string folder = AddBackslash(Folder.Path.string());
  const std::optional<TShellItem> found = FindShellItem(folder);
  ASSERT_TRUE(found);
  EXPECT_TRUE(EqualsNoCase(AddBackslash(ParsingNameOf(*found)), folder)) << ParsingNameOf(*found);

  EXPECT_FALSE(FindShellItem(Folder.Path.string() + "\\missing.htm"));
  EXPECT_FALSE(FindShellItem(Folder.Path.string() + "\\missing\\page.htm"));
  EXPECT_FALSE(FindShellItem(""));
}

TEST_F(WinShellMenuTest, TheViewsItemsFollowTheShellsEntriesAfterASeparatorAndOutsideTheirRange) {
  const std::optional<TShellItem> file = FindShellItem(File);
  ASSERT_TRUE(file);
  TComPtr<IContextMenu> handler;
  LPCITEMIDLIST items[] = {file->Item.Get()};
  ASSERT_EQ(S_OK, file->Folder->GetUIObjectOf(nullptr, 1, items, IID_IContextMenu, nullptr,
                                              reinterpret_cast<void**>(handler.Out())));
  const TPopupMenu menu = BuildShellMenu(*handler.Get(), {{kCopyURLCommand, "Copy URL"}});
  ASSERT_TRUE(menu);
  const int count = GetMenuItemCount(menu.Get());
  ASSERT_GE(count, 3) << "the shell added no entries";
  EXPECT_EQ(static_cast<UINT>(kCopyURLCommand), GetMenuItemID(menu.Get(), count - 1));
  char caption[64] = {};
  GetMenuStringA(menu.Get(), count - 1, caption, sizeof(caption), MF_BYPOSITION);
  EXPECT_STREQ("Copy URL", caption);
  MENUITEMINFOA separator{};
  separator.cbSize = sizeof(separator);
  separator.fMask = MIIM_FTYPE;
  ASSERT_TRUE(GetMenuItemInfoA(menu.Get(), count - 2, TRUE, &separator));
  EXPECT_TRUE(separator.fType & MFT_SEPARATOR);
  for (int position = 0; position < count - 2; ++position) {
    const UINT id = GetMenuItemID(menu.Get(), position);
    if (id != 0 && id != static_cast<UINT>(-1)) {
      EXPECT_GE(id, kFirstShellCommand);
      EXPECT_LE(id, kLastShellCommand);
      char verb[64] = {};
      handler->GetCommandString(id - kFirstShellCommand, GCS_VERBA, nullptr, verb, sizeof(verb));
      EXPECT_STRNE("cut", verb) << "moving a cached file leaves its entry without it";
      EXPECT_STRNE("rename", verb) << "renaming a cached file leaves its entry without it";
    }
  }
}

}  // namespace
}  // namespace hoardscope::win32
