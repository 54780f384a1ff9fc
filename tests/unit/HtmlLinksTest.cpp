// RewriteLinks: the URL attributes of a page's tags rewritten, every other byte kept.
#include <gtest/gtest.h>

#include <map>

#include "core/HtmlLinks.h"

namespace hoardscope {
namespace {

struct TRewriteCase {
  const char* Html;
  const char* Rewritten;
};

TEST(HtmlLinksTest, RewritesTheUrlsOfTagsOutsideCommentsScriptsAndStyles) {
  const std::map<std::string, std::string> copies{
      {"a.html", "/c/a.html"},        {"pic.png", "/c/pic.png"},          {"x?a=1&b=2", "/c/x \"q\" & r"},
      {"j.js", "/c/j.js"},            {"a.png", "/c/A.png"},              {"b,1.png", "/c/B.png"},
      {"?x=1&copy=2", "/c/copy"},     {"", "/c/empty"},                   {"same.html", "same.html"}};
  auto replacement = [&](const std::string& value) -> std::optional<std::string> {
    const auto found = copies.find(value);
    return found == copies.end() ? std::nullopt : std::optional<std::string>(found->second);
  };
  const TRewriteCase cases[] = {
      {"<p><a href=\"a.html\">A</a> <A HREF='a.html'>", "<p><a href=\"/c/a.html\">A</a> <A HREF=\"/c/a.html\">"},
      {"<img alt=pic.png src=pic.png>", "<img alt=pic.png src=\"/c/pic.png\">"},
      {"<a href='x?a=1&amp;b=2'>", "<a href=\"/c/x &quot;q&quot; &amp; r\">"},
      {"<a href=\"?x=1&copy=2\">", "<a href=\"/c/copy\">"},  // a legacy name before "=" stays in a value
      {"<a href=\"a.html\" href=\"pic.png\">", "<a href=\"/c/a.html\" href=\"pic.png\">"},  // the first counts
      {"<a href>x</a><a href= >", "<a href=\"/c/empty\">x</a><a href= \"/c/empty\">"},
      {"<img srcset=\"a.png 1x, b,1.png 2x\">", "<img srcset=\"/c/A.png 1x, /c/B.png 2x\">"},
      {"<a href=\"same.html\"><a href=\"other.html\">", "<a href=\"same.html\"><a href=\"other.html\">"},
      {"<!-- <a href=\"a.html\"> --><script src=j.js>var s = '<a href=\"a.html\">';</script>",
       "<!-- <a href=\"a.html\"> --><script src=\"/c/j.js\">var s = '<a href=\"a.html\">';</script>"},
      {"<style>a[href=\"a.html\"] {}</style><textarea><img src=pic.png></textarea>",
       "<style>a[href=\"a.html\"] {}</style><textarea><img src=pic.png></textarea>"},
      // In a script's "<!--" a nested "<script" holds its "</script>" until "-->" closes the escape.
      {"<script><!--<script></script><a href=a.html>--></script><a href=a.html>",
       "<script><!--<script></script><a href=a.html>--></script><a href=\"/c/a.html\">"},
      {"<script><!-- x --></script><a href=a.html>", "<script><!-- x --></script><a href=\"/c/a.html\">"},
      {"<a href=\"a.html", "<a href=\"a.html"},  // cut off: no tag
      {"caf\xe9 <b>\xff</b>", "caf\xe9 <b>\xff</b>"},
  };
  for (const TRewriteCase& test : cases) EXPECT_EQ(RewriteLinks(test.Html, replacement), test.Rewritten) << test.Html;
}

}  // namespace
}  // namespace hoardscope
