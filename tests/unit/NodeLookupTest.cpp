// Finding nodes by name: folders opened on the way, case rules of node and entry keys, and an expansion that
// fails to open a node ending the search instead of repeating it.
#include "presenter/NodeLookup.h"

#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

class NodeLookupTest : public ViewFixture {
 protected:
  void SetUp() override {
    AddEntry("http://example.com/index.html");
    AddEntry("http://example.com/img/logo.gif", "image/gif");
    AddEntry("http://example.com/img/icons/leaf.png", "image/png");
    AddEntry("http://other.org/a.html");
    Load();
  }

  TTreeNode* Find(const std::string& name) {
    return FindNodeByName(View(), name, [this](TTreeNode* node) {
      Opened.push_back(node->Key());
      Expand(node);
    });
  }

  std::vector<std::string> Opened;
};

TEST_F(NodeLookupTest, OpensEveryFolderOnTheWayToAFileAndNoOther) {
  const TTreeNode* leaf = Find("http://example.com/img/icons/leaf.png");

  ASSERT_NE(nullptr, leaf);
  EXPECT_EQ(TNodeKind::File, leaf->Kind());
  EXPECT_EQ("icons", leaf->Parent()->Caption());
  EXPECT_EQ((std::vector<std::string>{"example.com", "example.com/img", "example.com/img/icons"}), Opened);
}

TEST_F(NodeLookupTest, NodeKeysIgnoreCaseEntryKeysDoNot) {
  const TTreeNode* folder = Find("EXAMPLE.com/IMG");

  ASSERT_NE(nullptr, folder);
  EXPECT_EQ(TNodeKind::Folder, folder->Kind());
  EXPECT_EQ(nullptr, Find("http://example.com/IMG/logo.gif"));
  EXPECT_EQ(nullptr, Find("nowhere.net"));
}

TEST_F(NodeLookupTest, AnExpansionThatDoesNotOpenTheNodeEndsTheSearch) {
  int attempts = 0;
  const TTreeNode* found =
      FindNodeByName(View(), "http://other.org/a.html", [&](TTreeNode*) { ++attempts; });

  EXPECT_EQ(nullptr, found);
  EXPECT_EQ(1, attempts);
}

}  // namespace
}  // namespace hoardscope
