// Captions of cached files: the page title or the undecorated file name.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/PageTitle.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

class PageTitleTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& name, const std::string& content) {
    WriteFile(FFolder.Path / name, content);
    return (FFolder.Path / name).string();
  }
  std::string TitleOf(const std::string& name, const std::string& content) {
    std::string caption;
    GetPageTitle(Write(name, content), caption);
    return caption;
  }

  TTempFolder FFolder{"title"};
};

TEST_F(PageTitleTest, TakesTheTextBetweenTheFirstTags) {
  EXPECT_EQ(TitleOf("news[1].htm", "<html><head><title>News</title></head>"), "News");
  EXPECT_EQ(TitleOf("a.htm", "<title>One\ntwo\rthree\r\nfour</title>"), "One\r\ntwo\r\nthree\r\nfour");
}

TEST_F(PageTitleTest, FallsBackToTheUndecoratedFileName) {
  EXPECT_EQ(TitleOf("page[2].htm", "<TITLE>Caps</title>"), "page.htm");
  EXPECT_EQ(TitleOf("empty[1].htm", "<title></title>"), "empty.htm");
  EXPECT_EQ(TitleOf("order.htm", "</title><title>Late</title>"), "order.htm");
  EXPECT_EQ(TitleOf("open.htm", "<title>never closed"), "open.htm");
  EXPECT_EQ(TitleOf("logo[1].gif", std::string("GIF89a\0<title>x</title>", 24)), "logo.gif");  // text ends at NUL
}

TEST_F(PageTitleTest, FindsTagsAcrossReadBoundariesInLargeFiles) {
  std::string big(64 * 1024 - 3, 'x');
  big += "<title>Far away</title>";
  big += std::string(3 * 1024 * 1024, 'y');
  EXPECT_EQ(TitleOf("big.htm", big), "Far away");
  std::string split(2 * 64 * 1024 - 4, ' ');
  split += "<title>T</title>";
  EXPECT_EQ(TitleOf("split.htm", split), "T");
}

TEST_F(PageTitleTest, LeavesTheNameOfAMissingFile) {
  std::string caption = "kept";
  GetPageTitle((FFolder.Path / "gone.htm").string(), caption);
  EXPECT_EQ(caption, "kept");
  GetPageTitle("", caption);
  EXPECT_EQ(caption, "kept");
}

}  // namespace
}  // namespace hoardscope
