// TBrowserCache: one browser's disk cache folder as the view's URL cache, read in place. Each entry's local file
// is a decoded copy of its body in a copies folder of ours, written when something first reads it; the browser's
// folder is only ever changed by deleting an entry while the browser is closed. A body read through ReadBody (a
// page's title, the search) is decoded as it is read, without a copy.
#pragma once

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/caches/BrowserCacheEntry.h"
#include "platform/ports/UrlCache.h"

namespace hoardscope {

using TCacheReader = std::function<TCacheReadReport(const std::string& folder, const TBrowserCacheSink& sink)>;
using TBodyDecoder = std::function<std::string(const TBrowserCacheEntry& entry, const TBodySink& sink)>;

struct TBrowserCacheSetup {
  std::string Folder;        // the browser's cache folder
  std::string CopiesFolder;  // where the decoded copies go: a folder of ours, outside the browser's
  std::string Browser;       // the browser's name, for messages
  std::function<bool()> BrowserRuns;
  TCacheReader Reader;
  TBodyDecoder Decoder;
  // Whether a profile of the browser was found to own the folder, so that BrowserRuns can tell whether the browser
  // uses it; without one nothing is deleted unless told to (DeleteWithoutOwner).
  bool OwnerKnown = true;
};

// Its methods may be called from several threads at once (the page pane's workers look entries up and write their
// copies); a copy is decoded outside the lock, and several writers of one copy, in this process or another, each
// write a partial file of their own that takes the copy's name whole.
class TBrowserCache : public IUrlCache, public IUrlCacheDeleter {
 public:
  explicit TBrowserCache(TBrowserCacheSetup setup);

  // A browser's folder, which the view deletes from and adds nothing to; a browser is sent to its pages' copies.
  UrlCacheDescription Description() const override { return {UrlCacheKind::Browser, false}; }
  IUrlCacheDeleter* Deleter() override { return this; }
  IUrlCacheWriter* Writer() override { return nullptr; }

  // One record per URL: where the browser keeps a URL under several keys (one per top-level site that used it),
  // the newest of them stands for it.
  std::unique_ptr<IUrlCacheWalk> FindFirst(CacheEntryRecord& first) override;
  // Every stored key, each URL as often as the browser keeps it.
  std::unique_ptr<IUrlCacheWalk> FindFirstOfEveryKey(CacheEntryRecord& first);
  // The newest entry of exactly this URL.
  std::optional<CacheEntryRecord> GetEntryInfo(const std::string& url) override;
  // Removes the files of every entry of this URL, unless DeleteRefusal says why not; never a folder, never what a
  // link names. False when the URL has no entry or a file of it remains.
  bool DeleteEntry(const std::string& url) override;
  std::optional<UrlParts> SplitURL(const std::string& url) override;

  // Writes the decoded copy unless one decoded from the body the entry names now is there already.
  std::string PrepareLocalFile(const std::string& localFileName) override;
  // For a page (HTML), a shown copy in a folder beside its decoded copy, written anew each time, whose links point
  // at the decoded copies of the entries they name (LinkPageToCopies), each made ready; the decoded copy stays the
  // body as stored. Anything else is shown as its decoded copy.
  std::string PrepareShownFile(const std::string& localFileName, std::string& shownFile) override;
  // Decodes the body as it reads it, writing nothing; the lock is held only to look the entry up.
  BodyRead ReadBody(const std::string& localFileName, const BodyPieceSink& sink) override;
  // Refused: an entry in files shared with other entries, a file of an entry that is no plain file (a folder, a
  // link), a folder whose owner is unknown, a browser that runs.
  std::string DeleteRefusal(const std::string& url) override;
  std::uint64_t SkippedEntries() const override;
  std::string ReadFailure() const override;
  // Why the last DeleteEntry removed nothing or left part of an entry behind. Like LastReport, for the one thread
  // that walks and deletes.
  std::string LastDeleteFailure() const override { return FLastRefusal; }

  // The browser's cache folder this cache reads.
  const std::string& Folder() const { return FSetup.Folder; }
  // Lets entries be deleted from a folder that no profile was found to own (the command line's --force).
  void DeleteWithoutOwner() { FDeleteWithoutOwner = true; }
  // What the last read of the folder ran into.
  const TCacheReadReport& LastReport() const { return FReport; }
  // The browser's file that holds the body of the entry with this local file; empty when none does.
  std::string StoredFileOf(const std::string& localFileName) const;

 private:
  // The members below FLock are used under it alone.
  void ReadFolder();
  // Marks, for each URL, the newest of its entries as the one that stands for it.
  void ChooseEntriesShown();
  std::unique_ptr<IUrlCacheWalk> Walk(CacheEntryRecord& first, bool everyKey);
  // Build the lookups by local file and by URL when something first looks an entry up that way; a load never
  // does.
  void IndexCopies() const;
  void IndexUrls() const;
  CacheEntryRecord RecordOf(std::size_t index) const;
  // The entries of this URL that are not deleted, reading the folder first when no walk has yet.
  std::vector<std::size_t> EntriesOf(const std::string& url);
  std::string RefusalOf(const std::string& url);
  std::string CopyPathOf(const TBrowserCacheEntry& entry) const;
  // A copy of the entry listed with this local file; nullopt when none is, or it is deleted.
  std::optional<TBrowserCacheEntry> EntryOfCopy(const std::string& localFileName) const;
  // Why a local file that no entry lists cannot be had.
  std::string NoEntryFailure(const std::string& localFileName) const;

  TBrowserCacheSetup FSetup;
  // Bytes of copies this object has written: a run writes no more than kMostCopiedBytes of them, whatever a
  // hostile folder holds.
  static constexpr std::uint64_t kMostCopiedBytes = std::uint64_t(8) << 30;
  std::atomic<std::uint64_t> FCopiedBytes{0};
  mutable std::mutex FLock;
  bool FRead = false;
  TCacheReadReport FReport;
  std::string FLastRefusal;
  bool FDeleteWithoutOwner = false;
  std::deque<TBrowserCacheEntry> FEntries;         // grows without moving what it holds
  std::vector<std::string> FCopyPaths;                      // parallel to FEntries
  std::vector<bool> FDeleted;                               // parallel to FEntries
  std::vector<bool> FStandsForUrl;                          // parallel to FEntries: the newest of its URL
  // Views of FCopyPaths and of the entries' URLs, which stay in place until the next read of the folder.
  mutable bool FCopiesIndexed = false;
  mutable bool FUrlsIndexed = false;
  mutable std::unordered_map<std::string_view, std::size_t> FByCopyPath;  // local file name to entry
  mutable std::unordered_map<std::string_view, std::vector<std::size_t>> FByUrl;  // URL to its entries, walk order
};

// The name of an entry's decoded copy: the last element of the URL's path made safe as a file name (no
// separators, no leading dot, no device name, limited length), with an extension that matches its content type.
std::string CopyFileNameOf(const std::string& url, std::string_view contentType);

// A 64-bit hash of a text (FNV-1a) as 16 hex digits: names of the copies' folders.
std::string HashName(std::string_view text);

}  // namespace hoardscope
