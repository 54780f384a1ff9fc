// Captions of cached files: the title a browser's tab shows for the page, or the undecorated file name.
#include <gtest/gtest.h>

#include "core/PageTitle.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

struct TTitleCase {
  const char* ContentType;
  std::string Body;
  const char* Title;
};

TEST(PageTitleTest, ReadsTheTitleAsABrowsersTabShowsIt) {
  using namespace std::string_literals;
  const TTitleCase cases[] = {
      {"text/html", "<title>About these documents &#8212; Python 3.11.2 documentation</title>",
       "About these documents \u2014 Python 3.11.2 documentation"},
      {"text/html", "<title>Fish &amp; Chips &copy 2024 &notit; &amp &AMP;&nbsp;x &bogus;</title>",
       "Fish & Chips \u00a9 2024 \u00acit; & &\u00a0x &bogus;"},
      {"text/html", "<title>&#x41;&#65&#0;&#xD800;&#x110000;&#150;&#99999999999;&#;&#xZ</title>",
       "AA\ufffd\ufffd\ufffd\u2013\ufffd&#;&#xZ"},
      {"text/html", "<HTML><HEAD><TITLE lang=\"en\" dir=ltr>Caps</TITLE>", "Caps"},
      {"text/html", "<!-- <title>Not The Title</title> --><!--><title>Real</title>", "Real"},
      {"text/html", "<script>document.write('<title>No</title>')</script><title>Yes</title>", "Yes"},
      {"text/html", "<style>title{}</style><textarea><title>No</title></textarea><noscript><title>No</title>"
                    "</noscript><title>Yes</title>", "Yes"},
      {"text/html", "<template><title>No</title></template><svg><title>Icon</title></svg><title>Yes</title>", "Yes"},
      {"text/html", "</title><title>Late</title><title>Second</title>", "Late"},
      {"text/html", "<title>a </titlex> <b> &lt;c&gt; </TITLE foo=\">\">", "a </titlex> <b> <c>"},
      {"text/html", "<title>\r\n  One\ttwo\r\n\n three &#9; \f</title>", "One two three"},
      {"text/html", "<title>a\0b\x1b[31m</title>"s, "a\ufffdb[31m"},
      {"text/html; charset=iso-8859-1", "<title>Caf\xe9 du Port</title>", "Caf\u00e9 du Port"},
      {"text/html", "<meta charset=\"ISO-8859-1\"><title>Caf\xe9</title>", "Caf\u00e9"},
      {"text/html", "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=windows-1252\">"
                    "<title>\x93Quotes\x94</title>", "\u201cQuotes\u201d"},
      {"text/html", "<title>Caf\xe9</title><meta content='text/html;charset=koi8-r' http-equiv=content-type>",
       "Caf{E9}"},  // a meta after the title still counts in the first 1024 bytes
      {"text/html", "<meta content=\"charset=koi8-r\"><title>Caf\xe9</title>", "Caf\u00e9"},  // no http-equiv
      {"text/html; charset=utf-8", "<meta charset=iso-8859-1><title>Caf\xc3\xa9</title>", "Caf\u00e9"},
      {"text/html; charset=iso-8859-1", "\xEF\xBB\xBF<title>Caf\xc3\xa9</title>", "Caf\u00e9"},
      {"text/html; charset=\"UTF-8\"", "<title>\xe6\x97\xa5\xe6\x9c\xac \xff\xe6\x97</title>",
       "\u65e5\u672c \ufffd\ufffd"},
      {"text/html", "<title>Caf\xc3\xa9</title>", "Caf\u00e9"},
      {"text/html", "<title>Caf\xe9</title>", "Caf\u00e9"},
      {"Unknown type", "\xFF\xFE<\0t\0i\0t\0l\0e\0>\0H\0i\0=\xD8\x00\xDE<\0/\0t\0i\0t\0l\0e\0>\0"s,
       "Hi\U0001F600"},
      {"text/html; charset=koi8-r", "<title>\xf0\xd2 &amp;</title>", "{F0}{D2} &"},
      {"text/html; charset=gbk", "<title>ab\xc4\xe3</title>", "ab\ufffd\ufffd"},  // no converter for it
      {"text/html; charset=x-klingon", "<title>Caf\xe9</title>", "Caf\u00e9"},
      {"text/html; charset=iso-2022-kr", "<title>x</title>", ""},
      {"text/html", "<title> </title>", ""},
      {"text/html", "<p>no title", ""},
      {"text/html", "<title>never closed", "never closed"},
  };
  TFakeTextConverter converter;
  for (const TTitleCase& test : cases) {
    EXPECT_EQ(PageTitleOf(test.Body, true, test.ContentType, &converter), test.Title) << test.Body;
  }
  // The start of a longer body: what its end could change is not told yet.
  EXPECT_EQ(PageTitleOf("<title>cut", false, "text/html", &converter), std::nullopt);
  EXPECT_EQ(PageTitleOf("<p>", false, "text/html", &converter), std::nullopt);
  EXPECT_EQ(PageTitleOf("<meta charset=utf-8><title>x</title>", false, "text/html", &converter), "x");
}

TEST(PageTitleTest, OnlyPagesAreReadAndTheirTitleIsSoughtInABoundedStart) {
  EXPECT_TRUE(ShowsPageTitle("text/html; charset=utf-8"));
  EXPECT_TRUE(ShowsPageTitle("application/xhtml+xml"));
  EXPECT_TRUE(ShowsPageTitle("Unknown"));
  EXPECT_FALSE(ShowsPageTitle("text/plain"));

  TTempFolder folder{"title"};
  TFakeUrlCache cache;
  auto captionOf = [&](const std::string& name, const std::string& contentType, const std::string* content) {
    TURLInfo info;
    info.LocalFile = (folder.Path / name).string();
    info.ContentType = contentType;
    if (content) WriteFile(folder.Path / name, *content);
    return FileCaptionOf(cache, info, nullptr);
  };
  const std::string far = std::string(64 * 1024 - 3, 'x') + "<title>Far away</title>";
  const std::string tooFar = std::string(kTitleMostRead, ' ') + "<title>Too far</title>";
  const std::string gif = "GIF89a<title>x</title>";
  const std::string empty = "<title></title>";
  EXPECT_EQ(captionOf("far.htm", "text/html", &far), "Far away");
  EXPECT_EQ(captionOf("far[1].htm", "text/html", &tooFar), "far.htm");
  EXPECT_EQ(captionOf("empty[1].htm", "Unknown", &empty), "empty.htm");
  EXPECT_EQ(captionOf("logo[1].gif", "image/gif", &gif), "logo.gif");
  EXPECT_EQ(captionOf("gone[1].gif", "image/gif", nullptr), "gone.gif");  // not read
  EXPECT_EQ(captionOf("gone[1].htm", "text/html", nullptr), std::nullopt);  // the caption stays
}

}  // namespace
}  // namespace hoardscope
