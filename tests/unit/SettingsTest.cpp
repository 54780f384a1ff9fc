// The settings store's defaults and write-backs, the filter, and the Options dialog's logic.
#include <gtest/gtest.h>

#include "core/Tools.h"
#include "core/URLInfo.h"
#include "settings/Filter.h"
#include "settings/Options.h"
#include "settings/SettingsStore.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

class SettingsTest : public ViewFixture {
 protected:
  std::unique_ptr<IRegistryKey> Key() { return Registry.CreateKey(RegistryRoot::LocalMachine, kSettingsKey); }
  void Put(const RegistryValue& value) { Key()->WriteValue(value); }
  std::optional<RegistryValue> Stored(const std::string& name) { return Key()->ReadValue(name); }
  // Creates a new view, which loads the settings from the registry.
  std::unique_ptr<THoardscopeMain> NewView() { return std::make_unique<THoardscopeMain>(Services(), Widgets); }
};

TEST_F(SettingsTest, AnEmptyKeyGetsEveryDefaultWrittenBack) {
  Registry.DeleteKey(RegistryRoot::LocalMachine, kSettingsKey);
  const auto view = NewView();
  EXPECT_EQ(StringOf(*Stored("ExtStr")), "*.*");
  EXPECT_EQ(DwordOf(*Stored("FilterType")), 0u);
  EXPECT_EQ(DwordOf(*Stored("filtration")), 0u);
  EXPECT_EQ(DwordOf(*Stored("UseFilter")), 0u);
  EXPECT_FALSE(Stored("AppFolder"));
  EXPECT_FALSE(view->State().Settings.UseFilter);
  EXPECT_EQ(view->State().Settings.ExtStr, "*.*");
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(view->State().SaveFolder, sep + "Save Files" + sep);
}

TEST_F(SettingsTest, ReadsStoredValuesIntoTheViewsSettings) {
  Put(MakeStringValue("AppFolder", "opt" + std::string(1, kPathSeparator)));
  Put(MakeDwordValue("UseFilter", 5));
  Put(MakeDwordValue("filtration", 10));
  Put(MakeDwordValue("FilterType", 1));
  Put(MakeStringValue("ExtStr", ".gif;.png"));
  const auto view = NewView();
  const std::string sep(1, kPathSeparator);
  EXPECT_EQ(view->State().SaveFolder, "opt" + sep + sep + "Save Files" + sep);  // the value is not normalised
  EXPECT_TRUE(view->State().Settings.UseFilter);
  EXPECT_TRUE(view->State().Settings.FilterType);
  EXPECT_EQ(view->State().Settings.ExtStr, ".gif;.png");
  EXPECT_TRUE(view->State().Settings.FilterClasses.Contains(TFilterClass::fcMedia));
  EXPECT_TRUE(view->State().Settings.FilterClasses.Contains(TFilterClass::fcPicture));
  EXPECT_FALSE(view->State().Settings.FilterClasses.Contains(TFilterClass::fcText));
}

TEST_F(SettingsTest, TwoViewsNeverShareTheirSettingsOrTheirSearchRequest) {
  AddEntry("http://h/page.htm", "text/html");
  AddEntry("http://h/pic.gif", "image/gif");
  const auto other = NewView();
  Load();
  AnswerOptionsWithPicturesOnly();
  View().Execute(TActionId::alOption);
  Dialogs.OnSearch = [](TfrmSearch& dialog) {
    dialog.rbFEntireCache = true;
    dialog.rbFEntireCacheClick();
    dialog.btnSearchClick();
  };
  View().TreeView1Change(View().State().RootNode);
  View().Execute(TActionId::alSearch);

  other->Button1Click();
  EXPECT_EQ(View().State().EntryList.Count(), 1u);
  EXPECT_EQ(other->State().EntryList.Count(), 2u);
  bool underFolder = false;
  Dialogs.OnSearch = [&underFolder](TfrmSearch& dialog) { underFolder = dialog.rbFUnderFolder; };
  other->TreeView1Change(other->State().RootNode);
  other->Execute(TActionId::alSearch);
  EXPECT_TRUE(underFolder);
}

TEST_F(SettingsTest, MapsMasksToClassesAndBack) {
  EXPECT_EQ(MaskFromClasses(ClassesFromMask(14)), 14u);
  EXPECT_TRUE(ClassesFromMask(1).Empty());
  EXPECT_TRUE(ClassesFromMask(16).Empty());
  EXPECT_EQ(MaskFromClasses(ClassesFromMask(0xFFFFFFFF)), 14u);
}

TEST_F(SettingsTest, AValueOfTheWrongTypeReadsAsItsDefaultAndIsKept) {
  Put(MakeStringValue("UseFilter", "1"));
  Put(MakeDwordValue("ExtStr", 7));
  const auto view = NewView();
  EXPECT_FALSE(view->State().Settings.UseFilter);
  EXPECT_EQ(view->State().Settings.ExtStr, "*.*");
  EXPECT_EQ(Stored("UseFilter")->Type, RegistryType::String);
  EXPECT_EQ(Stored("ExtStr")->Type, RegistryType::Dword);
}

TEST_F(SettingsTest, AStoreThatRefusesWritesLeavesTheDefaults) {
  Registry.DeleteKey(RegistryRoot::LocalMachine, kSettingsKey);
  Registry.SetReadOnly(true);
  const auto view = NewView();
  EXPECT_FALSE(view->State().Settings.UseFilter);
  EXPECT_EQ(view->State().Settings.ExtStr, "*.*");
  ASSERT_EQ(Report.Lines.size(), 1u);
  EXPECT_TRUE(Report.Lines[0].starts_with("hoardscope: settings not available, using defaults: "));
}

// Whether the type filter of these settings, in force, admits an entry of that content type and local file.
bool PassesFilter(TSettings settings, const TFilterClasses& classes, const std::string& contentType,
                  const std::string& localFileName) {
  settings.UseFilter = true;
  settings.FilterClasses = classes;
  TURLInfo info;
  info.ContentType = contentType;
  info.LocalFile = localFileName;
  return TEntryFilter(settings, TQuickFilter()).Admits(info);
}

TEST(PassesFilter, TypeModeMatchesClassPrefixes) {
  TSettings settings;
  TFilterClasses text;
  text.Include(TFilterClass::fcText);
  EXPECT_TRUE(PassesFilter(settings, text, "Text/HTML", "a.htm"));
  EXPECT_FALSE(PassesFilter(settings, text, "application/x-javascript", "a.js"));
  EXPECT_FALSE(PassesFilter(settings, TFilterClasses(), "text/html", "a.htm"));
  TFilterClasses media;
  media.Include(TFilterClass::fcMedia);
  EXPECT_TRUE(PassesFilter(settings, media, "video/mp4", "v.mp4"));
  EXPECT_TRUE(PassesFilter(settings, media, "audio/x-wav", "s.wav"));
  EXPECT_FALSE(PassesFilter(settings, media, "Unknown", "s.wav"));
}

TEST(PassesFilter, ExtensionModeUsesTheExactAllPatternAndSubstrings) {
  struct TCase {
    const char* ExtStr;
    const char* LocalFile;
    bool Admitted;
  };
  const TCase cases[] = {
      {"*.*", "noext", true},
      {"*.*;", "a.htm", false},
      {".html;.css", "page.HTM", true},
      {".html;.css", "a.b c", false},
      {".html;.css", "noext", false},
      // An item without a dot names an extension, as the dialog's own hint "HTML;CSS" has it.
      {"HTML;CSS", "page.html", true},
      {"css;js", "site.css", true},
      {"css;js", "app.JS", true},
      {" css ; js ", "app.js", true},
      {"css;js", "page.html", false},
      {"css;js", "css", false},
      {"*.gif;jpg", "a.jpg", true},
  };
  TSettings settings;
  settings.FilterType = true;
  for (const TCase& entry : cases) {
    settings.ExtStr = entry.ExtStr;
    EXPECT_EQ(PassesFilter(settings, TFilterClasses(), "x", entry.LocalFile), entry.Admitted)
        << '"' << entry.ExtStr << "\" and " << entry.LocalFile;
  }
}

class OptionsTest : public SettingsTest {
 protected:
  TfrmOptions Shown() {
    TfrmOptions dialog(Settings, Registry);
    dialog.FormShow();
    return dialog;
  }

  TSettings Settings{false, TFilterClasses(), false, "*.*"};
};

TEST_F(OptionsTest, ShowMirrorsTheSettings) {
  Settings = TSettings{true, ClassesFromMask(kMaskText), true, ".gif"};
  const TfrmOptions dialog = Shown();
  EXPECT_FALSE(dialog.chkShowAll.Checked);
  EXPECT_TRUE(dialog.PageControlEnabled);
  EXPECT_EQ(dialog.ActivePage, TfrmOptions::kPageByFileExt);
  EXPECT_TRUE(dialog.chkShowText.Checked);
  EXPECT_FALSE(dialog.chkShowPic.Checked);
  EXPECT_EQ(dialog.edExtText, ".gif");
  EXPECT_FALSE(dialog.Changed);
}

TEST_F(OptionsTest, ShowAllDisablesTheFilterControls) {
  Settings = TSettings{false, TFilterClasses(), false, "*.*"};
  TfrmOptions dialog = Shown();
  EXPECT_TRUE(dialog.chkShowAll.Checked);
  EXPECT_FALSE(dialog.PageControlEnabled);
  EXPECT_FALSE(dialog.chkShowPic.Enabled);
  EXPECT_FALSE(dialog.edExtEnabled);
  dialog.chkShowAll.Checked = false;
  dialog.chkShowAllClick();
  EXPECT_TRUE(dialog.PageControlEnabled);
  EXPECT_TRUE(dialog.chkShowPic.Enabled);
}

TEST_F(OptionsTest, OkStoresTheControlsAndAnEmptyListAsEverything) {
  Settings = TSettings{false, TFilterClasses(), false, "*.*"};
  TfrmOptions dialog = Shown();
  dialog.chkShowAll.Checked = false;
  dialog.chkShowPic.Checked = true;
  dialog.chbShowMedia.Checked = true;
  dialog.PageControl1Change(TfrmOptions::kPageByFileExt);
  dialog.edExtText = "";
  dialog.btnOKClick();
  EXPECT_TRUE(dialog.Changed);
  EXPECT_TRUE(Settings.UseFilter);
  EXPECT_TRUE(Settings.FilterType);
  EXPECT_EQ(Settings.ExtStr, "*.*");
  EXPECT_EQ(DwordOf(*Stored("filtration")), kMaskMedia | kMaskPicture);
  EXPECT_EQ(DwordOf(*Stored("UseFilter")), 1u);
  EXPECT_EQ(DwordOf(*Stored("FilterType")), 1u);
  EXPECT_EQ(StringOf(*Stored("ExtStr")), "*.*");
}

TEST_F(OptionsTest, APageSwitchWithoutOkChangesNothing) {
  Settings = TSettings{true, ClassesFromMask(kMaskText), false, "*.*"};
  TfrmOptions dialog = Shown();
  dialog.PageControl1Change(TfrmOptions::kPageByFileExt);
  EXPECT_FALSE(Settings.FilterType);
  EXPECT_FALSE(dialog.Changed);
}

TEST_F(OptionsTest, OkKeepsSpacesAsTyped) {
  TfrmOptions dialog = Shown();
  dialog.edExtText = "  ";
  dialog.btnOKClick();
  EXPECT_EQ(Settings.ExtStr, "  ");
}

}  // namespace
}  // namespace hoardscope
