// The Linux edition's URL cache: an SQLite index (root/index.db) of the cached entries and their content files in
// four content folders below the root, which is the edition's internet cache folder.
#pragma once

#include <filesystem>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/linux/SqliteDatabase.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

// Entry-type bits beside kNormalCacheEntry that keep an entry out of the walk.
inline constexpr std::uint32_t kCookieCacheEntry = 0x00100000;
inline constexpr std::uint32_t kUrlHistoryCacheEntry = 0x00200000;

// Error codes the store returns, the values the Windows edition's cache gives for the same refusals.
inline constexpr std::uint32_t kErrorFileNotFound = 2;
inline constexpr std::uint32_t kErrorPathNotFound = 3;
inline constexpr std::uint32_t kErrorAccessDenied = 5;
inline constexpr std::uint32_t kErrorGenFailure = 31;
inline constexpr std::uint32_t kErrorFileExists = 80;
inline constexpr std::uint32_t kErrorInvalidParameter = 87;
inline constexpr std::uint32_t kErrorDiskFull = 112;
inline constexpr std::uint32_t kErrorBusy = 170;
inline constexpr std::uint32_t kErrorInternal = 1359;

// The cache store. The index keeps one row per URL (exact text) in insertion order, which is the walk order; a
// commit under a URL that is already there replaces that entry and moves it to the end. Content files live in four
// folders with random 8-character names, made when the index is made and recorded in it; an entry's local file
// is kept relative to the root, so a store can be moved as a whole.
//
// Several stores (in one process or in several) may use one root at once: every change is one IMMEDIATE
// transaction that waits up to five seconds for another writer, walks read a snapshot, and names for new content
// files are reserved with an exclusive create, so no two callers ever get the same one.
//
// The constructor throws std::runtime_error (TSqliteError or std::filesystem::filesystem_error) naming the index
// file or folder when the store cannot be opened; an index that is not readable or not a cache index is left as
// it is, never emptied or made anew. The IUrlCache methods do not throw: a failure gives the method's failure
// value, and LastFailure() tells what went wrong. Walks must not outlive their store.
class TCacheStore : public IUrlCache {
 public:
  explicit TCacheStore(const std::filesystem::path& root);
  ~TCacheStore() override;

  // IUrlCache. The walk yields normal entries only: the kNormalCacheEntry bit set, neither the cookie nor the
  // history bit. GetEntryInfo finds an entry of any type. CreateEntry returns the full path of an empty file it
  // made in one of the content folders. CommitEntry takes the entry's size from the local file, which must be a
  // file in a content folder (else kErrorInvalidParameter) that exists (else kErrorFileNotFound); the last-sync
  // time becomes now. An empty header text records no header block. DiscardReservedFile removes only a file directly
  // in a content folder that no entry names.
  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override;
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override;
  bool DeleteEntry(const std::string& url) override;
  CreatedCacheFile CreateEntry(const std::string& url, std::uint64_t expectedSize,
                               const std::string& extension) override;
  std::uint32_t CommitEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                            FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers) override;
  bool DiscardReservedFile(const std::string& localFileName) override;
  std::optional<UrlParts> SplitURL(const std::string& url) override;

  // A walk like FindFirst's over every entry, whatever its type.
  std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first);
  // Sets the last-sync time of the entry stored under exactly this URL; nothing happens when there is none.
  // Throws TSqliteError when the index cannot be written.
  void SetLastSyncTime(const std::string& url, FileTime time);
  // Removes every entry and its local file. Throws TSqliteError when the index cannot be written.
  void Clear();

  const std::filesystem::path& Root() const { return RootFolder; }
  const std::filesystem::path& IndexFile() const { return Database->File(); }
  // The full paths of the content folders.
  std::vector<std::filesystem::path> ContentFolders() const;
  // What the last IUrlCache method that failed ran into; empty when none has failed.
  const std::string& LastFailure() const { return Failure; }

  // Puts many changes of one store into one transaction, which makes bulk filling fast (one disk sync instead of
  // one per entry). While a batch is open every change of the store joins it; Commit() makes them durable at once,
  // and a batch destroyed without Commit() rolls all of them back. Local files of entries that the batch replaced
  // or deleted are removed only when it commits. Batches may nest; only the outermost one commits to disk.
  //
  //   TCacheStore::TBatch batch(store);
  //   for (...) { store.CreateEntry(...); ...; store.CommitEntry(...); }
  //   batch.Commit();
  class TBatch {
   public:
    explicit TBatch(TCacheStore& store);
    ~TBatch();
    TBatch(const TBatch&) = delete;
    TBatch& operator=(const TBatch&) = delete;
    void Commit();

   private:
    TCacheStore& Store;
    TSqliteTransaction Transaction;
    std::size_t QueuedBefore;
    bool Committed = false;
  };

 private:
  class TWalk;

  void OpenIndex();
  std::uint32_t StoreEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                       FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers);
  void ReadRecord(const TSqliteStatement& row, CacheEntryRecord& record) const;
  std::unique_ptr<IUrlCacheWalk> StartWalk(bool normalOnly, CacheEntryRecord& first);
  // The folder-relative name of a content file ("FOLDER/name"), or nullopt when path is not directly inside
  // one of the content folders.
  std::optional<std::string> RelativeContentName(const std::string& path) const;
  std::string FullPath(std::string_view relative) const;
  // Queues a content file for removal unless another entry still refers to it; the queue is worked off when no
  // transaction of this store is open any more.
  void ScheduleRemoval(const std::string& relative);
  void RemoveScheduledFiles();
  void Fail(const std::exception& error);

  std::filesystem::path RootFolder;
  std::string RootText;                     // RootFolder as text, for building full paths quickly
  std::unique_ptr<TSqliteDatabase> Database;
  std::vector<std::string> Folders;         // the content folders' names, in index order
  std::vector<std::string> PendingRemovals; // relative names of files to remove once the changes are durable
  std::map<std::string, unsigned> NextDecoration;   // per "FOLDER/name": the "[n]" to try first
  std::string Failure;
  std::optional<TSqliteStatement> SelectByUrl;
  std::optional<TSqliteStatement> SelectLocalByUrl;
  std::optional<TSqliteStatement> CountLocalUsers;
  std::optional<TSqliteStatement> DeleteByUrl;
  std::optional<TSqliteStatement> InsertEntry;
  std::optional<TSqliteStatement> UpdateSyncTime;
};

}  // namespace hoardscope
