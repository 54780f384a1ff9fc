// The details list: the record fields its columns show, its rows of a selection, its sort, and the actions on its
// selected rows.

#include "tests/unit/ViewFixture.h"

namespace hoardscope {
namespace {

TEST(FillURLInfoTest, TakesTheStatusCodeTheServerAndTheTimesOfTheRecord) {
  struct TCase {
    std::optional<std::string> Headers;
    int StatusCode;
    std::string Server;
    std::string ErrorStatus;
  };
  const std::vector<TCase> cases = {
      {"HTTP/1.1 200 OK\r\nX-Server: proxy\r\nserver:  nginx/1.25 \r\n\r\n", 200, "nginx/1.25", ""},
      {"HTTP/1.1 404 Not Found\r\nServer: a\r\nServer: b\r\n\r\n", 404, "a", "HTTP/1.1 404 Not Found"},
      {"HTTP/2 304\r\n\r\n", 304, "", ""},
      {"HTTP/1.1 20x OK\r\nServer: a\r\n\r\n", 0, "a", ""},
      {"Content-Type: text/html\r\n\r\n", 0, "", ""},
      {std::nullopt, 0, "", ""},
  };
  for (const TCase& test : cases) {
    CacheEntryRecord record;
    record.SourceUrl = "http://h/a";
    record.HeaderInfo = test.Headers;
    record.ExpireTime = 3;
    record.LastAccessTime = 2;
    TURLInfo info;
    FillURLInfo(record, info);
    const std::string name = test.Headers.value_or("no headers");
    EXPECT_EQ(info.StatusCode, test.StatusCode) << name;
    EXPECT_EQ(info.Server, test.Server) << name;
    EXPECT_EQ(info.ErrorStatus, test.ErrorStatus) << name;
    EXPECT_EQ(info.ExpireTime, 3u);
    EXPECT_EQ(info.LastAccessTime, 2u);
  }
}

class DetailsTest : public ViewFixture {
 protected:
  // A file of host h with a page title, a size, a content type, a server and a time cached.
  void AddFile(const std::string& path, std::uint64_t size, const std::string& type, const std::string& server,
               FileTime synced) {
    CacheEntryRecord record;
    record.SourceUrl = "http://h/" + path;
    record.LocalFileName = WriteFile("file" + std::to_string(Cache.Entries().size()),
                                     "<title>Page " + path + "</title>");
    record.SizeLow = static_cast<std::uint32_t>(size);
    record.LastSyncTime = synced;
    record.HeaderInfo = "HTTP/1.1 200 OK\r\nContent-Type: " + type + "\r\nServer: " + server + "\r\n\r\n";
    Cache.Put(record);
  }
  TTreeNode* Host() { return Child(View().State().RootNode, "h"); }
  const TDetailsList& Details() { return View().State().Details; }
  // The rows' URLs without "http://h/", in the rows' order.
  std::string RowPaths() {
    std::string paths;
    for (std::size_t i = 0; i < Details().Count(); ++i) {
      paths += (i ? " " : "") + Details().CellText(i, TDetailsColumn::Url).substr(9);
    }
    return paths;
  }
};

TEST_F(DetailsTest, ShowsTheFilesBelowTheSelectedNodeWithTheirCellsAndTheTreesCaptions) {
  AddFile("a", 300, "text/html", "Beta", 133000000000000000ULL);
  AddFile("sub/b", 100, "image/gif", "alpha", 0);
  AddEntry("http://other/c");
  Load();
  View().TreeView1Change(View().State().RootNode);
  EXPECT_EQ(Details().Count(), 0u);

  View().TreeView1Change(Host());
  EXPECT_EQ(RowPaths(), "a sub/b");
  EXPECT_EQ(Details().CellText(0, TDetailsColumn::Caption), "Page a");
  EXPECT_EQ(Details().CellText(0, TDetailsColumn::Size), "300");
  EXPECT_EQ(Details().CellText(0, TDetailsColumn::ContentType), "text/html");
  EXPECT_EQ(Details().CellText(0, TDetailsColumn::TimeCached), "2022-06-18T04:26:40.000Z");
  EXPECT_EQ(Details().CellText(0, TDetailsColumn::Status), "200");
  EXPECT_EQ(Details().CellText(0, TDetailsColumn::Server), "Beta");
  EXPECT_EQ(Details().CellText(1, TDetailsColumn::TimeCached), "");
  EXPECT_EQ(Details().CellText(1, TDetailsColumn::Expiry), "");
  Expand(Host());
  EXPECT_EQ(Host()->Child(0)->Caption(), "Page a");

  View().TreeView1Change(Host()->Child(0));
  EXPECT_EQ(RowPaths(), "a");
  const int changes = Widgets.DetailsChanges;
  View().SetShowDetails(false);
  EXPECT_EQ(Details().Count(), 0u);
  EXPECT_EQ(Widgets.DetailsChanges, changes + 1);
  EXPECT_EQ(ReadShowDetails(Registry), false);
  View().TreeView1Change(Host());
  EXPECT_EQ(Details().Count(), 0u);
  View().SetShowDetails(true);
  EXPECT_EQ(RowPaths(), "a sub/b");
}

TEST_F(DetailsTest, RowsBelowTheSearchResultComeFromTheSearchsList) {
  AddFile("a", 300, "text/html", "", 0);
  AddFile("b", 100, "text/html", "", 0);
  Load();
  View().RunSearch("", "Page b", false);
  TTreeNode* found = Child(View().State().SearchNode, "h");
  View().TreeView1Change(found);
  EXPECT_EQ(RowPaths(), "b");
  EXPECT_TRUE(Details().FromSearch());
  EXPECT_EQ(View().State().ListOfDetails()[Details()[0].Index].Key, "http://h/b");
  View().ClearSearchResult();
  EXPECT_EQ(Details().Count(), 0u);
}

// Each case starts from rows in the list's order and clicks the headers.
TEST(DetailsListTest, ClicksSortByOneOrTwoKeysAsNumbersOrTextsWithoutCase) {
  struct TFile {
    std::string Path;
    std::int64_t Size;
    std::string Type;
    std::string Server;
    FileTime Synced;
  };
  const std::vector<TFile> files = {{"a", 300, "text/html", "Beta", 30},
                                    {"B", 100, "image/gif", "alpha", 20},
                                    {"c", 200, "text/html", "", 40},
                                    {"d", 100, "image/png", "Alpha", 10}};
  struct TClick {
    TDetailsColumn Column;
    bool Shift = false;
  };
  using C = TDetailsColumn;
  struct TCase {
    std::vector<TClick> Clicks;
    std::string Order;
  };
  const std::vector<TCase> cases = {
      {{}, "a B c d"},
      {{{C::Size}}, "B d c a"},
      {{{C::Size}, {C::Size}}, "a c B d"},
      {{{C::Size, true}}, "B d c a"},
      {{{C::Server}}, "c B d a"},
      {{{C::TimeCached}}, "d B a c"},
      {{{C::ContentType}, {C::Size, true}}, "B d c a"},
      {{{C::ContentType}, {C::Size, true}, {C::Size, true}}, "B d a c"},
      {{{C::ContentType}, {C::Size, true}, {C::ContentType}}, "c a d B"},
      {{{C::ContentType}, {C::Size, true}, {C::ContentType, true}}, "c a d B"},
      {{{C::ContentType}, {C::Size, true}, {C::Url}}, "a B c d"},
      {{{C::Url}, {C::Url}}, "d c B a"},
  };
  for (const TCase& test : cases) {
    std::vector<TDetailsRow> rows;
    for (const TFile& file : files) {
      auto info = std::make_shared<TURLInfo>();
      info->SourceUrl = file.Path;
      info->Size = file.Size;
      info->ContentType = file.Type;
      info->Server = file.Server;
      info->SyncTime = SystemTimeFromFileTime(file.Synced * 10000);
      rows.push_back({rows.size(), std::move(info)});
    }
    TDetailsList details;
    details.Fill(std::move(rows), false);
    for (const TClick& click : test.Clicks) details.ClickColumn(click.Column, click.Shift);
    std::string order;
    for (std::size_t i = 0; i < details.Count(); ++i) order += (i ? " " : "") + details.CellText(i, C::Url);
    EXPECT_EQ(order, test.Order) << "after " << test.Clicks.size() << " clicks";
  }
}

// The deleted entries' nodes go, and so does a folder never expanded whose every entry went.
TEST_F(DetailsTest, CopyURLAndDeleteActOnTheSelectedRowsWhileTheListHasTheFocus) {
  AddFile("a", 300, "text/html", "", 0);
  AddFile("other/d", 50, "text/html", "", 0);
  AddFile("sub/b", 100, "text/html", "", 0);
  AddFile("sub/c", 200, "text/html", "", 0);
  Load();
  TTreeNode* sub = Child(Expand(Host()), "sub");
  Expand(sub);
  View().TreeView1Change(Host());
  View().DetailsColumnClick(TDetailsColumn::Size, false);  // other/d sub/b sub/c a
  View().DetailsSelectionChanged({0, 1, 3, 7});
  Widgets.DetailsFocused = true;
  View().Execute(TActionId::aLVCopyURL);
#ifdef _WIN32
  EXPECT_EQ(Dialogs.Clipboard, "http://h/other/d\r\nhttp://h/sub/b\r\nhttp://h/a");
#else
  EXPECT_EQ(Dialogs.Clipboard, "http://h/other/d\nhttp://h/sub/b\nhttp://h/a");
#endif

  Desktop.Answer = MessageAnswer::No;
  View().Execute(TActionId::aLVDelete);
  EXPECT_EQ(Desktop.Messages, std::vector<std::string>{"Delete 3 cached files?"});
  EXPECT_EQ(Cache.Entries().size(), 4u);

  Desktop.Answer = MessageAnswer::Yes;
  View().Execute(TActionId::aLVDelete);
  EXPECT_EQ(Desktop.Messages.size(), 2u);
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/a"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/other/d"));
  EXPECT_FALSE(Cache.GetEntryInfo("http://h/sub/b"));
  EXPECT_TRUE(Cache.GetEntryInfo("http://h/sub/c"));
  EXPECT_EQ(Captions(Host()), "sub");
  EXPECT_EQ(Captions(sub), "Page sub/c");
  EXPECT_EQ(RowPaths(), "sub/c");
  EXPECT_TRUE(Details().SelectedIndexes().empty());
}

}  // namespace
}  // namespace hoardscope
