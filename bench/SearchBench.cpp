// The search of cached text beside the command-line tools over the same files, warm cache: the view's whole-cache
// search for a rare text (case-sensitive and not, and a needle of letters only that no page holds) beside
// `grep -F -l` and `rg -l -F` (on every core and on one, -j1); and the search of the gzip bodies of a Chromium
// cache, decoded as they are read, beside `zcat | grep -F -c` over the same bodies as the cache stores them.
// Prepare the homes with bench/run-search-bench.sh, which prints the ratios.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <unordered_set>

#include "HeadlessView.h"
#include "core/ResponseHeaders.h"
#include "core/Tools.h"
#include "platform/caches/BrowserCacheEntry.h"
#include "platform/caches/EntryBytes.h"
#include "search/SearchPipeline.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr const char* kNeedle = "hoardscope-needle";  // in about 1% of the pages
constexpr const char* kLetterNeedle = "zyzzyvaquux";    // letters only, in no page: every file is read whole
// Within the limit of a command line, which the environment shares: each tool gets every file in one run.
constexpr const char* kXargs = "xargs -d '\\n' -s 2000000 -a ";

fs::path BenchRoot() {
  const char* home = std::getenv("HOARDSCOPE_SEARCH_BENCH_HOME");
  return home ? home : "build/search-bench-home";
}

// The bench home's store, or a home of its own whose view shows the Chromium cache beside it.
THomePaths SearchBenchHome(bool chromium) {
  const fs::path root = BenchRoot();
  if (!chromium) return {root / "cache", root / "registry.db", root / "app", root / "copies", {}};
  const fs::path own = root / "chromium-home";
  return {own / "cache", own / "registry.db", own / "app", own / "copies", "chromium:" + (root / "chromium").string()};
}

// The loaded view of either home, once for all benchmarks of this file.
THeadlessView& LoadedView(bool chromium) {
  static std::ostringstream events;
  auto load = [](bool browser) {
    auto headless = std::make_unique<THeadlessView>(SearchBenchHome(browser), events);
    headless->ShowAndLoad();
    return headless;
  };
  if (chromium) {
    static const std::unique_ptr<THeadlessView> browser = load(true);
    return *browser;
  }
  static const std::unique_ptr<THeadlessView> store = load(false);
  return *store;
}

struct TFileList {
  fs::path Folder;  // the tools run here, on the list's paths relative to it
  fs::path List;
  std::uintmax_t Bytes = 0;
};

// The files the view's search reads (its text entries), relative to the store's folder.
const TFileList& TextFiles() {
  static const TFileList files = [] {
    TFileList list{fs::absolute(SearchBenchHome(false).CacheRoot), fs::absolute("build/search-bench-files.txt")};
    std::ofstream out(list.List);
    for (const TEntryItem& item : LoadedView(false).View().State().EntryList.Items()) {
      if (!item.Info || !StartsWithNoCase(item.Info->ContentType, "text/")) continue;
      out << fs::path(item.Info->CacheFile).lexically_relative(list.Folder).string() << '\n';
      list.Bytes += static_cast<std::uintmax_t>(item.Info->Size);
    }
    return list;
  }();
  return files;
}

struct TGzipBodies {
  TFileList Files;                  // each gzip body of a text entry as the cache stores it, in a file of its own
  std::vector<TEntryItem> Entries;  // the view's entries of those bodies
};

// The Chromium cache's gzip-encoded text bodies, written out once for zcat.
const TGzipBodies& GzipBodies() {
  static const TGzipBodies bodies = [] {
    TGzipBodies gzip;
    gzip.Files = {fs::absolute("build/search-bench-bodies"), fs::absolute("build/search-bench-bodies.txt")};
    fs::create_directories(gzip.Files.Folder);
    std::ofstream list(gzip.Files.List);
    std::unordered_set<std::string> urls;
    ReadChromiumCache((BenchRoot() / "chromium").string(), [&](TBrowserCacheEntry&& entry) {
      if (!StartsWithNoCase(HeaderValueOf(entry.ResponseHeaders, "Content-Type"), "text/") ||
          HeaderValueOf(entry.ResponseHeaders, "Content-Encoding") != "gzip") {
        return;
      }
      TEntryFile file;
      const std::optional<std::string_view> body =
          file.Open(entry.Body.File) == TEntryFile::TOpenResult::Opened
              ? file.Read(entry.Body.Offset, static_cast<std::size_t>(entry.Body.Size))
              : std::nullopt;
      if (!body) return;
      const std::string name = std::to_string(urls.size()) + ".gz";
      std::ofstream(gzip.Files.Folder / name, std::ios::binary).write(body->data(), static_cast<std::streamsize>(body->size()));
      list << name << '\n';
      gzip.Files.Bytes += body->size();
      urls.insert(entry.Url);
    });
    for (const TEntryItem& item : LoadedView(true).View().State().EntryList.Items()) {
      if (item.Info && urls.count(item.Info->SourceUrl)) gzip.Entries.push_back(item);
    }
    return gzip;
  }();
  return bodies;
}

void Search(benchmark::State& state, bool caseSensitive, const char* needle = kNeedle) {
  THoardscopeMain& view = LoadedView(false).View();
  const std::uintmax_t bytes = TextFiles().Bytes;
  for (auto _ : state) {
    view.ClearSearchResult();
    view.RunSearch("", needle, caseSensitive);
    state.counters["found"] = static_cast<double>(view.State().SearchList.Count());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

// A shell command that prints a count, run in the list's folder; found is that count.
void Shell(benchmark::State& state, const TFileList& files, const std::string& command) {
  const std::string counted =
      "cd '" + files.Folder.string() + "' && { " + command + "; } > '" + fs::absolute("build/search-bench-count.txt").string() + "'";
  for (auto _ : state) {
    if (std::system(counted.c_str()) != 0) state.SkipWithError(("failed: " + command).c_str());
    std::ifstream found("build/search-bench-count.txt");
    double count = 0;
    found >> count;
    state.counters["found"] = count;
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * files.Bytes));
}

// A tool that lists the files that hold the needle, over the list in one run.
void ListingTool(benchmark::State& state, const std::string& tool, const char* needle = kNeedle) {
  const TFileList& files = TextFiles();
  Shell(state, files, kXargs + ("'" + files.List.string() + "' ") + tool + " " + needle + " | wc -l");
}

// The pipeline over the gzip bodies alone, through the view's cache, which decodes them as it reads them.
void SearchGzipBodies(benchmark::State& state, bool caseSensitive) {
  const TGzipBodies& gzip = GzipBodies();
  TSearchPipeline pipeline(LoadedView(true).Sources(), nullptr);
  for (auto _ : state) {
    double found = 0;
    pipeline.Run(gzip.Entries, {kNeedle, caseSensitive, "", TDateChoice::dcAll},
                 {[&](const TEntryItem&) { ++found; }, [](const TEntryItem&, const std::string&) {}});
    state.counters["found"] = found;
  }
  state.counters["bodies"] = static_cast<double>(gzip.Entries.size());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * gzip.Files.Bytes));
}

void ZcatGrep(benchmark::State& state, const char* flags) {
  const TFileList& files = GzipBodies().Files;
  Shell(state, files,
        kXargs + ("'" + files.List.string() + "' zcat | LC_ALL=C grep -c ") + flags + " " + kNeedle + " || true");
}

void BM_SearchCaseSensitive(benchmark::State& state) { Search(state, true); }
void BM_GrepF(benchmark::State& state) { ListingTool(state, "env LC_ALL=C grep -l -F"); }
void BM_RipgrepF(benchmark::State& state) { ListingTool(state, "rg -l -F"); }
void BM_RipgrepFj1(benchmark::State& state) { ListingTool(state, "rg -j1 -l -F"); }
void BM_SearchIgnoreCase(benchmark::State& state) { Search(state, false); }
void BM_GrepFi(benchmark::State& state) { ListingTool(state, "env LC_ALL=C grep -l -F -i"); }
void BM_RipgrepFi(benchmark::State& state) { ListingTool(state, "rg -l -F -i"); }
void BM_RipgrepFij1(benchmark::State& state) { ListingTool(state, "rg -j1 -l -F -i"); }
void BM_SearchIgnoreCaseLetters(benchmark::State& state) { Search(state, false, kLetterNeedle); }
void BM_GrepFiLetters(benchmark::State& state) { ListingTool(state, "env LC_ALL=C grep -l -F -i", kLetterNeedle); }
void BM_RipgrepFiLetters(benchmark::State& state) { ListingTool(state, "rg -l -F -i", kLetterNeedle); }

void BM_SearchGzipCaseSensitive(benchmark::State& state) { SearchGzipBodies(state, true); }
void BM_ZcatGrepF(benchmark::State& state) { ZcatGrep(state, "-F"); }
void BM_SearchGzipIgnoreCase(benchmark::State& state) { SearchGzipBodies(state, false); }
void BM_ZcatGrepFi(benchmark::State& state) { ZcatGrep(state, "-F -i"); }

BENCHMARK(BM_SearchCaseSensitive)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(10);
BENCHMARK(BM_GrepF)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RipgrepF)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RipgrepFj1)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SearchIgnoreCase)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(10);
BENCHMARK(BM_GrepFi)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RipgrepFi)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RipgrepFij1)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SearchIgnoreCaseLetters)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(10);
BENCHMARK(BM_GrepFiLetters)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_RipgrepFiLetters)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SearchGzipCaseSensitive)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(10);
BENCHMARK(BM_ZcatGrepF)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SearchGzipIgnoreCase)->Unit(benchmark::kMillisecond)->MeasureProcessCPUTime()->UseRealTime()->Iterations(10);
BENCHMARK(BM_ZcatGrepFi)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
}  // namespace hoardscope
