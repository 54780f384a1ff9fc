// What every file copier owes the script's download object, as one typed GoogleTest suite, run against each
// edition's copier:
//
//   INSTANTIATE_TYPED_TEST_SUITE_P(Linux, FileCopierContract, ::testing::Types<TLinuxCopierBackend>);
//
// A backend type is default-constructible and offers `IFileCopier& Copier();`. What asking before replacing does
// is the edition's own (a question of ours, the shell's dialog), so only copies that ask nobody are here.
// Portable: the Windows build compiles and runs it too.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "platform/ports/FileCopier.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {

template <typename TBackend>
class FileCopierContract : public ::testing::Test {
 protected:
  IFileCopier& Copier() { return Backend.Copier(); }
  std::string Path(const std::string& name) { return (Folder.Path / name).string(); }

  TTempFolder Folder{"copier"};
  TBackend Backend;
};

TYPED_TEST_SUITE_P(FileCopierContract);

TYPED_TEST_P(FileCopierContract, ComparesContentAndCopiesWithoutAsking) {
  WriteFile(this->Path("a"), "cached");
  WriteFile(this->Path("b"), "cached");
  WriteFile(this->Path("c"), "cache!");
  EXPECT_TRUE(this->Copier().FileExists(this->Path("a")));
  EXPECT_FALSE(this->Copier().FileExists(this->Folder.Path.string()));
  EXPECT_FALSE(this->Copier().FileExists(this->Path("missing")));
  EXPECT_FALSE(this->Copier().FileExists(""));
  EXPECT_TRUE(this->Copier().SameContent(this->Path("a"), this->Path("b")));
  EXPECT_FALSE(this->Copier().SameContent(this->Path("a"), this->Path("c")));
  EXPECT_FALSE(this->Copier().SameContent(this->Path("a"), this->Path("missing")));

  this->Copier().Copy(this->Path("a"), this->Path("new"), false);
  this->Copier().Copy(this->Path("c"), this->Path("b"), false);  // told to replace quietly
  EXPECT_EQ("cached", ReadFile(this->Path("new")));
  EXPECT_EQ("cache!", ReadFile(this->Path("b")));
  EXPECT_EQ("cached", ReadFile(this->Path("a")));
}

REGISTER_TYPED_TEST_SUITE_P(FileCopierContract, ComparesContentAndCopiesWithoutAsking);

}  // namespace hoardscope
