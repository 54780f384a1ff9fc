// The Linux edition's URL cache: an SQLite index (root/index.db) of the cached entries and their content files in
// four content folders below the root, which is the edition's internet cache folder.
#pragma once

#include <chrono>
#include <filesystem>
#include <functional>
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
// The store never reaches outside its root: it takes an entry's local file as "FOLDER/name" with FOLDER one of
// the content folders and a plain name (no separator, not "." or ".."); an entry whose local file is anything
// else is damaged: walks skip it, GetEntryInfo reports it, and deleting it removes its row and never touches a
// file. A content folder that is a symbolic link is not used, and content files are made, checked and removed
// relative to their folder, without following links.
//
// A content file that no entry names is an orphan (of a process killed between reserving a name and
// committing it, or in the middle of a clear). A batch that does not commit removes the files reserved during it
// that no entry names once it is rolled back, so a failed commit leaves none behind. Only a process killed in the
// middle of its work leaves orphans: each batch holds a mark of its own beside the index while it runs (a locked
// file, which a killed process lets go of), and the first change a store makes removes the orphans that nobody
// has changed (content or status, which no program can set back) for orphanAge when a mark was left behind or
// the last such sweep is a day old, while no other process is writing to the index: a name reserved inside a
// batch is covered by the batch's write lock, one reserved outside a batch is being filled and so has changed
// recently. Opening and reading the store never sweeps. Clear() empties the content folders of every file that
// no entry names once the entries are gone.
//
// On a full disk the index may have no room for the record of a deletion: deleting and clearing then remove
// the content files that they free first, and write the index once more.
//
// Several stores (in one process or in several) may use one root at once: every change is one IMMEDIATE
// transaction that waits up to five seconds for another writer, walks read a snapshot, and names for new content
// files are reserved with an exclusive create, so no two callers ever get the same one.
//
// The constructor throws std::runtime_error (TSqliteError or std::filesystem::filesystem_error) naming the index
// file or folder when the store cannot be opened; an index that is not readable or not a cache index is left as
// it is, never emptied or made anew. The port's methods do not throw: a failure gives the method's failure
// value, and LastFailure() tells what went wrong. Walks must not outlive their store.
class TCacheStore : public IUrlCache, public IUrlCacheDeleter, public IUrlCacheWriter {
 public:
  // How long a content file that no entry names must have stayed unchanged before opening the store removes it.
  static constexpr std::chrono::seconds kOrphanAge{10 * 60};

  explicit TCacheStore(const std::filesystem::path& root, std::chrono::seconds orphanAge = kOrphanAge);
  ~TCacheStore() override;

  // The platform's cache: it deletes and takes entries.
  UrlCacheDescription Description() const override { return {}; }
  IUrlCacheDeleter* Deleter() override { return this; }
  IUrlCacheWriter* Writer() override { return this; }

  // The walk yields normal entries only: the kNormalCacheEntry bit set, neither the cookie nor the
  // history bit; a walk that skipped damaged entries sets LastFailure() to a text naming them when it ends.
  // GetEntryInfo finds an entry of any type, and fails for a damaged one. CreateEntry returns the full path of an
  // empty file it made in one of the content folders. CommitEntry takes the entry's size from the local file,
  // which must be a file in a content folder (else kErrorInvalidParameter) that exists (else kErrorFileNotFound);
  // the last-sync time becomes now. An empty header text records no header block. DeleteEntry fails, after the
  // entry is gone, when its file cannot be removed. DiscardReservedFile removes only a file directly in a content
  // folder that no entry names.
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

  // A walk like FindFirst's over every entry, whatever its type.
  std::unique_ptr<IUrlCacheWalk> FindFirstOfAnyType(CacheEntryRecord& first);
  // Removes every entry and empties the content folders of every file that no entry names (another process may
  // have committed one meanwhile). Not inside a batch. Throws TSqliteError when the index cannot be written, and
  // std::runtime_error naming the first file that could not be removed when files remain.
  void Clear();

  const std::filesystem::path& Root() const { return RootFolder; }
  const std::filesystem::path& IndexFile() const { return Database->File(); }
  // The full paths of the content folders.
  std::vector<std::filesystem::path> ContentFolders() const;
  // What the last port method that failed ran into; empty when none has failed.
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
    bool Outermost;   // first: the outermost batch sweeps when that is due and takes the mark before it begins
    TSqliteTransaction Transaction;
    std::size_t QueuedBefore;
    std::size_t ReservedBefore;
    bool Committed = false;
  };

 private:
  class TWalk;

  // A content file: the index of its folder in Folders and its plain name.
  struct TContentFile {
    std::size_t Folder = 0;
    std::string Name;
  };
  // What a pass over the content folders could not remove.
  struct TRemoval {
    std::size_t Refused = 0;
    std::string FirstError;
  };

  void OpenIndex();
  void MakeContentFolders();
  std::uint32_t StoreEntry(const std::string& url, const std::string& localFileName, FileTime expireTime,
                       FileTime lastModifiedTime, std::uint32_t entryType, const std::string& headers);
  // Fills record from a row of kRecordColumns; false for a damaged entry.
  bool ReadRecord(const TSqliteStatement& row, CacheEntryRecord& record) const;
  std::unique_ptr<IUrlCacheWalk> StartWalk(bool normalOnly, CacheEntryRecord& first);
  // The content file that path names, or nullopt when path is not a plain name directly inside one of the
  // content folders.
  std::optional<TContentFile> ContentFileAt(const std::string& path) const;
  // The content file of a local file recorded in the index ("FOLDER/name"); nullopt when it is anything else.
  std::optional<TContentFile> ContentFileOf(std::string_view relative) const;
  std::string RelativeName(const TContentFile& file) const { return Folders[file.Folder] + "/" + file.Name; }
  std::string FullPath(std::string_view relative) const;
  // Whether an entry is stored under url; local receives its recorded local file (nullopt when it has none).
  bool FindLocalFile(const std::string& url, std::optional<std::string>& local);
  std::int64_t UsersOf(const std::string& relative);
  // Queues a content file for removal unless another entry still refers to it; the queue is worked off when no
  // transaction of this store is open any more.
  void ScheduleRemoval(const std::string& relative);
  // Removes the queued files unless a batch is still open; what could not be removed goes to RemovalFailure.
  void RemoveScheduledFiles();
  // Runs change, which writes the index. When the disk is too full for that, runs freeSpace, which removes the
  // content files that change frees, and then change once more. Inside a batch, change runs once.
  void WriteFreeingSpace(const std::function<void()>& change, const std::function<void()>& freeSpace);
  // Removes every file of the content folders for which keep(relative name, folder descriptor, name) is false.
  TRemoval RemoveFolderFiles(const std::function<bool(const std::string&, int, const char*)>& keep);
  // The local files the index names, as recorded.
  std::vector<std::string> NamedFiles();
  // Removes the orphans unchanged for age if nobody else is writing to the index right now; true when it could.
  bool SweepOrphans(std::chrono::seconds age);
  // Before the first change of this store outside a batch: sweeps the orphans when a batch's mark was left behind
  // or the last sweep is a day old.
  void SweepWhenDue();
  // The outermost batch's mark: taken as it begins, let go of as it ends. False when the batch is nested.
  bool BeginBatch();
  // clean: the batch left no orphan behind, so its mark goes; else the mark is only let go of.
  void EndBatch(bool outermost, bool clean);
  // Removes the files reserved since the given count of BatchReservations that no entry names.
  void DiscardBatchReservations(std::size_t from);
  void Fail(const std::exception& error);

  std::chrono::seconds OrphanAge;
  bool SweepChecked = false;
  int BatchMark = -1;                       // the locked mark of the running outermost batch
  std::string BatchMarkFile;
  std::vector<std::string> BatchReservations;  // relative names reserved while a batch runs
  std::filesystem::path RootFolder;
  std::string RootText;                     // RootFolder as text, for building full paths quickly
  std::unique_ptr<TSqliteDatabase> Database;
  std::vector<std::string> Folders;         // the content folders' names, in index order
  std::vector<std::string> PendingRemovals; // relative names of files to remove once the changes are durable
  std::string RemovalFailure;               // the first file of the last removal that could not be removed
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
