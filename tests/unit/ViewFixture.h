// A main view over in-memory fakes, with helpers to fill the cache and find nodes.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "presenter/HoardscopeMain.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {

class ViewFixture : public ::testing::Test {
 protected:
  ViewFixture() : FView(std::make_unique<THoardscopeMain>(Services(), Widgets)) {}

  TViewServices Services() {
    return {Cache, Internet, Registry, Shell, Desktop, Report, &Dialogs, &Clock, &Windows, &ShellMenu, nullptr,
            &Converter};
  }

  THoardscopeMain& View() { return *FView; }

  // Adds a cache entry with a header block naming its content type (none: no header block).
  void AddEntry(const std::string& url, const std::string& contentType = "text/html", std::uint64_t size = 100,
                const std::string& localFile = "") {
    CacheEntryRecord record;
    record.SourceUrl = url;
    record.LocalFileName = localFile;
    record.SizeLow = static_cast<std::uint32_t>(size);
    record.SizeHigh = static_cast<std::uint32_t>(size >> 32);
    if (!contentType.empty()) record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: " + contentType + "\r\n\r\n";
    Cache.Put(record);
  }

  void RegisterExtension(const std::string& contentType, const std::string& extension) {
    Registry.CreateKey(RegistryRoot::ClassesRoot, "MIME\\Database\\Content Type\\" + contentType)
        ->WriteValue(MakeStringValue("Extension", extension));
  }

  // The next Options dialog keeps pictures only and is closed with OK.
  void AnswerOptionsWithPicturesOnly() {
    Dialogs.OnOptions = [](TfrmOptions& dialog) {
      dialog.chkShowAll.Checked = false;
      dialog.chkShowAllClick();
      dialog.chkShowPic.Checked = true;
      dialog.btnOKClick();
    };
  }

  // Makes folder the program's folder in the settings and creates the view anew over them: its save folder is
  // folder's "Save Files".
  void CreateViewWithAppFolder(const std::string& folder) {
    Registry.CreateKey(RegistryRoot::LocalMachine, kSettingsKey)->WriteValue(MakeStringValue("AppFolder", folder));
    FView = std::make_unique<THoardscopeMain>(Services(), Widgets);
  }

  void Load() {
    View().FormShow();
    Desktop.FireTimer();
  }

  // The node under the root (or a given parent) with this caption; fails the test when there is none.
  TTreeNode* Child(TTreeNode* parent, const std::string& caption) {
    for (std::size_t i = 0; i < parent->ChildCount(); ++i) {
      if (parent->Child(i)->Caption() == caption) return parent->Child(i);
    }
    ADD_FAILURE() << "no node '" << caption << "' under '" << parent->Caption() << "'";
    return parent;
  }

  TTreeNode* Expand(TTreeNode* node) {
    View().TreeView1Expanded(node);
    return node;
  }

  std::string Captions(const TTreeNode* node) const {
    std::string text;
    for (std::size_t i = 0; i < node->ChildCount(); ++i) text += (i ? "|" : "") + node->Child(i)->Caption();
    return text;
  }

  std::string WriteFile(const std::string& name, const std::string& content) {
    hoardscope::WriteFile(Files.Path / name, content);
    return (Files.Path / name).string();
  }

  TTempFolder Files{"view-files"};
  TFakeUrlCache Cache;
  TFakeInternetOptions Internet;
  TFakeRegistry Registry;
  TFakeShell Shell;
  TFakeDesktop Desktop;
  TFakeReport Report;
  TFakeViewWidgets Widgets;
  TFakeDialogs Dialogs;
  TFakeClock Clock;
  TFakeBrowserWindows Windows;
  TFakeShellMenu ShellMenu;
  TFakeTextConverter Converter;

 private:
  std::unique_ptr<THoardscopeMain> FView;
};

}  // namespace hoardscope
