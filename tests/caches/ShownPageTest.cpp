// The shown copy of a browser cache's page, for a browser that can only be sent to files: its links lead to the
// decoded copies of what the cache holds, while the decoded copy stays the body as stored.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/caches/CacheSwitch.h"
#include "platform/caches/ShownPage.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

const fs::path kData = HOARDSCOPE_TEST_DATA;

TEST(ShownPageTest, AChromiumPagesShownCopyLinksToTheCopiesOfItsCacheAndItsDecodedCopyStaysTheBody) {
  const TTempFolder ours{"copies"};
  const std::string folder = (kData / "browser-caches" / "chromium").string();
  const std::unique_ptr<TBrowserCache> cache =
      OpenBrowserCache({"chromium:" + folder, "chromium", folder, "Chromium", {}}, ours.Path.string());
  std::map<std::string, CacheEntryRecord> byName;  // the site's entries by the last part of their URLs
  CacheEntryRecord record;
  const std::unique_ptr<IUrlCacheWalk> walk = cache->FindFirst(record);
  for (bool listed = walk != nullptr; listed; listed = walk->FindNext(record)) {
    byName[record.SourceUrl.substr(record.SourceUrl.rfind('/') + 1)] = record;
  }
  const std::string page = byName["index.html"].LocalFileName;
  ASSERT_EQ("", cache->PrepareLocalFile(page));

  std::string shown;
  ASSERT_EQ("", cache->PrepareShownFile(page, shown));
  EXPECT_NE(shown, page);
  EXPECT_EQ(ReadFile(kData / "browser-site" / "index.html"), ReadFile(page));
  const std::string html = ReadFile(shown);
  for (const std::string name : {"style.css", "lighthouse.png", "about.html", "packed.html", "frame.html"}) {
    const std::string copy = byName[name].LocalFileName;
    EXPECT_NE(html.find("\"" + FileUrlOf(copy) + "\""), std::string::npos) << name << " in\n" << html;
    EXPECT_TRUE(fs::exists(copy)) << name;
  }
  EXPECT_NE(html.find("href=\"data:,\""), std::string::npos) << html;

  std::string picture;
  ASSERT_EQ("", cache->PrepareShownFile(byName["lighthouse.png"].LocalFileName, picture));
  EXPECT_EQ(picture, byName["lighthouse.png"].LocalFileName);
}

TEST(ShownPageTest, LinksLeadToTheCopiesOfWhatTheCacheHoldsAndOtherRelativeLinksToTheWeb) {
  const auto localFileOf = [](const std::string& url) -> std::optional<std::string> {
    if (url == "http://h.test/site/style.css") return "/copies/1/style.css";
    if (url == "http://h.test/site/page.html") return "/copies/2/page.html";
    return std::nullopt;
  };
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"style.css", "file:///copies/1/style.css"},
      {"../site/./page.html#part", "file:///copies/2/page.html#part"},
      {"http://h.test/site/style.css", "file:///copies/1/style.css"},
      {"/blog/post.html", "http://h.test/blog/post.html"},  // not cached: the web address, not the copies' folder
      {"#top", "#top"},
      {"http://other.test/a.png", "http://other.test/a.png"},
      {"mailto:harbour@h.test", "mailto:harbour@h.test"},
  };
  for (const auto& [link, target] : cases) {
    EXPECT_EQ("<a href=\"" + target + "\">x</a>",
              LinkPageToCopies("<a href=\"" + link + "\">x</a>", "http://h.test/site/index.html", localFileOf))
        << link;
  }
  EXPECT_EQ("file:///C:/Users/Ann%20Lee/copies/ab/a%25b.png", FileUrlOf("C:\\Users\\Ann Lee\\copies\\ab\\a%b.png"));
  EXPECT_EQ("file://server/share/a.png", FileUrlOf("\\\\server\\share\\a.png"));
}

}  // namespace
}  // namespace hoardscope
