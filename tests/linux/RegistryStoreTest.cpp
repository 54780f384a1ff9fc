// The registry store against real files: the registry contract, plus what only a store on disk can get wrong
// (persistence, several store objects on one file, files it may only read, damaged files, the MIME database).
#include "platform/linux/RegistryStore.h"

#include <gtest/gtest.h>
#include <sys/fsuid.h>
#include <unistd.h>

#include "platform/linux/SqliteDatabase.h"
#include "tests/contract/RegistryContract.h"
#include "tests/support/TestFiles.h"

namespace hoardscope {
namespace {

namespace fs = std::filesystem;

constexpr auto kClasses = RegistryRoot::ClassesRoot;
constexpr auto kUser = RegistryRoot::CurrentUser;

// Checks file rights as an ordinary user would, on this thread, while it lives. Root may write any file, so a
// test that needs a file it may not write gives up root's file rights (the file-system user id) meanwhile.
class TOrdinaryFileRights {
 public:
  TOrdinaryFileRights() : FWasRoot(::geteuid() == 0) {
    if (!FWasRoot) return;
    ::setfsgid(kNobody);
    ::setfsuid(kNobody);
  }
  ~TOrdinaryFileRights() {
    if (!FWasRoot) return;
    ::setfsuid(0);
    ::setfsgid(0);
  }
  TOrdinaryFileRights(const TOrdinaryFileRights&) = delete;
  TOrdinaryFileRights& operator=(const TOrdinaryFileRights&) = delete;

 private:
  static constexpr unsigned kNobody = 65534;
  bool FWasRoot;
};

void MakeReadOnlyFile(const fs::path& file) {
  fs::permissions(file, fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
}

const char* const kMimeList =
    "# media types of the test\n"
    "\n"
    "text/html\t\t\thtml htm shtml\n"
    "IMAGE/JPEG jpeg jpg\n"
    "text/plain\ttxt text   # plain text\r\n"
    "application/x-no-extension\n";

struct TStoreBackend {
  TStoreBackend() { WriteFile(MimeFile(), kMimeList); }
  IRegistry& Registry() { return *Store; }
  fs::path File() const { return Folder.Path / "registry.db"; }
  fs::path MimeFile() const { return Folder.Path / "mime.types"; }
  void MakeReadOnly() {
    Store.reset();
    MakeReadOnlyFile(File());
    Rights.emplace();
    Store = std::make_unique<TRegistryStore>(File(), MimeFile());
  }
  static constexpr bool kCanBeReadOnly = true;
  static constexpr bool kEnumeratesInWriteOrder = true;

  TTempFolder Folder{"registry", fs::perms::all};   // every user may enter and write it
  std::optional<TOrdinaryFileRights> Rights;
  std::unique_ptr<TRegistryStore> Store = std::make_unique<TRegistryStore>(File(), MimeFile());
};

class RegistryStoreTest : public ::testing::Test {
 protected:
  fs::path File() const { return Backend.File(); }
  std::unique_ptr<TRegistryStore> OpenStore() { return std::make_unique<TRegistryStore>(File(), Backend.MimeFile()); }
  TRegistryStore& Store() { return *Backend.Store; }

  // The message of the RegistryError that opening the store at file raises; "" when it opens.
  std::string OpenError(const fs::path& file) {
    try {
      TRegistryStore store(file, Backend.MimeFile());
    } catch (const RegistryError& error) {
      return error.Message;
    }
    return "";
  }

  std::optional<std::string> ExtensionOf(IRegistry& registry, const std::string& contentType) {
    auto key = registry.OpenKey(kClasses, "\\MIME\\Database\\Content Type\\" + contentType, false);
    if (!key) return std::nullopt;
    const auto value = key->ReadValue("Extension");
    return value ? StringOf(*value) : std::string();
  }

  TStoreBackend Backend;
};

}  // namespace

INSTANTIATE_TYPED_TEST_SUITE_P(Store, RegistryContract, ::testing::Types<TStoreBackend>);

namespace {

// --- the file ---

TEST_F(RegistryStoreTest, KeysValuesAndTheirOrderSurviveReopening) {
  auto key = Store().CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope");
  key->WriteValue(MakeStringValue("ExtStr", "*.*"));
  key->WriteValue(MakeDwordValue("FilterType", 1));
  key->WriteValue({"Blob", RegistryType::Binary, {0, 1, 0}});
  Store().CreateKey(RegistryRoot::LocalMachine, "Software\\Pellix\\Hoardscope\\Search History");
  key.reset();
  Backend.Store.reset();

  auto reopened = OpenStore()->OpenKey(RegistryRoot::LocalMachine, "software\\pellix\\hoardscope", false);
  ASSERT_NE(nullptr, reopened);
  const auto values = reopened->EnumValues();
  ASSERT_EQ(3u, values.size());
  EXPECT_EQ("ExtStr", values[0].Name);
  EXPECT_EQ(std::optional<std::string>("*.*"), StringOf(values[0]));
  EXPECT_EQ(std::optional<std::uint32_t>(1), DwordOf(values[1]));
  EXPECT_EQ((std::vector<std::uint8_t>{0, 1, 0}), values[2].Data);
  EXPECT_EQ(std::vector<std::string>{"Search History"}, reopened->EnumSubkeys());
}

TEST_F(RegistryStoreTest, TwoStoreObjectsOnOneFileSeeEachOthersChanges) {
  auto other = OpenStore();
  auto mine = Store().CreateKey(kUser, "Software\\Shared");
  mine->WriteValue(MakeStringValue("key1", "tea"));

  auto theirs = other->OpenKey(kUser, "Software\\Shared", true);
  ASSERT_NE(nullptr, theirs);
  EXPECT_EQ(std::optional<std::string>("tea"), StringOf(theirs->ReadValue("key1").value()));
  theirs->WriteValue(MakeStringValue("key2", "cake"));
  EXPECT_TRUE(mine->ValueExists("key2"));

  ASSERT_TRUE(other->DeleteKey(kUser, "Software\\Shared"));
  EXPECT_FALSE(mine->ValueExists("key1"));
  EXPECT_THROW(mine->WriteValue(MakeStringValue("key3", "scone")), RegistryError);
  EXPECT_FALSE(Store().KeyExists(kUser, "Software\\Shared"));
}

TEST_F(RegistryStoreTest, MissingFoldersOfANewFileAreMade) {
  const fs::path file = Backend.Folder.Path / "config" / "hoardscope" / "registry.db";
  TRegistryStore store(file, Backend.MimeFile());
  store.CreateKey(kUser, "Software")->WriteValue(MakeDwordValue("n", 1));
  EXPECT_TRUE(fs::is_regular_file(file));
  EXPECT_FALSE(store.IsReadOnly());
}

TEST_F(RegistryStoreTest, FileTheUserMayNotWriteOpensReadOnlyAndSaysWhy) {
  Store().CreateKey(kUser, "Software")->WriteValue(MakeDwordValue("UseFilter", 1));
  Backend.MakeReadOnly();
  const std::string before = ReadFile(File());

  EXPECT_TRUE(Store().IsReadOnly());
  auto key = Store().OpenKey(kUser, "Software", true);
  ASSERT_NE(nullptr, key);
  EXPECT_EQ(std::optional<std::uint32_t>(1), DwordOf(key->ReadValue("UseFilter").value()));
  try {
    key->WriteValue(MakeDwordValue("UseFilter", 0));
    ADD_FAILURE() << "the write went through";
  } catch (const RegistryError& error) {
    EXPECT_NE(std::string::npos, error.Message.find(File().string())) << error.Message;
    EXPECT_NE(std::string::npos, error.Message.find("read-only")) << error.Message;
  }
  EXPECT_EQ(before, ReadFile(File()));
}

TEST_F(RegistryStoreTest, DamagedOrForeignFilesAreNamedAndLeftAsTheyAre) {
  const fs::path garbage = Backend.Folder.Path / "garbage.db";
  const std::string noise(4096, 'x');
  WriteFile(garbage, noise);
  const std::string garbageError = OpenError(garbage);
  EXPECT_NE(std::string::npos, garbageError.find(garbage.string())) << garbageError;
  EXPECT_EQ(noise, ReadFile(garbage));

  const fs::path foreign = Backend.Folder.Path / "foreign.db";
  {
    TSqliteDatabase database(foreign);
    database.Execute("CREATE TABLE Notes (Text TEXT); INSERT INTO Notes VALUES ('keep me')");
  }
  const std::string foreignError = OpenError(foreign);
  EXPECT_NE(std::string::npos, foreignError.find(foreign.string())) << foreignError;
  EXPECT_NE(std::string::npos, foreignError.find("not a Hoardscope registry store")) << foreignError;
  TSqliteDatabase check(foreign, TSqliteOpenMode::ReadOnly);
  auto select = check.Prepare("SELECT count(*) FROM sqlite_schema");
  ASSERT_TRUE(select.Step());
  EXPECT_EQ(1, select.ColumnInt64(0)) << "nothing was added to the foreign file";
}

TEST_F(RegistryStoreTest, EmptyFileTheUserMayNotWriteIsAnError) {
  const fs::path empty = Backend.Folder.Path / "empty.db";
  WriteFile(empty, "");
  MakeReadOnlyFile(empty);
  const TOrdinaryFileRights rights;
  const std::string error = OpenError(empty);
  EXPECT_NE(std::string::npos, error.find(empty.string())) << error;
}

TEST_F(RegistryStoreTest, StoreInAFolderTheUserMayNotWriteNamesTheFolder) {
  const fs::path folder = Backend.Folder.Path / "locked";
  const fs::path file = folder / "registry.db";
  TRegistryStore(file, Backend.MimeFile()).CreateKey(kUser, "Software");
  MakeReadOnlyFile(file);
  fs::permissions(folder, fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                              fs::perms::others_read | fs::perms::others_exec);
  const TOrdinaryFileRights rights;
  const std::string error = OpenError(file);
  EXPECT_NE(std::string::npos, error.find(file.string())) << error;
  EXPECT_NE(std::string::npos, error.find("the folder " + folder.string())) << error;
}

// --- the MIME database ---

TEST_F(RegistryStoreTest, ContentTypesGiveTheirFirstExtension) {
  EXPECT_EQ(std::optional<std::string>(".html"), ExtensionOf(Store(), "text/html"));
  EXPECT_EQ(std::optional<std::string>(".html"), ExtensionOf(Store(), "Text/HTML"));
  EXPECT_EQ(std::optional<std::string>(""), ExtensionOf(Store(), "application/x-no-extension"));
}

TEST_F(RegistryStoreTest, ContentTypesWithParametersOrUnlistedHaveNoKey) {
  EXPECT_EQ(std::nullopt, ExtensionOf(Store(), "text/html; charset=utf-8"));
  EXPECT_EQ(std::nullopt, ExtensionOf(Store(), "text/css"));
  EXPECT_EQ(std::nullopt, ExtensionOf(Store(), "Unknown type"));
  EXPECT_FALSE(Store().KeyExists(kClasses, "MIME\\Database\\Content Type\\text/html; charset=utf-8"));
  EXPECT_FALSE(Store().KeyExists(kClasses, "MIME\\Database\\Content Type\\text/html\\Deeper"));
  EXPECT_EQ(nullptr, Store().OpenKey(RegistryRoot::LocalMachine, "MIME\\Database\\Content Type\\text/html", false));
}

TEST_F(RegistryStoreTest, MimeDatabaseIsListedLikeOtherKeys) {
  auto folder = Store().OpenKey(kClasses, "mime\\database\\content type", false);
  ASSERT_NE(nullptr, folder);
  EXPECT_EQ((std::vector<std::string>{"application/x-no-extension", "IMAGE/JPEG", "text/html", "text/plain"}),
            folder->EnumSubkeys());
  EXPECT_EQ(std::vector<std::string>{"MIME"}, Store().OpenKey(kClasses, "", false)->EnumSubkeys());
  EXPECT_EQ(std::vector<std::string>{"Content Type"},
            Store().OpenKey(kClasses, "MIME\\Database", false)->EnumSubkeys());

  const auto values = Store().OpenKey(kClasses, "MIME\\Database\\Content Type\\text/html", false)->EnumValues();
  ASSERT_EQ(1u, values.size());
  EXPECT_EQ("Extension", values[0].Name);
  EXPECT_EQ(RegistryType::String, values[0].Type);
}

TEST_F(RegistryStoreTest, MimeDatabaseRefusesChangesButItsNeighboursTakeThem) {
  const std::string html = "MIME\\Database\\Content Type\\text/html";
  auto type = Store().CreateKey(kClasses, html);   // an existing type opens
  ASSERT_NE(nullptr, type);
  EXPECT_THROW(type->WriteValue(MakeStringValue("Extension", ".htm")), RegistryError);
  EXPECT_THROW(type->DeleteValue("Extension"), RegistryError);
  EXPECT_THROW(Store().CreateKey(kClasses, "MIME\\Database\\Content Type\\text/x-new"), RegistryError);
  EXPECT_THROW(Store().DeleteKey(kClasses, html), RegistryError);
  EXPECT_THROW(Store().DeleteKey(kClasses, "MIME"), RegistryError);
  EXPECT_FALSE(Store().DeleteKey(kClasses, "MIME\\Database\\Content Type\\text/x-new"));
  EXPECT_EQ(std::optional<std::string>(".html"), ExtensionOf(Store(), "text/html"));

  Store().CreateKey(kClasses, "MIME\\Database\\Codepage\\1252")->WriteValue(MakeStringValue("", "Western"));
  EXPECT_TRUE(OpenStore()->KeyExists(kClasses, "MIME\\Database\\Codepage\\1252"));
  EXPECT_TRUE(Store().DeleteKey(kClasses, "MIME\\Database\\Codepage"));
}

TEST_F(RegistryStoreTest, TypeListIsReadOnceAtTheFirstLookup) {
  auto store = OpenStore();
  WriteFile(Backend.MimeFile(), "text/css css\n");   // before the first lookup: this list counts
  EXPECT_EQ(std::optional<std::string>(".css"), ExtensionOf(*store, "text/css"));
  WriteFile(Backend.MimeFile(), kMimeList);
  EXPECT_EQ(std::nullopt, ExtensionOf(*store, "text/html"));
  EXPECT_EQ(std::optional<std::string>(".html"), ExtensionOf(*OpenStore(), "text/html"));
}

TEST_F(RegistryStoreTest, MissingTypeListMeansNoRegisteredTypes) {
  TRegistryStore store(File(), Backend.Folder.Path / "no-such-mime.types");
  EXPECT_EQ(std::nullopt, ExtensionOf(store, "text/html"));
  auto folder = store.OpenKey(kClasses, "MIME\\Database\\Content Type", false);
  ASSERT_NE(nullptr, folder);
  EXPECT_TRUE(folder->EnumSubkeys().empty());
}

}  // namespace
}  // namespace hoardscope
