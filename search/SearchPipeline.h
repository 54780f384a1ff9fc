// TSearchPipeline: the search of the cached text of the view's entries, in the stages of a search tool: the walk
// over the list, the filter (under a node, within an age, text types only), the read that makes each body readable
// (through the URL cache, decoded as it is read where the cache keeps it encoded), the match, and the sink that
// takes the findings in the list's order. Bodies are read and matched on every core while the walk still runs.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "core/EntryList.h"
#include "platform/ports/Clock.h"
#include "platform/ports/Progress.h"
#include "platform/ports/UrlCacheReader.h"
#include "search/Search.h"

namespace hoardscope {

// How long the calling thread of a watched search waits, at most, between two steps of its progress.
inline constexpr int kSearchBeatMs = 40;

struct TSearchQuery {
  std::string Text;
  bool CaseSensitive = false;
  std::string FolderPath;  // the node key the entries must lie under; empty for every entry
  TDateChoice DateChoice = TDateChoice::dcAll;
};

// Where the findings go: each in the order of the list, on the thread that runs the search.
struct TSearchSink {
  std::function<void(const TEntryItem& item)> Found;
  // A body that the cache could not give, and why. A local file that is gone or cannot be read is passed over
  // without a word, as it holds no text.
  std::function<void(const TEntryItem& item, const std::string& why)> Unreadable;
};

class TSearchPipeline {
 public:
  // clock may be null: every entry is then as old as the clock's start. threads is how many bodies are read and
  // matched at once; 0 for one per core.
  TSearchPipeline(IUrlCacheReader& cache, IClock* clock, unsigned threads = 0);

  // Searches the text bodies of the entries that the query's filter lets through for its text, on lines as
  // TTextMatch finds it. The calling thread only walks, hands on the findings and tells the progress (if any) of
  // the bodies searched (of those the filter let through) every kSearchBeatMs at least, while the pool's threads
  // read; once the progress asks to stop, no further body is read (one being read is given up) and Run returns
  // false, having delivered what it found in the bodies it had read. Without a progress it runs to its end.
  bool Run(const std::vector<TEntryItem>& entries, const TSearchQuery& query, const TSearchSink& sink,
           IProgress* progress = nullptr);

 private:
  IUrlCacheReader& FCache;
  IClock* FClock;
  unsigned FThreads;
};

}  // namespace hoardscope
