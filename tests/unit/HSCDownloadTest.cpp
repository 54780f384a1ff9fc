// The download automation object through its dual interface: the two batches, the copy order, the folder picker,
// the replace rules, and the failures with their error information; and the resolution of relative movie URLs.
#include <gtest/gtest.h>

#include "com/HSCDownload.h"
#include "core/ResolveURL.h"
#include "tests/unit/ComFakes.h"

namespace hoardscope {
namespace {

using TTexts = std::vector<std::string>;

class HSCDownloadTest : public ::testing::Test {
 protected:
  HSCDownloadTest() {
    TComPtr<IClassFactory> factory;
    Entry.GetClassObject(CLSID_HSCDownload, IID_IClassFactory, reinterpret_cast<void**>(factory.Out()));
    factory->CreateInstance(nullptr, IID_IHSCDownload, reinterpret_cast<void**>(Download.Out()));
    Host.Picker.Answer = "saved";
  }

  // A cache entry whose local file exists with the given content.
  void Cached(const std::string& url, const std::string& localFile, const std::string& content = "bytes") {
    CacheEntryRecord record;
    record.SourceUrl = url;
    record.LocalFileName = Path({"cache", localFile});
    Host.Cache.Put(record);
    Host.Files.Files[record.LocalFileName] = content;
  }
  static std::string Path(const TTexts& parts) {
    std::string path;
    for (const std::string& part : parts) path += (path.empty() ? "" : std::string(1, kPathSeparator)) + part;
    return path;
  }
  std::string Copy(const std::string& file) { return Path({"cache", file}) + " -> " + Path({"saved", file}); }

  HRESULT SetIMG(const std::string& url) {
    TVariant image(url);
    return Download->SetIMG(image.Value, VariantOfType(VT_EMPTY));
  }
  HRESULT SetSWF(const std::string& movie, const std::string& base) {
    TVariant movieText(movie), baseText(base);
    return Download->SetSWF(movieText.Value, baseText.Value);
  }
  const THSCDownload& Object() { return *static_cast<THSCDownload*>(Download.Get()); }

  TFakeModuleHost Host;
  TModuleEntry Entry{Host};
  TComPtr<IHSCDownload> Download;
  const std::string kErrorSource = GuidText(IID_IHSCDownload) + " Hoardscope.HSCDownload: ";
};

TEST_F(HSCDownloadTest, ABatchCopiesTheCachedFilesInCaseInsensitiveOrderKeepingDuplicates) {
  Cached("http://h/b.gif", "b.gif");
  Cached("http://h/A.png", "A.png");
  Cached("http://h/c.jpg", "c.jpg");
  ASSERT_EQ(S_OK, Download->BeginSetIMG());
  for (const char* url : {"http://h/c.jpg", "http://h/b.gif", "http://h/A.png", "http://h/b.gif"}) {
    ASSERT_EQ(S_OK, SetIMG(url));
  }
  ASSERT_EQ(S_OK, Download->EndSetIMG());
  EXPECT_EQ((TTexts{Copy("A.png"), Copy("b.gif"), Copy("b.gif"), Copy("c.jpg")}), Host.Files.Copies);
  EXPECT_EQ(TTexts{"Hoardscope 1.2"}, Host.Picker.Titles);
  EXPECT_EQ(TTexts{}, *Object().ImageURLs());
}

TEST_F(HSCDownloadTest, AnEmptyBatchStillAsksForAFolderAndASecondEndAsksAgain) {
  Download->BeginSetSWF();
  EXPECT_EQ(S_OK, Download->EndSetSWF());
  EXPECT_EQ(S_OK, Download->EndSetSWF());
  EXPECT_EQ(2u, Host.Picker.Titles.size());
  EXPECT_EQ(TTexts{}, Host.Files.Copies);
}

TEST_F(HSCDownloadTest, CancellingThePickerCopiesNothingAndEmptiesTheList) {
  Cached("http://h/a.gif", "a.gif");
  Host.Picker.Answer = std::nullopt;
  Download->BeginSetIMG();
  SetIMG("http://h/a.gif");
  EXPECT_EQ(S_OK, Download->EndSetIMG());
  EXPECT_EQ(TTexts{}, Host.Files.Copies);
  EXPECT_EQ(TTexts{}, *Object().ImageURLs());
}

TEST_F(HSCDownloadTest, AFolderThatEndsInTheSeparatorGetsNoSecondOne) {
  Cached("http://h/a.gif", "a.gif");
  Host.Picker.Answer = Path({"saved", ""});
  Download->BeginSetIMG();
  SetIMG("http://h/a.gif");
  Download->EndSetIMG();
  EXPECT_EQ(TTexts{Copy("a.gif")}, Host.Files.Copies);
}

TEST_F(HSCDownloadTest, URLsWithoutACachedFileAreSkipped) {
  Cached("http://h/a.gif", "a.gif");
  Cached("http://h/gone.gif", "gone.gif");
  Host.Files.Files.erase(Path({"cache", "gone.gif"}));
  CacheEntryRecord withoutFile;
  withoutFile.SourceUrl = "http://h/nofile.gif";
  Host.Cache.Put(withoutFile);
  Download->BeginSetIMG();
  for (const char* url : {"http://h/gone.gif", "http://h/missing.gif", "http://h/nofile.gif", "http://h/a.gif"}) {
    SetIMG(url);
  }
  EXPECT_EQ(S_OK, Download->EndSetIMG());
  EXPECT_EQ(TTexts{Copy("a.gif")}, Host.Files.Copies);
}

TEST_F(HSCDownloadTest, ADifferentFileInTheFolderIsReplacedOnlyAfterAsking) {
  Cached("http://h/same.gif", "same.gif", "cached");
  Cached("http://h/other.gif", "other.gif", "cached");
  Host.Files.Files[Path({"saved", "same.gif"})] = "cached";
  Host.Files.Files[Path({"saved", "other.gif"})] = "the user's own";
  Download->BeginSetIMG();
  SetIMG("http://h/same.gif");
  SetIMG("http://h/other.gif");
  Download->EndSetIMG();
  EXPECT_EQ((TTexts{Copy("other.gif") + " (asked)", Copy("same.gif")}), Host.Files.Copies);
}

TEST_F(HSCDownloadTest, TheTwoBatchesAreIndependentAndABeginDiscardsWhatWasCollected) {
  Download->BeginSetIMG();
  Download->BeginSetSWF();
  SetIMG("http://h/a.gif");
  SetSWF("http://h/m.swf", "");
  EXPECT_EQ(TTexts{"http://h/a.gif"}, *Object().ImageURLs());
  EXPECT_EQ(TTexts{"http://h/m.swf"}, *Object().MovieURLs());
  Download->BeginSetIMG();
  EXPECT_EQ(TTexts{}, *Object().ImageURLs());
  EXPECT_EQ(TTexts{"http://h/m.swf"}, *Object().MovieURLs());
}

TEST_F(HSCDownloadTest, CallsBeforeTheirBeginFailWithErrorInformationAndChangeNothing) {
  for (const auto& call : std::vector<std::function<HRESULT()>>{
           [&] { return Download->EndSetIMG(); }, [&] { return SetIMG("http://h/a.gif"); },
           [&] { return Download->EndSetSWF(); }, [&] { return SetSWF("http://h/m.swf", ""); }}) {
    EXPECT_EQ(E_UNEXPECTED, call());
    const std::string error = TakeErrorInfo();
    EXPECT_EQ(0u, error.find(kErrorSource)) << error;
    EXPECT_NE(std::string::npos, error.find("BeginSet")) << error;
  }
  EXPECT_FALSE(Object().ImageURLs());
  EXPECT_FALSE(Object().MovieURLs());
  EXPECT_EQ(TTexts{}, Host.Picker.Titles);
}

TEST_F(HSCDownloadTest, ArgumentsAreTakenAsTextAndNullFailsTheCall) {
  Download->BeginSetIMG();
  Download->BeginSetSWF();
  VARIANT number = VariantOfType(VT_I4);
  number.lVal = 42;
  EXPECT_EQ(S_OK, Download->SetIMG(number, VariantOfType(VT_NULL)));  // the base of a picture is not even read
  EXPECT_EQ(S_OK, Download->SetIMG(VariantOfType(VT_EMPTY), VariantOfType(VT_EMPTY)));
  EXPECT_EQ(E_UNEXPECTED, Download->SetIMG(VariantOfType(VT_NULL), VariantOfType(VT_EMPTY)));
  EXPECT_EQ(kErrorSource + "Could not convert variant of type (Null) into type (String)", TakeErrorInfo());
  EXPECT_EQ((TTexts{"42", ""}), *Object().ImageURLs());

  TVariant movie("m.swf");
  EXPECT_EQ(E_UNEXPECTED, Download->SetSWF(movie.Value, VariantOfType(VT_NULL)));  // a relative movie needs its base
  EXPECT_EQ(TTexts{}, *Object().MovieURLs());
  TVariant absolute("http://h/m.swf");
  EXPECT_EQ(S_OK, Download->SetSWF(absolute.Value, VariantOfType(VT_NULL)));
}

TEST_F(HSCDownloadTest, MoviesWithoutTheLowerCasePrefixAreResolvedAgainstTheBase) {
  Download->BeginSetSWF();
  SetSWF("movie.swf", "http://h/dir/page.html");
  SetSWF("HTTP://H/Dir/../M.swf", "http://h/dir/page.html");
  SetSWF("see http://h/x/../y.swf", "http://h/dir/page.html");
  SetSWF("/top.swf", "not a url");
  EXPECT_EQ((TTexts{"http://h/dir/movie.swf", "HTTP://H/M.swf", "see http://h/x/../y.swf", "/top.swf"}),
            *Object().MovieURLs());
}

TEST(ResolveURLTest, ReferencesOfRfc3986) {
  const std::string base = "http://a/b/c/d;p?q";
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"g", "http://a/b/c/g"},         {"./g", "http://a/b/c/g"},      {"g/", "http://a/b/c/g/"},
      {"/g", "http://a/g"},            {"//g", "http://g"},            {"?y", "http://a/b/c/d;p?y"},
      {"g?y", "http://a/b/c/g?y"},     {"#s", "http://a/b/c/d;p?q#s"}, {"g#s", "http://a/b/c/g#s"},
      {";x", "http://a/b/c/;x"},       {".", "http://a/b/c/"},         {"..", "http://a/b/"},
      {"../g", "http://a/b/g"},        {"../../g", "http://a/g"},      {"../../../g", "http://a/g"},
      {"/./g", "http://a/g"},          {"/../g", "http://a/g"},        {"g.", "http://a/b/c/g."},
      {"..g", "http://a/b/c/..g"},     {"./../g", "http://a/b/g"},     {"g/./h", "http://a/b/c/g/h"},
      {"g/../h", "http://a/b/c/h"},    {"g;x=1/../y", "http://a/b/c/y"}, {"g:h", "g:h"},
      {"ftp://x/./y", "ftp://x/y"},
  };
  for (const auto& [reference, target] : cases) EXPECT_EQ(target, ResolveURL(reference, base)) << reference;
  EXPECT_EQ("http://h/m.swf", ResolveURL("m.swf", "http://h"));
}

TEST(ResolveURLTest, AnUnusableBaseOrAnEmptyTextLeavesTheTextAlone) {
  for (const char* base : {"", "page.html", "/dir/page.html", "mailto:someone@h", "C:\\dir\\page.html"}) {
    EXPECT_EQ("movie.swf", ResolveURL("movie.swf", base)) << base;
  }
  EXPECT_EQ("", ResolveURL("", "http://h/dir/page.html"));
}

}  // namespace
}  // namespace hoardscope
