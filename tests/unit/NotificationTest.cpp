// The cache-changed notice between views and the reload at the next activation; the Options action's reload.
#include "settings/Options.h"
#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

constexpr const char* kReloadMessage = "IE Cache have been midified. \r\nApplicatio will reload Cache file list";

class NotificationTest : public ViewFixture {
 protected:
  void SetUp() override {
    Windows.Views.push_back([this](int wParam, int lParam) { View().SysCommand(wParam, lParam); });
  }
};

TEST_F(NotificationTest, ANoticeReloadsOnceAtTheNextActivation) {
  AddEntry("http://old/1");
  Load();
  Cache.DeleteEntry("http://old/1");
  AddEntry("http://new/1");
  View().NotifyViews(kCacheChangedCode);
  View().NotifyViews(kCacheChangedCode);
  EXPECT_EQ(Captions(View().State().RootNode), "old");  // nothing happens until the view is activated
  View().FormActivate();
  View().FormActivate();
  EXPECT_EQ(Desktop.Messages, (std::vector<std::string>{kReloadMessage}));
  EXPECT_EQ(Captions(View().State().RootNode), "new");
}

TEST_F(NotificationTest, AnotherCodeDoesNothing) {
  View().SysCommand(kCacheChangedCommand, 112);
  View().SysCommand(6901, kCacheChangedCode);
  View().FormActivate();
  EXPECT_TRUE(Desktop.Messages.empty());
  EXPECT_FALSE(View().State().ReloadPending);
}

TEST_F(NotificationTest, OkInTheOptionsReloadsWithTheNewFilter) {
  AddEntry("http://h/page.htm", "text/html");
  AddEntry("http://h/pic.gif", "image/gif");
  Load();
  AnswerOptionsWithPicturesOnly();
  View().Execute(TActionId::alOption);
  ASSERT_EQ(View().State().EntryList.Count(), 1u);
  EXPECT_EQ(View().State().EntryList[0].Key, "http://h/pic.gif");

  Dialogs.OnOptions = nullptr;  // Cancel: nothing stored, no reload
  Cache.DeleteEntry("http://h/pic.gif");
  View().Execute(TActionId::alOption);
  EXPECT_EQ(View().State().EntryList.Count(), 1u);
}

TEST_F(NotificationTest, AStoreThatRefusesTheOptionsStillAppliesThemAndSaysWhy) {
  AddEntry("http://h/page.htm", "text/html");
  Load();
  Registry.SetReadOnly(true);
  Dialogs.OnOptions = [](TfrmOptions& dialog) {
    dialog.chkShowAll.Checked = false;
    dialog.btnOKClick();
  };
  View().Execute(TActionId::alOption);
  EXPECT_EQ(Desktop.Messages.size(), 1u);
  EXPECT_TRUE(View().State().EntryList.Empty());  // type mode with no class chosen admits nothing
  Registry.SetReadOnly(false);
}

}  // namespace
}  // namespace hoardscope
