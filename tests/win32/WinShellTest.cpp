// The shell layer under Wine: the portable file-name helpers against the shell's own on the same inputs, and the
// shell's services the view uses (special folder, item size, deleting the files of a folder).
#include <shlwapi.h>
// The shell's names stand for its A functions here, not for the portable helpers of the same names.
#undef PathFindFileName
#undef PathFindExtension
#undef PathUndecorate

#include <algorithm>
#include <vector>

#include "core/Tools.h"
#include "platform/win32/WinShell.h"
#include "tests/win32/WineSupport.h"

namespace hoardscope::win32 {
namespace {

const char* const kPaths[] = {
    "",          "page.htm",         "C:\\cache\\AB12\\page[2].htm", "C:\\cache\\logo[1]",  "dir\\",
    "dir\\\\x",  "a/b.gif",          "a/",                           "C:",                  "C:\\",
    "x\\:",      "x\\:y",            "a::b",                         "\\",                  ".hidden",
    "a.b c",     "a.b\\c",           "archive.tar.gz",               "photo.JPG",           "page[].htm",
    "[1].gif",   "dir\\[1].gif",     "a[12]",                        "a[1x].gif",           "a[1]b.gif",
    "a]1[.gif",  "5].gif",           "page[2].htm?x=1",              "d.d\\[3]",            "a[1].b[2].c",
};

TEST(PathHelpersTest, FileNamePartAgreesWithTheShell) {
  for (const char* path : kPaths) EXPECT_EQ(PathFindFileNameA(path), PathFindFileName(path)) << path;
}

TEST(PathHelpersTest, ExtensionAgreesWithTheShell) {
  for (const char* path : kPaths) EXPECT_EQ(PathFindExtensionA(path), PathFindExtension(path)) << path;
}

TEST(PathHelpersTest, UndecorationAgreesWithTheShell) {
  for (const char* path : kPaths) {
    char undecorated[MAX_PATH] = {};
    lstrcpynA(undecorated, path, MAX_PATH);
    PathUndecorateA(undecorated);
    EXPECT_EQ(undecorated, PathUndecorate(path)) << path;
  }
}

class WinShellTest : public ::testing::Test {
 protected:
  // A folder with two files and a subfolder that holds one.
  WinShellTest() : Folder("shell") {
    WriteFile(Folder.Path / "a.htm", "12345");
    WriteFile(Folder.Path / "b", "");
    fs::create_directory(Folder.Path / "sub");
    WriteFile(Folder.Path / "sub" / "kept.gif", "GIF");
  }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::recursive_directory_iterator(Folder.Path)) {
      names.push_back(fs::relative(entry.path(), Folder.Path).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TNoDesktopWithoutDisplay FNoDesktop;
  TTempFolder Folder;
  TWinShell Shell;
};

TEST_F(WinShellTest, DeletingTheFilesOfAFolderKeepsItsSubfolders) {
  EXPECT_TRUE(Shell.DeleteFilesIn(Folder.Path.string() + "\\"));  // as the staging folder is named
  EXPECT_EQ((std::vector<std::string>{"sub", "sub/kept.gif"}), Names());
}

TEST_F(WinShellTest, MovingTheFilesToTheRecycleBinKeepsSubfolders) {
  Shell.MoveFilesToTrash(Folder.Path.string());
  EXPECT_EQ((std::vector<std::string>{"sub", "sub/kept.gif"}), Names());
}

TEST_F(WinShellTest, ItemSizeIsThatOfTheItemItself) {
  EXPECT_EQ(std::optional<std::uint64_t>(5), Shell.ItemSize((Folder.Path / "a.htm").string()));
  EXPECT_TRUE(Shell.ItemSize(Folder.Path.string())) << "a folder is found as an item of its own";
  EXPECT_EQ(std::nullopt, Shell.ItemSize((Folder.Path / "missing").string()));
}

TEST_F(WinShellTest, InternetCacheFolderIsAnAbsolutePath) {
  const std::string folder = Shell.InternetCacheFolder();
  EXPECT_EQ(":\\", folder.substr(1, 2)) << folder;
}

TEST_F(WinShellTest, WithoutAnImageListNoIconIsAdded) { EXPECT_EQ(-1, Shell.AddFileTypeIcon(".gif")); }

}  // namespace
}  // namespace hoardscope::win32
