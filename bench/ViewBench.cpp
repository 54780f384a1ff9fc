// The view over a large cache store: the load (walk, sort, host level), the expansion of a big host and its details
// list; the load of the same entries as Chromium and Firefox disk caches, and the expansion of the Chromium cache's
// big host. Prepare them first: bench/run-view-bench.sh does it with make-cache (100,000 entries each).
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <cstdlib>
#include <sstream>

#include "HeadlessView.h"
#include "core/TreeRules.h"

namespace hoardscope {
namespace {

// The bench home with its store of entries, or a home of its own (whose store stays empty) showing one of the
// browser caches beside it ("chromium", "firefox").
THomePaths BenchHome(const std::string& browser = {}) {
  const char* home = std::getenv("HOARDSCOPE_BENCH_HOME");
  const std::filesystem::path root = home ? home : "build/bench-home";
  if (browser.empty()) return {root / "cache", root / "registry.db", root / "app", root / "copies", {}};
  const std::filesystem::path own = root / (browser + "-home");
  return {own / "cache", own / "registry.db", own / "app", own / "copies", browser + ":" + (root / browser).string()};
}

double PeakMegabytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// The host with the most entries: the one a person would find slowest to open.
TTreeNode* BiggestHost(THeadlessView& headless) {
  const TViewState& view = headless.View().State();
  TTreeNode* biggest = nullptr;
  std::size_t biggestCount = 0;
  for (std::size_t i = 0; i < view.RootNode->ChildCount(); ++i) {
    TTreeNode* host = view.RootNode->Child(i);
    std::size_t count = 0;
    for (std::size_t index = FindFirstIndex(host->Key(), view.EntryList);
         index < view.EntryList.Count() && IsUnderNodeKey(host->Key(), view.EntryList[index].Key); ++index) {
      ++count;
    }
    if (count > biggestCount) {
      biggest = host;
      biggestCount = count;
    }
  }
  return biggest;
}

void Load(benchmark::State& state, const std::string& browser) {
  std::ostringstream events;
  for (auto _ : state) {
    THeadlessView headless(BenchHome(browser), events);
    headless.ShowAndLoad();
    state.counters["entries"] = static_cast<double>(headless.View().State().EntryList.Count());
    state.counters["hosts"] = static_cast<double>(headless.View().State().RootNode->ChildCount());
  }
  state.counters["peak_MB"] = PeakMegabytes();
}
BENCHMARK_CAPTURE(Load, platform, std::string())->Unit(benchmark::kMillisecond)->Iterations(3);
// The same entries in the browsers' own formats, read in place.
BENCHMARK_CAPTURE(Load, chromium, std::string("chromium"))->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK_CAPTURE(Load, firefox, std::string("firefox"))->Unit(benchmark::kMillisecond)->Iterations(3);

// Expands the biggest host: only its first level, or every folder below it at every depth; of the bench home's
// store, or of a browser's cache, whose captions come from the starts of decoded bodies.
void ExpandBiggestHost(benchmark::State& state, bool everyDepth, const std::string& browser = {}) {
  std::ostringstream events;
  for (auto _ : state) {
    state.PauseTiming();
    auto headless = std::make_unique<THeadlessView>(BenchHome(browser), events);
    headless->ShowAndLoad();
    TTreeNode* host = BiggestHost(*headless);
    state.ResumeTiming();
    if (everyDepth) {
      headless->ExpandBelow(host);
    } else {
      headless->Expand(host);
    }
    state.PauseTiming();
    std::size_t files = 0;
    headless->View().State().TreeView1.Walk([&](TTreeNode& node) {
      files += node.Kind() == TNodeKind::File ? 1 : 0;
      return true;
    });
    state.counters["file_nodes"] = static_cast<double>(files);
    headless.reset();
    state.ResumeTiming();
  }
  state.counters["peak_MB"] = PeakMegabytes();
}

void BM_ExpandBiggestHost(benchmark::State& state) { ExpandBiggestHost(state, false); }
BENCHMARK(BM_ExpandBiggestHost)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExpandBiggestHostEveryDepth(benchmark::State& state) { ExpandBiggestHost(state, true); }
BENCHMARK(BM_ExpandBiggestHostEveryDepth)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_ExpandBiggestHostEveryDepthChromium(benchmark::State& state) { ExpandBiggestHost(state, true, "chromium"); }
BENCHMARK(BM_ExpandBiggestHostEveryDepthChromium)->Unit(benchmark::kMillisecond)->Iterations(3);

// Selects the biggest host, not expanded before, with the details list shown: its rows, each captioned from the
// start of its body as its file node would be; then the click that sorts them by size.
void DetailsOfBiggestHost(benchmark::State& state, bool sortBySize) {
  std::ostringstream events;
  for (auto _ : state) {
    state.PauseTiming();
    auto headless = std::make_unique<THeadlessView>(BenchHome(), events);
    headless->ShowAndLoad();
    TTreeNode* host = BiggestHost(*headless);
    if (sortBySize) headless->View().TreeView1Change(host);
    state.ResumeTiming();
    if (sortBySize) {
      headless->View().DetailsColumnClick(TDetailsColumn::Size, false);
    } else {
      headless->View().TreeView1Change(host);
    }
    state.PauseTiming();
    state.counters["rows"] = static_cast<double>(headless->View().State().Details.Count());
    headless.reset();
    state.ResumeTiming();
  }
}

void BM_DetailsOfBiggestHost(benchmark::State& state) { DetailsOfBiggestHost(state, false); }
BENCHMARK(BM_DetailsOfBiggestHost)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SortDetailsOfBiggestHostBySize(benchmark::State& state) { DetailsOfBiggestHost(state, true); }
BENCHMARK(BM_SortDetailsOfBiggestHostBySize)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace
}  // namespace hoardscope

BENCHMARK_MAIN();
