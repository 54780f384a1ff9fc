// make-cache: fills the cache store of a hoardscope home, or a browser's disk-cache folder, with synthetic,
// reproducible entries for benchmarks.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "BrowserCacheWriter.h"
#include "MakeCacheOptions.h"
#include "SyntheticCache.h"
#include "platform/linux/CacheStore.h"

namespace hoardscope {
namespace {

// Content files this run wrote. Unless the run's entries were committed they are removed again, so that a run
// that fails leaves the store as it found it.
class TWrittenFiles {
 public:
  TWrittenFiles() = default;
  TWrittenFiles(const TWrittenFiles&) = delete;
  TWrittenFiles& operator=(const TWrittenFiles&) = delete;
  ~TWrittenFiles() {
    if (Kept) return;
    for (std::size_t start = 0, end; (end = Names.find('\0', start)) != std::string::npos; start = end + 1) {
      std::error_code ignored;
      std::filesystem::remove(Names.substr(start, end - start), ignored);
    }
  }

  void Add(const std::string& file) {
    Names += file;
    Names += '\0';
  }
  void Keep() { Kept = true; }

 private:
  std::string Names;   // one after the other, each ended by a NUL: half the memory of a vector of strings
  bool Kept = false;
};

struct TFileCloser {
  void operator()(std::FILE* file) const { std::fclose(file); }
};

void WriteContent(const std::string& file, const std::string& content) {
  const std::unique_ptr<std::FILE, TFileCloser> out(std::fopen(file.c_str(), "wb"));
  if (!out || std::fwrite(content.data(), 1, content.size(), out.get()) != content.size() ||
      std::fflush(out.get()) != 0) {
    throw std::runtime_error("cannot write " + file + ": " + std::strerror(errno));
  }
}

void AddEntry(TCacheStore& store, const TSyntheticEntry& entry, TWrittenFiles& written) {
  const CreatedCacheFile created = store.CreateEntry(entry.Url, entry.Content.size(), entry.Extension);
  if (!created.Ok) {
    throw std::runtime_error("cannot reserve a cache file for " + entry.Url + " (error " +
                             std::to_string(created.Error) + ": " + store.LastFailure() + ")");
  }
  written.Add(created.LocalFileName);
  WriteContent(created.LocalFileName, entry.Content);
  const std::uint32_t refused = store.CommitEntry(entry.Url, created.LocalFileName, entry.ExpireTime,
                                                  entry.LastModifiedTime, kNormalCacheEntry, entry.Headers);
  if (refused != 0) {
    throw std::runtime_error("cannot record " + entry.Url + " (error " + std::to_string(refused) + ": " +
                             store.LastFailure() + ")");
  }
  if (!store.SetLastSyncTime(entry.Url, entry.SyncTime)) {
    throw std::runtime_error("cannot set the time of " + entry.Url + " (" + store.LastFailure() + ")");
  }
}

// All entries go into one batch: fast, and a run that fails adds nothing.
void Fill(const TMakeCacheOptions& options) {
  TCacheStore store(options.Home / "cache");   // where hoardscope keeps the cache of HOARDSCOPE_HOME
  const TSyntheticCache cache(options);
  TWrittenFiles written;
  TCacheStore::TBatch batch(store);
  for (std::uint64_t index = 0; index < options.Entries; ++index) AddEntry(store, cache.Entry(index), written);
  batch.Commit();
  written.Keep();
}

// Entry files of a browser's format, one per entry.
void WriteBrowserCache(const TMakeCacheOptions& options) {
  const TSyntheticCache cache(options);
  TBrowserCacheWriter writer(options.Format, options.Home);
  for (std::uint64_t index = 0; index < options.Entries; ++index) writer.Write(index, cache.Entry(index));
}

}  // namespace
}  // namespace hoardscope

int main(int argc, char** argv) {
  using namespace hoardscope;
  const TParsedArguments parsed = ParseMakeCacheArguments(std::vector<std::string>(argv + 1, argv + argc));
  if (parsed.Help) {
    std::cout << kMakeCacheUsage;
    return 0;
  }
  if (!parsed.Options) {
    std::cerr << "make-cache: " << parsed.Error << "\n" << kMakeCacheUsage;
    return 2;
  }
  try {
    if (parsed.Options->Format == TCacheFormat::Store) Fill(*parsed.Options);
    else WriteBrowserCache(*parsed.Options);
  } catch (const std::exception& error) {
    std::cerr << "make-cache: " << error.what() << "\n";
    return 1;
  }
  std::cout << "make-cache: " << parsed.Options->Entries << " entries in " << parsed.Options->Home.string() << "\n";
  return 0;
}
