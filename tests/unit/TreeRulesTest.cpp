// Where entries lie relative to node keys, where a node's scan starts, and the order of tree nodes.
#include <gtest/gtest.h>

#include "core/TreeRules.h"

namespace hoardscope {
namespace {

TEST(ClassifyEntry, SeparatesFilesSubfoldersAndOutsiders) {
  EXPECT_EQ(ClassifyEntry("h", "http://h/z.htm"), TEntryPlace::epInFolder);
  EXPECT_EQ(ClassifyEntry("h", "http://h/a/x.gif"), TEntryPlace::epInSubfolder);
  EXPECT_EQ(ClassifyEntry("h/a", "HTTP://H/A/x.gif"), TEntryPlace::epInFolder);
  EXPECT_EQ(ClassifyEntry("h", "http://h/p.php?u=1/2"), TEntryPlace::epInFolder);  // a slash in the query
  EXPECT_EQ(ClassifyEntry("h", "http://hx/a.gif"), TEntryPlace::epOutside);
  EXPECT_EQ(ClassifyEntry("h/a", "http://h/ab/x.gif"), TEntryPlace::epOutside);
  EXPECT_EQ(ClassifyEntry("h/", "http://h/x.gif"), TEntryPlace::epInFolder);      // no second "/" added
  EXPECT_EQ(ClassifyEntry("h", "///temp"), TEntryPlace::epOutside);
}

TEST(SubfolderName, TakesTheNextSegmentOrAnEmptySegmentsWholeRest) {
  EXPECT_EQ(SubfolderName("h/", "http://h/a/b/y.gif"), "a");
  EXPECT_EQ(SubfolderName("http://h/a/", "http://h/a/b/y.gif"), "b");
  EXPECT_EQ(SubfolderName("h/", "http://h//x/y"), "/x/y");
}

TEST(FindFirstIndex, NeedsTheSlashAfterTheKey) {
  TEntryList list;
  for (const char* key : {"http://ab.cd/1", "http://ab/1", "http://ab/2", "http://abc/1"}) {
    list.Add(key, std::make_shared<TURLInfo>());
  }
  EXPECT_EQ(FindFirstIndex("ab", list), 1u);
  EXPECT_EQ(FindFirstIndex("AB", list), 1u);
  EXPECT_EQ(FindFirstIndex("abc", list), 3u);
  EXPECT_EQ(FindFirstIndex("zz", list), kNoRun);
  EXPECT_TRUE(IsUnderNodeKey("ab", "HTTP://AB/2"));
  EXPECT_FALSE(IsUnderNodeKey("ab", "http://ab"));
  EXPECT_FALSE(IsUnderNodeKey("a", "http://ab/1"));
}

TEST(CompareNodes, PutsFilesFirstThenCaptionsByteByByte) {
  TTreeModel tree;
  TTreeNode* zeta = tree.AddFolderChild(nullptr, TNodeKind::Host, "Zeta", "Zeta");
  TTreeNode* alpha = tree.AddFolderChild(nullptr, TNodeKind::Host, "alpha", "alpha");
  EXPECT_LT(CompareNodes(*zeta, *alpha), 0);  // capitals sort before small letters

  tree.AddChild(zeta, TNodeKind::Placeholder, kPlaceholderCaption, 0);
  EXPECT_GT(CompareNodes(*zeta, *alpha), 0);  // a node with children sorts among the folders
  EXPECT_LT(CompareNodes(*alpha, *zeta), 0);
  EXPECT_EQ(CompareNodes(*alpha, *alpha), 0);

  TTreeNode* high = tree.AddFolderChild(nullptr, TNodeKind::Host, "\xC3\xA9t\xC3\xA9", "x");
  EXPECT_LT(CompareNodes(*alpha, *high), 0);  // bytes compare unsigned
}

TEST(TreeModel, SortsEveryLevelAndKeepsRowsCurrent) {
  TTreeModel tree;
  TTreeNode* root = tree.AddChild(nullptr, TNodeKind::Root, "Hoardscope", 2);
  TTreeNode* b = tree.AddFolderChild(root, TNodeKind::Host, "b", "b");
  tree.AddFileChild(b, "z.htm", 0, 4);
  tree.AddFileChild(b, "Index.htm", 1, 4);
  tree.AddFolderChild(root, TNodeKind::Host, "a", "a");
  tree.SortAll(NodeLess);
  EXPECT_EQ(root->Child(0)->Caption(), "a");
  EXPECT_EQ(root->Child(1), b);
  EXPECT_EQ(b->Row(), 1u);
  EXPECT_EQ(b->Child(0)->Caption(), "Index.htm");
  tree.Delete(root->Child(0));
  EXPECT_EQ(b->Row(), 0u);
  EXPECT_EQ(b->Child(1)->Depth(), 2u);
}

}  // namespace
}  // namespace hoardscope
