// A browser's disk cache behind the view's URL cache port: its entries as records, decoded copies on demand.
#include "platform/caches/BrowserCache.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <thread>

#include "core/ResponseHeaders.h"
#include "core/Tools.h"
#include "platform/caches/EntryBytes.h"
#include "platform/caches/ShownPage.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr std::size_t kMaxStemLength = 80;

struct TTypeExtension {
  const char* ContentType;
  const char* Extension;     // the one a copy gets
  const char* AlsoAccepted;  // another that a name may already carry; "" when none
};

constexpr std::array<TTypeExtension, 22> kTypeExtensions{{
    {"text/html", ".html", ".htm"},
    {"application/xhtml+xml", ".xhtml", ".html"},
    {"text/css", ".css", ""},
    {"text/javascript", ".js", ".mjs"},
    {"application/javascript", ".js", ".mjs"},
    {"application/x-javascript", ".js", ".mjs"},
    {"application/json", ".json", ""},
    {"text/plain", ".txt", ""},
    {"text/xml", ".xml", ""},
    {"application/xml", ".xml", ""},
    {"image/png", ".png", ""},
    {"image/jpeg", ".jpg", ".jpeg"},
    {"image/gif", ".gif", ""},
    {"image/webp", ".webp", ""},
    {"image/svg+xml", ".svg", ""},
    {"image/x-icon", ".ico", ""},
    {"image/vnd.microsoft.icon", ".ico", ""},
    {"font/woff2", ".woff2", ""},
    {"font/woff", ".woff", ""},
    {"application/pdf", ".pdf", ""},
    {"video/mp4", ".mp4", ""},
    {"audio/mpeg", ".mp3", ""},
}};

bool IsSafeNameChar(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == '-' ||
         c == '_' || c == '+' || c == '(' || c == ')';
}

// Names Windows keeps for its devices, whatever extension follows: CON, PRN, AUX, NUL, COM1..9, LPT1..9.
bool IsDeviceName(std::string_view name) {
  const std::string stem = LowerAscii(name.substr(0, name.find('.')));
  if (stem == "con" || stem == "prn" || stem == "aux" || stem == "nul") return true;
  return stem.size() == 4 && (stem.starts_with("com") || stem.starts_with("lpt")) && stem[3] >= '1' && stem[3] <= '9';
}

class TBrowserCacheWalk : public IUrlCacheWalk {
 public:
  TBrowserCacheWalk(std::function<bool(CacheEntryRecord&)> next) : FNext(std::move(next)) {}
  bool FindNext(CacheEntryRecord& record) override { return FNext(record); }

 private:
  std::function<bool(CacheEntryRecord&)> FNext;
};

// What identifies the stored body a copy was decoded from: a copy is reused only while its entry still names that
// body, whatever the files' times say.
std::string BodyIdentityOf(const TBrowserCacheEntry& entry) {
  return std::to_string(entry.SyncTime) + " " + std::to_string(entry.Body.Size) + " " +
         std::to_string(entry.Body.Offset) + " " + std::string(HeaderValueOf(entry.ResponseHeaders, "Content-Encoding")) +
         "\n" + entry.Body.File + "\n";
}

// Beside each copy: the identity of the body it was decoded from.
fs::path IdentityFileOf(const std::string& copy) { return copy + ".body"; }

std::string ReadSmallFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::string text(4096, '\0');
  in.read(text.data(), static_cast<std::streamsize>(text.size()));
  text.resize(static_cast<std::size_t>(in.gcount()));
  return text;
}

// A partial file for the copy that no other writer of it uses at the same time, a thread of this process or of
// another: named after a number drawn once per process, the thread and a count.
fs::path PartialFileOf(const fs::path& copy) {
  static const std::uint64_t process = (std::uint64_t{std::random_device{}()} << 32) | std::random_device{}();
  static std::atomic<std::uint64_t> written{0};
  std::ostringstream writer;
  writer << process << ' ' << std::this_thread::get_id() << ' ' << ++written;
  return copy.string() + "." + HashName(writer.str()) + ".part";
}

// Moves a written partial file to its file's name; a file written meanwhile by another gives way. Where renaming
// over a file is refused, the older file is removed first.
void PutInPlace(const fs::path& partial, const fs::path& file, std::error_code& error) {
  fs::rename(partial, file, error);
  if (!error) return;
  std::error_code ignored;
  fs::remove(file, ignored);
  fs::rename(partial, file, error);
}

// Writes a file of ours through a partial file of its own, which takes the file's name once fill has written all
// of it. fill writes to the stream and says why it failed, "" when it did not. Empty on success, else why not; a
// failed write leaves nothing behind.
std::string WriteWhole(const fs::path& file, const std::function<std::string(std::ostream&)>& fill) {
  std::error_code error;
  fs::create_directories(file.parent_path(), error);
  const fs::path partial = PartialFileOf(file);
  std::string failure;
  {
    std::ofstream out(partial, std::ios::binary | std::ios::trunc);
    if (!out) return "cannot write " + partial.string();
    failure = fill(out);
    out.close();
    if (failure.empty() && !out) failure = "cannot write " + partial.string();
  }
  if (failure.empty()) PutInPlace(partial, file, error);
  if (failure.empty() && error) failure = "cannot write " + file.string() + ": " + error.message();
  if (!failure.empty()) {
    std::error_code ignored;
    fs::remove(partial, ignored);
  }
  return failure;
}

// Content types of pages, whose links a shown copy points at the cache's copies.
bool IsPageType(std::string_view contentType) {
  const std::string type = LowerAscii(contentType.substr(0, contentType.find(';')));
  return type == "text/html" || type == "application/xhtml+xml";
}

// The folder beside a copy that holds its shown copy: no copy has this name, since copies' names hold no blank.
constexpr const char* kShownFolder = "shown copy";

}  // namespace

std::string HashName(std::string_view text) {
  std::uint64_t hash = 0xcbf29ce484222325ULL;
  for (const char c : text) {
    hash ^= static_cast<unsigned char>(c);
    hash *= 0x100000001b3ULL;
  }
  char digits[17];
  std::snprintf(digits, sizeof digits, "%016llx", static_cast<unsigned long long>(hash));
  return digits;
}

std::string CopyFileNameOf(const std::string& url, std::string_view contentType) {
  const std::optional<UrlParts> parts = CrackUrl(url);
  const std::string path = parts ? parts->Path : std::string();
  std::string name = path.substr(path.find_last_of('/') == std::string::npos ? 0 : path.find_last_of('/') + 1);
  for (char& c : name) {
    if (!IsSafeNameChar(c)) c = '_';
  }
  if (!name.empty() && name.front() == '.') name.front() = '_';  // neither hidden nor "." nor ".."
  if (name.empty()) name = "index";
  if (IsDeviceName(name)) name = "_" + name;
  std::string extension = LowerAscii(PathFindExtension(name));
  const std::string type = LowerAscii(contentType.substr(0, contentType.find(';')));
  const auto known = std::find_if(kTypeExtensions.begin(), kTypeExtensions.end(),
                                  [&](const TTypeExtension& entry) { return type == entry.ContentType; });
  if (known != kTypeExtensions.end() && extension != known->Extension && extension != known->AlsoAccepted) {
    extension = known->Extension;
  } else {
    name.resize(name.size() - extension.size());
  }
  if (name.size() > kMaxStemLength) name.resize(kMaxStemLength);
  if (extension.size() > 16) extension.clear();
  return name + extension;
}

TBrowserCache::TBrowserCache(TBrowserCacheSetup setup) : FSetup(std::move(setup)) {
  FSetup.CopiesFolder = fs::path(FSetup.CopiesFolder).make_preferred().string();
}

void TBrowserCache::ReadFolder() {
  FEntries.clear();
  FCopyPaths.clear();
  FDeleted.clear();
  FByCopyPath.clear();
  FByUrl.clear();
  FReport = FSetup.Reader(FSetup.Folder, [this](TBrowserCacheEntry&& entry) { FEntries.push_back(std::move(entry)); });
  FCopiesIndexed = false;
  FUrlsIndexed = false;
  FCopyPaths.reserve(FEntries.size());
  for (const TBrowserCacheEntry& entry : FEntries) FCopyPaths.push_back(CopyPathOf(entry));
  FDeleted.assign(FEntries.size(), false);
  ChooseEntriesShown();
  FRead = true;
}

void TBrowserCache::ChooseEntriesShown() {
  std::unordered_map<std::string_view, std::size_t> newest;
  newest.reserve(FEntries.size());
  for (std::size_t i = 0; i < FEntries.size(); ++i) {
    const auto [found, added] = newest.try_emplace(FEntries[i].Url, i);
    if (!added && FEntries[i].SyncTime > FEntries[found->second].SyncTime) found->second = i;
  }
  FStandsForUrl.assign(FEntries.size(), false);
  for (const auto& [url, index] : newest) FStandsForUrl[index] = true;
}

void TBrowserCache::IndexCopies() const {
  if (FCopiesIndexed) return;
  FByCopyPath.reserve(FCopyPaths.size());
  for (std::size_t i = 0; i < FCopyPaths.size(); ++i) FByCopyPath.emplace(FCopyPaths[i], i);
  FCopiesIndexed = true;
}

void TBrowserCache::IndexUrls() const {
  if (FUrlsIndexed) return;
  FByUrl.reserve(FEntries.size());
  for (std::size_t i = 0; i < FEntries.size(); ++i) FByUrl[FEntries[i].Url].push_back(i);
  FUrlsIndexed = true;
}

std::string TBrowserCache::CopyPathOf(const TBrowserCacheEntry& entry) const {
  const std::string_view type = HeaderValueOf(entry.ResponseHeaders, "Content-Type");
  return JoinPath(JoinPath(FSetup.CopiesFolder, HashName(entry.Key)), CopyFileNameOf(entry.Url, type));
}

CacheEntryRecord TBrowserCache::RecordOf(std::size_t index) const {
  const TBrowserCacheEntry& entry = FEntries[index];
  CacheEntryRecord record;
  record.SourceUrl = entry.Url;
  record.LocalFileName = FCopyPaths[index];
  record.SizeLow = static_cast<std::uint32_t>(entry.Body.Size);
  record.SizeHigh = static_cast<std::uint32_t>(entry.Body.Size >> 32);
  record.LastSyncTime = entry.SyncTime;
  record.ExpireTime = entry.ExpireTime;
  record.LastModifiedTime = entry.LastModifiedTime;
  record.LastAccessTime = entry.LastAccessTime;
  if (!entry.ResponseHeaders.empty()) record.HeaderInfo = entry.ResponseHeaders;
  return record;
}

std::unique_ptr<IUrlCacheWalk> TBrowserCache::FindFirst(CacheEntryRecord& first) { return Walk(first, false); }

std::unique_ptr<IUrlCacheWalk> TBrowserCache::FindFirstOfEveryKey(CacheEntryRecord& first) {
  return Walk(first, true);
}

std::unique_ptr<IUrlCacheWalk> TBrowserCache::Walk(CacheEntryRecord& first, bool everyKey) {
  std::unique_lock lock(FLock);
  ReadFolder();
  lock.unlock();
  auto next = [this, everyKey, index = std::size_t{0}](CacheEntryRecord& record) mutable {
    const std::lock_guard guard(FLock);
    while (index < FEntries.size() && (FDeleted[index] || !(everyKey || FStandsForUrl[index]))) ++index;
    if (index >= FEntries.size()) return false;
    record = RecordOf(index++);
    return true;
  };
  if (!next(first)) return nullptr;
  return std::make_unique<TBrowserCacheWalk>(std::move(next));
}

std::vector<std::size_t> TBrowserCache::EntriesOf(const std::string& url) {
  if (!FRead) ReadFolder();
  IndexUrls();
  std::vector<std::size_t> entries;
  if (const auto found = FByUrl.find(url); found != FByUrl.end()) {
    std::copy_if(found->second.begin(), found->second.end(), std::back_inserter(entries),
                 [this](std::size_t i) { return !FDeleted[i]; });
  }
  return entries;
}

std::optional<CacheEntryRecord> TBrowserCache::GetEntryInfo(const std::string& url) {
  const std::lock_guard guard(FLock);
  const std::vector<std::size_t> entries = EntriesOf(url);
  if (entries.empty()) return std::nullopt;
  // The first of the newest, as the walk chooses.
  const auto newest = std::max_element(entries.begin(), entries.end(), [this](std::size_t a, std::size_t b) {
    return FEntries[a].SyncTime < FEntries[b].SyncTime;
  });
  return RecordOf(*newest);
}

std::uint64_t TBrowserCache::SkippedEntries() const {
  const std::lock_guard guard(FLock);
  return FReport.Skipped;
}

std::string TBrowserCache::ReadFailure() const {
  const std::lock_guard guard(FLock);
  if (!FReport.Failure.empty()) return FReport.Failure;
  if (FReport.Skipped > 0 && FEntries.empty()) {
    return "none of its " + std::to_string(FReport.Skipped) + " entries could be read: each is damaged";
  }
  return std::string();
}

std::string TBrowserCache::DeleteRefusal(const std::string& url) {
  const std::lock_guard guard(FLock);
  return RefusalOf(url);
}

std::string TBrowserCache::RefusalOf(const std::string& url) {
  const std::vector<std::size_t> entries = EntriesOf(url);
  if (entries.empty()) return std::string();
  for (const std::size_t i : entries) {
    if (FEntries[i].Files.empty()) {
      return url + " cannot be deleted: " + FSetup.Browser + " keeps it in files it shares with other entries.";
    }
    for (const std::string& file : FEntries[i].Files) {
      if (const std::optional<TFileStatus> status = CacheFileStatus(file); status && !status->Regular) {
        return "Nothing of " + url + " was deleted: " + file + " is no file of the cache (a folder or a link stands there).";
      }
    }
  }
  if (!FSetup.OwnerKnown && !FDeleteWithoutOwner) {
    return "No " + FSetup.Browser + " profile was found that keeps its cache in " + FSetup.Folder +
           ", so Hoardscope cannot tell whether " + FSetup.Browser + " uses it: nothing was deleted. Close " +
           FSetup.Browser + " and delete with --force to delete anyway.";
  }
  if (FSetup.BrowserRuns && FSetup.BrowserRuns()) return "Close " + FSetup.Browser + " first.";
  return std::string();
}

bool TBrowserCache::DeleteEntry(const std::string& url) {
  const std::lock_guard guard(FLock);
  FLastRefusal = RefusalOf(url);
  if (!FLastRefusal.empty()) return false;
  const std::vector<std::size_t> entries = EntriesOf(url);
  std::string left;
  for (const std::size_t i : entries) {
    bool allGone = true;
    for (const std::string& file : FEntries[i].Files) {
      if (RemoveCacheFile(file)) continue;
      allGone = false;
      left += (left.empty() ? "" : ", ") + file;
    }
    std::error_code ignored;
    fs::remove_all(fs::path(FCopyPaths[i]).parent_path(), ignored);
    FDeleted[i] = allGone;
  }
  if (!left.empty()) FLastRefusal = url + " was not deleted whole: " + left + " could not be removed.";
  return !entries.empty() && left.empty();
}

std::optional<UrlParts> TBrowserCache::SplitURL(const std::string& url) { return CrackUrl(url); }

std::string TBrowserCache::StoredFileOf(const std::string& localFileName) const {
  const std::lock_guard guard(FLock);
  IndexCopies();
  const auto found = FByCopyPath.find(localFileName);
  return found == FByCopyPath.end() ? std::string() : FEntries[found->second].Body.File;
}

std::optional<TBrowserCacheEntry> TBrowserCache::EntryOfCopy(const std::string& localFileName) const {
  const std::lock_guard guard(FLock);
  IndexCopies();
  const auto found = FByCopyPath.find(localFileName);
  if (found == FByCopyPath.end() || FDeleted[found->second]) return std::nullopt;
  return FEntries[found->second];  // a copy, so that the decoding holds no lock
}

std::string TBrowserCache::NoEntryFailure(const std::string& localFileName) const {
  return "no entry of the cache in " + FSetup.Folder + " has the copy " + localFileName;
}

BodyRead TBrowserCache::ReadBody(const std::string& localFileName, const BodyPieceSink& sink) {
  const std::optional<TBrowserCacheEntry> entry = EntryOfCopy(localFileName);
  if (!entry) return {BodyStartState::Unreadable, NoEntryFailure(localFileName)};
  std::string failure = FSetup.Decoder(*entry, sink);
  if (!failure.empty()) return {BodyStartState::Unreadable, std::move(failure)};
  return {};
}

std::string TBrowserCache::PrepareLocalFile(const std::string& localFileName) {
  const std::optional<TBrowserCacheEntry> found = EntryOfCopy(localFileName);
  if (!found) return NoEntryFailure(localFileName);
  const TBrowserCacheEntry& entry = *found;
  const std::string identity = BodyIdentityOf(entry);
  std::error_code error;
  if (fs::is_regular_file(localFileName, error) && ReadSmallFile(IdentityFileOf(localFileName)) == identity) {
    return std::string();  // decoded before from the body the entry still names
  }
  if (FCopiedBytes >= kMostCopiedBytes) {
    return "This run has written " + std::to_string(FCopiedBytes / (1 << 20)) + " MiB of copies of " + FSetup.Folder +
           " already, the most it writes; " + entry.Url + " was not copied.";
  }
  std::uint64_t written = 0;
  std::string failure = WriteWhole(localFileName, [&](std::ostream& out) {
    return FSetup.Decoder(entry, [&](std::string_view piece) {
      written += piece.size();
      return static_cast<bool>(out.write(piece.data(), static_cast<std::streamsize>(piece.size())));
    });
  });
  FCopiedBytes += written;
  if (failure.empty()) {
    failure = WriteWhole(IdentityFileOf(localFileName), [&identity](std::ostream& out) {
      out << identity;
      return std::string();
    });
  }
  return failure;
}

std::string TBrowserCache::PrepareShownFile(const std::string& localFileName, std::string& shownFile) {
  const std::optional<TBrowserCacheEntry> entry = EntryOfCopy(localFileName);
  if (!entry) return NoEntryFailure(localFileName);
  const std::string pageUrl =
      IsPageType(HeaderValueOf(entry->ResponseHeaders, "Content-Type")) ? entry->Url : std::string();
  if (pageUrl.empty()) {
    shownFile = localFileName;
    return std::string();
  }
  std::ifstream in(localFileName, std::ios::binary);
  if (!in) return "cannot read " + localFileName;
  const std::string html{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  const std::string linked = LinkPageToCopies(html, pageUrl, [this](const std::string& url) {
    const std::optional<CacheEntryRecord> record = GetEntryInfo(url);
    const bool ready = record && PrepareLocalFile(record->LocalFileName).empty();
    return ready ? std::optional<std::string>(record->LocalFileName) : std::nullopt;
  });
  const fs::path copy(localFileName);
  const fs::path shown = copy.parent_path() / kShownFolder / copy.filename();
  if (std::string failure = WriteWhole(shown, [&linked](std::ostream& out) {
        out.write(linked.data(), static_cast<std::streamsize>(linked.size()));
        return std::string();
      });
      !failure.empty()) {
    return failure;
  }
  shownFile = shown.string();
  return std::string();
}

}  // namespace hoardscope
