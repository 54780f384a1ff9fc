// The shell's context menu of a node: which menu opens, the view's own items, and what the view does when a
// shell command removed the file or the folder the menu was opened for.
#include <fstream>

#include "core/Tools.h"
#include "operations/ExportFile.h"
#include "search/Search.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;
using TKind = TShellMenuChoice::TKind;

class ContextMenuTest : public ViewFixture {
 protected:
  void SetUp() override {
    fs::create_directories(Root / "cache");
    CreateViewWithAppFolder(Root.string());
    Windows.Views.push_back([this](int wParam, int lParam) {
      View().SysCommand(wParam, lParam);
      notices += lParam == kCacheChangedCode;
    });
  }

  std::string AddFile(const std::string& url, const std::string& name) {
    const fs::path file = Root / "cache" / name;
    std::ofstream(file, std::ios::binary) << url;
    AddEntry(url, "text/html", url.size(), file.string());
    return file.string();
  }
  TTreeNode* Host(const std::string& caption) { return Child(View().State().RootNode, caption); }
  std::string OwnCaptions() const {
    std::string captions;
    for (const TOwnMenuItem& item : ShellMenu.Opened.back().OwnItems) captions += "[" + item.Caption + "]";
    return captions;
  }
  void ChooseShellCommand(std::function<void(const std::string&)> command) {
    ShellMenu.Choice = {TKind::ShellCommand, 0};
    ShellMenu.OnShellCommand = std::move(command);
  }

  TTempFolder Folder{"menu"};
  const fs::path Root = Folder.Path;
  int notices = 0;
};

TEST_F(ContextMenuTest, NoMenuOnNoNodeTheRootOrTheSearchNodeAndAMessageBelowIt) {
  AddFile("http://h/page.htm", "page.htm");
  Load();
  Registry.CreateKey(RegistryRoot::LocalMachine, kSearchHistoryKey);
  Dialogs.OnSearch = [](TfrmSearch& dialog) {
    dialog.cbSearchText = "page";
    dialog.btnSearchClick();
  };
  View().TreeView1Change(View().State().RootNode);
  View().Execute(TActionId::alSearch);
  ASSERT_TRUE(View().State().SearchNode);

  View().TreeView1ContextPopup(nullptr);
  View().TreeView1ContextPopup(View().State().RootNode);
  View().TreeView1ContextPopup(View().State().SearchNode);
  EXPECT_TRUE(ShellMenu.Opened.empty());
  EXPECT_TRUE(Desktop.Messages.empty());

  View().TreeView1ContextPopup(View().State().SearchNode->Child(0));
  EXPECT_TRUE(ShellMenu.Opened.empty());
  EXPECT_EQ(Desktop.Messages, (std::vector<std::string>{"A context menu can not popup under a search node"}));
}

// The entry's properties are what the cache keeps of it, beyond the local copy the shell's own items show.
TEST_F(ContextMenuTest, AFileMenuOffersCopyURLAndTheEntrysPropertiesAndCopiesTheEntrysURL) {
  const std::string file = AddFile("http://h/page.htm", "page.htm");
  Load();
  ShellMenu.Choice = {TKind::OwnItem, kCopyURLCommand};
  View().TreeView1ContextPopup(Expand(Host("h"))->Child(0));
  ASSERT_EQ(ShellMenu.Opened.size(), 1u);
  EXPECT_EQ(ShellMenu.Opened[0].Path, file);
  EXPECT_EQ(OwnCaptions(), "[Copy URL][Entry Properties]");
  EXPECT_EQ(Dialogs.Clipboard, "http://h/page.htm");
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/page.htm"));
  EXPECT_EQ(Captions(Host("h")), "page.htm");

  ShellMenu.Choice = {TKind::OwnItem, kEntryPropertiesCommand};
  View().TreeView1ContextPopup(Host("h")->Child(0));
  ASSERT_EQ(Desktop.Messages.size(), 1u);
  EXPECT_NE(Desktop.Messages[0].find("URL: http://h/page.htm\r\n"), std::string::npos) << Desktop.Messages[0];
  EXPECT_NE(Desktop.Messages[0].find("Response Headers:\r\nHTTP/1.1 200 OK\r\nContent-Type: text/html"),
            std::string::npos);
}

TEST_F(ContextMenuTest, AFolderMenuIsTheSaveFolderFilledWithCopiesAndOffersExportFilesOnly) {
  AddFile("http://h/img/a.gif", "a.gif");
  AddFile("http://h/img/b.gif", "b.gif");
  AddFile("http://other/c.gif", "c.gif");
  Load();
  View().TreeView1ContextPopup(Host("h"));  // nothing chosen
  ASSERT_EQ(ShellMenu.Opened.size(), 1u);
  EXPECT_EQ(ShellMenu.Opened[0].Path, View().State().SaveFolder);
  EXPECT_EQ(OwnCaptions(), "[Export Files]");
  EXPECT_TRUE(fs::exists(View().State().SaveFolder + "a.gif"));
  EXPECT_TRUE(fs::exists(View().State().SaveFolder + "b.gif"));
  EXPECT_FALSE(fs::exists(View().State().SaveFolder + "c.gif"));
  EXPECT_EQ(std::distance(fs::directory_iterator(View().State().SaveFolder), fs::directory_iterator()), 2);
  EXPECT_EQ(Desktop.Cursor, CursorShape::Default);
}

TEST_F(ContextMenuTest, ExportFilesExportsTheSetCollectedForTheNode) {
  AddFile("http://h/img/a.gif", "a.gif");
  AddFile("http://h/page.htm", "page.htm");
  Load();
  Dialogs.FileName = (Root / "out.hef").string();
  ShellMenu.Choice = {TKind::OwnItem, kExportFilesCommand};
  View().TreeView1ContextPopup(Child(Expand(Host("h")), "img"));
  EXPECT_EQ(fs::file_size(Root / "out.hef"), kExportRecordSize);
  EXPECT_TRUE(fs::exists(Root / "out" / "a.gif"));
}

TEST_F(ContextMenuTest, AShellCommandThatRemovesTheSaveFolderDeletesTheNodesEntriesAndTellsEveryView) {
  AddFile("http://h/img/a.gif", "a.gif");
  AddFile("http://h/img/sub/b.gif", "b.gif");
  AddFile("http://h/page.htm", "page.htm");
  Load();
  ChooseShellCommand([](const std::string& folder) { fs::rename(folder, folder.substr(0, folder.size() - 1) + " 2"); });
  View().TreeView1ContextPopup(Child(Expand(Host("h")), "img"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/img/a.gif"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/img/sub/b.gif"));
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/page.htm"));
  EXPECT_EQ(Captions(Host("h")), "page.htm");
  EXPECT_EQ(notices, 1);
}

TEST_F(ContextMenuTest, AShellCommandThatRemovesTheCachedFileDropsItsEntryAndNodeWithoutANotice) {
  AddFile("http://h:8080/a/only.htm", "only.htm");  // listed as http://h/a/only.htm
  AddFile("http://k/page.htm", "page.htm");
  Load();
  auto browser = std::make_shared<TFakeBrowser>();
  View().SetBrowser(browser);
  ChooseShellCommand([](const std::string& path) { fs::remove(path); });
  View().TreeView1ContextPopup(Expand(Child(Expand(Host("h")), "a"))->Child(0));
  EXPECT_EQ(browser->Navigations, (std::vector<std::string>{"about:blank"}));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h:8080/a/only.htm"));
  EXPECT_EQ(Captions(View().State().RootNode), "k");  // the emptied folder and host went with it
  EXPECT_EQ(View().State().EntryList[0].Key, kDeletionMarker);
  EXPECT_EQ(notices, 0);
}

TEST_F(ContextMenuTest, AShellCommandThatLeavesTheFileChangesNothing) {
  AddFile("http://h/page.htm", "page.htm");
  Load();
  ChooseShellCommand([](const std::string&) {});
  View().TreeView1ContextPopup(Expand(Host("h"))->Child(0));
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/page.htm"));
  EXPECT_EQ(Captions(Host("h")), "page.htm");
}

TEST_F(ContextMenuTest, FailuresAreReportedOnAFolderMenuAndSwallowedOnAFileMenu) {
  AddFile("http://h/img/a.gif", "a.gif");
  Load();
  ShellMenu.Failure = "The system menu for this file could not be created.";
  View().TreeView1ContextPopup(Child(Expand(Host("h")), "img")->Child(0));
  EXPECT_TRUE(Desktop.Messages.empty());
  View().TreeView1ContextPopup(Child(Host("h"), "img"));
  EXPECT_EQ(Desktop.Messages, (std::vector<std::string>{ShellMenu.Failure}));
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/img/a.gif"));
}

TEST_F(ContextMenuTest, AReloadNoticedWhileTheMenuIsOpenWaitsUntilTheMenusWorkIsDone) {
  AddFile("http://h/img/a.gif", "a.gif");
  Load();
  TTreeNode* folder = Child(Expand(Host("h")), "img");
  ShellMenu.WhileOpen = [&] {
    View().NotifyViews(kCacheChangedCode);
    View().FormActivate();  // the menu's message loop activates the view
    EXPECT_TRUE(Desktop.Messages.empty()) << "the tree was rebuilt under the open menu";
  };
  ChooseShellCommand([](const std::string& folder) { fs::remove_all(folder); });
  View().TreeView1ContextPopup(folder);  // the folder node is used after the menu: it must still be there
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/img/a.gif"));
  EXPECT_TRUE(View().State().ReloadPending);
  View().FormActivate();
  EXPECT_FALSE(View().State().ReloadPending);
  EXPECT_EQ(Captions(View().State().RootNode), "");
}

}  // namespace
}  // namespace hoardscope
