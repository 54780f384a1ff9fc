// The registry store: keys as a tree of rows (by parent id) and values in an SQLite file, and the MIME database
// subtree answered from the media-type list without touching the file.
#include "platform/linux/RegistryStore.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <optional>

#include "core/Tools.h"
#include "platform/linux/MimeTypes.h"
#include "platform/linux/SqliteDatabase.h"

namespace hoardscope {

using TKeyPath = std::vector<std::string>;

namespace {

namespace fs = std::filesystem;

// Marks a file as a registry store ("HSRG") and names the layout of its tables.
constexpr std::int64_t kApplicationId = 0x48535247;
constexpr std::int64_t kSchemaVersion = 1;

// Names compare with NOCASE, which folds A-Z only, as everywhere else in the program. The roots are the rows
// 1 to 3, in the order of RegistryRoot.
constexpr const char* kSchema = R"(
CREATE TABLE RegistryKeys (
  Id INTEGER PRIMARY KEY,
  Parent INTEGER REFERENCES RegistryKeys (Id) ON DELETE CASCADE,
  Name TEXT NOT NULL COLLATE NOCASE,
  UNIQUE (Parent, Name));
CREATE TABLE RegistryValues (
  Id INTEGER PRIMARY KEY,
  KeyId INTEGER NOT NULL REFERENCES RegistryKeys (Id) ON DELETE CASCADE,
  Name TEXT NOT NULL COLLATE NOCASE,
  Type INTEGER NOT NULL,
  Data BLOB,
  UNIQUE (KeyId, Name));
INSERT INTO RegistryKeys (Id, Parent, Name) VALUES
  (1, NULL, 'HKEY_CLASSES_ROOT'), (2, NULL, 'HKEY_CURRENT_USER'), (3, NULL, 'HKEY_LOCAL_MACHINE');
)";

// The folder of the MIME database under HKEY_CLASSES_ROOT; each of its subkeys is a media type.
const TKeyPath kMimeFolder = {"MIME", "Database", "Content Type"};

std::int64_t RootId(RegistryRoot root) { return static_cast<std::int64_t>(root) + 1; }

std::string FullName(RegistryRoot root, const TKeyPath& parts) {
  std::string name = RegistryRootName(root);
  for (const std::string& part : parts) name += "\\" + part;
  return name;
}

// Where a key path lies against the MIME database folder.
enum class TMimePlace { Outside, Above, Folder, Type, BelowType };

TMimePlace MimePlaceOf(RegistryRoot root, const TKeyPath& parts) {
  if (root != RegistryRoot::ClassesRoot || parts.empty()) return TMimePlace::Outside;
  for (std::size_t i = 0; i < parts.size() && i < kMimeFolder.size(); ++i) {
    if (!EqualsNoCase(parts[i], kMimeFolder[i])) return TMimePlace::Outside;
  }
  if (parts.size() < kMimeFolder.size()) return TMimePlace::Above;
  if (parts.size() == kMimeFolder.size()) return TMimePlace::Folder;
  return parts.size() == kMimeFolder.size() + 1 ? TMimePlace::Type : TMimePlace::BelowType;
}

bool MayWrite(const fs::path& file) { return ::faccessat(AT_FDCWD, file.c_str(), W_OK, AT_EACCESS) == 0; }

// True when the file exists and this user may not write it. A missing file gets its folder made here, so that
// the open can create it.
bool PrepareFile(const fs::path& file) {
  std::error_code error;
  if (fs::exists(file, error)) return !MayWrite(file);
  if (file.has_parent_path()) fs::create_directories(file.parent_path(), error);   // a failure shows in the open
  return false;
}

[[noreturn]] void FailOpen(const std::string& reason) {
  throw RegistryError("cannot open the registry store: " + reason);
}

// Why SQLite may fail to read a store the user may only read: it keeps the journal files of the store next to it.
std::string FolderHint(const fs::path& file) {
  const fs::path folder = file.has_parent_path() ? file.parent_path() : fs::path(".");
  std::error_code error;
  if (!fs::exists(file, error) || MayWrite(folder)) return "";
  return " (the folder " + folder.string() +
         " may not be written, and the store's -shm and -wal files must be made there)";
}

// Runs a store operation; SQLite's failures reach the caller as RegistryError, with their message.
template <typename TAction>
decltype(auto) Guarded(TAction&& action) {
  try {
    return action();
  } catch (const TSqliteError& error) {
    throw RegistryError(error.what());
  }
}

// Resets a kept statement once a read is over, so that it holds no read transaction open.
class TResetOnExit {
 public:
  explicit TResetOnExit(TSqliteStatement& statement) : FStatement(statement) {}
  ~TResetOnExit() { FStatement.Reset(); }
  TResetOnExit(const TResetOnExit&) = delete;
  TResetOnExit& operator=(const TResetOnExit&) = delete;

 private:
  TSqliteStatement& FStatement;
};

// A value from a row of (Name, Type, Data).
RegistryValue ValueOfRow(const TSqliteStatement& row) {
  const std::string_view data = row.ColumnTextView(2);
  return {row.ColumnText(0), static_cast<RegistryType>(row.ColumnInt64(1)),
          std::vector<std::uint8_t>(data.begin(), data.end())};
}

}  // namespace

class TRegistryStore::TState {
 public:
  TState(const fs::path& databaseFile, const fs::path& mimeTypesFile)
      : FMimeTypesFile(mimeTypesFile),
        FReadOnly(PrepareFile(databaseFile)),
        FDatabase(databaseFile, FReadOnly ? TSqliteOpenMode::ReadOnly : TSqliteOpenMode::CreateIfMissing) {
    // SQLite opens a file it may not write read-only even when asked for more.
    if (sqlite3_db_readonly(FDatabase.Handle(), "main") == 1) FReadOnly = true;
    PrepareSchema();
  }

  bool ReadOnly() const { return FReadOnly; }

  void RefuseChangeIfReadOnly(const std::string& what) const {
    if (!FReadOnly) return;
    throw RegistryError("the registry store " + FDatabase.File().string() + " is read-only: cannot " + what);
  }

  std::string MimeRefusal(const std::string& what) const {
    return FullName(RegistryRoot::ClassesRoot, kMimeFolder) + " lists the media types of " + FMimeTypesFile.string() +
           " and is read-only: cannot " + what;
  }

  const TMimeTypes& MimeTypes() {
    if (!FMimeTypes) FMimeTypes = std::make_unique<const TMimeTypes>(TMimeTypes::Load(FMimeTypesFile));
    return *FMimeTypes;
  }

  std::optional<std::int64_t> FindKey(RegistryRoot root, const TKeyPath& parts) {
    std::int64_t id = RootId(root);
    for (const std::string& part : parts) {
      const auto subkey = FindSubkey(id, part);
      if (!subkey) return std::nullopt;
      id = *subkey;
    }
    return id;
  }

  std::int64_t CreateKey(RegistryRoot root, const TKeyPath& parts) {
    if (const auto id = FindKey(root, parts)) return *id;
    RefuseChangeIfReadOnly("create " + FullName(root, parts));
    TSqliteTransaction transaction(FDatabase);   // takes the write lock, so the walk below sees the latest keys
    std::int64_t id = RootId(root);
    for (const std::string& part : parts) {
      const auto subkey = FindSubkey(id, part);
      id = subkey ? *subkey : AddSubkey(id, part);
    }
    transaction.Commit();
    return id;
  }

  // Deletes the key with its subkeys and all their values (the tables cascade).
  bool DeleteKey(std::int64_t id) {
    FDatabase.Cached("DELETE FROM RegistryKeys WHERE Id = ?").BindAll(id).Run();
    return FDatabase.Changes() > 0;
  }

  std::optional<RegistryValue> ReadValue(std::int64_t key, const std::string& name) {
    auto& select = FDatabase.Cached("SELECT Name, Type, Data FROM RegistryValues WHERE KeyId = ? AND Name = ?");
    const TResetOnExit reset(select);
    if (!select.BindAll(key, name).Step()) return std::nullopt;
    return ValueOfRow(select);
  }

  // Overwriting keeps the value's place and the letter case of its name. Raises TSqliteError (SQLITE_CONSTRAINT)
  // when the key is gone.
  void WriteValue(std::int64_t key, const RegistryValue& value) {
    auto& upsert = FDatabase.Cached(
        "INSERT INTO RegistryValues (KeyId, Name, Type, Data) VALUES (?, ?, ?, ?) "
        "ON CONFLICT (KeyId, Name) DO UPDATE SET Type = excluded.Type, Data = excluded.Data");
    upsert.BindAll(key, value.Name, static_cast<std::uint32_t>(value.Type));
    // A value without data is stored as NULL, read back as no bytes.
    upsert.BindBlob(4, std::string_view(reinterpret_cast<const char*>(value.Data.data()), value.Data.size()));
    upsert.Run();
  }

  bool DeleteValue(std::int64_t key, const std::string& name) {
    FDatabase.Cached("DELETE FROM RegistryValues WHERE KeyId = ? AND Name = ?").BindAll(key, name).Run();
    return FDatabase.Changes() > 0;
  }

  std::vector<RegistryValue> EnumValues(std::int64_t key) {
    auto& select = FDatabase.Cached("SELECT Name, Type, Data FROM RegistryValues WHERE KeyId = ? ORDER BY Id");
    const TResetOnExit reset(select);
    std::vector<RegistryValue> values;
    for (select.BindAll(key); select.Step();) values.push_back(ValueOfRow(select));
    return values;
  }

  std::vector<std::string> EnumSubkeys(std::int64_t key) {
    auto& select = FDatabase.Cached("SELECT Name FROM RegistryKeys WHERE Parent = ? ORDER BY Name");
    const TResetOnExit reset(select);
    std::vector<std::string> names;
    for (select.BindAll(key); select.Step();) names.push_back(select.ColumnText(0));
    return names;
  }

 private:
  std::optional<std::int64_t> FindSubkey(std::int64_t parent, const std::string& name) {
    auto& select = FDatabase.Cached("SELECT Id FROM RegistryKeys WHERE Parent = ? AND Name = ?");
    const TResetOnExit reset(select);
    if (!select.BindAll(parent, name).Step()) return std::nullopt;
    return select.ColumnInt64(0);
  }

  std::int64_t AddSubkey(std::int64_t parent, const std::string& name) {
    FDatabase.Cached("INSERT INTO RegistryKeys (Parent, Name) VALUES (?, ?)").BindAll(parent, name).Run();
    return FDatabase.LastInsertRowId();
  }

  std::int64_t PragmaValue(const std::string& pragma) {
    auto& select = FDatabase.Cached("PRAGMA " + pragma);
    const TResetOnExit reset(select);
    return select.Step() ? select.ColumnInt64(0) : 0;
  }

  // Sets up a new file; checks that an existing one is a registry store of this layout.
  void PrepareSchema() {
    const std::string file = FDatabase.File().string();
    FDatabase.Execute("PRAGMA foreign_keys = ON");
    if (FDatabase.IsEmpty()) {
      if (FReadOnly) FailOpen(file + " is empty and may not be written");
      TSqliteTransaction transaction(FDatabase);
      if (FDatabase.IsEmpty()) {   // another process may have set it up meanwhile
        FDatabase.Execute(kSchema);
        FDatabase.Execute("PRAGMA application_id = " + std::to_string(kApplicationId) +
                          "; PRAGMA user_version = " + std::to_string(kSchemaVersion));
        CreateKey(RegistryRoot::ClassesRoot, kMimeFolder);   // listed by its parent; answered from the type list
      }
      transaction.Commit();
    }
    if (PragmaValue("application_id") != kApplicationId || PragmaValue("user_version") != kSchemaVersion) {
      FailOpen(file + " is not a Hoardscope registry store; it was left as it is");
    }
  }

  fs::path FMimeTypesFile;
  bool FReadOnly;
  TSqliteDatabase FDatabase;
  std::unique_ptr<const TMimeTypes> FMimeTypes;   // read at the first look into the MIME database
};

namespace {

using TState = TRegistryStore::TState;

// A key kept in the file.
class TStoredKey : public IRegistryKey {
 public:
  TStoredKey(std::shared_ptr<TState> state, std::int64_t id, bool writable, std::string fullName)
      : FState(std::move(state)), FId(id), FWritable(writable), FFullName(std::move(fullName)) {}

  std::optional<RegistryValue> ReadValue(const std::string& name) override {
    return Guarded([&] { return FState->ReadValue(FId, name); });
  }

  bool ValueExists(const std::string& name) override { return ReadValue(name).has_value(); }

  void WriteValue(const RegistryValue& value) override {
    const std::string what = "write the value \"" + value.Name + "\"";
    RefuseChange(what);
    Guarded([&] {
      try {
        FState->WriteValue(FId, value);
      } catch (const TSqliteError& error) {
        if (error.Code != SQLITE_CONSTRAINT) throw;
        throw RegistryError(FFullName + " was deleted: cannot " + what);
      }
    });
  }

  bool DeleteValue(const std::string& name) override {
    if (!ValueExists(name)) return false;
    RefuseChange("delete the value \"" + name + "\"");
    return Guarded([&] { return FState->DeleteValue(FId, name); });
  }

  std::vector<RegistryValue> EnumValues() override { return Guarded([&] { return FState->EnumValues(FId); }); }

  std::vector<std::string> EnumSubkeys() override { return Guarded([&] { return FState->EnumSubkeys(FId); }); }

 private:
  void RefuseChange(const std::string& what) const {
    if (!FWritable) throw RegistryError(FFullName + " was opened read-only: cannot " + what);
    FState->RefuseChangeIfReadOnly(what + " in " + FFullName);
  }

  std::shared_ptr<TState> FState;
  std::int64_t FId;
  bool FWritable;
  std::string FFullName;
};

// The MIME database folder (no type) or one media type under it, with its "Extension" value. Read-only.
class TMimeKey : public IRegistryKey {
 public:
  TMimeKey(std::shared_ptr<TState> state, const TMimeType* type) : FState(std::move(state)), FType(type) {}

  std::optional<RegistryValue> ReadValue(const std::string& name) override {
    if (!FType || FType->Extension.empty() || !EqualsNoCase(name, "Extension")) return std::nullopt;
    return MakeStringValue("Extension", FType->Extension);
  }

  bool ValueExists(const std::string& name) override { return ReadValue(name).has_value(); }

  void WriteValue(const RegistryValue& value) override {
    throw RegistryError(FState->MimeRefusal("write the value \"" + value.Name + "\""));
  }

  bool DeleteValue(const std::string& name) override {
    if (!ValueExists(name)) return false;
    throw RegistryError(FState->MimeRefusal("delete the value \"" + name + "\""));
  }

  std::vector<RegistryValue> EnumValues() override {
    std::vector<RegistryValue> values;
    if (auto extension = ReadValue("Extension")) values.push_back(std::move(*extension));
    return values;
  }

  std::vector<std::string> EnumSubkeys() override {
    std::vector<std::string> names;
    if (!FType) {
      for (const TMimeType& type : FState->MimeTypes().Types()) names.push_back(type.Name);
    }
    return names;
  }

 private:
  std::shared_ptr<TState> FState;   // owns the type list FType points into
  const TMimeType* FType;
};

std::unique_ptr<IRegistryKey> OpenPath(const std::shared_ptr<TState>& state, RegistryRoot root,
                                       const TKeyPath& parts, bool writable) {
  switch (MimePlaceOf(root, parts)) {
    case TMimePlace::Folder:
      return std::make_unique<TMimeKey>(state, nullptr);
    case TMimePlace::Type: {
      const TMimeType* type = state->MimeTypes().Find(parts.back());
      return type ? std::make_unique<TMimeKey>(state, type) : nullptr;
    }
    case TMimePlace::BelowType:
      return nullptr;
    case TMimePlace::Outside:
    case TMimePlace::Above:
      break;
  }
  const auto id = state->FindKey(root, parts);
  return id ? std::make_unique<TStoredKey>(state, *id, writable, FullName(root, parts)) : nullptr;
}

}  // namespace

TRegistryStore::TRegistryStore(const fs::path& databaseFile, const fs::path& mimeTypesFile) {
  try {
    FState = std::make_shared<TState>(databaseFile, mimeTypesFile);
  } catch (const TSqliteError& error) {
    FailOpen(error.what() + FolderHint(databaseFile));
  }
}

TRegistryStore::~TRegistryStore() = default;

bool TRegistryStore::IsReadOnly() const { return FState->ReadOnly(); }

std::unique_ptr<IRegistryKey> TRegistryStore::OpenKey(RegistryRoot root, const std::string& path, bool writable) {
  return Guarded([&] { return OpenPath(FState, root, SplitKeyPath(path), writable); });
}

std::unique_ptr<IRegistryKey> TRegistryStore::CreateKey(RegistryRoot root, const std::string& path) {
  const TKeyPath parts = SplitKeyPath(path);
  return Guarded([&]() -> std::unique_ptr<IRegistryKey> {
    const TMimePlace place = MimePlaceOf(root, parts);
    if (place == TMimePlace::Outside || place == TMimePlace::Above) {
      return std::make_unique<TStoredKey>(FState, FState->CreateKey(root, parts), true, FullName(root, parts));
    }
    if (auto key = OpenPath(FState, root, parts, true)) return key;
    throw RegistryError(FState->MimeRefusal("create " + FullName(root, parts)));
  });
}

bool TRegistryStore::KeyExists(RegistryRoot root, const std::string& path) {
  return OpenKey(root, path, false) != nullptr;
}

bool TRegistryStore::DeleteKey(RegistryRoot root, const std::string& path) {
  const TKeyPath parts = SplitKeyPath(path);
  if (parts.empty()) throw RegistryError("the root key " + RegistryRootName(root) + " cannot be deleted");
  const std::string name = FullName(root, parts);
  return Guarded([&] {
    switch (MimePlaceOf(root, parts)) {
      case TMimePlace::Outside:
        break;
      case TMimePlace::Above:
      case TMimePlace::Folder:
        throw RegistryError(FState->MimeRefusal("delete " + name + ", which holds it"));
      case TMimePlace::Type:
      case TMimePlace::BelowType:
        if (!OpenPath(FState, root, parts, false)) return false;
        throw RegistryError(FState->MimeRefusal("delete " + name));
    }
    const auto id = FState->FindKey(root, parts);
    if (!id) return false;
    FState->RefuseChangeIfReadOnly("delete " + name);
    return FState->DeleteKey(*id);
  });
}

}  // namespace hoardscope
