// Deleting entries, exporting them with their export file, copying a URL and opening the help.
#include <algorithm>
#include <fstream>
#include <stdexcept>

#include "core/Tools.h"
#include "operations/EntryDeletion.h"
#include "operations/ExportFile.h"
#include "settings/SettingsStore.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

class EntryOperationsTest : public ViewFixture {
 protected:
  void SetUp() override {
    fs::create_directories(Root / "cache");
    CreateViewWithAppFolder(Root.string());
    Shell.TrashFolder = (Root / "trash").string();
  }

  void AddFile(const std::string& url, const std::string& name, const std::string& content, bool headers = true) {
    const fs::path folder = Root / "cache" / std::to_string(++FFiles);
    fs::create_directories(folder);
    std::ofstream(folder / name, std::ios::binary) << content;
    AddEntry(url, headers ? "text/html" : "", content.size(), (folder / name).string());
  }
  TTreeNode* Host(const std::string& caption) { return Child(View().State().RootNode, caption); }
  void Select(TTreeNode* node) { View().TreeView1Change(node); }

  std::vector<TExportRecord> Records(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::vector<TExportRecord> records;
    TExportRecordBytes bytes;
    while (in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()))) records.push_back(DecodeExportRecord(bytes));
    return records;
  }

  TTempFolder Folder{"ops"};
  const fs::path Root = Folder.Path;
  int FFiles = 0;
};

TEST_F(EntryOperationsTest, DeletingAFolderRemovesItsEntriesAndNotifiesEveryView) {
  AddFile("http://h/img/a.gif", "a.gif", "1");
  AddFile("http://h/img/sub/b.gif", "b.gif", "2");
  AddFile("http://h/img.html", "img.html", "3");
  AddFile("http://h/images/c.gif", "c.gif", "4");
  Load();
  int notices = 0;
  Windows.Views.push_back([&](int, int lParam) { notices += lParam == kCacheChangedCode; });
  TTreeNode* folder = Child(Expand(Host("h")), "img");
  Select(folder);
  View().Execute(TActionId::aLVDelete);
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/img/a.gif"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/img/sub/b.gif"));
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/img.html"));
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/images/c.gif"));
  EXPECT_EQ(View().State().EntryList.Count(), 4u);
  EXPECT_EQ(Captions(Host("h")), "img.html|images");
  EXPECT_EQ(notices, 1);
}

TEST_F(EntryOperationsTest, DeletingTheLastFilePrunesEmptyParentsButNeverTheRoot) {
  AddFile("http://h/a/b/only.htm", "only.htm", "x");
  Load();
  TTreeNode* b = Child(Expand(Child(Expand(Host("h")), "a")), "b");
  Select(Expand(b)->Child(0));
  View().Execute(TActionId::aLVDelete);
  EXPECT_FALSE(View().State().RootNode->HasChildren());
  EXPECT_EQ(View().State().TreeView1.TopLevelCount(), 1u);
  EXPECT_EQ(View().State().EntryList[0].Key, kDeletionMarker);
}

TEST_F(EntryOperationsTest, DeleteNeedsTheTreesFocusAndANodeOutsideTheSearchBranch) {
  AddFile("http://h/a.htm", "a.htm", "x");
  Load();
  Widgets.TreeFocused = false;
  Select(Host("h"));
  View().Execute(TActionId::aLVDelete);
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/a.htm"));
  Widgets.TreeFocused = true;
  View().aLVDeleteExecute(true);
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/a.htm"));
}

// A delete that leaves an entry behind says which and why, and its file stays in the tree.
TEST_F(EntryOperationsTest, ADeleteThatLeavesEntriesBehindSaysWhichAndKeepsTheirFiles) {
  AddFile("http://h/a.htm", "a.htm", "x");
  AddFile("http://h/b.htm", "b.htm", "y");
  Load();
  Cache.DeleteFailure = "the files of an entry could not be removed";
  Select(Child(Expand(Host("h")), "a.htm"));
  View().Execute(TActionId::aLVDelete);
  EXPECT_TRUE(View().State().LastDeleteFailed);
  EXPECT_EQ(Desktop.Messages.back(), "the files of an entry could not be removed");
  EXPECT_EQ(Captions(Host("h")), "a.htm|b.htm");
  Select(Host("h"));
  View().Execute(TActionId::aLVDelete);
  EXPECT_EQ(Desktop.Messages.back(), "2 entries were not deleted:\r\nthe files of an entry could not be removed"
                                     "\r\nthe files of an entry could not be removed");
  EXPECT_EQ(View().State().EntryList[0].Key, "http://h/a.htm");  // still listed, as still cached
  Cache.DeleteFailure.clear();
  View().Button1Click();
  Select(Host("h"));
  View().Execute(TActionId::aLVDelete);
  EXPECT_FALSE(View().State().LastDeleteFailed);
  EXPECT_TRUE(Cache.Entries().empty());
}

TEST_F(EntryOperationsTest, NothingReloadsWhileADeletionLetsMessagesRun) {
  for (int i = 0; i < 3; ++i) AddFile("http://h/" + std::to_string(i) + ".htm", std::to_string(i) + ".htm", "x");
  Load();
  TTreeNode* host = Host("h");
  Select(host);
  Desktop.OnProcessMessages = [this] {
    View().SysCommand(kCacheChangedCommand, kCacheChangedCode);
    View().FormActivate();  // the reload waits until the deletion is over
    View().Execute(TActionId::alOption);
  };
  View().Execute(TActionId::aLVDelete);
  EXPECT_EQ(Dialogs.Shown, 0);
  EXPECT_TRUE(View().State().ReloadPending);
  Desktop.OnProcessMessages = nullptr;
  View().FormActivate();
  EXPECT_FALSE(View().State().ReloadPending);
}

TEST_F(EntryOperationsTest, ExportWritesCopiesAndOneRecordEach) {
  AddFile("http://h/a/logo.gif", "logo.gif", "first");
  AddFile("http://h/b/logo.gif", "logo.gif", "second");
  AddFile("http://h/plain.txt", "plain.txt", "text", false);
  Load();
  Select(Host("h"));
  Dialogs.FileName = (Root / "out").string();  // the ".hef" ending is added
  View().Execute(TActionId::alExport);
  const std::vector<TExportRecord> records = Records(Root / "out.hef");
  ASSERT_EQ(records.size(), 3u);
  EXPECT_EQ(records[0].URL, "http://h/a/logo.gif");
  EXPECT_EQ(records[0].FileName, (Root / "out" / "logo.gif").string());
  EXPECT_EQ(records[1].FileName, (Root / "out" / "hstemp1.gif").string());
  std::string second;
  std::ifstream(records[1].FileName) >> second;
  EXPECT_EQ(second, "second");
  EXPECT_EQ(records[0].Headers, "HTTP/1.1 200 OK\r\nContent-Type: text/html");
  EXPECT_EQ(records[2].Headers, "");
  EXPECT_TRUE(fs::exists(Root / "Save Files" / "logo.gif"));
  EXPECT_EQ(Dialogs.FileDialogs.back().Filter, "Hoardscope Export File|*.hef");
}

TEST_F(EntryOperationsTest, AnExistingExportFolderIsEmptiedIntoTheTrashOnlyAfterYes) {
  AddFile("http://h/a.gif", "a.gif", "x");
  Load();
  fs::create_directories(Root / "out" / "keep");
  std::ofstream(Root / "out" / "old.txt") << "old";
  Select(Host("h"));
  Dialogs.FileName = (Root / "out.HEF").string();
  Desktop.Answer = MessageAnswer::No;
  View().Execute(TActionId::alExport);
  EXPECT_TRUE(fs::exists(Root / "out" / "old.txt"));
  EXPECT_FALSE(fs::exists(Root / "out.HEF"));
  EXPECT_TRUE(View().State().LastExportFailed && View().State().LastExportKeptFolder);  // nothing was exported
  EXPECT_EQ(Desktop.Messages.back(), "All files under " + (Root / "out").string() +
                                         " will be delete!\r\nare you sure to delete them?");
  Desktop.Answer = MessageAnswer::Yes;
  View().Execute(TActionId::alExport);
  EXPECT_FALSE(fs::exists(Root / "out" / "old.txt"));
  EXPECT_TRUE(fs::exists(Root / "trash" / "old.txt"));
  EXPECT_TRUE(fs::exists(Root / "out" / "keep"));
  EXPECT_EQ(Records(Root / "out.HEF").size(), 1u);
  EXPECT_FALSE(View().State().LastExportFailed || View().State().LastExportKeptFolder);
}

TEST_F(EntryOperationsTest, EntriesWhoseUrlDoesNotFitAreLeftOutWithOneMessage) {
  AddFile("http://h/" + std::string(260, 'u') + ".htm", "long.htm", "x");
  AddFile("http://h/short.htm", "short.htm", "x");
  Load();
  Select(Host("h"));
  Dialogs.FileName = (Root / "out.hef").string();
  View().Execute(TActionId::alExport);
  EXPECT_EQ(Records(Root / "out.hef").size(), 1u);
  ASSERT_EQ(Desktop.Messages.size(), 1u);
  EXPECT_EQ(Desktop.Messages[0].rfind("1 entries were left out", 0), 0u);
}

TEST_F(EntryOperationsTest, EntriesListedUnderOneKeyExportAndDeleteUnderTheirOwnUrls) {
  const std::vector<std::string> urls = {"http://h:8080/a.htm", "http://h/a.htm", "http://u:pw@h/a.htm",
                                         "http://h/a.htm?at=1:2"};
  for (std::size_t i = 0; i < urls.size(); ++i) AddFile(urls[i], "a.htm", urls[i]);
  Load();
  TTreeNode* host = Expand(Host("h"));
  ASSERT_EQ(Captions(host), "a.htm|a.htm|a.htm|a.htm");
  Select(host);
  Dialogs.FileName = (Root / "out.hef").string();
  View().Execute(TActionId::alExport);
  std::vector<std::string> exported;
  for (const TExportRecord& record : Records(Root / "out.hef")) {
    exported.push_back(record.URL);
    EXPECT_EQ(record.Headers, "HTTP/1.1 200 OK\r\nContent-Type: text/html") << record.URL;
    std::string content;
    std::ifstream(record.FileName) >> content;
    EXPECT_EQ(content, record.URL);
  }
  std::sort(exported.begin(), exported.end());
  std::vector<std::string> expected = urls;
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(exported, expected);

  TTreeNode* withPort = nullptr;
  for (std::size_t i = 0; i < host->ChildCount(); ++i) {
    if (View().State().EntryList[host->Child(i)->EntryIndex()].Info->SourceUrl == urls[0]) withPort = host->Child(i);
  }
  ASSERT_TRUE(withPort);
  Select(withPort);
  View().Execute(TActionId::aLVDelete);
  EXPECT_FALSE(Cache.GetEntryInfo(urls[0]));
  EXPECT_EQ(Cache.Entries().size(), 3u);
  Select(Host("h"));
  View().Execute(TActionId::aLVDelete);
  EXPECT_TRUE(Cache.Entries().empty());
}

TEST_F(EntryOperationsTest, ACopyThatFailsGetsNoRecordAndIsNamed) {
  AddFile("http://h/kept.htm", "kept.htm", "x");
  AddFile("http://h:8080/gone.htm", "gone.htm", "x");
  fs::remove(Cache.GetEntryInfo("http://h:8080/gone.htm")->LocalFileName);
  Load();
  Select(Host("h"));
  Dialogs.FileName = (Root / "out.hef").string();
  View().Execute(TActionId::alExport);
  const std::vector<TExportRecord> records = Records(Root / "out.hef");
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].URL, "http://h/kept.htm");
  ASSERT_EQ(Desktop.Messages.size(), 1u);
  EXPECT_EQ(Desktop.Messages[0].rfind("1 files could not be copied into " + (Root / "out").string(), 0), 0u);
  EXPECT_NE(Desktop.Messages[0].find("\r\nhttp://h:8080/gone.htm ("), std::string::npos) << Desktop.Messages[0];
  EXPECT_TRUE(View().State().LastExportFailed);
}

TEST_F(EntryOperationsTest, AnExportFileWithoutANameOfItsOwnIsRefusedBeforeAnythingIsTouched) {
  AddFile("http://h/a.htm", "a.htm", "x");
  Load();
  std::ofstream(Root / "mine.txt") << "keep";
  Select(Host("h"));
  for (const char* name : {".hef", "..hef", "...HEF"}) {
    Desktop.Messages.clear();
    Dialogs.FileName = (Root / name).string();
    View().Execute(TActionId::alExport);
    ASSERT_EQ(Desktop.Messages.size(), 1u) << name;
    EXPECT_EQ(Desktop.Messages[0].rfind("Cannot export to " + (Root / name).string() + ": ", 0), 0u);
    EXPECT_TRUE(View().State().LastExportFailed);
    EXPECT_FALSE(fs::exists(Root / name));
  }
  EXPECT_TRUE(fs::exists(Root / "mine.txt"));
  EXPECT_FALSE(fs::exists(Root / "trash"));
}

TEST_F(EntryOperationsTest, CopyUrlAndHelp) {
  AddFile("http://h:8080/a.htm", "a.htm", "x");
  Load();
  Select(Expand(Host("h"))->Child(0));
  View().Execute(TActionId::aLVCopyURL);
  EXPECT_EQ(Dialogs.Clipboard, "http://h/a.htm");
  View().Execute(TActionId::alHelp);
  ASSERT_EQ(Dialogs.HelpShown.size(), 1u);
  EXPECT_EQ(Dialogs.HelpShown[0].substr(Dialogs.HelpShown[0].size() - 14), "Hoardscope.chm");
}


// The deletion on its own: a failure while messages run (the window going) ends the walk with what was deleted so
// far, and leaves the deletion no longer running, which would otherwise keep the view busy for good.
TEST(EntryDeletion, AFailureWhileMessagesRunEndsTheWalkAndKeepsWhatWasDeleted) {
  TFakeUrlCache cache;
  TFakeDesktop desktop;
  TEntryList list;
  for (const char* url : {"http://h/1.htm", "http://h/2.htm"}) {
    CacheEntryRecord record;
    record.SourceUrl = url;
    cache.Put(record);
    auto info = std::make_shared<TURLInfo>();
    info->SourceUrl = url;
    list.Add(url, info);
  }
  TEntryDeletion deletion(cache, desktop, [] { return std::string(kPlatformCaption); });
  bool runningMeanwhile = false;
  desktop.OnProcessMessages = [&] {
    runningMeanwhile = deletion.Running();
    throw std::runtime_error("the window is gone");
  };
  deletion.DeleteUnder(list, "h");
  EXPECT_TRUE(runningMeanwhile);
  EXPECT_FALSE(deletion.Running());
  EXPECT_EQ(list[0].Key, kDeletionMarker);
  EXPECT_FALSE(cache.GetEntryInfo("http://h/1.htm"));
  EXPECT_TRUE(list[1].Info);
  EXPECT_TRUE(cache.GetEntryInfo("http://h/2.htm"));
  EXPECT_FALSE(deletion.ShowFailures());
}
}  // namespace
}  // namespace hoardscope
