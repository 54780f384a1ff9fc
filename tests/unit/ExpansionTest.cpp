// Lazy expansion of hosts and folders, file captions and icons, collapse.
#include "presenter/NodeLookup.h"
#include "search/Search.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

class ExpansionTest : public ViewFixture {
 protected:
  TTreeNode* Host(const std::string& caption) { return Child(View().State().RootNode, caption); }
};

TEST_F(ExpansionTest, ShowsFilesBeforeFoldersOneLevelAtATime) {
  AddEntry("http://h/a/x.gif", "image/gif", 1, WriteFile("x[1].gif", "GIF89a"));
  AddEntry("http://h/a/b/y.gif", "image/gif", 1, WriteFile("y.gif", "GIF89a"));
  AddEntry("http://h/z.htm", "text/html", 1, WriteFile("z.htm", "<title>Zed</title>"));
  Load();
  TTreeNode* host = Expand(Host("h"));
  EXPECT_EQ(Captions(host), "Zed|a");
  EXPECT_EQ(host->ImageIndex(), kImageFolderOpen);
  TTreeNode* folder = Expand(Child(host, "a"));
  EXPECT_EQ(folder->Key(), "h/a");
  EXPECT_EQ(Captions(folder), "x.gif|b");
  EXPECT_EQ(Child(folder, "b")->Key(), "h/a/b");
  EXPECT_EQ(Child(folder, "b")->Child(0)->Kind(), TNodeKind::Placeholder);
  EXPECT_EQ(folder->Child(0)->EntryIndex(), 1u);  // http://h/a/b/y.gif sorts before http://h/a/x.gif
}

TEST_F(ExpansionTest, AFileTipsItsUrlAndTheStatusOfACachedErrorResponse) {
  AddEntry("http://h/page.htm");
  CacheEntryRecord missing;
  missing.SourceUrl = "http://h:8080/gone.htm";
  missing.HeaderInfo = "HTTP/1.1 404 Not Found\r\nContent-Type: text/html\r\n\r\n";
  Cache.Put(missing);
  Load();
  TTreeNode* host = Expand(Host("h"));
  ASSERT_EQ(host->ChildCount(), 2u);
  EXPECT_EQ(View().ToolTipOf(host->Child(0)), "http://h:8080/gone.htm\nHTTP/1.1 404 Not Found");
  EXPECT_EQ(View().ToolTipOf(host->Child(1)), "http://h/page.htm");
  EXPECT_EQ(View().ToolTipOf(host), "");
}

TEST_F(ExpansionTest, HandlesQueriesEmptySegmentsAndDuplicateKeys) {
  AddEntry("http://h/p.php?u=1/2");
  AddEntry("http://h//x/y");
  AddEntry("http://h:81/dup.htm");
  AddEntry("http://h:82/dup.htm");
  Load();
  TTreeNode* host = Expand(Host("h"));
  ASSERT_EQ(host->ChildCount(), 4u);
  EXPECT_EQ(host->Child(3)->Caption(), "/x/y");
  EXPECT_EQ(host->Child(3)->Key(), "h//x/y");
  EXPECT_EQ(host->Child(0)->Kind(), TNodeKind::File);
  EXPECT_EQ(host->Child(1)->Kind(), TNodeKind::File);
  EXPECT_EQ(host->Child(2)->Kind(), TNodeKind::File);  // p.php?u=1/2 is a file directly under h
}

TEST_F(ExpansionTest, AKeyEndingInASlashIsBelowTheSameNodeForExpansionTotalsSearchAndLookup) {
  AddEntry("http://a/1.htm", "text/html", 100, WriteFile("a1.htm", "needle"));  // a host sorted before h
  AddEntry("http://h//", "text/html", 100, WriteFile("h-root.htm", "needle"));
  AddEntry("http://h//x", "text/html", 100, WriteFile("h-x.htm", "needle"));
  Load();
  const TTreeNode* file = FindNodeByName(View(), "http://h//x", [this](TTreeNode* node) { Expand(node); });
  ASSERT_NE(file, nullptr);
  TTreeNode* folder = file->Parent();
  EXPECT_EQ(folder->Key(), "h//");
  EXPECT_EQ(folder->ChildCount(), 2u);

  View().TreeView1Change(folder);
  EXPECT_EQ(View().StatusText(1), "Total  2  Files  200  Byte Used");
  Dialogs.OnSearch = [](TfrmSearch& dialog) {
    dialog.cbSearchText = "needle";
    dialog.btnSearchClick();
  };
  View().Execute(TActionId::alSearch);
  EXPECT_EQ(View().State().SearchList.Count(), 2u);
}

TEST_F(ExpansionTest, AHostWithoutANameHasNothingToExpand) {
  AddEntry("http:///x.htm");
  Load();
  EXPECT_EQ(Host("")->ChildCount(), 0u);
}

TEST_F(ExpansionTest, ASecondExpansionAddsNothingAndCollapseKeepsChildren) {
  AddEntry("http://h/a.htm");
  AddEntry("http://h/f/b.htm");
  Load();
  TTreeNode* host = Expand(Host("h"));
  View().TreeView1Collapsed(host);
  EXPECT_EQ(host->ImageIndex(), kImageFolderClosed);
  Expand(host);
  EXPECT_EQ(host->ChildCount(), 2u);
  View().TreeView1Collapsed(View().State().RootNode);
  EXPECT_EQ(View().State().RootNode->ImageIndex(), kImageRoot);
}

TEST_F(ExpansionTest, KeepsNeighbouringHostsAndFoldersApart) {
  AddEntry("http://ab.cd/1.htm");
  AddEntry("http://ab/2.htm");
  AddEntry("http://a-b/3.htm");
  AddEntry("http://ab/a-b/4.htm");
  AddEntry("http://ab/a/5.htm");
  AddEntry("http://ab/ab/6.htm");
  Load();
  TTreeNode* ab = Expand(Host("ab"));
  EXPECT_EQ(ab->ChildCount(), 4u);  // 2.htm and the folders a, a-b, ab
  EXPECT_EQ(Expand(Host("ab.cd"))->ChildCount(), 1u);
  EXPECT_EQ(Expand(Child(ab, "a"))->ChildCount(), 1u);
}

// The expansion on its own, over a list whose entries were deleted after its host level was built.
TEST_F(ExpansionTest, PassesOverDeletedEntriesInARun) {
  TEntryList list;
  for (const char* url : {"http://h/1.htm", "http://h/2.htm", "http://h/3.htm"}) {
    auto info = std::make_shared<TURLInfo>();
    info->SourceUrl = url;
    info->Size = 100;
    list.Add(url, info);
  }
  TTreeModel tree;
  std::vector<std::string> iconKeys;
  TFileIcons icons(Shell, Registry, iconKeys);
  TFolderExpansion expansion(Cache, &Converter, icons, tree);
  TTreeNode* root = tree.AddChild(nullptr, TNodeKind::Root, "Hoardscope", kImageRoot);
  expansion.AddHostNodes(list, root);
  ASSERT_EQ(Captions(root), "h");
  list.MarkDeleted(0);  // the first of the run, where the scan starts
  list.MarkDeleted(2);
  EXPECT_EQ(list[0].Key, kDeletionMarker);
  expansion.ExpandFolder(list, root->Child(0));
  ASSERT_EQ(root->Child(0)->ChildCount(), 1u);
  EXPECT_EQ(root->Child(0)->Child(0)->EntryIndex(), 1u);
  EXPECT_EQ(TotalsText(TotalsUnder(list, "h")), "Total  1  Files  100  Byte Used");
}

TEST_F(ExpansionTest, AMissingFileGetsAnEmptyCaption) {
  AddEntry("http://h/gone.htm", "text/html", 1, "/no/such/file.htm");
  Load();
  EXPECT_EQ(Expand(Host("h"))->Child(0)->Caption(), "");
}

TEST_F(ExpansionTest, AsksTheShellForOneIconPerRegisteredExtension) {
  RegisterExtension("image/gif", ".gif");
  RegisterExtension("text/html", ".htm");
  AddEntry("http://h/1.gif", "image/gif");
  AddEntry("http://h/2.gif", "image/gif");
  AddEntry("http://h/3.htm", "text/html; charset=utf-8");  // not a registered type: no extension
  AddEntry("http://h/4.bin", "application/x-unknown");
  Load();
  TTreeNode* host = Expand(Host("h"));
  EXPECT_EQ(Shell.AddedIcons, (std::vector<std::string>{".gif", ""}));
  EXPECT_EQ(host->Child(0)->ImageIndex(), 4);
  EXPECT_EQ(host->Child(1)->ImageIndex(), 4);
  EXPECT_EQ(host->Child(2)->ImageIndex(), 5);
  EXPECT_EQ(host->Child(3)->ImageIndex(), 5);
  EXPECT_EQ(View().State().IconKeys[4], ".gif");
}

// The icon slots on their own, as the expansion asks for them.
class FileIconsTest : public ViewFixture {
 protected:
  std::vector<std::string> Keys;
  TFileIcons Icons{Shell, Registry, Keys};
};

TEST_F(FileIconsTest, AnExtensionKeepsItsSlotWhateverItsCase) {
  EXPECT_EQ(Icons.GetIconIndex(".gif"), 4);
  EXPECT_EQ(Icons.GetIconIndex(".GIF"), 4);
  EXPECT_EQ(Keys[4], ".gif");
  EXPECT_EQ(Shell.AddedIcons, (std::vector<std::string>{".gif"}));
}

TEST_F(FileIconsTest, SlotsNeverGrowPastTheImageList) {
  EXPECT_EQ(Icons.GetIconIndex(""), 4);
  for (int i = 5; i < 512; ++i) EXPECT_EQ(Icons.GetIconIndex("." + std::to_string(i)), i);
  EXPECT_EQ(Icons.GetIconIndex(".new"), 4);  // full: the icon of files without type
  EXPECT_EQ(Keys.size(), kIconSlots);
  EXPECT_EQ(Shell.AddedIcons.size(), 508u);
}

TEST_F(FileIconsTest, AnIconTheShellRefusesGivesNoImage) {
  Shell.RefuseIcons = true;
  EXPECT_EQ(Icons.GetIconIndex(".x"), -1);
  EXPECT_EQ(Keys[4], " ");
}

TEST_F(ExpansionTest, KeepsTheTopRowWhereItWas) {
  AddEntry("http://h/1.htm");
  Load();
  Widgets.TopNode = View().State().RootNode;
  Expand(Host("h"));
  EXPECT_EQ(Widgets.TopNode, View().State().RootNode);
}

TEST_F(ExpansionTest, AHostAtTheEndOfTheListExpandsAndSortsLikeAnyOther) {
  AddEntry("http://a/1.htm");
  AddEntry("http://z/b.htm", "text/html", 1, WriteFile("b.htm", "no title"));
  AddEntry("http://z/A.htm", "text/html", 1, WriteFile("A.htm", "no title"));
  Load();
  EXPECT_EQ(Captions(Expand(Host("z"))), "A.htm|b.htm");
}

}  // namespace
}  // namespace hoardscope
