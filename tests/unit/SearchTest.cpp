// The text test of cached files, the search history and dialog, and the age limit.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>

#include "core/Tools.h"
#include "search/AgeLimit.h"
#include "search/Search.h"
#include "search/TextSearch.h"
#include "tests/fakes/FakeRegistry.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

bool Finds(const std::string& text, const std::string& needle, bool caseSensitive = false) {
  return TextContains(text, SearchNeedle(needle, caseSensitive), caseSensitive);
}

TEST(TextSearch, FoldsOnlyAsciiUnlessCaseMatters) {
  EXPECT_TRUE(Finds("say FOO here", "Foo"));
  EXPECT_TRUE(Finds("say foo here", "Foo"));
  EXPECT_FALSE(Finds("say foo here", "Foo", true));
  EXPECT_TRUE(Finds("say Foo here", "Foo", true));
  EXPECT_FALSE(Finds("\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"));  // no folding beyond A-Z
}

TEST(TextSearch, KeepsMatchesInsideOneLine) {
  EXPECT_FALSE(Finds("ab\rcd", "bc"));
  EXPECT_FALSE(Finds("ab\r\ncd", "b\ncd"));   // the LF after a CR belongs to no line
  EXPECT_TRUE(Finds("ab\ncd", "b\ncd"));      // a LF alone does not end a line
  EXPECT_FALSE(Finds("ab\r\ncd", "\ncd"));
  EXPECT_TRUE(Finds("ab\n\ncd", "\ncd"));
  EXPECT_FALSE(Finds("ab\rcd", "b\rc"));      // a needle with a line end never matches
}

TEST(TextSearch, StopsAtCtrlZAndNeverMatchesAnEmptyText) {
  EXPECT_FALSE(Finds(std::string("before\x1A needle"), "needle"));
  EXPECT_TRUE(Finds(std::string("needle\x1A"), "needle"));
  EXPECT_FALSE(Finds("anything", ""));
}

class SearchFileTest : public ::testing::Test {
 protected:
  std::string Write(const std::string& content) {
    WriteFile(Folder.Path / "file.txt", content);
    return (Folder.Path / "file.txt").string();
  }
  TFileSearchResult Search(const std::string& content, const std::string& text, bool caseSensitive = false) {
    return SearchFile(Write(content), SearchNeedle(text, caseSensitive), caseSensitive);
  }
  TTempFolder Folder{"search"};
};

TEST_F(SearchFileTest, FindsMatchesAcrossTheReadersBlocks) {
  const std::size_t block = 1 << 20;
  std::string content(block - 3, 'x');
  content += "NeEdLe and more";
  EXPECT_EQ(Search(content, "needle"), TFileSearchResult::Found);
  content = std::string(block - 2, 'x') + "NeE-dLe";  // a needle with a byte that is no letter
  EXPECT_EQ(Search(content, "nee-dle"), TFileSearchResult::Found);
  EXPECT_EQ(Search(content, "nee-dle", true), TFileSearchResult::NotFound);
  content = std::string(block - 1, 'x') + "\r\nneedle";
  EXPECT_EQ(Search(content, "\nneedle"), TFileSearchResult::NotFound);
  content = std::string(block - 8, 'x') + "\r\nneedle and more";  // the first block ends with the needle
  EXPECT_EQ(Search(content, "\nneedle"), TFileSearchResult::NotFound);
  content = std::string(block - 7, 'x') + "\r\nneedle and more";  // the CR lies before the tail carried over
  EXPECT_EQ(Search(content, "\nneedle"), TFileSearchResult::NotFound);
  content = std::string(2 * block + 5, 'y');
  EXPECT_EQ(Search(content, "needle"), TFileSearchResult::NotFound);
  content = std::string(block + 10, 'y') + std::string("\x1A") + "needle";
  EXPECT_EQ(Search(content, "needle"), TFileSearchResult::NotFound);
}

TEST_F(SearchFileTest, ReportsAFileThatCannotBeRead) {
  EXPECT_EQ(SearchFile("/no/such/dir/file.txt", "x", false), TFileSearchResult::Unreadable);
}

class SearchDialogTest : public ::testing::Test {
 protected:
  void SetUp() override { Registry.CreateKey(RegistryRoot::LocalMachine, kSearchHistoryKey); }
  void Store(int number, const std::string& text) {
    Registry.OpenKey(RegistryRoot::LocalMachine, kSearchHistoryKey, true)
        ->WriteValue(MakeStringValue("key" + std::to_string(number), text));
  }
  std::optional<std::string> Stored(int number) {
    const auto value = Registry.OpenKey(RegistryRoot::LocalMachine, kSearchHistoryKey, false)
                           ->ReadValue("key" + std::to_string(number));
    return value ? StringOf(*value) : std::nullopt;
  }
  TfrmSearch Shown() {
    TfrmSearch dialog(Registry, Request);
    dialog.FormShow();
    return dialog;
  }

  TFakeRegistry Registry;
  TSearchRequest Request;
};

TEST_F(SearchDialogTest, ListsTheHistoryNewestFirstAndNumbersTheNextText) {
  Store(1, "one");
  Store(2, "two");
  Store(5, "five");
  TfrmSearch dialog = Shown();
  EXPECT_EQ(dialog.cbSearchItems, (std::vector<std::string>{"five", "two", "one"}));
  EXPECT_EQ(dialog.cbSearchText, "five");
  EXPECT_EQ(dialog.HistoryCount(), 3);
  dialog.cbSearchText = "new";
  dialog.btnSearchClick();
  EXPECT_EQ(Stored(4), "new");
  EXPECT_TRUE(Request.Accepted);
  EXPECT_EQ(Request.Text, "new");
}

TEST_F(SearchDialogTest, ANewTextTakesTheLowestFreeNumberWhenTheNextOneIsTaken) {
  Store(1, "one");
  Store(2, "two");
  Store(4, "four");
  TfrmSearch dialog = Shown();
  dialog.cbSearchText = "new";
  dialog.btnSearchClick();
  EXPECT_EQ(Stored(4), "four");
  EXPECT_EQ(Stored(3), "new");
}

TEST_F(SearchDialogTest, AddsNothingForATextListedInAnotherCase) {
  Store(1, "Cache");
  TfrmSearch dialog = Shown();
  dialog.cbSearchText = "CACHE";
  dialog.btnSearchClick();
  EXPECT_FALSE(Stored(2));
  EXPECT_EQ(Request.Text, "CACHE");
}

TEST_F(SearchDialogTest, AnEmptyHistoryAndAnEmptyText) {
  TfrmSearch dialog = Shown();
  EXPECT_TRUE(dialog.cbSearchItems.empty());
  EXPECT_EQ(dialog.cbSearchText, "");
  dialog.btnSearchClick();
  EXPECT_EQ(Stored(1), "");
}

TEST_F(SearchDialogTest, AFullHistoryDropsItsOldestText) {
  for (int number = 1; number <= kHistorySize; ++number) Store(number, "text" + std::to_string(number));
  TfrmSearch dialog = Shown();
  dialog.cbSearchText = "newest";
  dialog.btnSearchClick();
  EXPECT_EQ(Stored(1), "text2");
  EXPECT_EQ(Stored(255), "text256");
  EXPECT_EQ(Stored(256), "newest");
  EXPECT_FALSE(Stored(257));
  EXPECT_EQ(Shown().cbSearchItems.front(), "newest");
}

TEST_F(SearchDialogTest, ListsLongTexts) {
  Store(1, std::string(300, 'x'));
  EXPECT_EQ(Shown().cbSearchItems.size(), 1u);
}

TEST_F(SearchDialogTest, AMissingHistoryKeyIsNeverCreated) {
  Registry.DeleteKey(RegistryRoot::LocalMachine, kSearchHistoryKey);
  TfrmSearch dialog = Shown();
  dialog.cbSearchText = "x";
  dialog.btnSearchClick();
  EXPECT_FALSE(Registry.KeyExists(RegistryRoot::LocalMachine, kSearchHistoryKey));
  EXPECT_TRUE(Request.Accepted);
}

TEST_F(SearchDialogTest, TheAgeGroupHandsBackWhatItShows) {
  TfrmSearch dialog = Shown();
  EXPECT_FALSE(dialog.rbThisWeek.Enabled);
  dialog.CheckBox1 = false;
  dialog.CheckBox1Click();
  EXPECT_TRUE(dialog.rbThisWeek.Enabled);
  EXPECT_EQ(Request.DateChoice, TDateChoice::dcAll);
  dialog.rbThisWeek.Checked = true;
  dialog.rbThisWeekClick();
  EXPECT_EQ(Request.DateChoice, TDateChoice::dcThisWeek);
  dialog.CheckBox1 = true;
  dialog.CheckBox1Click();
  EXPECT_EQ(Request.DateChoice, TDateChoice::dcAll);
  dialog.CheckBox1 = false;
  dialog.CheckBox1Click();
  EXPECT_EQ(Request.DateChoice, TDateChoice::dcThisWeek);
}

TEST_F(SearchDialogTest, TheFolderChoiceIsKeptAcrossShowings) {
  TfrmSearch first = Shown();
  EXPECT_TRUE(first.rbFUnderFolder);
  first.rbFEntireCache = true;
  first.rbFEntireCacheClick();
  EXPECT_TRUE(Shown().rbFEntireCache);
  EXPECT_FALSE(Request.Accepted);
}

TEST(AgeLimit, ComparesOnTheUtcClockWithTheBoundIncluded) {
  const FileTime now = FileTimeFromUnixMillis(1796120430000LL);
  const auto syncedHoursAgo = [&](std::int64_t hours) {
    TURLInfo info;
    info.SyncTime = SystemTimeFromFileTime(now - static_cast<FileTime>(hours) * 36000000000ULL);
    return info;
  };
  EXPECT_TRUE(WithinAgeLimit(syncedHoursAgo(23), TDateChoice::dcToday, now));
  EXPECT_FALSE(WithinAgeLimit(syncedHoursAgo(25), TDateChoice::dcToday, now));
  EXPECT_TRUE(WithinAgeLimit(syncedHoursAgo(7 * 24), TDateChoice::dcThisWeek, now));
  EXPECT_FALSE(WithinAgeLimit(syncedHoursAgo(7 * 24 + 1), TDateChoice::dcThisWeek, now));
  EXPECT_TRUE(WithinAgeLimit(syncedHoursAgo(30 * 24), TDateChoice::dcThisMonth, now));
  EXPECT_TRUE(WithinAgeLimit(syncedHoursAgo(100000), TDateChoice::dcAll, now));
}

}  // namespace
}  // namespace hoardscope

namespace hoardscope {
namespace {

TEST(TextSearch, FoldsEveryByteValueOfTheHaystackLikeTheNeedle) {
  std::string all;
  for (int c = 0; c < 256; ++c) {
    if (c != '\r' && c != 26) all += static_cast<char>(c);  // no line end, no end of text
  }
  all += all.substr(60, 35);  // a tail that is not a whole number of eight-byte words
  EXPECT_TRUE(Finds(all, all));
  EXPECT_TRUE(Finds("x" + all, all));
  std::string changed = all;
  changed[0xC9] = 'x';
  EXPECT_FALSE(Finds(changed, all));
}

}  // namespace
}  // namespace hoardscope

namespace hoardscope {
namespace {

// The line rules spelled out plainly: the text ends at its first Ctrl-Z; a match holds no CR and does not start
// on the LF right after a CR.
bool ReferenceContains(std::string_view text, std::string_view needle, bool caseSensitive) {
  text = text.substr(0, text.find('\x1A'));
  const std::string folded = caseSensitive ? std::string(text) : LowerAscii(text);
  if (needle.empty() || needle.find_first_of("\r\x1A") != std::string_view::npos) return false;
  for (std::size_t at = folded.find(needle); at != std::string::npos; at = folded.find(needle, at + 1)) {
    if (!(needle[0] == '\n' && at > 0 && text[at - 1] == '\r')) return true;
  }
  return false;
}

// Texts of a small alphabet (both cases, the line ends, Ctrl-Z), fed whole and in random pieces, long enough for
// the 16-byte scan and its rest, with needles taken from them (or drawn) that straddle the seams.
TEST(TextSearch, AnyCutIntoPiecesFindsWhatTheWholeTextHolds) {
  std::mt19937 random(24);
  auto number = [&](std::size_t low, std::size_t high) {
    return std::uniform_int_distribution<std::size_t>(low, high)(random);
  };
  const std::string alphabet = "aAbB-\r\n\x1A";
  auto draw = [&](std::size_t size) {
    std::string text;
    for (std::size_t i = 0; i < size; ++i) text += alphabet[number(0, number(0, 3) == 0 ? 7 : 4)];
    return text;
  };
  int found = 0;
  for (int round = 0; round < 50000; ++round) {
    const std::string text = draw(number(0, 70));
    const bool caseSensitive = round % 2 == 0;
    const std::size_t size = number(1, 5);
    const std::string needle = SearchNeedle(
        text.size() > size && round % 3 != 0 ? text.substr(number(0, text.size() - size), size) : draw(size),
        caseSensitive);
    const bool expected = ReferenceContains(text, needle, caseSensitive);
    found += expected;
    const TTextMatcher matcher(needle, caseSensitive);
    TTextMatch match(matcher);
    for (std::size_t at = 0; at < text.size();) {
      const std::size_t piece = number(1, 8);
      if (!match.Feed(std::string_view(text).substr(at, piece))) break;
      at += piece;
    }
    ASSERT_EQ(match.Found(), expected) << '"' << text << "\" \"" << needle << '"';
    ASSERT_EQ(TextContains(text, needle, caseSensitive), expected) << '"' << text << "\" \"" << needle << '"';
  }
  EXPECT_GT(found, 10000);  // both outcomes are well represented
}

}  // namespace
}  // namespace hoardscope
