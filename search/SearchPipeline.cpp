// The search's stages over a small pool of threads: the calling thread walks and filters the list, publishing each
// entry to search as a job; the pool's threads read and match the jobs in turn; the calling thread hands the
// findings of the jobs finished so far to the sink, in the list's order, and tells the progress how far it is.
#include "search/SearchPipeline.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "core/Tools.h"
#include "core/TreeRules.h"
#include "search/AgeLimit.h"
#include "search/TextSearch.h"

namespace hoardscope {
namespace {

constexpr unsigned kMaxThreads = 16;
// The walk publishes its jobs in batches: often enough that the pool never waits long, seldom enough that it
// rarely takes the lock.
constexpr std::size_t kPublishBatch = 64;

enum class TOutcome : unsigned char { Pending, NotFound, Found, Unreadable };

struct TJob {
  std::size_t Entry = 0;
  std::atomic<TOutcome> Outcome{TOutcome::Pending};
  std::unique_ptr<std::string> Failure;  // why an Unreadable body could not be had, set before Outcome
};

class TSearchRun {
 public:
  TSearchRun(IUrlCacheReader& cache, const std::vector<TEntryItem>& entries, const TSearchQuery& query, FileTime now,
             const TSearchSink& sink)
      : FCache(cache), FEntries(entries), FQuery(query), FNow(now), FSink(sink),
        FMatcher(SearchNeedle(query.Text, query.CaseSensitive), query.CaseSensitive), FJobs(entries.size()) {}

  // The walk on this thread, the match on the pool's threads; then, while they read and match, the findings handed
  // on and the progress told at every beat, until the pool is done: all jobs searched, or none taken since the
  // progress asked to stop. True unless it did.
  bool Run(unsigned threads, IProgress& progress) {
    if (FMatcher.MatchesNothing()) return true;
    if (progress.StopRequested()) FStopped.store(true, std::memory_order_relaxed);
    {
      TPool pool(*this, threads);
      Walk();
      while (!WaitForPool()) {
        DeliverFinished(false);
        progress.Step(FDelivered, FPublished.load(std::memory_order_acquire));
        if (progress.StopRequested()) FStopped.store(true, std::memory_order_relaxed);
      }
    }
    DeliverFinished(true);
    return !Stopped();
  }

 private:
  // The pool's threads; leaving its scope, even by an exception, ends the walk for them and waits for them.
  class TPool {
   public:
    TPool(TSearchRun& run, unsigned threads) : FRun(run) {
      FRun.FMatching = threads;
      for (unsigned i = 0; i < threads; ++i) {
        FThreads.emplace_back([&run] {
          run.Match();
          run.LeaveMatch();
        });
      }
    }
    ~TPool() {
      FRun.EndWalk();
      for (std::thread& thread : FThreads) thread.join();
    }

   private:
    TSearchRun& FRun;
    std::vector<std::thread> FThreads;
  };

  bool Stopped() const { return FStopped.load(std::memory_order_relaxed); }

  // Waits a beat for the pool's threads to be done; whether they are.
  bool WaitForPool() {
    std::unique_lock lock(FLock);
    return FPoolDone.wait_for(lock, std::chrono::milliseconds(kSearchBeatMs), [&] { return FMatching == 0; });
  }

  void LeaveMatch() {
    {
      const std::lock_guard guard(FLock);
      --FMatching;
    }
    FPoolDone.notify_all();
  }

  bool PassesFilter(const TEntryItem& item) const {
    if (!item.Info) return false;
    const TURLInfo& info = *item.Info;
    if (!FQuery.FolderPath.empty() && !IsUnderNodeKey(FQuery.FolderPath, item.Key)) return false;
    return WithinAgeLimit(info, FQuery.DateChoice, FNow) && StartsWithNoCase(info.ContentType, "text/");
  }

  void Walk() {
    std::size_t count = 0;
    for (std::size_t i = 0; i < FEntries.size() && !Stopped(); ++i) {
      if (!PassesFilter(FEntries[i])) continue;
      FJobs[count++].Entry = i;
      if (count % kPublishBatch == 0) Publish(count);
    }
    Publish(count);
    EndWalk();
  }

  void Publish(std::size_t count) {
    {
      const std::lock_guard guard(FLock);
      FPublished.store(count, std::memory_order_release);
    }
    FMoreJobs.notify_all();
  }

  void EndWalk() {
    {
      const std::lock_guard guard(FLock);
      FWalked = true;
    }
    FMoreJobs.notify_all();
  }

  // The next job nobody has taken, waiting for the walk to publish it; nullptr once there is none or the search
  // is stopped.
  TJob* TakeJob() {
    const std::size_t index = FNext.fetch_add(1, std::memory_order_relaxed);
    if (index >= FPublished.load(std::memory_order_acquire)) {
      std::unique_lock lock(FLock);
      FMoreJobs.wait(lock, [&] { return index < FPublished.load(std::memory_order_relaxed) || FWalked; });
      if (index >= FPublished.load(std::memory_order_relaxed)) return nullptr;
    }
    return Stopped() ? nullptr : &FJobs[index];
  }

  // Reads and matches jobs until none is left.
  void Match() {
    TTextMatch match(FMatcher);
    while (TJob* job = TakeJob()) Search(*job, match);
  }

  void Search(TJob& job, TTextMatch& match) {
    const TURLInfo& info = *FEntries[job.Entry].Info;
    match.Reset();
    BodyRead read{BodyStartState::Missing, std::string()};
    try {
      if (!info.LocalFile.empty()) {
        read = FCache.ReadBody(info.LocalFile,
                               [&](std::string_view piece) { return !Stopped() && match.Feed(piece); });
      }
    } catch (const std::exception& error) {
      read = {BodyStartState::Unreadable, error.what()};
    }
    TOutcome outcome = match.Found() ? TOutcome::Found : TOutcome::NotFound;
    if (read.State != BodyStartState::Read && !read.Failure.empty()) {
      job.Failure = std::make_unique<std::string>(std::move(read.Failure));
      outcome = TOutcome::Unreadable;
    }
    job.Outcome.store(outcome, std::memory_order_release);
  }

  // The sink: the findings of the jobs finished so far, in order, up to the first one still being searched; at the
  // end (all) past the jobs a stopped search left.
  void DeliverFinished(bool all) {
    const std::size_t published = FPublished.load(std::memory_order_acquire);
    for (; FDelivered < published; ++FDelivered) {
      TJob& job = FJobs[FDelivered];
      const TOutcome outcome = job.Outcome.load(std::memory_order_acquire);
      if (outcome == TOutcome::Pending && !all) return;
      const TEntryItem& item = FEntries[job.Entry];
      if (outcome == TOutcome::Found) FSink.Found(item);
      if (outcome == TOutcome::Unreadable) FSink.Unreadable(item, *job.Failure);
    }
  }

  IUrlCacheReader& FCache;
  const std::vector<TEntryItem>& FEntries;
  const TSearchQuery& FQuery;
  const FileTime FNow;
  const TSearchSink& FSink;
  std::atomic<bool> FStopped{false};    // set on the calling thread when its progress asks to stop
  const TTextMatcher FMatcher;
  std::vector<TJob> FJobs;              // the walk's jobs in the list's order, FPublished of them so far
  std::atomic<std::size_t> FPublished{0};
  std::atomic<std::size_t> FNext{0};    // the next job to take
  std::size_t FDelivered = 0;           // the jobs handed to the sink, on the calling thread
  std::mutex FLock;                     // with FMoreJobs, for the threads that wait for the walk
  std::condition_variable FMoreJobs;
  bool FWalked = false;
  unsigned FMatching = 0;               // the pool's threads still matching, under FLock
  std::condition_variable FPoolDone;    // with FLock, for the calling thread that waits for the pool
};

// The progress of a search that nobody watches: it runs to its end.
class TNoProgress final : public IProgress {
 public:
  void Step(std::uint64_t, std::optional<std::uint64_t>) override {}
  bool StopRequested() const override { return false; }
};

unsigned ThreadsOfEveryCore() { return std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads); }

}  // namespace

TSearchPipeline::TSearchPipeline(IUrlCacheReader& cache, IClock* clock, unsigned threads)
    : FCache(cache), FClock(clock), FThreads(threads == 0 ? ThreadsOfEveryCore() : std::min(threads, kMaxThreads)) {}

bool TSearchPipeline::Run(const std::vector<TEntryItem>& entries, const TSearchQuery& query, const TSearchSink& sink,
                          IProgress* progress) {
  TSearchRun run(FCache, entries, query, FClock ? FClock->NowUtc() : 0, sink);
  TNoProgress unwatched;
  return run.Run(FThreads, progress ? *progress : unwatched);
}

}  // namespace hoardscope
