// The Search and Clear Search actions: which entries are found, the "Search Result" branch and its life, and a
// search the user stops.
#include <condition_variable>
#include <mutex>

#include "search/Search.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

class SearchRunTest : public ViewFixture {
 protected:
  void SetUp() override { Registry.CreateKey(RegistryRoot::LocalMachine, kSearchHistoryKey); }

  void AddPage(const std::string& url, const std::string& content, const std::string& type = "text/html") {
    AddEntry(url, type, content.size(), WriteFile(std::to_string(++FFiles) + ".htm", content));
  }

  // Selects the node and searches it as the dialog would be answered.
  void Search(TTreeNode* node, const std::string& text, bool wholeCache = false, bool caseSensitive = false) {
    View().TreeView1Change(node);
    Dialogs.OnSearch = [&](TfrmSearch& dialog) {
      dialog.cbSearchText = text;
      dialog.chkSense = caseSensitive;
      dialog.rbFEntireCache = wholeCache;
      if (wholeCache) dialog.rbFEntireCacheClick();
      dialog.btnSearchClick();
    };
    View().Execute(TActionId::alSearch);
  }

  TTreeNode* Host(const std::string& caption) { return Child(View().State().RootNode, caption); }

  int FFiles = 0;
};

TEST_F(SearchRunTest, FindsTextPagesBelowTheSelectedHostOnly) {
  AddPage("http://ab/1.htm", "a Needle here");
  AddPage("http://ab/2.htm", "nothing");
  AddPage("http://abc/3.htm", "needle too");
  AddPage("http://ab/pic.gif", "needle", "image/gif");
  Load();
  Search(Host("ab"), "needle");
  ASSERT_TRUE(View().State().SearchNode);
  EXPECT_EQ(View().State().SearchList.Count(), 1u);
  EXPECT_EQ(View().State().SearchList[0].Key, "http://ab/1.htm");
  EXPECT_EQ(View().State().SearchList[0].Info, View().State().EntryList[0].Info);  // the records are shared
  EXPECT_EQ(View().StatusText(0), "Found 1 items");
  EXPECT_TRUE(View().State().Actions[TActionId::alClearSearch].Enabled);
}

TEST_F(SearchRunTest, TheWholeCacheAndTheRootSearchEverything) {
  AddPage("http://a/1.htm", "needle");
  AddPage("http://b/2.htm", "NEEDLE");
  AddPage("http://b/3.htm", "needle");
  Load();
  Search(Host("a"), "needle", true);
  EXPECT_EQ(View().State().SearchList.Count(), 3u);
  Search(View().State().RootNode, "NEEDLE", false, true);
  EXPECT_EQ(View().State().SearchList.Count(), 1u);
}

TEST_F(SearchRunTest, BuildsTheBranchAsTheLastTopLevelNodeGroupedByHost) {
  AddPage("http://b/1.htm", "x needle");
  AddPage("http://b/f/2.htm", "needle");
  AddPage("http://a/3.htm", "needle");
  Load();
  Search(View().State().RootNode, "needle");
  TTreeNode* result = View().State().SearchNode;
  ASSERT_EQ(View().State().TreeView1.TopLevelCount(), 2u);
  EXPECT_EQ(View().State().TreeView1.TopLevel(1), result);
  EXPECT_EQ(result->Caption(), "Search Result");
  EXPECT_EQ(result->ImageIndex(), kImageSearch);
  EXPECT_EQ(Captions(result), "a|b");
  TTreeNode* b = Expand(Child(result, "b"));
  EXPECT_EQ(b->ChildCount(), 2u);
  View().TreeView1Change(b->Child(0));
  EXPECT_FALSE(View().State().Actions[TActionId::aLVDelete].Enabled);
}

TEST_F(SearchRunTest, NothingFoundSaysSoLeavesNoBranchAndStillEnablesClear) {
  AddPage("http://a/1.htm", "hay");
  Load();
  Search(View().State().RootNode, "needle");
  EXPECT_EQ(Desktop.Messages, (std::vector<std::string>{"needle not found"}));
  EXPECT_EQ(View().State().SearchNode, nullptr);
  EXPECT_TRUE(View().State().Actions[TActionId::alClearSearch].Enabled);
}

TEST_F(SearchRunTest, AFileLeafAsksForAFolder) {
  AddPage("http://a/1.htm", "needle");
  Load();
  Search(Expand(Host("a"))->Child(0), "needle");
  EXPECT_TRUE(Desktop.Messages.empty());  // the action is disabled on a file
  View().alSearchExecute();
  EXPECT_EQ(Desktop.Messages, (std::vector<std::string>{"Please select a folder first."}));
  EXPECT_EQ(Dialogs.Shown, 0);
}

TEST_F(SearchRunTest, ACancelledDialogKeepsTheEarlierResult) {
  AddPage("http://a/1.htm", "needle");
  Load();
  Search(View().State().RootNode, "needle");
  Dialogs.OnSearch = nullptr;  // closed without Search
  View().Execute(TActionId::alSearch);
  EXPECT_EQ(View().State().SearchList.Count(), 1u);
}

TEST_F(SearchRunTest, UnreadableAndVanishedFilesArePassedOver) {
  AddEntry("http://a/1.htm", "text/html", 5, "/no/such/file.htm");
  AddEntry("http://a/2.htm", "text/html", 5, std::filesystem::temp_directory_path().string());  // a folder
  AddPage("http://a/3.htm", "needle");
  Load();
  Search(View().State().RootNode, "needle");
  EXPECT_EQ(View().State().SearchList.Count(), 1u);
  EXPECT_EQ(Desktop.Cursor, CursorShape::Default);
}

TEST_F(SearchRunTest, TheBranchSurvivesAReloadAndGoesWithClearSearch) {
  AddPage("http://a/1.htm", "needle");
  Load();
  Search(View().State().RootNode, "needle");
  View().ClearView();
  View().Button1Click();
  ASSERT_TRUE(View().State().SearchNode);
  EXPECT_EQ(View().State().SearchList[0].Info->ContentType, "text/html");
  View().TreeView1Change(View().State().SearchNode);
  View().Execute(TActionId::alClearSearch);
  EXPECT_EQ(View().State().SearchNode, nullptr);
  EXPECT_EQ(View().State().TreeView1.TopLevelCount(), 1u);
  EXPECT_FALSE(View().State().Actions[TActionId::alClearSearch].Enabled);
  EXPECT_EQ(View().State().Selected, nullptr);
}

TEST_F(SearchRunTest, TheAgeLimitUsesTheClock) {
  AddPage("http://a/1.htm", "needle");
  Load();
  Clock.Now = 400ULL * 864000000000ULL;  // far later than the entry's time
  View().TreeView1Change(View().State().RootNode);
  Dialogs.OnSearch = [](TfrmSearch& dialog) {
    dialog.cbSearchText = "needle";
    dialog.CheckBox1 = false;
    dialog.CheckBox1Click();
    dialog.rbToday.Checked = true;
    dialog.rbTodayClick();
    dialog.btnSearchClick();
  };
  View().Execute(TActionId::alSearch);
  EXPECT_TRUE(View().State().SearchList.Empty());
}

// A cache that reads the body of a local file named "held..." only once the test releases it.
class THeldCache : public TFakeUrlCache {
 public:
  BodyRead ReadBody(const std::string& localFileName, const BodyPieceSink& sink) override {
    if (localFileName.find("held") != std::string::npos) {
      std::unique_lock lock(FLock);
      FReleased.wait(lock, [this] { return FRelease; });
    }
    return TFakeUrlCache::ReadBody(localFileName, sink);
  }
  void Release() {
    {
      const std::lock_guard guard(FLock);
      FRelease = true;
    }
    FReleased.notify_all();
  }

 private:
  std::mutex FLock;
  std::condition_variable FReleased;
  bool FRelease = false;
};

// The user stops the search once it has handed on the three pages before the one whose body is held: the branch
// shows those three, the status says so, and the body still being read when Stop came is given up.
TEST_F(SearchRunTest, AStoppedSearchKeepsWhatItFoundSoFarAndSaysSo) {
  THeldCache held;
  for (const std::string name : {"a", "b", "c", "held"}) {
    CacheEntryRecord record;
    record.SourceUrl = "http://h/" + name + ".htm";
    record.LocalFileName = WriteFile(name + ".htm", "a needle in " + name);
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    held.Put(record);
  }
  THoardscopeMain view({held, Internet, Registry, Shell, Desktop, Report, &Dialogs, &Clock}, Widgets);
  view.FormShow();
  Desktop.FireTimer();
  view.TreeView1Change(view.State().RootNode);
  Dialogs.OnSearch = [](TfrmSearch& dialog) {
    dialog.cbSearchText = "needle";
    dialog.btnSearchClick();
  };
  bool stopped = false;
  int beats = 0;
  Desktop.OnProcessMessages = [&] {
    if (stopped || ++beats > 2000) {
      held.Release();  // read at the step after the Stop, or after a beat count no working search reaches
    } else if (view.State().SearchList.Count() == 3) {
      view.StopWork();
      stopped = true;
    }
  };
  view.Execute(TActionId::alSearch);
  EXPECT_TRUE(stopped);
  ASSERT_TRUE(view.State().SearchNode);
  std::vector<std::string> found;
  for (const TEntryItem& item : view.State().SearchList.Items()) found.push_back(item.Key);
  EXPECT_EQ(found, (std::vector<std::string>{"http://h/a.htm", "http://h/b.htm", "http://h/c.htm"}));
  EXPECT_EQ(view.StatusText(0), "Search stopped: found 3 items");
  EXPECT_TRUE(Desktop.Messages.empty());
  ASSERT_FALSE(Widgets.Progress.empty());
  for (const TProgressState& shown : Widgets.Progress) {
    if (shown.Caption != "Searching") continue;
    EXPECT_LE(shown.Done, shown.Total.value());
    EXPECT_EQ(shown.Total, 4u);
  }
  EXPECT_FALSE(Widgets.ProgressShown);
}

}  // namespace
}  // namespace hoardscope
