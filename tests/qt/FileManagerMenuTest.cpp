// The Linux edition's context menu: its entries, each file-manager verb really done, and the view's right-click
// that opens it for a file and a folder of the cache.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QDialog>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QTreeView>
#include <cstdlib>
#include <fstream>

#include "platform/qt/FileManagerMenu.h"
#include "platform/qt/MainView.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/support/TestFiles.h"
#include "tests/qt/QtTestSupport.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

QString Q(const fs::path& path) { return QString::fromStdString(path.string()); }

// The menu's entries as text, "-" for a separator.
QStringList Entries(const QMenu& menu) {
  QStringList entries;
  for (const QAction* action : menu.actions()) entries << (action->isSeparator() ? "-" : action->text());
  return entries;
}

QAction* ActionNamed(QMenu& menu, const QString& text) {
  for (QAction* action : menu.actions()) {
    if (action->text() == text) return action;
  }
  ADD_FAILURE() << "no entry " << text.toStdString();
  return nullptr;
}

class FileManagerMenuTest : public ::testing::Test {
 protected:
  FileManagerMenuTest() : Menu(&Owner, Desktop) {
    // The desktop's programs are stand-ins that note what they were asked to open.
    fs::create_directories(Folder.Path / "bin");
    std::ofstream(Folder.Path / "bin" / "xdg-open") << "#!/bin/sh\necho \"$1\" >> '" << (Folder.Path / "opened").string()
                                                    << "'\n";
    fs::permissions(Folder.Path / "bin" / "xdg-open", fs::perms::owner_all);
    FSavedPath = std::getenv("PATH");
    FSavedDataHome = std::getenv("XDG_DATA_HOME") ? std::getenv("XDG_DATA_HOME") : "";
    setenv("PATH", ((Folder.Path / "bin").string() + ":" + FSavedPath).c_str(), 1);
    setenv("XDG_DATA_HOME", (Folder.Path / "data").c_str(), 1);
    File = Folder.Path / "files" / "page.htm";
    fs::create_directories(File.parent_path());
    std::ofstream(File) << "<html>cached</html>";
  }
  ~FileManagerMenuTest() override {
    setenv("PATH", FSavedPath.c_str(), 1);
    if (FSavedDataHome.empty()) unsetenv("XDG_DATA_HOME");
    else setenv("XDG_DATA_HOME", FSavedDataHome.c_str(), 1);
  }

  // Opens the menu of path and chooses the entry with this text (empty: chooses nothing).
  TShellMenuChoice Choose(const fs::path& path, const QString& entry, const std::vector<TOwnMenuItem>& own = {}) {
    Menu.Track = [&](QMenu& menu) -> QAction* {
      Shown = Entries(menu);
      return entry.isEmpty() ? nullptr : ActionNamed(menu, entry);
    };
    return Menu.TrackContextMenu(path.string(), own);
  }

  // The first line the stand-in wrote, once it is whole: the shell creates the file before echo fills it.
  std::string Opened() {
    std::string line;
    const auto written = [&] {
      std::ifstream in(Folder.Path / "opened");
      return std::getline(in, line) && !in.eof();
    };
    EXPECT_TRUE(QTest::qWaitFor(written, 20000));
    return line;
  }

  TTempFolder Folder{"menu"};
  QWidget Owner;
  TFakeDesktop Desktop;
  TFileManagerMenu Menu;
  fs::path File;
  QStringList Shown;

 private:
  std::string FSavedPath;
  std::string FSavedDataHome;
};

TEST_F(FileManagerMenuTest, TheMenuHasTheVerbsThenTheOwnItemsWithTheirOwnIdentifiers) {
  const TShellMenuChoice choice = Choose(File, "Copy URL", {{kCopyURLCommand, "Copy URL"}});
  EXPECT_EQ(Shown, (QStringList{"Open", "Open Containing Folder", "-", "Copy", "-", "Move to Trash", "Delete", "-",
                                "Properties", "-", "Copy URL"}))
      << "no verb that would leave an entry without its file (rename)";
  EXPECT_EQ(choice.Kind, TShellMenuChoice::TKind::OwnItem);
  EXPECT_EQ(choice.Command, kCopyURLCommand);
  EXPECT_TRUE(fs::exists(File));

  EXPECT_EQ(Choose(File, "").Kind, TShellMenuChoice::TKind::Nothing);
  Shown.clear();
  EXPECT_EQ(Choose(Folder.Path / "missing.htm", "Open").Kind, TShellMenuChoice::TKind::Nothing);
  EXPECT_TRUE(Shown.isEmpty()) << "no menu for an item that is not there";
}

TEST_F(FileManagerMenuTest, OpenAndOpenContainingFolderHandTheItemToTheDesktopsDefaultApplication) {
  EXPECT_EQ(Choose(File, "Open").Kind, TShellMenuChoice::TKind::ShellCommand);
  EXPECT_EQ(Opened(), File.string());
  fs::remove(Folder.Path / "opened");
  Choose(File.parent_path().string() + "/", "Open Containing Folder");  // the save folder is named with a "/"
  EXPECT_EQ(Opened(), Folder.Path.string());
}

TEST_F(FileManagerMenuTest, AVerbThatFailsSaysWhyAndLeavesTheItem) {
  setenv("PATH", (Folder.Path / "no-programs").c_str(), 1);  // no opener to start
  EXPECT_EQ(Choose(File, "Open").Kind, TShellMenuChoice::TKind::ShellCommand);
  ASSERT_EQ(Desktop.Messages.size(), 1u);
  EXPECT_EQ(Desktop.Messages[0],
            "\"page.htm\" could not be opened: the desktop's opener xdg-open could not be started.");
  EXPECT_TRUE(fs::exists(File));
}

TEST_F(FileManagerMenuTest, CopyPutsTheFileOnTheClipboardAsAFileUri) {
  Choose(File, "Copy");
  const QMimeData* copied = QApplication::clipboard()->mimeData();
  ASSERT_TRUE(copied);
  EXPECT_EQ(copied->urls(), QList<QUrl>{QUrl::fromLocalFile(Q(File))});
  EXPECT_EQ(copied->data("x-special/gnome-copied-files"), "copy\n" + QUrl::fromLocalFile(Q(File)).toEncoded());
}

TEST_F(FileManagerMenuTest, MoveToTrashKeepsTheFileRestorableAndDeleteAsksFirst) {
  Choose(File, "Move to Trash");
  EXPECT_FALSE(fs::exists(File));
  EXPECT_TRUE(fs::exists(Folder.Path / "data" / "Trash" / "files" / "page.htm"));
  EXPECT_TRUE(fs::exists(Folder.Path / "data" / "Trash" / "info" / "page.htm.trashinfo"));

  std::ofstream(File) << "again";
  Desktop.Answer = MessageAnswer::No;
  Choose(File, "Delete");
  EXPECT_TRUE(fs::exists(File));
  Desktop.Answer = MessageAnswer::Yes;
  Choose(File.parent_path(), "Delete");
  EXPECT_FALSE(fs::exists(File.parent_path()));
  EXPECT_EQ(Desktop.Messages.size(), 2u);
}

TEST_F(FileManagerMenuTest, PropertiesShowNameLocationSizeTypeAndModified) {
  std::optional<TItemProperties> shown;
  Menu.ShowProperties = [&](const TItemProperties& properties) { shown = properties; };
  Choose(File, "Properties");
  ASSERT_TRUE(shown);
  EXPECT_EQ(shown->Name, "page.htm");
  EXPECT_EQ(shown->Location, Q(File.parent_path()));
  EXPECT_EQ(shown->Size, 19);
  EXPECT_TRUE(shown->Type.contains("text/html")) << shown->Type.toStdString();
  EXPECT_FALSE(shown->Modified.isEmpty());
  EXPECT_EQ(PropertiesOf(Q(File.parent_path())).Size, 19);  // a folder counts the files below it

  // The dialog itself shows the same facts.
  Menu.ShowProperties = [this](const TItemProperties&) {};
  QStringList texts;
  const TModalAnswer answer([&](QWidget* dialog) {
    for (const QLabel* label : dialog->findChildren<QLabel*>()) texts << label->text();
    dialog->close();
  });
  TFileManagerMenu plain(&Owner, Desktop);
  plain.Track = [](QMenu& menu) { return ActionNamed(menu, "Properties"); };
  plain.TrackContextMenu(File.string(), {});
  EXPECT_TRUE(texts.contains("page.htm"));
  EXPECT_TRUE(texts.contains(Q(File.parent_path())));
}

// ---- The view's right-click -----------------------------------------------------------------------------------

class ViewContextMenuTest : public ::testing::Test {
 protected:
  ViewContextMenuTest() : View(std::make_unique<TMainView>(Cache, Registry, Internet, Folder.Path / "cache")) {
    Registry.CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope")
        ->WriteValue(MakeStringValue("AppFolder", Folder.Path.string() + "/"));
    View->resize(237, 400);
    View->Presenter().SetBrowser(Browser);
  }

  void AddEntry(const std::string& url) {
    const fs::path file = Folder.Path / "cache" / std::to_string(Cache.Entries().size()) / url.substr(url.rfind('/') + 1);
    fs::create_directories(file.parent_path());
    std::ofstream(file) << url;
    CacheEntryRecord record;
    record.SourceUrl = url;
    record.LocalFileName = file.string();
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: text/html\r\n\r\n";
    Cache.Put(record);
  }
  TTreeNode* Child(const TTreeNode* parent, const std::string& caption) {
    for (std::size_t i = 0; i < parent->ChildCount(); ++i) {
      if (parent->Child(i)->Caption() == caption) return parent->Child(i);
    }
    ADD_FAILURE() << "no node " << caption;
    return nullptr;
  }
  // Right-clicks the node's row and picks the entry from the menu that opens.
  void RightClickAndChoose(const TTreeNode* node, const QString& entry) {
    QTreeView* tree = View->Tree();
    const QRect row = tree->visualRect(View->Model().IndexOf(node));
    ASSERT_TRUE(row.isValid());
    View->ShellMenu().Track = [&](QMenu& menu) {
      Shown = Entries(menu);
      return ActionNamed(menu, entry);
    };
    emit tree->customContextMenuRequested(row.center());
  }

  TTempFolder Folder{"view-menu"};
  TFakeUrlCache Cache;
  TFakeRegistry Registry;
  TFakeInternetOptions Internet;
  std::shared_ptr<TFakeBrowser> Browser = std::make_shared<TFakeBrowser>();
  std::unique_ptr<TMainView> View;
  QStringList Shown;
};

TEST_F(ViewContextMenuTest, TrashingAFileFromItsMenuDropsTheEntryAndTrashingAFolderDropsEveryEntryBelow) {
  setenv("XDG_DATA_HOME", (Folder.Path / "data").c_str(), 1);
  AddEntry("http://h/a/one.htm");
  AddEntry("http://h/b/two.htm");
  AddEntry("http://h/b/three.htm");
  View->show();
  View->Presenter().Timer1Timer();
  TTreeNode* host = View->Presenter().State().RootNode->Child(0);
  View->ExpandNode(host);
  TTreeNode* a = Child(host, "a");
  View->ExpandNode(a);
  RightClickAndChoose(a->Child(0), "Move to Trash");
  EXPECT_TRUE(Shown.endsWith("Entry Properties") && Shown.contains("Copy URL"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/a/one.htm"));
  EXPECT_EQ(Browser->Navigations, (std::vector<std::string>{"about:blank"}));

  RightClickAndChoose(Child(host, "b"), "Move to Trash");
  EXPECT_TRUE(Shown.endsWith("Export Files"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/b/two.htm"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/b/three.htm"));
  EXPECT_EQ(View->Presenter().State().RootNode->ChildCount(), 0u);
  EXPECT_TRUE(fs::exists(Folder.Path / "data" / "Trash" / "files" / "Save Files" / "two.htm"));
  unsetenv("XDG_DATA_HOME");
}

}  // namespace
}  // namespace hoardscope
