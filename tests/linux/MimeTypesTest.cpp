// The parser of the system's media-type list and its lookups.
#include "platform/linux/MimeTypes.h"

#include <gtest/gtest.h>

#include <sstream>

namespace hoardscope {
namespace {

TMimeTypes ParseText(const std::string& text) {
  std::istringstream in(text);
  return TMimeTypes::Parse(in);
}

std::string ExtensionOf(const TMimeTypes& types, const std::string& name) {
  const TMimeType* type = types.Find(name);
  return type ? type->Extension : "<not listed>";
}

TEST(MimeTypes, EachTypeGetsItsFirstExtensionWithADot) {
  const TMimeTypes types = ParseText(
      "###########\n"
      "#  text/fake  fake\n"
      "\n"
      "text/html\t\t\t\thtml htm shtml\n"
      "   image/png    png   # portable network graphics\n"
      "text/plain\ttxt text\r\n"
      "application/dotted .dot\n"
      "application/no-extension\n"
      "junk-without-slash abc\n");
  EXPECT_EQ(".html", ExtensionOf(types, "text/html"));
  EXPECT_EQ(".png", ExtensionOf(types, "image/png"));
  EXPECT_EQ(".txt", ExtensionOf(types, "text/plain")) << "a CR LF line end is not part of a word";
  EXPECT_EQ(".dot", ExtensionOf(types, "application/dotted"));
  EXPECT_EQ("", ExtensionOf(types, "application/no-extension"));
  EXPECT_EQ("<not listed>", ExtensionOf(types, "text/fake")) << "commented out";
  EXPECT_EQ("<not listed>", ExtensionOf(types, "junk-without-slash"));
  EXPECT_EQ(5u, types.Types().size());
}

TEST(MimeTypes, LookupsIgnoreCaseAndNeedTheWholeName) {
  const TMimeTypes types = ParseText("Text/HTML html\n");
  EXPECT_EQ(".html", ExtensionOf(types, "text/html"));
  EXPECT_EQ(".html", ExtensionOf(types, "TEXT/html"));
  EXPECT_EQ("Text/HTML", types.Find("text/html")->Name);
  EXPECT_EQ("<not listed>", ExtensionOf(types, "text/html; charset=utf-8"));
  EXPECT_EQ("<not listed>", ExtensionOf(types, "text/htm"));
}

TEST(MimeTypes, TypeListedTwiceKeepsItsFirstExtension) {
  const TMimeTypes types = ParseText(
      "text/x-one one\n"
      "TEXT/X-ONE uno\n"
      "text/x-two\n"
      "text/x-two two\n");
  ASSERT_EQ(2u, types.Types().size());
  EXPECT_EQ(".one", ExtensionOf(types, "text/x-one"));
  EXPECT_EQ(".two", ExtensionOf(types, "text/x-two")) << "a later line fills a type listed without extension";
}

TEST(MimeTypes, TypesAreOrderedWithoutRegardToCase) {
  const TMimeTypes types = ParseText("video/mp4 mp4\nAudio/ogg oga\napplication/pdf pdf\n");
  std::vector<std::string> names;
  for (const TMimeType& type : types.Types()) names.push_back(type.Name);
  EXPECT_EQ((std::vector<std::string>{"application/pdf", "Audio/ogg", "video/mp4"}), names);
}

TEST(MimeTypes, MissingFileIsAnEmptyList) {
  const TMimeTypes types = TMimeTypes::Load("/nonexistent/mime.types");
  EXPECT_TRUE(types.Types().empty());
  EXPECT_EQ(nullptr, types.Find("text/html"));
}

TEST(MimeTypes, SystemListKnowsTheWebsCommonTypes) {
  const std::filesystem::path system = "/etc/mime.types";
  if (!std::filesystem::exists(system)) GTEST_SKIP() << "no " << system << " on this machine";
  const TMimeTypes types = TMimeTypes::Load(system);
  EXPECT_EQ(".html", ExtensionOf(types, "text/html"));
  EXPECT_EQ(".gif", ExtensionOf(types, "image/gif"));
  EXPECT_EQ(".css", ExtensionOf(types, "text/css"));
}

}  // namespace
}  // namespace hoardscope
