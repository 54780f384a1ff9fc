// Selecting nodes: command states, navigation to cached copies, folder totals.
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

class SelectionTest : public ViewFixture {
 protected:
  void SetUp() override {
    Browser = std::make_shared<TFakeBrowser>();
    View().SetBrowser(Browser);
  }
  TTreeNode* ExpandedHost(const std::string& caption) { return Expand(Child(View().State().RootNode, caption)); }
  bool Enabled(TActionId action) { return View().State().Actions[action].Enabled; }

  std::shared_ptr<TFakeBrowser> Browser;
};

TEST_F(SelectionTest, AFolderShowsItsCountAndSizeRounded) {
  AddEntry("http://h/a/1", "text/html", 1000);
  AddEntry("http://h/a/2", "text/html", 499);
  AddEntry("http://h/ab/3", "text/html", 7);  // a sibling folder whose name starts alike
  Load();
  TTreeNode* folder = Expand(Child(ExpandedHost("h"), "a"));
  View().TreeView1Change(folder);
  EXPECT_EQ(View().StatusText(1), "Total  2  Files  1  KB Used");
  EXPECT_EQ(Widgets.WindowText, "h/a — Platform cache");
}

TEST_F(SelectionTest, SmallTotalsAreShownInBytesAndLargeOnesDoNotWrap) {
  AddEntry("http://small/1", "text/html", 1000);
  AddEntry("http://big/1", "text/html", 3000000000ULL);
  AddEntry("http://big/2", "text/html", 3000000000ULL);
  Load();
  View().TreeView1Change(ExpandedHost("small"));
  EXPECT_EQ(View().StatusText(1), "Total  1  Files  1000  Byte Used");
  View().TreeView1Change(ExpandedHost("big"));
  EXPECT_EQ(View().StatusText(1), "Total  2  Files  6000000  KB Used");
}

TEST_F(SelectionTest, AFileSendsTheBrowserOfflineToItsSourceUrlOnce) {
  AddEntry("http://h:8080/page.htm");
  AddEntry("http://h/other.htm");
  Load();
  TTreeNode* host = ExpandedHost("h");
  TTreeNode* page = host->Child(1);
  ASSERT_EQ(View().State().EntryList[page->EntryIndex()].Key, "http://h/page.htm");
  View().TreeView1Change(page);
  View().TreeView1Change(page);
  EXPECT_EQ(Browser->Navigations, (std::vector<std::string>{"http://h:8080/page.htm"}));
  EXPECT_EQ(Internet.ForcedOffline, 1);
  EXPECT_EQ(Widgets.FocusRequests, 1);
  View().TreeView1Change(host->Child(0));
  View().TreeView1Change(page);
  EXPECT_EQ(Browser->Navigations.size(), 3u);
}

// A browser that can only be sent to files is sent to a page's shown copy, made after its decoded copy; a copy
// that cannot be had is said, not shown.
TEST_F(SelectionTest, AFileOfABrowsersCacheShowsItsShownCopyOrSaysWhyNot) {
  Cache.Folder = "/home/u/.cache/chromium/Default/Cache/Cache_Data";
  AddEntry("https://h/page.htm", "text/html", 100, "/copies/1/page.html");
  AddEntry("https://h/gone.htm", "text/html", 100, "/copies/2/gone.html");
  AddEntry("https://h/half.htm", "text/html", 100, "/copies/3/half.html");
  Load();
  TTreeNode* host = ExpandedHost("h");
  View().TreeView1Change(host->Child(2));
  EXPECT_EQ(Browser->Navigations, (std::vector<std::string>{"/copies/1/page.html.shown"}));
  EXPECT_EQ(Cache.Prepared.back(), "/copies/1/page.html");

  Cache.ShownFailure = "cannot write /copies/3/shown copy/half.html";
  View().TreeView1Change(host->Child(1));
  Cache.PrepareFailure = "br bodies cannot be decoded in this edition.";
  View().TreeView1Change(host->Child(0));
  EXPECT_EQ(Browser->Navigations.size(), 1u);
  EXPECT_EQ(Desktop.Messages, (std::vector<std::string>{"cannot write /copies/3/shown copy/half.html",
                                                        "br bodies cannot be decoded in this edition."}));
}

// A browser that reads the browser's cache itself is sent to the file's URL in the source on show, once, offline,
// after the decoded copy has been made (so that a body that cannot be had is said here). A view without a source
// choice names the platform's.
TEST_F(SelectionTest, AFileOfABrowsersCacheShowsFromItsSourceInABrowserThatReadsIt) {
  Browser->FromSources = true;
  Cache.Folder = "/home/u/.cache/chromium/Default/Cache/Cache_Data";
  AddEntry("https://h/page.htm", "text/html", 100, "/copies/1/page.html");
  Load();
  TTreeNode* page = ExpandedHost("h")->Child(0);
  View().TreeView1Change(page);
  View().TreeView1Change(page);
  EXPECT_EQ(Browser->Navigations, (std::vector<std::string>{"platform https://h/page.htm"}));
  EXPECT_EQ(Cache.Prepared.back(), "/copies/1/page.html");
  EXPECT_EQ(Internet.ForcedOffline, 1);
  EXPECT_EQ(Widgets.FocusRequests, 1);
}

TEST_F(SelectionTest, AnOfflineBrowserIsNotForcedAgain) {
  Browser->Offline = true;
  AddEntry("http://h/page.htm");
  Load();
  View().TreeView1Change(ExpandedHost("h")->Child(0));
  EXPECT_EQ(Internet.ForcedOffline, 0);
  EXPECT_EQ(Browser->Navigations.size(), 1u);
}

TEST_F(SelectionTest, WithoutABrowserOnlyTheCommandStatesChange) {
  View().SetBrowser(nullptr);
  AddEntry("http://h/page.htm");
  Load();
  View().TreeView1Change(ExpandedHost("h")->Child(0));
  EXPECT_TRUE(View().State().LastURL.empty());
  EXPECT_TRUE(Enabled(TActionId::aLVCopyURL));
  EXPECT_FALSE(Enabled(TActionId::alExport));
  EXPECT_FALSE(Enabled(TActionId::alSearch));
  EXPECT_TRUE(Enabled(TActionId::aLVDelete));
}

TEST_F(SelectionTest, ANavigationErrorIsSwallowedAfterLastURLIsSet) {
  Browser->FailNavigate = true;
  AddEntry("http://h/page.htm");
  Load();
  View().TreeView1Change(ExpandedHost("h")->Child(0));
  EXPECT_EQ(View().State().LastURL, "http://h/page.htm");
  EXPECT_EQ(Widgets.FocusRequests, 0);
}

// Every selection shows its own totals: the root all files, a file itself.
TEST_F(SelectionTest, TheRootDisablesExportAndDeleteAndTotalsEveryFile) {
  AddEntry("http://h/page.htm", "text/html", 600);
  AddEntry("http://other/page.htm", "text/html", 25000);
  Load();
  View().TreeView1Change(ExpandedHost("h"));
  EXPECT_TRUE(Enabled(TActionId::alExport));
  EXPECT_TRUE(Enabled(TActionId::alSearch));
  EXPECT_FALSE(Enabled(TActionId::aLVCopyURL));
  EXPECT_EQ(View().StatusText(1), "Total  1  Files  600  Byte Used");
  View().TreeView1Change(View().State().RootNode);
  EXPECT_FALSE(Enabled(TActionId::alExport));
  EXPECT_FALSE(Enabled(TActionId::aLVDelete));
  EXPECT_TRUE(Enabled(TActionId::alSearch));
  EXPECT_EQ(View().StatusText(1), "Total  2  Files  26  KB Used");
  View().TreeView1Change(ExpandedHost("other")->Child(0));
  EXPECT_EQ(View().StatusText(1), "Total  1  Files  25  KB Used");
  EXPECT_FALSE(Enabled(TActionId::alSearch));
  View().TreeView1Change(View().State().RootNode);
  EXPECT_TRUE(Enabled(TActionId::alSearch)) << "the root searches everything, whatever was selected before";
}

TEST_F(SelectionTest, AFolderWithoutChildrenNavigatesNowhereAndHoldsNoFiles) {
  AddEntry("http://h/a?x=/y/");  // lies under no node key with a "/" after it
  AddEntry("http://h/f/1.htm");
  AddEntry("http://h//e");  // an empty segment: a folder "/e" below which nothing lies
  Load();
  TTreeNode* host = ExpandedHost("h");
  View().TreeView1Change(host);
  TTreeNode* empty = Expand(Child(host, "/e"));
  ASSERT_FALSE(empty->HasChildren());
  View().TreeView1Change(empty);
  EXPECT_EQ(View().StatusText(1), "Total  0  Files  0  Byte Used");
  EXPECT_TRUE(Browser->Navigations.empty());
  EXPECT_TRUE(Enabled(TActionId::aLVCopyURL));
}

TEST(ActionTable, StartsWithCopyUrlAndClearSearchDisabled) {
  const TActionList actions;
  for (const TAction& action : actions.All()) {
    const bool startsDisabled = action.Id == TActionId::aLVCopyURL || action.Id == TActionId::alClearSearch;
    EXPECT_EQ(action.Enabled, !startsDisabled) << action.Name;
  }
  EXPECT_EQ(actions[TActionId::alSearch].ShortCut, 16467);
  EXPECT_EQ(kFilesMenu[2].Action, std::nullopt);
  EXPECT_EQ(kHelpMenu[2].Action, TActionId::alAbout);
}

TEST(ActionTable, KeyPressesFindTheActionsOfTheirStoredShortcuts) {
  const TActionList actions;
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf('O', false, true, false)), TActionId::alOption);
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf('I', false, true, false)), TActionId::alImport);
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf(46, false, false, false)), TActionId::aLVDelete);
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf(112, false, false, false)), TActionId::alHelp);
  // The modifiers belong to the shortcut: a plain O, Shift+Del or Ctrl+Alt+S run nothing.
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf('O', false, false, false)), std::nullopt);
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf(46, true, false, false)), std::nullopt);
  EXPECT_EQ(actions.ActionForShortCut(ShortCutOf('S', false, true, true)), std::nullopt);
  EXPECT_EQ(actions.ActionForShortCut(kShortCutNone), std::nullopt);
}

TEST(ActionTable, ShortcutTextsNameTheModifiersAndTheKey) {
  EXPECT_EQ(ShortCutText(kShortCutDel), "Del");
  EXPECT_EQ(ShortCutText(kShortCutCtrlS), "Ctrl+S");
  EXPECT_EQ(ShortCutText(kShortCutF1), "F1");
  EXPECT_EQ(ShortCutText(ShortCutOf(123, true, false, true)), "Shift+Alt+F12");
  EXPECT_EQ(ShortCutText(kShortCutNone), "");
  EXPECT_EQ(ShortCutText(ShortCutOf(0x21, false, true, false)), "");  // a key without a name shows nothing
}

}  // namespace
}  // namespace hoardscope
