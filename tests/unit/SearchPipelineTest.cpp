// The search pipeline against the plain sequential search over the same entries: the same findings in the same
// order, whatever the number of threads, with a progress watching or without, and a progress that stops it.
#include <gtest/gtest.h>

#include "core/Tools.h"
#include "core/TreeRules.h"
#include "search/SearchPipeline.h"
#include "search/TextSearch.h"
#include "tests/fakes/FakeServices.h"
#include "tests/fakes/FakeUrlCache.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

// A cache whose bodies with "locked" in their local file's name cannot be had.
class TLockingCache : public TFakeUrlCache {
 public:
  BodyRead ReadBody(const std::string& localFileName, const BodyPieceSink& sink) override {
    if (localFileName.find("locked") != std::string::npos) {
      return {BodyStartState::Unreadable, "locked: " + localFileName};
    }
    return TFakeUrlCache::ReadBody(localFileName, sink);
  }
};

struct TFindings {
  std::vector<std::string> Found;
  std::vector<std::string> Unreadable;
  bool operator==(const TFindings&) const = default;
};

class SearchPipelineTest : public ::testing::Test {
 protected:
  // Pages over five hosts: every seventh holds the needle in some case at some place, some past the reader's
  // first block; among them pictures that hold it too, files that are gone and bodies that are locked.
  void SetUp() override {
    for (int i = 0; i < 400; ++i) {
      std::string content(static_cast<std::size_t>(i % 50 == 0 ? 600000 : 40 + i * 7 % 900), 'x');
      if (i % 7 == 3) content.insert(content.size() * static_cast<std::size_t>(i % 4) / 3, i % 2 ? "NeedLE" : "needle");
      const std::string name = (i % 31 == 5 ? "locked-" : "page-") + std::to_string(i);
      TURLInfo info;
      info.ContentType = i % 9 == 4 ? "image/png" : "text/html";
      info.LocalFile = info.CacheFile = (Files.Path / name).string();
      info.SourceUrl = "http://h" + std::to_string(i % 5) + "/" + name;
      if (i % 13 != 6) WriteFile(Files.Path / name, content);
      Entries.Add(info.SourceUrl, std::move(info));
    }
    Entries.Sort();
  }

  // The search of one entry after the other, as the view searched before it had a pipeline.
  TFindings SequentialSearch(const std::string& folder, const std::string& text) {
    TFindings findings;
    for (const TEntryItem& item : Entries.Items()) {
      if ((!folder.empty() && !IsUnderNodeKey(folder, item.Key)) || !StartsWithNoCase(item.Info->ContentType, "text/")) {
        continue;
      }
      if (item.Info->LocalFile.find("locked") != std::string::npos) {
        findings.Unreadable.push_back(item.Key + " locked: " + item.Info->LocalFile);
      } else if (SearchFile(item.Info->LocalFile, SearchNeedle(text, false), false) == TFileSearchResult::Found) {
        findings.Found.push_back(item.Key);
      }
    }
    return findings;
  }

  TFindings PipelineSearch(unsigned threads, const std::string& folder, const std::string& text,
                           IProgress* progress = nullptr) {
    TFindings findings;
    Done = TSearchPipeline(Cache, nullptr, threads)
               .Run(Entries.Items(), {text, false, folder, TDateChoice::dcAll},
                    {[&](const TEntryItem& item) { findings.Found.push_back(item.Key); },
                     [&](const TEntryItem& item, const std::string& why) {
                       findings.Unreadable.push_back(item.Key + " " + why);
                     }},
                    progress);
    return findings;
  }

  TTempFolder Files{"pipeline"};
  TEntryList Entries;
  TLockingCache Cache;
  bool Done = false;
};

TEST_F(SearchPipelineTest, FindsWhatTheSequentialSearchFindsInTheListsOrder) {
  for (const char* folder : {"", "h2"}) {
    const TFindings expected = SequentialSearch(folder, "needle");
    ASSERT_GT(expected.Found.size(), 5u);
    ASSERT_FALSE(expected.Unreadable.empty());
    for (const unsigned threads : {1u, 3u, 8u}) {
      EXPECT_EQ(PipelineSearch(threads, folder, "needle"), expected) << folder << " on " << threads << " threads";
      EXPECT_TRUE(Done);
      TFakeProgress watching;
      EXPECT_EQ(PipelineSearch(threads, folder, "needle", &watching), expected) << folder << ", watched";
      EXPECT_TRUE(Done);
      for (const TProgressState& step : watching.Steps) EXPECT_LE(step.Done, step.Total.value());
    }
  }
}

TEST_F(SearchPipelineTest, AStoppedSearchReadsNothingMoreAndSaysSo) {
  TFakeProgress stopped;
  stopped.StopAt = 0;
  EXPECT_EQ(PipelineSearch(3, "", "needle", &stopped), TFindings());
  EXPECT_FALSE(Done);
}

}  // namespace
}  // namespace hoardscope
