// The search of cached text against grep over the same files, warm cache: the view's whole-cache search for a rare
// text, case-sensitive and not, beside `LC_ALL=C grep -F -l` (and -i). Prepare the store with
// bench/run-search-bench.sh (make-cache, at least 256 MB of text).
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

#include "HeadlessView.h"
#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr const char* kNeedle = "hoardscope-needle";  // in about 1% of the pages
constexpr const char* kLetterNeedle = "zyzzyvaquux";    // letters only, in no page: every file is read whole

THomePaths SearchBenchHome() {
  const char* home = std::getenv("HOARDSCOPE_SEARCH_BENCH_HOME");
  const std::filesystem::path root = home ? home : "build/search-bench-home";
  return {root / "cache", root / "registry.db", root / "app", root / "copies", {}};
}

// The loaded view, once for all benchmarks of this file.
THeadlessView& LoadedView() {
  static std::ostringstream events;
  static THeadlessView headless(SearchBenchHome(), events);
  static const bool loaded = (headless.ShowAndLoad(), true);
  (void)loaded;
  return headless;
}

// The files the search reads (text entries), listed for grep; their total size.
std::uintmax_t WriteTextFileList(const std::filesystem::path& listFile) {
  std::ofstream list(listFile);
  std::uintmax_t bytes = 0;
  for (const TEntryItem& item : LoadedView().View().EntryList.Items()) {
    if (!item.Info || !StartsWithNoCase(item.Info->ContentType, "text/")) continue;
    list << item.Info->CacheFile << '\n';
    bytes += static_cast<std::uintmax_t>(item.Info->Size);
  }
  return bytes;
}

void Search(benchmark::State& state, bool caseSensitive, const char* needle = kNeedle) {
  THoardscopeMain& view = LoadedView().View();
  const std::uintmax_t bytes = WriteTextFileList("build/search-bench-files.txt");
  for (auto _ : state) {
    view.ClearSearchResult();
    view.RunSearch("", needle, caseSensitive);
    state.counters["found"] = static_cast<double>(view.SearchList.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void Grep(benchmark::State& state, const char* flags, const char* needle = kNeedle) {
  const std::uintmax_t bytes = WriteTextFileList("build/search-bench-files.txt");
  const std::string command = std::string("xargs -d '\\n' -a build/search-bench-files.txt env LC_ALL=C grep ") + flags +
                              " -l " + needle + " | wc -l > build/search-bench-grep.txt";
  for (auto _ : state) {
    if (std::system(command.c_str()) != 0) state.SkipWithError("grep failed");
    std::ifstream found("build/search-bench-grep.txt");
    double count = 0;
    found >> count;
    state.counters["found"] = count;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_SearchCaseSensitive(benchmark::State& state) { Search(state, true); }
void BM_GrepF(benchmark::State& state) { Grep(state, "-F"); }
void BM_SearchIgnoreCase(benchmark::State& state) { Search(state, false); }
void BM_GrepFi(benchmark::State& state) { Grep(state, "-F -i"); }

void BM_SearchIgnoreCaseLetters(benchmark::State& state) { Search(state, false, kLetterNeedle); }
void BM_GrepFiLetters(benchmark::State& state) { Grep(state, "-F -i", kLetterNeedle); }

BENCHMARK(BM_SearchCaseSensitive)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GrepF)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SearchIgnoreCase)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GrepFi)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SearchIgnoreCaseLetters)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_GrepFiLetters)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace
}  // namespace hoardscope
