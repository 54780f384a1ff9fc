// The Linux edition's URL cache store: index, content folders, name reservation and the cache operations.
#include "platform/linux/CacheStore.h"

#include <dirent.h>
#include <fcntl.h>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <ctime>
#include <random>
#include <stdexcept>
#include <system_error>
#include <unordered_set>
#include <utility>

#include "core/Tools.h"

namespace hoardscope {
namespace {

constexpr int kSchemaVersion = 1;
constexpr int kContentFolderCount = 4;
constexpr std::size_t kFolderNameLength = 8;
constexpr std::size_t kMaxBaseNameBytes = 100;
constexpr std::size_t kMaxExtensionBytes = 16;   // dot included
constexpr unsigned kMaxDecorationTries = 1000000;
constexpr const char* kFallbackBaseName = "entry";
constexpr std::size_t kMaxDamagedUrlsNamed = 10;
constexpr const char* kBatchMarksFolder = "index.db-batches";  // beside the index: a mark per running batch
constexpr const char* kLastSweepFile = "index.db-swept";        // beside the index: its time is the last sweep's
constexpr std::time_t kSweepInterval = 24 * 60 * 60;

constexpr const char* kSchema = R"sql(
CREATE TABLE content_folders (
  position INTEGER PRIMARY KEY,
  name TEXT NOT NULL UNIQUE
);
CREATE TABLE entries (
  seq INTEGER PRIMARY KEY AUTOINCREMENT,   -- insertion order: the walk order
  url TEXT NOT NULL UNIQUE,                -- exact text, compared byte by byte
  local_file TEXT,                         -- "FOLDER/name", relative to the root
  size INTEGER NOT NULL,
  last_sync INTEGER NOT NULL,
  expire INTEGER NOT NULL,
  last_modified INTEGER NOT NULL,
  entry_type INTEGER NOT NULL,
  headers BLOB                             -- NULL: no header block
);
CREATE INDEX entries_local_file ON entries (local_file);
)sql";

constexpr const char* kRecordColumns =
    "url, local_file, size, last_sync, expire, last_modified, entry_type, headers";

FileTime Now() {
  const auto sinceUnixEpoch = std::chrono::system_clock::now().time_since_epoch();
  return FileTimeFromUnixMillis(std::chrono::duration_cast<std::chrono::milliseconds>(sinceUnixEpoch).count());
}

std::string RandomFolderName(std::mt19937& random) {
  static constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::uniform_int_distribution<std::size_t> pick(0, sizeof kAlphabet - 2);
  std::string name;
  for (std::size_t i = 0; i < kFolderNameLength; ++i) name += kAlphabet[pick(random)];
  return name;
}

// Replaces every byte that is not safe in a file name on Linux or Windows with "_".
std::string SanitizeName(std::string_view text) {
  std::string result;
  result.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    const bool unsafe = byte < 0x20 || byte == 0x7f || std::string_view("/\\:*?\"<>|").find(c) != std::string_view::npos;
    result += unsafe ? '_' : c;
  }
  return result;
}

// Cuts text to at most maxBytes without splitting a UTF-8 sequence.
std::string CutToBytes(std::string text, std::size_t maxBytes) {
  if (text.size() <= maxBytes) return text;
  std::size_t end = maxBytes;
  while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80) --end;
  text.resize(end);
  return text;
}

// Trailing dots and spaces: Windows drops them, and a name of dots alone would name a folder.
void TrimTrailingDotsAndSpaces(std::string& text) {
  while (!text.empty() && (text.back() == '.' || text.back() == ' ')) text.pop_back();
}

// The last path segment of a URL, without query and fragment; "" when the URL has no path.
std::string_view LastUrlSegment(std::string_view url) {
  url = url.substr(0, url.find_first_of("?#"));
  std::size_t pathStart = 0;
  if (const std::size_t scheme = url.find("://"); scheme != std::string_view::npos) {
    pathStart = url.find_first_of("/\\", scheme + 3);
    if (pathStart == std::string_view::npos) return {};
  }
  const std::size_t lastSeparator = url.find_last_of("/\\");
  if (lastSeparator == std::string_view::npos || lastSeparator < pathStart) return url.substr(pathStart);
  return url.substr(lastSeparator + 1);
}

// The plain (undecorated) content-file name for a URL: base name and extension (with its dot), both safe.
struct TContentName {
  std::string Base;
  std::string Extension;
};

TContentName ContentNameFor(std::string_view url, std::string_view extension) {
  std::string segment = SanitizeName(LastUrlSegment(url));
  TrimTrailingDotsAndSpaces(segment);
  TContentName name;
  name.Extension = PathFindExtension(segment);
  name.Base = segment.substr(0, segment.size() - name.Extension.size());
  if (name.Extension.empty()) {
    std::string given = SanitizeName(extension);
    given.erase(0, given.find_first_not_of('.'));
    TrimTrailingDotsAndSpaces(given);
    if (!given.empty()) name.Extension = "." + given;
  }
  name.Extension = CutToBytes(name.Extension, kMaxExtensionBytes);
  TrimTrailingDotsAndSpaces(name.Extension);
  if (name.Extension == ".") name.Extension.clear();
  name.Base = CutToBytes(name.Base, kMaxBaseNameBytes);
  TrimTrailingDotsAndSpaces(name.Base);
  if (name.Base.empty() && name.Extension.empty()) name.Base = kFallbackBaseName;
  return name;
}

// The content folder a plain name goes to: the same name always lands in the same folder, so that "[n]"
// decoration finds its siblings, while different names spread over all folders.
std::size_t FolderIndexFor(const TContentName& name) {
  std::uint32_t hash = 2166136261u;   // FNV-1a
  for (const char c : name.Base + name.Extension) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
  return hash % kContentFolderCount;
}

std::uint32_t ErrorFromErrno(int error) {
  switch (error) {
    case ENOENT:
    case ENOTDIR: return kErrorPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS: return kErrorAccessDenied;
    case ENOSPC:
    case EDQUOT: return kErrorDiskFull;
    case EEXIST: return kErrorFileExists;
    default: return kErrorGenFailure;
  }
}

std::string ErrnoText(int error) { return std::generic_category().message(error); }

// A plain file or folder name: not empty, no separator, not "." or "..", no NUL.
bool IsPlainName(std::string_view name) {
  constexpr std::string_view kSeparatorsAndNul("/\\\0", 3);
  return !name.empty() && name != "." && name != ".." &&
         name.find_first_of(kSeparatorsAndNul) == std::string_view::npos;
}

// An open file descriptor, closed with its owner.
class TDescriptor {
 public:
  TDescriptor() = default;
  explicit TDescriptor(int descriptor) : Descriptor(descriptor) {}
  ~TDescriptor() {
    if (Descriptor >= 0) ::close(Descriptor);
  }
  TDescriptor(TDescriptor&& other) noexcept : Descriptor(std::exchange(other.Descriptor, -1)) {}
  TDescriptor& operator=(TDescriptor&& other) noexcept {
    std::swap(Descriptor, other.Descriptor);
    return *this;
  }
  TDescriptor(const TDescriptor&) = delete;
  TDescriptor& operator=(const TDescriptor&) = delete;

  int Get() const { return Descriptor; }
  explicit operator bool() const { return Descriptor >= 0; }

 private:
  int Descriptor = -1;
};

// A content folder opened for operations relative to it, or why it could not be.
struct TOpenFolder {
  TDescriptor Descriptor;
  int Errno = 0;
  std::string Error;
};

// Opens the content folder at path, never through a symbolic link; make: makes it first when it is missing.
TOpenFolder OpenContentFolder(const std::string& path, bool make) {
  TOpenFolder folder;
  for (bool made = false;; made = true) {
    const int descriptor = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (descriptor >= 0) {
      folder.Descriptor = TDescriptor(descriptor);
      return folder;
    }
    folder.Errno = errno;
    if (folder.Errno == ENOENT && make && !made && (::mkdir(path.c_str(), 0755) == 0 || errno == EEXIST)) continue;
    folder.Error = folder.Errno == ELOOP || folder.Errno == ENOTDIR
                       ? "the content folder " + path + " is a symbolic link or not a folder; it is not used"
                       : "cannot open the content folder " + path + ": " + ErrnoText(folder.Errno);
    if (folder.Errno == ELOOP || folder.Errno == ENOTDIR) folder.Errno = EACCES;
    return folder;
  }
}

// The plain names in a folder, folders left out.
std::vector<std::string> FileNamesIn(int folder) {
  std::vector<std::string> names;
  const int listing = ::dup(folder);
  if (listing < 0) return names;
  DIR* directory = ::fdopendir(listing);
  if (!directory) {
    ::close(listing);
    return names;
  }
  while (const dirent* item = ::readdir(directory)) {
    if (item->d_type == DT_DIR || !IsPlainName(item->d_name)) continue;
    names.emplace_back(item->d_name);
  }
  ::closedir(directory);
  return names;
}

// Whether the file name in folder changed (content or status) after cutoff, or is gone already.
bool ChangedAfter(int folder, const char* name, std::time_t cutoff) {
  struct stat status {};
  return ::fstatat(folder, name, &status, AT_SYMLINK_NOFOLLOW) != 0 || status.st_ctime > cutoff;
}

// Whether the batch mark name in folder is held by the batch that made it; a mark whose process is gone is not.
bool IsHeldMark(int folder, const char* name) {
  const int mark = ::openat(folder, name, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
  if (mark < 0) return true;  // gone already: its batch ended
  const bool held = ::flock(mark, LOCK_EX | LOCK_NB) != 0 && errno == EWOULDBLOCK;
  ::close(mark);
  return held;
}

std::uint32_t ErrorFromSqlite(int code) {
  switch (code) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED: return kErrorBusy;
    case SQLITE_FULL: return kErrorDiskFull;
    case SQLITE_READONLY:
    case SQLITE_PERM: return kErrorAccessDenied;
    default: return kErrorInternal;
  }
}

}  // namespace

// --- the walk ---

class TCacheStore::TWalk : public IUrlCacheWalk {
 public:
  TWalk(TCacheStore& store, TSqliteStatement statement) : Store(store), Rows(std::move(statement)) {}

  bool FindNext(CacheEntryRecord& record) override {
    if (Over) return false;
    try {
      while (Rows.Step()) {
        if (Store.ReadRecord(Rows, record)) return true;
        if (Damaged.size() < kMaxDamagedUrlsNamed) Damaged.push_back(Rows.ColumnText(0));
        ++DamagedCount;
      }
      if (DamagedCount > 0) ReportDamaged();
    } catch (const std::exception& error) {
      Store.Fail(error);
    }
    Over = true;
    Rows.Reset();   // ends the read transaction at once, not when the walk is destroyed
    return false;
  }

 private:
  void ReportDamaged() {
    std::string text = std::to_string(DamagedCount) + " damaged entries skipped, whose local file is not a file of "
                       "the cache's content folders:";
    for (const std::string& url : Damaged) text += " " + url;
    if (DamagedCount > Damaged.size()) text += " ...";
    Store.Failure = text;
  }

  TCacheStore& Store;
  TSqliteStatement Rows;
  bool Over = false;
  std::size_t DamagedCount = 0;
  std::vector<std::string> Damaged;   // the first few URLs
};

// --- opening ---

TCacheStore::TCacheStore(const std::filesystem::path& root, std::chrono::seconds orphanAge)
    : OrphanAge(orphanAge), RootFolder(std::filesystem::absolute(root)) {
  RootFolder = RootFolder.lexically_normal();
  if (RootFolder.has_filename() == false && RootFolder.has_parent_path()) RootFolder = RootFolder.parent_path();
  RootText = RootFolder.string();
  std::filesystem::create_directories(RootFolder);
  Database = std::make_unique<TSqliteDatabase>(RootFolder / "index.db");
  // The index's write-ahead log and shared-memory file stay when the store closes, so that a store on a disk
  // that has filled up meanwhile can still be opened, and shrunk.
  int persistent = 1;
  sqlite3_file_control(Database->Handle(), "main", SQLITE_FCNTL_PERSIST_WAL, &persistent);
  // The writers' own checkpoints keep the log short: closing a store that was only read writes nothing.
  sqlite3_db_config(Database->Handle(), SQLITE_DBCONFIG_NO_CKPT_ON_CLOSE, 1, nullptr);
  OpenIndex();
  MakeContentFolders();
}

TCacheStore::~TCacheStore() = default;

void TCacheStore::OpenIndex() {
  const auto schemaVersion = [this] {
    TSqliteStatement version = Database->Prepare("PRAGMA user_version");
    const std::int64_t value = version.Step() ? version.ColumnInt64(0) : 0;
    version.Reset();
    return value;
  };
  const auto notAnIndex = [this](const std::string& why) {
    return TSqliteError(IndexFile().string() + " is not a Hoardscope cache index (" + why + "); it was left as it is",
                        SQLITE_CORRUPT);
  };

  if (Database->IsEmpty()) {
    // Another process may be making the same index right now: decide again under the write lock.
    TSqliteTransaction making(*Database);
    if (Database->IsEmpty()) {
      Database->Execute(kSchema);
      std::mt19937 random(std::random_device{}());
      TSqliteStatement addFolder = Database->Prepare("INSERT INTO content_folders (position, name) VALUES (?, ?)");
      for (int position = 0; position < kContentFolderCount;) {
        const std::string name = RandomFolderName(random);
        if (std::find(Folders.begin(), Folders.end(), name) != Folders.end()) continue;
        Folders.push_back(name);
        addFolder.BindAll(position++, name).Run();
      }
      Folders.clear();
      Database->Execute("PRAGMA user_version = " + std::to_string(kSchemaVersion));
    }
    making.Commit();
  }

  const std::int64_t version = schemaVersion();
  if (version > kSchemaVersion) throw notAnIndex("made by a newer Hoardscope, version " + std::to_string(version));
  if (version != kSchemaVersion) throw notAnIndex("no cache tables");

  TSqliteStatement folders = Database->Prepare("SELECT name FROM content_folders ORDER BY position");
  while (folders.Step()) {
    std::string name = folders.ColumnText(0);
    if (name.empty() || name.find_first_of("/\\") != std::string::npos || name == "." || name == "..") {
      throw notAnIndex("a bad content folder name");
    }
    Folders.push_back(std::move(name));
  }
  if (Folders.size() != kContentFolderCount) throw notAnIndex("a wrong number of content folders");

  const std::string columns = kRecordColumns;
  SelectByUrl.emplace(Database->Prepare("SELECT " + columns + " FROM entries WHERE url = ?"));
  SelectLocalByUrl.emplace(Database->Prepare("SELECT local_file FROM entries WHERE url = ?"));
  CountLocalUsers.emplace(Database->Prepare("SELECT count(*) FROM entries WHERE local_file = ?"));
  DeleteByUrl.emplace(Database->Prepare("DELETE FROM entries WHERE url = ?"));
  InsertEntry.emplace(Database->Prepare("INSERT INTO entries (" + columns + ") VALUES (?, ?, ?, ?, ?, ?, ?, ?)"));
  UpdateSyncTime.emplace(Database->Prepare("UPDATE entries SET last_sync = ? WHERE url = ?"));
}

void TCacheStore::MakeContentFolders() {
  for (const std::string& name : Folders) {
    const std::string path = FullPath(name);
    struct stat status {};
    if (::lstat(path.c_str(), &status) == 0 || errno != ENOENT) continue;   // a link is refused where it is used
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) {
      throw std::filesystem::filesystem_error("cannot make the content folder", path,
                                              std::error_code(errno, std::generic_category()));
    }
  }
}

bool TCacheStore::SweepOrphans(std::chrono::seconds age) {
  try {
    // The write lock keeps out every batch, whose reserved names the index does not show yet.
    TSqliteTransaction lock(*Database, TSqliteWait::None);
    const std::vector<std::string> named = NamedFiles();
    const std::unordered_set<std::string> kept(named.begin(), named.end());
    const std::time_t cutoff = std::time(nullptr) - age.count();
    RemoveFolderFiles([&](const std::string& relative, int folder, const char* name) {
      return kept.contains(relative) || ChangedAfter(folder, name, cutoff);
    });
    return true;
  } catch (const TSqliteError&) {
    return false;  // another process is writing, or the index is read-only: the orphans wait for a later sweep
  }
}

void TCacheStore::SweepWhenDue() {
  if (SweepChecked || Database->InTransaction()) return;
  SweepChecked = true;
  const std::filesystem::path marks = RootFolder / kBatchMarksFolder;
  const std::filesystem::path swept = RootFolder / kLastSweepFile;
  std::vector<std::string> leftBehind;
  if (const TOpenFolder folder = OpenContentFolder(marks.string(), false); folder.Descriptor) {
    for (const std::string& name : FileNamesIn(folder.Descriptor.Get())) {
      if (!IsHeldMark(folder.Descriptor.Get(), name.c_str())) leftBehind.push_back(name);
    }
  }
  struct stat status {};
  const bool dayOld = ::stat(swept.c_str(), &status) != 0 || status.st_mtime < std::time(nullptr) - kSweepInterval;
  if ((leftBehind.empty() && !dayOld) || !SweepOrphans(OrphanAge)) return;
  for (const std::string& name : leftBehind) ::unlink((marks / name).c_str());
  if (const int touched = ::open(swept.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644); touched >= 0) {
    ::close(touched);
  }
}

bool TCacheStore::BeginBatch() {
  if (Database->InTransaction()) return false;
  SweepWhenDue();
  EndBatch(true, true);  // the mark of a batch that could not begin
  const std::string marks = (RootFolder / kBatchMarksFolder).string();
  ::mkdir(marks.c_str(), 0755);
  std::mt19937 random(std::random_device{}());
  BatchMarkFile = marks + "/" + RandomFolderName(random) + RandomFolderName(random);
  BatchMark = ::open(BatchMarkFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
  // Without a mark (a full disk, say) the batch still runs: only a kill in its middle goes unnoticed until the
  // daily sweep.
  if (BatchMark >= 0) ::flock(BatchMark, LOCK_EX);
  return true;
}

void TCacheStore::EndBatch(bool outermost, bool clean) {
  if (!outermost) return;
  BatchReservations.clear();
  if (BatchMark < 0) return;
  if (clean) ::unlink(BatchMarkFile.c_str());
  ::close(BatchMark);
  BatchMark = -1;
}

void TCacheStore::DiscardBatchReservations(std::size_t from) {
  for (std::size_t i = from; i < BatchReservations.size(); ++i) {
    const std::optional<TContentFile> file = ContentFileOf(BatchReservations[i]);
    if (!file || UsersOf(BatchReservations[i]) > 0) continue;
    if (const TOpenFolder folder = OpenContentFolder(FullPath(Folders[file->Folder]), false); folder.Descriptor) {
      ::unlinkat(folder.Descriptor.Get(), file->Name.c_str(), 0);
    }
  }
  BatchReservations.resize(std::min(from, BatchReservations.size()));
}

std::vector<std::string> TCacheStore::NamedFiles() {
  std::vector<std::string> names;
  TSqliteStatement files = Database->Prepare("SELECT DISTINCT local_file FROM entries WHERE local_file IS NOT NULL");
  while (files.Step()) names.push_back(files.ColumnText(0));
  return names;
}

TCacheStore::TRemoval TCacheStore::RemoveFolderFiles(
    const std::function<bool(const std::string&, int, const char*)>& keep) {
  TRemoval removal;
  const auto refuse = [&](const std::string& error) {
    if (removal.Refused++ == 0) removal.FirstError = error;
  };
  for (const std::string& folderName : Folders) {
    const TOpenFolder folder = OpenContentFolder(FullPath(folderName), false);
    if (!folder.Descriptor) {
      if (folder.Errno != ENOENT) refuse(folder.Error);
      continue;
    }
    for (const std::string& name : FileNamesIn(folder.Descriptor.Get())) {
      const std::string relative = folderName + "/" + name;
      if (keep(relative, folder.Descriptor.Get(), name.c_str())) continue;
      if (::unlinkat(folder.Descriptor.Get(), name.c_str(), 0) != 0 && errno != ENOENT && errno != EISDIR) {
        refuse("cannot remove " + FullPath(relative) + ": " + ErrnoText(errno));
      }
    }
  }
  return removal;
}

std::vector<std::filesystem::path> TCacheStore::ContentFolders() const {
  std::vector<std::filesystem::path> folders;
  for (const auto& name : Folders) folders.push_back(RootFolder / name);
  return folders;
}

// --- helpers ---

std::string TCacheStore::FullPath(std::string_view relative) const {
  std::string path;
  path.reserve(RootText.size() + 1 + relative.size());
  path += RootText;
  path += '/';
  path += relative;
  return path;
}

std::optional<TCacheStore::TContentFile> TCacheStore::ContentFileAt(const std::string& path) const {
  if (path.empty()) return std::nullopt;
  const std::filesystem::path normal = std::filesystem::absolute(path).lexically_normal();
  if (!normal.has_filename() || normal.parent_path().parent_path() != RootFolder) return std::nullopt;
  return ContentFileOf(normal.parent_path().filename().string() + "/" + normal.filename().string());
}

std::optional<TCacheStore::TContentFile> TCacheStore::ContentFileOf(std::string_view relative) const {
  const std::size_t slash = relative.find('/');
  if (slash == std::string_view::npos) return std::nullopt;
  const auto folder = std::find(Folders.begin(), Folders.end(), relative.substr(0, slash));
  const std::string_view name = relative.substr(slash + 1);
  if (folder == Folders.end() || !IsPlainName(name)) return std::nullopt;
  return TContentFile{static_cast<std::size_t>(folder - Folders.begin()), std::string(name)};
}

bool TCacheStore::ReadRecord(const TSqliteStatement& row, CacheEntryRecord& record) const {
  if (!row.ColumnIsNull(1) && !ContentFileOf(row.ColumnTextView(1))) return false;
  record.SourceUrl = row.ColumnText(0);
  record.LocalFileName = row.ColumnIsNull(1) ? std::string() : FullPath(row.ColumnTextView(1));
  const std::uint64_t size = row.ColumnUInt64(2);
  record.SizeLow = static_cast<std::uint32_t>(size);
  record.SizeHigh = static_cast<std::uint32_t>(size >> 32);
  record.LastSyncTime = row.ColumnUInt64(3);
  record.ExpireTime = row.ColumnUInt64(4);
  record.LastModifiedTime = row.ColumnUInt64(5);
  record.CacheEntryType = static_cast<std::uint32_t>(row.ColumnInt64(6));
  record.HeaderInfo = row.ColumnOptionalText(7);
  return true;
}

bool TCacheStore::FindLocalFile(const std::string& url, std::optional<std::string>& local) {
  SelectLocalByUrl->BindAll(url);
  const bool found = SelectLocalByUrl->Step();
  local = found ? SelectLocalByUrl->ColumnOptionalText(0) : std::nullopt;
  SelectLocalByUrl->Reset();
  return found;
}

std::int64_t TCacheStore::UsersOf(const std::string& relative) {
  CountLocalUsers->BindAll(relative);
  const std::int64_t users = CountLocalUsers->Step() ? CountLocalUsers->ColumnInt64(0) : 0;
  CountLocalUsers->Reset();
  return users;
}

void TCacheStore::ScheduleRemoval(const std::string& relative) {
  if (ContentFileOf(relative) && UsersOf(relative) == 0) PendingRemovals.push_back(relative);
}

void TCacheStore::RemoveScheduledFiles() {
  if (Database->InTransaction()) return;   // a batch is still open: its changes are not durable yet
  RemovalFailure.clear();
  for (const auto& relative : PendingRemovals) {
    const TContentFile file = *ContentFileOf(relative);
    const TOpenFolder folder = OpenContentFolder(FullPath(Folders[file.Folder]), false);
    const bool removed = folder.Descriptor && ::unlinkat(folder.Descriptor.Get(), file.Name.c_str(), 0) == 0;
    const int error = folder.Descriptor ? errno : folder.Errno;
    if (!removed && error != ENOENT && RemovalFailure.empty()) {   // a file removed already is no failure
      RemovalFailure =
          folder.Descriptor ? "cannot remove " + FullPath(relative) + ": " + ErrnoText(error) : folder.Error;
    }
  }
  PendingRemovals.clear();
}

void TCacheStore::WriteFreeingSpace(const std::function<void()>& change, const std::function<void()>& freeSpace) {
  const bool outermost = !Database->InTransaction();
  try {
    change();
  } catch (const TSqliteError& error) {
    if (error.Code != SQLITE_FULL || !outermost) throw;
    freeSpace();
    change();
  }
}

void TCacheStore::Fail(const std::exception& error) { Failure = error.what(); }

// --- IUrlCache ---

std::unique_ptr<IUrlCacheWalk> TCacheStore::StartWalk(bool normalOnly, CacheEntryRecord& first) {
  try {
    std::string sql = "SELECT " + std::string(kRecordColumns) + " FROM entries";
    if (normalOnly) {
      sql += " WHERE (entry_type & " + std::to_string(kNormalCacheEntry) + ") <> 0 AND (entry_type & " +
             std::to_string(kCookieCacheEntry | kUrlHistoryCacheEntry) + ") = 0";
    }
    sql += " ORDER BY seq";
    auto walk = std::make_unique<TWalk>(*this, Database->Prepare(sql));
    if (!walk->FindNext(first)) return nullptr;
    return walk;
  } catch (const std::exception& error) {
    Fail(error);
    return nullptr;
  }
}

std::unique_ptr<IUrlCacheWalk> TCacheStore::FindFirst(CacheEntryRecord& first) { return StartWalk(true, first); }

std::unique_ptr<IUrlCacheWalk> TCacheStore::FindFirstOfAnyType(CacheEntryRecord& first) {
  return StartWalk(false, first);
}

std::optional<CacheEntryRecord> TCacheStore::GetEntryInfo(const std::string& url) {
  try {
    std::optional<CacheEntryRecord> record;
    SelectByUrl->BindAll(url);
    if (SelectByUrl->Step() && !ReadRecord(*SelectByUrl, record.emplace())) {
      record.reset();
      Failure = "damaged entry " + url + ": its local file \"" + SelectByUrl->ColumnText(1) +
                "\" is not a file of the cache's content folders";
    }
    SelectByUrl->Reset();
    return record;
  } catch (const std::exception& error) {
    SelectByUrl->Reset();
    Fail(error);
    return std::nullopt;
  }
}

bool TCacheStore::DeleteEntry(const std::string& url) {
  try {
    bool found = false;
    RemovalFailure.clear();
    WriteFreeingSpace(
        [&] {
          // A batch of its own, so the entry's file goes only once the deletion is durable and stays when it is not.
          TBatch change(*this);
          std::optional<std::string> local;
          found = FindLocalFile(url, local);
          if (!found) return;
          DeleteByUrl->BindAll(url).Run();
          if (local) ScheduleRemoval(*local);
          change.Commit();
        },
        [&] {
          std::optional<std::string> local;
          if (FindLocalFile(url, local) && local && UsersOf(*local) == 1) {
            PendingRemovals.push_back(*local);
            RemoveScheduledFiles();
          }
        });
    if (!RemovalFailure.empty()) Failure = RemovalFailure;
    return found && RemovalFailure.empty();
  } catch (const std::exception& error) {
    SelectLocalByUrl->Reset();
    Fail(error);
    return false;
  }
}

CreatedCacheFile TCacheStore::CreateEntry(const std::string& url, std::uint64_t expectedSize,
                                          const std::string& extension) {
  CreatedCacheFile result;
  if (url.empty()) {
    result.Error = kErrorInvalidParameter;
    return result;
  }
  SweepWhenDue();
  const TContentName name = ContentNameFor(url, extension);
  const std::string folder = Folders[FolderIndexFor(name)];
  const std::string plain = folder + "/" + name.Base + name.Extension;
  // Made again when someone removed it; never used through a link.
  const TOpenFolder folderOpen = OpenContentFolder(FullPath(folder), true);
  if (!folderOpen.Descriptor) {
    result.Error = ErrorFromErrno(folderOpen.Errno);
    Failure = folderOpen.Error;
    return result;
  }
  const auto hint = NextDecoration.find(plain);
  const unsigned firstDecoration = hint == NextDecoration.end() ? 1 : hint->second;
  for (unsigned tries = 0, decoration = 0; tries < kMaxDecorationTries; ++tries) {
    const std::string fileName =
        decoration == 0 ? name.Base + name.Extension
                        : name.Base + "[" + std::to_string(decoration) + "]" + name.Extension;
    const int file = ::openat(folderOpen.Descriptor.Get(), fileName.c_str(),
                              O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (file >= 0) {
      ::close(file);
      if (decoration > 0) NextDecoration[plain] = decoration + 1;
      result.Ok = true;
      result.LocalFileName = FullPath(folder + "/" + fileName);
      if (Database->InTransaction()) BatchReservations.push_back(folder + "/" + fileName);
      return result;
    }
    const int error = errno;
    if (error != EEXIST) {
      result.Error = ErrorFromErrno(error);
      Failure = "cannot create " + FullPath(folder + "/" + fileName) + ": " + ErrnoText(error);
      return result;
    }
    // The plain name first, then on from the last decoration this store handed out for it.
    decoration = decoration == 0 ? firstDecoration : decoration + 1;
  }
  result.Error = kErrorFileExists;
  Failure = "no free name for " + plain;
  return result;
}

std::uint32_t TCacheStore::CommitEntry(const std::string& url, const std::string& localFileName,
                                       FileTime expireTime, FileTime lastModifiedTime, std::uint32_t entryType,
                                       const std::string& headers) {
  try {
    return StoreEntry(url, localFileName, expireTime, lastModifiedTime, entryType, headers);
  } catch (const std::exception& error) {
    Fail(error);
    return kErrorInternal;
  }
}

bool TCacheStore::DiscardReservedFile(const std::string& localFileName) {
  const std::optional<TContentFile> file = ContentFileAt(localFileName);
  if (!file) {
    Failure = "not a file of the cache's content folders: " + localFileName;
    return false;
  }
  try {
    if (UsersOf(RelativeName(*file)) > 0) {
      Failure = "an entry names " + localFileName;
      return false;
    }
  } catch (const std::exception& error) {
    CountLocalUsers->Reset();
    Fail(error);
    return false;
  }
  const TOpenFolder folder = OpenContentFolder(FullPath(Folders[file->Folder]), false);
  if (!folder.Descriptor) {
    Failure = folder.Error;
    return false;
  }
  if (::unlinkat(folder.Descriptor.Get(), file->Name.c_str(), 0) != 0 && errno != ENOENT) {
    const int error = errno;
    Failure = "cannot remove " + localFileName + ": " + ErrnoText(error);
    return false;
  }
  // Gone: the name may be another's reservation from now on, which no rollback of ours may remove.
  std::erase(BatchReservations, RelativeName(*file));
  return true;
}

std::uint32_t TCacheStore::StoreEntry(const std::string& url, const std::string& localFileName,
                                      FileTime expireTime, FileTime lastModifiedTime, std::uint32_t entryType,
                                      const std::string& headers) {
  const std::optional<TContentFile> file = ContentFileAt(localFileName);
  if (url.empty() || !file) {
    Failure = "not a file of the cache's content folders: " + localFileName;
    return kErrorInvalidParameter;
  }
  const std::string relative = RelativeName(*file);
  const TOpenFolder folder = OpenContentFolder(FullPath(Folders[file->Folder]), false);
  struct stat status {};
  if (!folder.Descriptor ||
      ::fstatat(folder.Descriptor.Get(), file->Name.c_str(), &status, AT_SYMLINK_NOFOLLOW) != 0) {
    const int error = folder.Descriptor ? errno : folder.Errno;
    Failure = folder.Descriptor ? "cannot find " + localFileName + ": " + ErrnoText(error) : folder.Error;
    return error == ENOENT ? kErrorFileNotFound : ErrorFromErrno(error);
  }
  if (!S_ISREG(status.st_mode)) {   // a folder, or a link that could lead out of the store
    Failure = "not a regular file: " + localFileName;
    return kErrorInvalidParameter;
  }
  const auto size = static_cast<std::uint64_t>(status.st_size);

  try {
    TBatch change(*this);
    SelectLocalByUrl->BindAll(url);
    std::optional<std::string> replacedFile;
    const bool replaces = SelectLocalByUrl->Step();
    if (replaces) replacedFile = SelectLocalByUrl->ColumnOptionalText(0);
    SelectLocalByUrl->Reset();
    if (replaces) DeleteByUrl->BindAll(url).Run();
    InsertEntry->BindAll(url, relative, size, Now(), expireTime, lastModifiedTime, entryType,
                         headers.empty() ? std::optional<std::string>() : std::optional<std::string>(headers));
    InsertEntry->Run();
    if (replacedFile && *replacedFile != relative) ScheduleRemoval(*replacedFile);
    change.Commit();
  } catch (const TSqliteError& failure) {
    SelectLocalByUrl->Reset();
    Fail(failure);
    return ErrorFromSqlite(failure.Code);
  }
  return 0;
}

std::optional<UrlParts> TCacheStore::SplitURL(const std::string& url) { return CrackUrl(url); }

// --- store methods ---

bool TCacheStore::SetLastSyncTime(const std::string& url, FileTime time) {
  try {
    SweepWhenDue();
    UpdateSyncTime->BindAll(time, url).Run();
    if (Database->Changes() > 0) return true;
    Failure = "no entry is stored under " + url;
  } catch (const std::exception& error) {
    Fail(error);
  }
  return false;
}

void TCacheStore::Clear() {
  if (Database->InTransaction()) throw std::logic_error("the cache cannot be cleared inside a batch");
  const auto nothingKept = [](const std::string&, int, const char*) { return false; };
  WriteFreeingSpace(
      [&] {
        TBatch change(*this);
        Database->Execute("DELETE FROM entries");
        change.Commit();
      },
      [&] { RemoveFolderFiles(nothingKept); });
  // Every file the index does not name goes, the leftovers of an earlier clear that was cut short included; the
  // write lock keeps other writers from naming files meanwhile.
  TSqliteTransaction lock(*Database);
  const std::vector<std::string> named = NamedFiles();
  const std::unordered_set<std::string> kept(named.begin(), named.end());
  const TRemoval removal =
      RemoveFolderFiles([&](const std::string& relative, int, const char*) { return kept.contains(relative); });
  if (removal.Refused > 0) {
    throw std::runtime_error(std::to_string(removal.Refused) + " files of the cache could not be removed; the first: " +
                             removal.FirstError);
  }
}

// --- TBatch ---

TCacheStore::TBatch::TBatch(TCacheStore& store)
    : Store(store), Outermost(store.BeginBatch()), Transaction(*store.Database),
      QueuedBefore(store.PendingRemovals.size()), ReservedBefore(store.BatchReservations.size()) {}

TCacheStore::TBatch::~TBatch() {
  if (!Committed) {
    // Rolled back: the entries whose files this batch queued for removal are back and keep their files, and the
    // files reserved during it that no entry names now go.
    Transaction.Rollback();
    Store.PendingRemovals.resize(std::min(QueuedBefore, Store.PendingRemovals.size()));
    try {
      Store.DiscardBatchReservations(ReservedBefore);
    } catch (...) {
      // The index cannot be read: the files stay for the sweep that the mark left behind asks for.
      Store.EndBatch(Outermost, false);
      return;
    }
  }
  Store.EndBatch(Outermost, true);
}

void TCacheStore::TBatch::Commit() {
  Transaction.Commit();
  Committed = true;
  Store.RemoveScheduledFiles();
}

}  // namespace hoardscope
