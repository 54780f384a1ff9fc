// What every shell backend owes the view of the files it shows, as one typed GoogleTest suite, run against each
// edition's shell:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Linux, ShellContract, ::testing::Types<TLinuxShellBackend>);
//
// A backend type is default-constructible and offers `IShell& Shell();`; a backend whose trash is the user's
// keeps the test's files out of it while it lives. Portable: the Windows build compiles and runs it too.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Tools.h"
#include "platform/ports/Shell.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {

template <typename TBackend>
class ShellContract : public ::testing::Test {
 protected:
  // A folder with two files and a subfolder that holds one.
  ShellContract() {
    WriteFile(Folder.Path / "a.htm", "12345");
    WriteFile(Folder.Path / "b", "");
    std::filesystem::create_directory(Folder.Path / "sub");
    WriteFile(Folder.Path / "sub" / "kept.gif", "GIF");
  }

  IShell& Shell() { return Backend.Shell(); }

  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(Folder.Path)) {
      names.push_back(std::filesystem::relative(entry.path(), Folder.Path).generic_string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  TTempFolder Folder{"shell"};
  TBackend Backend;
};

TYPED_TEST_SUITE_P(ShellContract);

TYPED_TEST_P(ShellContract, DeletingTheFilesOfAFolderKeepsItsSubfolders) {
  EXPECT_TRUE(this->Shell().DeleteFilesIn(this->Folder.Path.string() + kPathSeparator));  // as the staging folder
  EXPECT_EQ((std::vector<std::string>{"sub", "sub/kept.gif"}), this->Names());
}

TYPED_TEST_P(ShellContract, MovingTheFilesToTheTrashKeepsSubfolders) {
  this->Shell().MoveFilesToTrash(this->Folder.Path.string());
  EXPECT_EQ((std::vector<std::string>{"sub", "sub/kept.gif"}), this->Names());
}

REGISTER_TYPED_TEST_SUITE_P(ShellContract, DeletingTheFilesOfAFolderKeepsItsSubfolders,
                            MovingTheFilesToTheTrashKeepsSubfolders);

}  // namespace hoardscope
