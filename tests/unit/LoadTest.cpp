// Creation, start-up and the load with its host level.
#include "tests/unit/ViewFixture.h"

#include "settings/UnitReg.h"

namespace hoardscope {
namespace {

using LoadTest = ViewFixture;

TEST_F(LoadTest, ShowsOnlyTheRootUntilTheStartUpTimerFires) {
  AddEntry("http://h/a.htm");
  EXPECT_EQ(View().State().TreeView1.TopLevelCount(), 1u);
  EXPECT_EQ(View().State().RootNode->Caption(), "Hoardscope");
  EXPECT_EQ(View().State().RootNode->ImageIndex(), kImageRoot);
  EXPECT_EQ(View().State().IconKeys.size(), kIconSlots);

  View().FormShow();
  EXPECT_TRUE(Desktop.TimerRunning);
  EXPECT_EQ(Desktop.TimerInterval, 1000);
  EXPECT_EQ(Desktop.Cursor, CursorShape::Hourglass);
  EXPECT_FALSE(View().State().RootNode->HasChildren());

  Desktop.FireTimer();
  EXPECT_FALSE(Desktop.TimerRunning);
  EXPECT_EQ(Desktop.Cursor, CursorShape::Default);
  EXPECT_EQ(Captions(View().State().RootNode), "h");
  EXPECT_TRUE(View().State().RootNode->Expanded());

  View().FormShow();  // showing again (the band hides and shows the view) starts no second load
  EXPECT_FALSE(Desktop.TimerRunning);
}

TEST_F(LoadTest, ListsHttpEntriesUnderTheirKeys) {
  AddEntry("HTTP://Host/A.gif", "image/gif");
  AddEntry("https://host/secure.htm");
  AddEntry("ftp://host/file.zip");
  AddEntry("http://host:8080/a/b?x=1");
  AddEntry("http://host:8081/a/b?x=2");
  AddEntry("http://host/a?u=x:y");
  AddEntry("http://host/page?id=5");
  AddEntry("http://h:bad/x");  // the split fails
  Load();
  std::vector<std::string> keys;
  for (const TEntryItem& item : View().State().EntryList.Items()) keys.push_back(item.Key);
  EXPECT_EQ(keys, (std::vector<std::string>{"http://", "http://host/a", "HTTP://Host/A.gif", "http://host/a/b",
                                            "http://host/a/b", "http://host/page?id=5"}));
  EXPECT_EQ(Captions(View().State().RootNode), "host");  // "http://" is counted but makes no host
  EXPECT_EQ(View().StatusText(1), "Total  6  Files  600  Byte Used");
}

TEST_F(LoadTest, BrowsersCacheListsBothSchemesUnderOneHostAndRefusesDeletionsItCannotMake) {
  Cache.Folder = "/home/u/.cache/chromium/Default/Cache/Cache_Data";
  AddEntry("https://host/b/x.htm", "text/html", 100, WriteFile("x.htm", ""));
  AddEntry("http://host/a.htm", "text/html", 100, WriteFile("a.htm", ""));
  AddEntry("https://host:8443/b/y?q=1", "text/html", 100, WriteFile("y.htm", ""));
  AddEntry("https://other/z.htm", "text/html", 100, WriteFile("z.htm", ""));
  AddEntry("ftp://host/f");
  Load();
  std::vector<std::string> keys;
  for (const TEntryItem& item : View().State().EntryList.Items()) keys.push_back(item.Key);
  EXPECT_EQ(keys, (std::vector<std::string>{"http://host/a.htm", "https://host/b/x.htm", "https://host/b/y",
                                            "https://other/z.htm"}));
  TTreeNode* host = Expand(Child(View().State().RootNode, "host"));
  EXPECT_EQ(Captions(host), "a.htm|b");
  EXPECT_EQ(Captions(Expand(Child(host, "b"))), "x.htm|y.htm");

  Cache.Refusal = "Close Chromium first.";
  View().TreeView1Change(Child(host, "b"));
  View().aLVDeleteExecute(true);
  EXPECT_EQ(Desktop.Messages, std::vector<std::string>{"Close Chromium first."});
  EXPECT_EQ(Cache.Entries().size(), 5u);
  EXPECT_EQ(Captions(host), "a.htm|b");
}

TEST_F(LoadTest, PlatformCacheListsHttpsEntriesOnlyWhenAsked) {
  AddEntry("https://host/x.htm");
  AddEntry("http://host/y.htm");
  Load();
  EXPECT_EQ(View().State().EntryList.Count(), 1u);
  View().SetShowSecure(true);
  EXPECT_EQ(View().State().EntryList.Count(), 2u);
  View().SetShowSecure(false);
}

TEST_F(LoadTest, FillsEachRecordFromTheCache) {
  AddEntry("http://h/big.bin", "Application/Octet-Stream", 0x100000005ULL, "c/big.bin");
  AddEntry("http://h/none", "");
  Load();
  const TURLInfo& big = *View().State().EntryList[0].Info;
  EXPECT_EQ(big.Size, 0x100000005LL);
  EXPECT_EQ(big.LocalFile, "c/big.bin");
  EXPECT_EQ(big.CacheFile, "c/big.bin");
  EXPECT_EQ(big.ContentType, "application/octet-stream");
  EXPECT_EQ(View().State().EntryList[1].Info->ContentType, "Unknown");
  EXPECT_TRUE(View().State().EntryList[0].Info->DisplayName.empty());
}

// The totals count what the entries hold, not what the cache's folder takes on disk; the source is named.
TEST_F(LoadTest, ShowsTheCountAndSizeOfTheEntriesAndNamesTheSource) {
  AddEntry("http://a/1", "text/html", 999);
  AddEntry("http://b/1", "text/html", 500);
  AddEntry("http://c/1", "text/html", 0x100000000LL);
  Load();
  EXPECT_EQ(View().StatusText(1), "Total  3  Files  4294969  KB Used");
  EXPECT_EQ(View().StatusText(0), "Platform cache");
  EXPECT_EQ(Widgets.WindowText, "Platform cache");
  EXPECT_TRUE(Widgets.ToolBarEnabled);
  EXPECT_FALSE(View().State().ReloadPending);
  Cache.ReadFailureText = "the cache index /c/index is damaged";
  View().Button1Click();
  EXPECT_EQ(View().StatusText(0), "Platform cache (the cache index /c/index is damaged)");
}

TEST_F(LoadTest, AReloadRebuildsFromTheCacheButKeepsTheSearchList) {
  AddEntry("http://old/1", "text/html", 8, WriteFile("1.htm", "old page"));
  Load();
  View().RunSearch("", "old page", false);
  ASSERT_EQ(View().State().SearchList.Count(), 1u);
  Cache.DeleteEntry("http://old/1");
  AddEntry("http://new/1");
  View().ClearView();
  EXPECT_FALSE(View().State().RootNode->HasChildren());
  View().Button1Click();
  EXPECT_EQ(Captions(View().State().RootNode), "new");
  EXPECT_EQ(View().State().SearchList.Count(), 1u);
}

}  // namespace
}  // namespace hoardscope
