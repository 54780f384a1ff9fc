// The cache store against real folders: the URL cache contracts, plus what only a store on disk can get wrong
// (persistence, content folders, hostile names, a damaged index, several users of one root).
#include "platform/linux/CacheStore.h"

#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <set>

#include "core/Tools.h"
#include "tests/contract/UrlCacheContract.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

struct TStoreBackend {
  static constexpr bool kKeepsExactTypesAndTimes = true;
  IUrlCache& Cache() { return Store; }
  void WriteReserved(const std::string& localFile, const std::string& content) { WriteFile(localFile, content); }
  TTempFolder Folder{"cache"};
  TCacheStore Store{Folder.Path / "cache"};
};

}  // namespace

using TStore = ::testing::Types<TStoreBackend>;
INSTANTIATE_TYPED_TEST_SUITE_P(Store, UrlCacheReaderContract, TStore);
INSTANTIATE_TYPED_TEST_SUITE_P(Store, UrlCacheDeleterContract, TStore);
INSTANTIATE_TYPED_TEST_SUITE_P(Store, UrlCacheWriterContract, TStore);
INSTANTIATE_TYPED_TEST_SUITE_P(Store, UrlCacheFileWriterContract, TStore);
INSTANTIATE_TYPED_TEST_SUITE_P(Store, ExactUrlCacheWriterContract, TStore);

namespace {

class CacheStoreTest : public ::testing::Test {
 protected:
  fs::path Root() const { return Folder.Path / "cache"; }

  // Reserves, fills and commits an entry of store; returns its local file.
  static std::string Add(TCacheStore& store, const std::string& url, const std::string& content = "content",
                         std::uint32_t type = kNormalCacheEntry) {
    const CreatedCacheFile created = store.CreateEntry(url, content.size(), "");
    EXPECT_TRUE(created.Ok) << url;
    WriteFile(created.LocalFileName, content);
    EXPECT_EQ(0u, store.CommitEntry(url, created.LocalFileName, 0, 0, type, "")) << url;
    return created.LocalFileName;
  }

  static std::vector<std::string> Walk(TCacheStore& store) {
    std::vector<std::string> urls;
    CacheEntryRecord record;
    if (auto walk = store.FindFirst(record)) {
      do urls.push_back(record.SourceUrl);
      while (walk->FindNext(record));
    }
    return urls;
  }

  // Whether path is a file directly inside one of the store's content folders.
  static bool InContentFolder(const TCacheStore& store, const std::string& path) {
    const auto folders = store.ContentFolders();
    return std::find(folders.begin(), folders.end(), fs::path(path).parent_path()) != folders.end() &&
           fs::is_regular_file(path);
  }

  TTempFolder Folder{"cache"};
};

// --- the index and its folders ---

TEST_F(CacheStoreTest, FirstUseMakesTheIndexAndFourContentFolders) {
  TCacheStore store(Root());
  EXPECT_TRUE(fs::is_regular_file(Root() / "index.db"));
  const auto folders = store.ContentFolders();
  ASSERT_EQ(4u, folders.size());
  std::set<std::string> names;
  for (const auto& folder : folders) {
    EXPECT_EQ(Root(), folder.parent_path());
    EXPECT_EQ(8u, folder.filename().string().size());
    EXPECT_TRUE(fs::is_directory(folder));
    names.insert(folder.filename().string());
  }
  EXPECT_EQ(4u, names.size());
}

TEST_F(CacheStoreTest, EntriesAndFoldersOutliveTheStoreObject) {
  std::vector<fs::path> folders;
  std::string local;
  {
    TCacheStore store(Root());
    folders = store.ContentFolders();
    local = Add(store, "http://h/a.htm", "hello");
    Add(store, "http://h/b.htm");
  }
  TCacheStore reopened(Root());
  EXPECT_EQ(folders, reopened.ContentFolders());
  EXPECT_EQ((std::vector<std::string>{"http://h/a.htm", "http://h/b.htm"}), Walk(reopened));
  const auto info = reopened.GetEntryInfo("http://h/a.htm");
  ASSERT_TRUE(info);
  EXPECT_EQ(local, info->LocalFileName);
  EXPECT_EQ(5u, info->SizeLow);
}

TEST_F(CacheStoreTest, ContentFoldersRemovedByHandComeBack) {
  TCacheStore store(Root());
  for (const auto& folder : store.ContentFolders()) fs::remove_all(folder);
  EXPECT_TRUE(InContentFolder(store, Add(store, "http://h/a.htm")));
}

TEST_F(CacheStoreTest, DamagedIndexIsReportedByNameAndLeftAlone) {
  fs::create_directories(Root());
  const std::string garbage(4096, 'x');
  WriteFile(Root() / "index.db", garbage);
  try {
    TCacheStore store(Root());
    FAIL() << "a damaged index was opened";
  } catch (const std::runtime_error& error) {
    EXPECT_NE(std::string::npos, std::string(error.what()).find((Root() / "index.db").string())) << error.what();
  }
  EXPECT_EQ(garbage, ReadFile(Root() / "index.db"));
  EXPECT_FALSE(fs::exists(Root() / "index.db-wal"));
}

TEST_F(CacheStoreTest, DatabaseOfAnotherKindIsNotTakenForAnIndex) {
  fs::create_directories(Root());
  {
    TSqliteDatabase other(Root() / "index.db");
    other.Execute("CREATE TABLE notes (text TEXT); INSERT INTO notes VALUES ('keep me')");
  }
  EXPECT_THROW(TCacheStore store(Root()), std::runtime_error);
  TSqliteDatabase check(Root() / "index.db", TSqliteOpenMode::ReadOnly);
  TSqliteStatement notes = check.Prepare("SELECT text FROM notes");
  ASSERT_TRUE(notes.Step());
  EXPECT_EQ("keep me", notes.ColumnText(0));
}

// --- reserving names ---

TEST_F(CacheStoreTest, TakenNamesGetANumberBeforeTheExtension) {
  TCacheStore store(Root());
  std::vector<std::string> names;
  for (int i = 0; i < 3; ++i) {
    const CreatedCacheFile created = store.CreateEntry("http://h/dir/page.htm", 0, "");
    ASSERT_TRUE(created.Ok);
    EXPECT_TRUE(InContentFolder(store, created.LocalFileName));
    EXPECT_EQ(0u, fs::file_size(created.LocalFileName));
    names.push_back(fs::path(created.LocalFileName).filename().string());
  }
  EXPECT_EQ((std::vector<std::string>{"page.htm", "page[1].htm", "page[2].htm"}), names);
  const CreatedCacheFile bare = store.CreateEntry("http://h/README", 0, "");
  const CreatedCacheFile bareAgain = store.CreateEntry("http://other/README", 0, "");
  EXPECT_EQ("README", fs::path(bare.LocalFileName).filename());
  EXPECT_EQ("README[1]", fs::path(bareAgain.LocalFileName).filename());
}

TEST_F(CacheStoreTest, FreedPlainNameIsReservedAgain) {
  TCacheStore store(Root());
  const std::string first = Add(store, "http://h/page.htm");
  Add(store, "http://h/page.htm?v=2");
  ASSERT_TRUE(store.DeleteEntry("http://h/page.htm"));
  const CreatedCacheFile created = store.CreateEntry("http://h/page.htm", 0, "");
  EXPECT_EQ(first, created.LocalFileName);
}

TEST_F(CacheStoreTest, HostileUrlsGetNamesInsideAContentFolder) {
  TCacheStore store(Root());
  const std::pair<std::string, std::string> cases[] = {
      {"http://h/../../etc/passwd", "passwd"},
      {"http://h/a%2F..", "a%2F"},
      {"http://h/..", "entry"},
      {"http://h/...", "entry"},
      {"http://h/", "entry"},
      {"http://h", "entry"},
      {"", ""},
      {"http://h/a\\..\\..\\win.ini", "win.ini"},
      {"http://h/a<b>|c\"d*e:f.htm", "a_b__c_d_e_f.htm"},
      {"http://h/tab\there\n.gif", "tab_here_.gif"},
      {"/etc/passwd", "passwd"},
      {"relative/../name.txt", "name.txt"},
  };
  for (const auto& [url, expected] : cases) {
    const CreatedCacheFile created = store.CreateEntry(url, 0, "");
    if (url.empty()) {
      EXPECT_FALSE(created.Ok);
      EXPECT_EQ(kErrorInvalidParameter, created.Error);
      continue;
    }
    ASSERT_TRUE(created.Ok) << url;
    EXPECT_TRUE(InContentFolder(store, created.LocalFileName)) << url << " -> " << created.LocalFileName;
    EXPECT_EQ(expected, FileNameOf(created.LocalFileName, true)) << url;
  }
  EXPECT_FALSE(fs::exists("/etc/passwd[1]"));
}

TEST_F(CacheStoreTest, HostileExtensionsStayInTheName) {
  TCacheStore store(Root());
  for (const std::string& extension : std::vector<std::string>{"../../x", "/abs", "..", "a/b\\c", std::string(300, 'e')}) {
    const CreatedCacheFile created = store.CreateEntry("http://h/file", 0, extension);
    ASSERT_TRUE(created.Ok) << extension;
    EXPECT_TRUE(InContentFolder(store, created.LocalFileName)) << created.LocalFileName;
    EXPECT_LE(fs::path(created.LocalFileName).filename().string().size(), 130u);
  }
}

TEST_F(CacheStoreTest, VeryLongNamesAreShortenedKeepingTheExtension) {
  TCacheStore store(Root());
  const CreatedCacheFile ascii = store.CreateEntry("http://h/" + std::string(5000, 'n') + ".html", 0, "");
  ASSERT_TRUE(ascii.Ok);
  const std::string name = fs::path(ascii.LocalFileName).filename().string();
  EXPECT_LE(name.size(), 130u);
  EXPECT_EQ(".html", PathFindExtension(name));

  std::string umlauts;
  for (int i = 0; i < 300; ++i) umlauts += "\xc3\xa4";   // "ä" in UTF-8
  const CreatedCacheFile utf8 = store.CreateEntry("http://h/x" + umlauts, 0, "txt");
  ASSERT_TRUE(utf8.Ok);
  const std::string base = fs::path(utf8.LocalFileName).stem().string();
  EXPECT_LT(base.size(), 200u);
  EXPECT_EQ(1u, base.size() % 2) << "a UTF-8 sequence was cut in half";
  EXPECT_EQ(".txt", fs::path(utf8.LocalFileName).extension());
}

// --- committing ---

TEST_F(CacheStoreTest, CommitRefusesFilesOutsideTheContentFolders) {
  TCacheStore store(Root());
  const std::string reserved = store.CreateEntry("http://h/a.htm", 0, "").LocalFileName;
  const fs::path folder = fs::path(reserved).parent_path();
  WriteFile(Folder.Path / "outside.htm", "x");
  WriteFile(Root() / "loose.htm", "x");
  fs::create_directories(folder / "sub");
  WriteFile(folder / "sub" / "deep.htm", "x");
  fs::create_symlink(Folder.Path / "outside.htm", folder / "link.htm");
  for (const fs::path& refused : {Folder.Path / "outside.htm", Root() / "loose.htm", Root() / "index.db",
                                  folder / "sub" / "deep.htm", folder / ".." / ".." / "outside.htm",
                                  folder / "sub", folder / "link.htm", fs::path()}) {
    EXPECT_EQ(kErrorInvalidParameter, store.CommitEntry("http://h/a.htm", refused, 0, 0, 1, "")) << refused;
  }
  EXPECT_FALSE(store.LastFailure().empty());
  EXPECT_EQ(kErrorFileNotFound, store.CommitEntry("http://h/a.htm", (folder / "gone.htm").string(), 0, 0, 1, ""));
  EXPECT_EQ(kErrorInvalidParameter, store.CommitEntry("", reserved, 0, 0, 1, ""));
  EXPECT_TRUE(Walk(store).empty());
  EXPECT_TRUE(fs::exists(Folder.Path / "outside.htm"));
}

TEST_F(CacheStoreTest, CommitAcceptsAPathSpelledAnotherWay) {
  TCacheStore store(Root());
  const fs::path reserved = store.CreateEntry("http://h/a.htm", 0, "").LocalFileName;
  const fs::path spelled = reserved.parent_path() / "." / ".." / reserved.parent_path().filename() / "a.htm";
  ASSERT_EQ(0u, store.CommitEntry("http://h/a.htm", spelled.string(), 0, 0, 1, ""));
  EXPECT_EQ(reserved.string(), store.GetEntryInfo("http://h/a.htm")->LocalFileName);
}

TEST_F(CacheStoreTest, SizeOfALargeFileFillsBothHalves) {
  TCacheStore store(Root());
  const std::string local = store.CreateEntry("http://h/big.iso", 0, "").LocalFileName;
  fs::resize_file(local, 0x100000005ull);   // sparse: takes no room
  ASSERT_EQ(0u, store.CommitEntry("http://h/big.iso", local, 0, 0, 1, ""));
  const auto info = store.GetEntryInfo("http://h/big.iso");
  EXPECT_EQ(1u, info->SizeHigh);
  EXPECT_EQ(5u, info->SizeLow);
}

TEST_F(CacheStoreTest, LastSyncTimeIsTheCommitUnlessSet) {
  TCacheStore store(Root());
  const auto now = [] {
    return FileTimeFromUnixMillis(std::chrono::duration_cast<std::chrono::milliseconds>(
                                      std::chrono::system_clock::now().time_since_epoch())
                                      .count());
  };
  const FileTime before = now();
  Add(store, "http://h/a.htm");
  const FileTime after = now();
  const FileTime synced = store.GetEntryInfo("http://h/a.htm")->LastSyncTime;
  EXPECT_GE(synced, before);
  EXPECT_LE(synced, after);
  EXPECT_TRUE(store.SetLastSyncTime("http://h/a.htm", 134405928000000000ull));
  EXPECT_EQ(134405928000000000ull, store.GetEntryInfo("http://h/a.htm")->LastSyncTime);
  EXPECT_FALSE(store.SetLastSyncTime("http://h/unknown.htm", 1));
  EXPECT_FALSE(store.GetEntryInfo("http://h/unknown.htm"));
}

TEST_F(CacheStoreTest, ReplacingAnEntryRemovesItsOldFile) {
  TCacheStore store(Root());
  const std::string first = Add(store, "http://h/a.htm", "one");
  const std::string second = Add(store, "http://h/a.htm", "two");
  ASSERT_NE(first, second);
  EXPECT_FALSE(fs::exists(first));
  EXPECT_EQ("two", ReadFile(second));
  // Committing the same file again keeps it.
  ASSERT_EQ(0u, store.CommitEntry("http://h/a.htm", second, 0, 0, 1, ""));
  EXPECT_TRUE(fs::exists(second));
}

TEST_F(CacheStoreTest, AFileTwoEntriesShareStaysUntilTheLastGoes) {
  TCacheStore store(Root());
  const std::string local = Add(store, "http://h/a.htm");
  ASSERT_EQ(0u, store.CommitEntry("http://h/b.htm", local, 0, 0, 1, ""));
  ASSERT_TRUE(store.DeleteEntry("http://h/a.htm"));
  EXPECT_TRUE(fs::exists(local));
  ASSERT_TRUE(store.DeleteEntry("http://h/b.htm"));
  EXPECT_FALSE(fs::exists(local));
}

// --- deleting ---

TEST_F(CacheStoreTest, DeleteRemovesTheLocalFile) {
  TCacheStore store(Root());
  const std::string local = Add(store, "http://h/a.htm");
  ASSERT_TRUE(store.DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(fs::exists(local));
}

TEST_F(CacheStoreTest, DeleteOfAnEntryWhoseFileIsGoneSucceeds) {
  TCacheStore store(Root());
  fs::remove(Add(store, "http://h/a.htm"));
  EXPECT_TRUE(store.DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(store.GetEntryInfo("http://h/a.htm"));
}

TEST_F(CacheStoreTest, ClearRemovesEveryEntryAndFile) {
  TCacheStore store(Root());
  const std::string a = Add(store, "http://h/a.htm");
  const std::string cookie = Add(store, "Cookie:u@h/", "c", 0x00100001);
  store.Clear();
  EXPECT_TRUE(Walk(store).empty());
  EXPECT_FALSE(store.GetEntryInfo("Cookie:u@h/"));
  EXPECT_FALSE(fs::exists(a));
  EXPECT_FALSE(fs::exists(cookie));
  EXPECT_TRUE(fs::exists(Root() / "index.db"));
  Add(store, "http://h/after.htm");
  EXPECT_EQ(std::vector<std::string>{"http://h/after.htm"}, Walk(store));
}

// --- hostile state: a crafted index, a linked folder, orphans ---

TEST_F(CacheStoreTest, CraftedLocalFilesAreDamagedEntriesThatNothingOpensOrRemoves) {
  const fs::path decoy = Folder.Path / "decoy.txt";
  WriteFile(decoy, "keep me");
  std::string folder;
  {
    TCacheStore store(Root());
    folder = fs::path(Add(store, "http://h/good.htm")).parent_path().filename().string();
    for (const char* url : {"http://h/up", "http://h/through", "http://h/bare", "http://h/dots", "http://h/other"}) {
      Add(store, url);
    }
  }
  {
    TSqliteDatabase index(Root() / "index.db");
    TSqliteStatement craft = index.Prepare("UPDATE entries SET local_file = ? WHERE url = ?");
    craft.BindAll("../decoy.txt", "http://h/up").Run();
    craft.BindAll(folder + "/../../decoy.txt", "http://h/through").Run();
    craft.BindAll("decoy.txt", "http://h/bare").Run();
    craft.BindAll(folder + "/..", "http://h/dots").Run();
    craft.BindAll("OTHERDIR/decoy.txt", "http://h/other").Run();
  }
  TCacheStore store(Root());
  EXPECT_EQ(std::vector<std::string>{"http://h/good.htm"}, Walk(store));
  EXPECT_NE(std::string::npos, store.LastFailure().find("5 damaged entries")) << store.LastFailure();
  EXPECT_NE(std::string::npos, store.LastFailure().find("http://h/through")) << store.LastFailure();
  EXPECT_FALSE(store.GetEntryInfo("http://h/up"));
  EXPECT_NE(std::string::npos, store.LastFailure().find("../decoy.txt")) << store.LastFailure();
  EXPECT_TRUE(store.DeleteEntry("http://h/up"));
  EXPECT_TRUE(store.DeleteEntry("http://h/through"));
  const CreatedCacheFile replacing = store.CreateEntry("http://h/bare", 0, "");
  EXPECT_EQ(0u, store.CommitEntry("http://h/bare", replacing.LocalFileName, 0, 0, 1, ""));
  store.Clear();
  EXPECT_EQ("keep me", ReadFile(decoy));
  CacheEntryRecord record;
  EXPECT_FALSE(store.FindFirstOfAnyType(record));
}

TEST_F(CacheStoreTest, ContentFoldersThatAreLinksAreNeverUsed) {
  const fs::path outside = Folder.Path / "outside";
  fs::create_directories(outside);
  TCacheStore store(Root());
  const fs::path local = Add(store, "http://h/a.htm", "inside");
  for (const fs::path& folder : store.ContentFolders()) {
    fs::rename(folder, Folder.Path / ("moved-" + folder.filename().string()));
    fs::create_directory_symlink(outside, folder);
  }
  WriteFile(outside / local.filename(), "outside");

  EXPECT_FALSE(store.DeleteEntry("http://h/a.htm"));
  EXPECT_NE(std::string::npos, store.LastFailure().find("symbolic link")) << store.LastFailure();
  const CreatedCacheFile created = store.CreateEntry("http://h/b.htm", 0, "");
  EXPECT_FALSE(created.Ok);
  EXPECT_NE(std::string::npos, store.LastFailure().find("symbolic link")) << store.LastFailure();
  EXPECT_EQ(kErrorAccessDenied, store.CommitEntry("http://h/c.htm", local.string(), 0, 0, 1, ""));
  EXPECT_THROW(store.Clear(), std::runtime_error);
  EXPECT_EQ(std::vector<fs::path>{outside / local.filename()},
            std::vector<fs::path>(fs::directory_iterator(outside), fs::directory_iterator()));
}

// A batch that does not commit (a full disk at its commit, say) takes back the files reserved during it.
TEST_F(CacheStoreTest, ABatchThatDoesNotCommitLeavesNoFileBehind) {
  TCacheStore store(Root());
  const std::string kept = Add(store, "http://h/kept.htm");
  std::string committed, reserved;
  {
    TCacheStore::TBatch batch(store);
    committed = Add(store, "http://h/committed.htm");
    reserved = store.CreateEntry("http://h/reserved.htm", 0, "").LocalFileName;
  }
  EXPECT_FALSE(fs::exists(committed));
  EXPECT_FALSE(fs::exists(reserved));
  EXPECT_FALSE(store.GetEntryInfo("http://h/committed.htm"));
  EXPECT_TRUE(fs::exists(kept));
  EXPECT_TRUE(fs::is_empty(Root() / "index.db-batches"));  // its mark went with it
}

// Orphans come only from a process killed in the middle of a batch, whose mark stays: the first change of the
// next store sweeps them, reading never does, and nor does a change while another writer is busy.
TEST_F(CacheStoreTest, OnlyAChangeAfterABatchWasCutShortSweepsTheOrphans) {
  std::string kept, orphan;
  {
    TCacheStore store(Root(), std::chrono::seconds(0));
    kept = Add(store, "http://h/kept.htm");  // the first change of a new store sweeps: it marks the day
    orphan = store.CreateEntry("http://h/orphan.htm", 0, "").LocalFileName;  // reserved, never committed
  }
  {
    TCacheStore store(Root(), std::chrono::seconds(0));
    Add(store, "http://h/other.htm");
    EXPECT_TRUE(fs::exists(orphan)) << "swept again within the day";
  }
  WriteFile(Root() / "index.db-batches" / "killed", "");  // the mark of a batch whose process was killed
  {
    TCacheStore store(Root(), std::chrono::seconds(0));
    CacheEntryRecord record;
    store.FindFirst(record);
    store.GetEntryInfo("http://h/kept.htm");
    EXPECT_TRUE(fs::exists(orphan)) << "swept by a reader";
  }
  {
    TSqliteDatabase writer(Root() / "index.db");
    TSqliteTransaction busy(writer);  // names that a batch reserved are not in the index yet
    TCacheStore store(Root(), std::chrono::seconds(0));
    store.CreateEntry("http://h/while-busy.htm", 0, "");
    EXPECT_TRUE(fs::exists(orphan));
    EXPECT_TRUE(fs::exists(Root() / "index.db-batches" / "killed"));
  }
  TCacheStore store(Root(), std::chrono::seconds(0));
  Add(store, "http://h/third.htm");
  EXPECT_FALSE(fs::exists(orphan));
  EXPECT_FALSE(fs::exists(Root() / "index.db-batches" / "killed"));
  EXPECT_TRUE(fs::exists(kept));
}

TEST_F(CacheStoreTest, ClearEmptiesTheContentFoldersOfFilesTheIndexDoesNotName) {
  TCacheStore store(Root());
  Add(store, "http://h/a.htm");
  const std::string leftover = store.ContentFolders()[2] / "left-by-a-clear-cut-short.htm";
  WriteFile(leftover, "x");
  store.Clear();
  for (const fs::path& folder : store.ContentFolders()) EXPECT_TRUE(fs::is_empty(folder)) << folder;
}

TEST_F(CacheStoreTest, WalkOfAnyTypeYieldsCookiesToo) {
  TCacheStore store(Root());
  Add(store, "http://h/a.htm");
  Add(store, "Cookie:u@h/", "c", 0x00100001);
  CacheEntryRecord record;
  auto walk = store.FindFirstOfAnyType(record);
  ASSERT_NE(nullptr, walk);
  EXPECT_EQ("http://h/a.htm", record.SourceUrl);
  ASSERT_TRUE(walk->FindNext(record));
  EXPECT_EQ("Cookie:u@h/", record.SourceUrl);
  EXPECT_FALSE(walk->FindNext(record));
}

// --- batches ---

TEST_F(CacheStoreTest, CommittedBatchKeepsItsEntries) {
  {
    TCacheStore store(Root());
    TCacheStore::TBatch batch(store);
    for (int i = 0; i < 50; ++i) Add(store, "http://h/" + std::to_string(i) + ".htm");
    batch.Commit();
  }
  TCacheStore reopened(Root());
  EXPECT_EQ(50u, Walk(reopened).size());
}

TEST_F(CacheStoreTest, BatchWithoutCommitChangesNothing) {
  TCacheStore store(Root());
  const std::string kept = Add(store, "http://h/kept.htm", "old");
  {
    TCacheStore::TBatch batch(store);
    Add(store, "http://h/new.htm");
    Add(store, "http://h/kept.htm", "new");
    ASSERT_TRUE(store.DeleteEntry("http://h/new.htm"));
    EXPECT_TRUE(fs::exists(kept)) << "a file is removed only when the batch commits";
  }
  EXPECT_EQ(std::vector<std::string>{"http://h/kept.htm"}, Walk(store));
  EXPECT_EQ(kept, store.GetEntryInfo("http://h/kept.htm")->LocalFileName);
  EXPECT_EQ("old", ReadFile(kept));
}

TEST_F(CacheStoreTest, CommittedBatchRemovesTheFilesItReplaced) {
  TCacheStore store(Root());
  const std::string old = Add(store, "http://h/a.htm", "old");
  TCacheStore::TBatch batch(store);
  Add(store, "http://h/a.htm", "new");
  EXPECT_TRUE(fs::exists(old));
  batch.Commit();
  EXPECT_FALSE(fs::exists(old));
}

TEST_F(CacheStoreTest, TenThousandEntriesWalkInInsertionOrder) {
  TCacheStore store(Root());
  {
    TCacheStore::TBatch batch(store);
    for (int i = 0; i < 10000; ++i) Add(store, "http://host" + std::to_string(i % 7) + "/e" + std::to_string(i));
    batch.Commit();
  }
  const std::vector<std::string> urls = Walk(store);
  ASSERT_EQ(10000u, urls.size());
  for (int i = 0; i < 10000; i += 997) EXPECT_EQ("http://host" + std::to_string(i % 7) + "/e" + std::to_string(i), urls[i]);
}

// --- several users of one root ---

TEST_F(CacheStoreTest, TwoStoresOnOneRootSeeEachOthersChanges) {
  TCacheStore one(Root());
  TCacheStore two(Root());
  EXPECT_EQ(one.ContentFolders(), two.ContentFolders());
  const std::string local = Add(one, "http://h/a.htm");
  ASSERT_TRUE(two.GetEntryInfo("http://h/a.htm"));
  Add(two, "http://h/b.htm");
  EXPECT_EQ((std::vector<std::string>{"http://h/a.htm", "http://h/b.htm"}), Walk(one));
  ASSERT_TRUE(two.DeleteEntry("http://h/a.htm"));
  EXPECT_FALSE(one.GetEntryInfo("http://h/a.htm"));
  EXPECT_FALSE(fs::exists(local));
  // Reservations of the two never collide, though neither knows what the other handed out.
  const CreatedCacheFile fromOne = one.CreateEntry("http://h/page.htm", 0, "");
  const CreatedCacheFile fromTwo = two.CreateEntry("http://h/page.htm", 0, "");
  EXPECT_NE(fromOne.LocalFileName, fromTwo.LocalFileName);
}

TEST_F(CacheStoreTest, AWalkReadsOneSnapshotWhileAnotherStoreWrites) {
  TCacheStore reader(Root());
  TCacheStore writer(Root());
  Add(writer, "http://h/a.htm");
  Add(writer, "http://h/b.htm");
  CacheEntryRecord record;
  auto walk = reader.FindFirst(record);
  ASSERT_NE(nullptr, walk);
  Add(writer, "http://h/c.htm");   // must not wait for the walk, nor show up in it
  ASSERT_TRUE(walk->FindNext(record));
  EXPECT_EQ("http://h/b.htm", record.SourceUrl);
  EXPECT_FALSE(walk->FindNext(record));
  EXPECT_EQ(3u, Walk(reader).size());
}

TEST_F(CacheStoreTest, ProcessesFillingOneStoreAtOnceLoseNothing) {
  { TCacheStore made(Root()); }
  constexpr int kProcesses = 4, kEntriesEach = 150;
  std::vector<pid_t> children;
  for (int p = 0; p < kProcesses; ++p) {
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      int failures = 0;
      try {
        TCacheStore store(Root());
        for (int i = 0; i < kEntriesEach; ++i) {
          const CreatedCacheFile created = store.CreateEntry("http://h/page.htm?p=" + std::to_string(p), 0, "");
          if (!created.Ok) { ++failures; continue; }
          WriteFile(created.LocalFileName, "x");
          const std::string url = "http://h/" + std::to_string(p) + "/" + std::to_string(i);
          failures += store.CommitEntry(url, created.LocalFileName, 0, 0, 1, "") != 0;
        }
      } catch (...) {
        ++failures;
      }
      ::_exit(failures == 0 ? 0 : 1);
    }
    children.push_back(child);
  }
  for (const pid_t child : children) {
    int status = 0;
    ASSERT_EQ(child, ::waitpid(child, &status, 0));
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  TCacheStore store(Root());
  std::set<std::string> locals;
  CacheEntryRecord record;
  auto walk = store.FindFirst(record);
  ASSERT_NE(nullptr, walk);
  do locals.insert(record.LocalFileName);
  while (walk->FindNext(record));
  EXPECT_EQ(static_cast<std::size_t>(kProcesses * kEntriesEach), locals.size()) << "two entries got one file";
  TSqliteDatabase index(Root() / "index.db");
  EXPECT_NO_THROW(index.QuickCheck());
}

}  // namespace
}  // namespace hoardscope
