// The SQLite connection, statement and transaction wrappers of the Linux edition's stores.
#include "platform/linux/SqliteDatabase.h"

#include <sqlite3.h>

#include <utility>

namespace hoardscope {
namespace {

constexpr int kBusyTimeoutMs = 5000;

}  // namespace

// --- TSqliteDatabase ---

TSqliteDatabase::TSqliteDatabase(const std::filesystem::path& file, TSqliteOpenMode mode) : Path(file) {
  int flags = SQLITE_OPEN_NOMUTEX;
  switch (mode) {
    case TSqliteOpenMode::CreateIfMissing: flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE; break;
    case TSqliteOpenMode::ExistingOnly: flags |= SQLITE_OPEN_READWRITE; break;
    case TSqliteOpenMode::ReadOnly: flags |= SQLITE_OPEN_READONLY; break;
  }
  const int opened = sqlite3_open_v2(Path.c_str(), &Connection, flags, nullptr);
  if (opened != SQLITE_OK) {
    std::string message = "cannot open the database " + Path.string() + ": " +
                          (Connection ? sqlite3_errmsg(Connection) : sqlite3_errstr(opened));
    sqlite3_close(Connection);
    Connection = nullptr;
    throw TSqliteError(message, opened & 0xff);
  }
  try {
    sqlite3_busy_timeout(Connection, kBusyTimeoutMs);
    // Read the schema before anything could write: a file that is not a database fails here, untouched.
    TSqliteStatement(*this, "SELECT count(*) FROM sqlite_schema").Run();
    if (mode != TSqliteOpenMode::ReadOnly) Execute("PRAGMA journal_mode=WAL");
  } catch (const TSqliteError& error) {
    sqlite3_close(Connection);
    Connection = nullptr;
    const bool damaged = error.Code == SQLITE_NOTADB || error.Code == SQLITE_CORRUPT;
    throw TSqliteError(damaged ? Path.string() + " is not a readable database (" + sqlite3_errstr(error.Code) +
                                     "); it was left as it is"
                               : error.what(),
                       error.Code);
  }
}

TSqliteDatabase::~TSqliteDatabase() {
  Statements.clear();
  // Other statements are owned by their callers; close_v2 closes once the last of them is finalized.
  sqlite3_close_v2(Connection);
}

TSqliteStatement& TSqliteDatabase::Cached(std::string_view sql) {
  auto found = Statements.find(sql);
  if (found == Statements.end()) found = Statements.emplace(std::string(sql), TSqliteStatement(*this, sql)).first;
  return found->second;
}

void TSqliteDatabase::Fail(int code, std::string_view what) const {
  std::string message = "database " + Path.string() + ": " + std::string(what) + ": ";
  message += Connection ? sqlite3_errmsg(Connection) : sqlite3_errstr(code);
  throw TSqliteError(message, code & 0xff);
}

void TSqliteDatabase::Execute(std::string_view sql) {
  while (!sql.empty()) {
    sqlite3_stmt* statement = nullptr;
    const char* tail = nullptr;
    const int prepared = sqlite3_prepare_v2(Connection, sql.data(), static_cast<int>(sql.size()), &statement, &tail);
    if (prepared != SQLITE_OK) Fail(prepared, "cannot prepare \"" + std::string(sql.substr(0, 60)) + "\"");
    sql.remove_prefix(static_cast<std::size_t>(tail - sql.data()));
    if (!statement) continue;   // only white space or a comment was left
    int stepped;
    while ((stepped = sqlite3_step(statement)) == SQLITE_ROW) {
    }
    sqlite3_finalize(statement);
    if (stepped != SQLITE_DONE) Fail(stepped, "cannot run a statement");
  }
}

void TSqliteDatabase::QuickCheck() {
  TSqliteStatement check(*this, "PRAGMA quick_check(1)");
  const std::string verdict = check.Step() ? check.ColumnText(0) : std::string("no answer");
  check.Reset();
  if (verdict != "ok") {
    throw TSqliteError(Path.string() + " is damaged (" + verdict + "); it was left as it is", SQLITE_CORRUPT);
  }
}

bool TSqliteDatabase::IsEmpty() {
  TSqliteStatement count(*this, "SELECT count(*) FROM sqlite_schema");
  const bool empty = count.Step() && count.ColumnInt64(0) == 0;
  count.Reset();
  return empty;
}

std::int64_t TSqliteDatabase::LastInsertRowId() const { return sqlite3_last_insert_rowid(Connection); }

int TSqliteDatabase::Changes() const { return sqlite3_changes(Connection); }

bool TSqliteDatabase::InTransaction() const { return sqlite3_get_autocommit(Connection) == 0; }

// --- TSqliteStatement ---

TSqliteStatement::TSqliteStatement(TSqliteDatabase& database, std::string_view sql) : Database(&database) {
  const int prepared =
      sqlite3_prepare_v3(database.Handle(), sql.data(), static_cast<int>(sql.size()), SQLITE_PREPARE_PERSISTENT,
                         &Handle, nullptr);
  if (prepared != SQLITE_OK) {
    sqlite3_finalize(Handle);
    Handle = nullptr;
    database.Fail(prepared, "cannot prepare \"" + std::string(sql.substr(0, 60)) + "\"");
  }
}

TSqliteStatement::~TSqliteStatement() { sqlite3_finalize(Handle); }

TSqliteStatement::TSqliteStatement(TSqliteStatement&& other) noexcept
    : Database(other.Database), Handle(std::exchange(other.Handle, nullptr)) {}

TSqliteStatement& TSqliteStatement::operator=(TSqliteStatement&& other) noexcept {
  if (this != &other) {
    sqlite3_finalize(Handle);
    Database = other.Database;
    Handle = std::exchange(other.Handle, nullptr);
  }
  return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::int64_t value) {
  if (const int rc = sqlite3_bind_int64(Handle, index, value); rc != SQLITE_OK) Database->Fail(rc, "cannot bind");
  return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::uint64_t value) {
  return Bind(index, static_cast<std::int64_t>(value));
}

TSqliteStatement& TSqliteStatement::Bind(int index, std::string_view text) {
  const int rc = sqlite3_bind_text64(Handle, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  if (rc != SQLITE_OK) Database->Fail(rc, "cannot bind");
  return *this;
}

TSqliteStatement& TSqliteStatement::Bind(int index, const std::optional<std::string>& text) {
  return text ? Bind(index, std::string_view(*text)) : BindNull(index);
}

TSqliteStatement& TSqliteStatement::BindBlob(int index, std::string_view bytes) {
  const int rc = sqlite3_bind_blob64(Handle, index, bytes.data(), bytes.size(), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) Database->Fail(rc, "cannot bind");
  return *this;
}

TSqliteStatement& TSqliteStatement::BindNull(int index) {
  if (const int rc = sqlite3_bind_null(Handle, index); rc != SQLITE_OK) Database->Fail(rc, "cannot bind");
  return *this;
}

bool TSqliteStatement::Step() {
  const int rc = sqlite3_step(Handle);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  // The error is taken from the connection before the reset that a later run would do.
  const std::string sql = sqlite3_sql(Handle) ? sqlite3_sql(Handle) : "";
  Database->Fail(rc, "\"" + sql.substr(0, 60) + "\" failed");
}

void TSqliteStatement::Run() {
  while (Step()) {
  }
  sqlite3_reset(Handle);
}

void TSqliteStatement::Reset() {
  sqlite3_reset(Handle);   // its result repeats the last step's error, which Step already reported
  sqlite3_clear_bindings(Handle);
}

bool TSqliteStatement::ColumnIsNull(int column) const {
  return sqlite3_column_type(Handle, column) == SQLITE_NULL;
}

std::int64_t TSqliteStatement::ColumnInt64(int column) const { return sqlite3_column_int64(Handle, column); }

std::string_view TSqliteStatement::ColumnTextView(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(Handle, column));
  if (!text) return {};
  return {text, static_cast<std::size_t>(sqlite3_column_bytes(Handle, column))};
}

std::string TSqliteStatement::ColumnText(int column) const { return std::string(ColumnTextView(column)); }

std::optional<std::string> TSqliteStatement::ColumnOptionalText(int column) const {
  if (ColumnIsNull(column)) return std::nullopt;
  return ColumnText(column);
}

// --- TSqliteTransaction ---

TSqliteTransaction::TSqliteTransaction(TSqliteDatabase& database, TSqliteWait wait)
    : Database(database), Nested(database.InTransaction()) {
  const bool waits = Nested || wait == TSqliteWait::UpToTimeout;
  if (!waits) sqlite3_busy_timeout(Database.Handle(), 0);
  try {
    Database.Cached(Nested ? "SAVEPOINT hs_nested" : "BEGIN IMMEDIATE").Run();
  } catch (...) {
    if (!waits) sqlite3_busy_timeout(Database.Handle(), kBusyTimeoutMs);
    throw;
  }
  if (!waits) sqlite3_busy_timeout(Database.Handle(), kBusyTimeoutMs);
}

TSqliteTransaction::~TSqliteTransaction() { Rollback(); }

void TSqliteTransaction::Rollback() {
  if (Done) return;
  Done = true;
  try {
    if (Nested) {
      Database.Cached("ROLLBACK TO hs_nested").Run();
      Database.Cached("RELEASE hs_nested").Run();
    } else {
      Database.Cached("ROLLBACK").Run();
    }
  } catch (...) {
    // A failed rollback leaves SQLite to roll back when the connection closes; nothing more can be done here.
  }
}

void TSqliteTransaction::Commit() {
  Database.Cached(Nested ? "RELEASE hs_nested" : "COMMIT").Run();
  Done = true;
}

}  // namespace hoardscope
