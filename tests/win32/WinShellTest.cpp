// The shell layer under Wine: the portable file-name helpers against the shell's own on the same inputs, the
// contracts of the shell and the file copier, and what only the Windows shell has (its special folder, no icon
// without an image list).
#include <shlwapi.h>
// The shell's names stand for its A functions here, not for the portable helpers of the same names.
#undef PathFindFileName
#undef PathFindExtension
#undef PathUndecorate

#include <algorithm>
#include <vector>

#include "core/Tools.h"
#include "platform/win32/WinShell.h"
#include "platform/win32/WinShellServices.h"
#include "tests/contract/FileCopierContract.h"
#include "tests/contract/ShellContract.h"
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
  TNoDesktopWithoutDisplay FNoDesktop;
  TWinShell Shell;
};

TEST_F(WinShellTest, InternetCacheFolderIsAnAbsolutePath) {
  const std::string folder = Shell.InternetCacheFolder();
  EXPECT_EQ(":\\", folder.substr(1, 2)) << folder;
}

TEST_F(WinShellTest, WithoutAnImageListNoIconIsAdded) { EXPECT_EQ(-1, Shell.AddFileTypeIcon(".gif")); }

// Without a display the shell's file operations do without Wine's desktop.
struct TWinShellBackend {
  IShell& Shell() { return WinShell; }
  TNoDesktopWithoutDisplay FNoDesktop;
  TWinShell WinShell;
};

struct TWinCopierBackend {
  IFileCopier& Copier() { return WinCopier; }
  TNoDesktopWithoutDisplay FNoDesktop;
  TWinFileCopier WinCopier;
};

}  // namespace
}  // namespace hoardscope::win32

namespace hoardscope {
INSTANTIATE_TYPED_TEST_SUITE_P(WinShell, ShellContract, ::testing::Types<win32::TWinShellBackend>);
INSTANTIATE_TYPED_TEST_SUITE_P(WinShell, FileCopierContract, ::testing::Types<win32::TWinCopierBackend>);
}  // namespace hoardscope
