// An in-memory URL cache: entries in insertion order, local files only named (nothing on disk).
#pragma once

#include <vector>

#include "platform/ports/UrlCache.h"

namespace hoardscope {

class TFakeUrlCache : public IUrlCache, public IUrlCacheDeleter, public IUrlCacheWriter {
 public:
  // Adds (or replaces) an entry directly, as a test's starting state.
  void Put(CacheEntryRecord record);
  const std::vector<CacheEntryRecord>& Entries() const { return FEntries; }
  // Makes the walk fail after this many records (the fetch of the next one fails).
  void FailWalkAfter(std::size_t records) { FFailAfter = records; }

  // With Folder set it plays a browser's cache, which takes no entries.
  UrlCacheDescription Description() const override {
    return Folder.empty() ? UrlCacheDescription{} : UrlCacheDescription{UrlCacheKind::Browser, false};
  }
  IUrlCacheDeleter* Deleter() override { return this; }
  IUrlCacheWriter* Writer() override { return Folder.empty() ? this : nullptr; }

  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override;
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override;
  bool DeleteEntry(const std::string& url) override;
  CreatedCacheFile CreateEntry(const std::string& url, std::uint64_t expectedSize,
                               const std::string& extension) override;
  std::uint32_t CommitEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                            FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers) override;
  bool DiscardReservedFile(const std::string& localFileName) override;
  bool SetLastSyncTime(const std::string& url, FileTime time) override;
  std::optional<UrlParts> SplitURL(const std::string& url) override;
  std::string DeleteRefusal(const std::string&) override { return Refusal; }
  std::string ReadFailure() const override { return ReadFailureText; }
  std::string LastDeleteFailure() const override { return DeleteFailure; }
  std::string PrepareLocalFile(const std::string& localFileName) override {
    Prepared.push_back(localFileName);
    return PrepareFailure;
  }
  // The shown file of a local file is its name with ".shown" after it.
  std::string PrepareShownFile(const std::string& localFileName, std::string& shownFile) override {
    shownFile = localFileName + ".shown";
    return ShownFailure;
  }

  std::string Folder;           // set: the cache plays a browser's cache in that folder
  std::string Refusal;          // set: why no entry can be deleted now
  std::string DeleteFailure;    // set: every delete leaves its entry behind, for this reason
  std::string ReadFailureText;  // set: why the walk could read nothing
  std::string PrepareFailure;   // set: why no local file can be had
  std::string ShownFailure;     // set: why no shown file can be had
  std::vector<std::string> Prepared;  // the local files asked for, in order

 private:
  class TWalk;
  std::vector<CacheEntryRecord> NormalEntries() const;

  std::vector<CacheEntryRecord> FEntries;
  std::vector<std::string> FReserved;   // reserved and not given back
  std::size_t FReservations = 0;
  std::size_t FFailAfter = static_cast<std::size_t>(-1);
};

// A cache whose walk goes on record after record (text pages of one host), far beyond what any load that can be
// stopped walks: the keys come in descending order, so that the list a load leaves behind shows whether it was
// sorted.
class TEndlessUrlCache : public TFakeUrlCache {
 public:
  static constexpr std::size_t kLimit = 5000000;

  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override;
  std::size_t Walked = 0;  // the records the last walk has given

 private:
  class TEndlessWalk;
};

}  // namespace hoardscope
