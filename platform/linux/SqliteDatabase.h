// A small RAII layer over SQLite for the Linux edition's stores: a connection, prepared statements and
// transaction guards. Every failure throws TSqliteError with a message that names the database file.
#pragma once

#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

struct sqlite3;
struct sqlite3_stmt;

namespace hoardscope {

// A failed SQLite call. Code is SQLite's primary result code (SQLITE_BUSY, SQLITE_CORRUPT, ...).
class TSqliteError : public std::runtime_error {
 public:
  TSqliteError(const std::string& message, int code) : std::runtime_error(message), Code(code) {}
  int Code;
};

enum class TSqliteOpenMode {
  CreateIfMissing,   // read-write; a missing file becomes a new, empty database
  ExistingOnly,      // read-write; a missing file is an error
  ReadOnly,          // read-only; a missing file is an error
};

class TSqliteDatabase;

// One prepared statement. Parameter indexes count from 1 and column indexes from 0, as in SQLite. Reusable:
// Reset() (or BindAll, which resets first) makes it ready for the next run. A statement that stopped on a row
// keeps its read transaction open until it is reset or stepped to its end, so reset kept statements after
// reading. Move-only.
class TSqliteStatement {
 public:
  TSqliteStatement(TSqliteDatabase& database, std::string_view sql);
  ~TSqliteStatement();
  TSqliteStatement(TSqliteStatement&& other) noexcept;
  TSqliteStatement& operator=(TSqliteStatement&& other) noexcept;
  TSqliteStatement(const TSqliteStatement&) = delete;
  TSqliteStatement& operator=(const TSqliteStatement&) = delete;

  TSqliteStatement& Bind(int index, std::int64_t value);
  TSqliteStatement& Bind(int index, std::uint64_t value);   // stored as its 64-bit two's complement
  TSqliteStatement& Bind(int index, int value) { return Bind(index, static_cast<std::int64_t>(value)); }
  TSqliteStatement& Bind(int index, std::uint32_t value) { return Bind(index, static_cast<std::int64_t>(value)); }
  TSqliteStatement& Bind(int index, std::string_view text);  // copied: the text need not outlive the call
  TSqliteStatement& Bind(int index, const std::string& text) { return Bind(index, std::string_view(text)); }
  TSqliteStatement& Bind(int index, const char* text) { return Bind(index, std::string_view(text)); }
  TSqliteStatement& Bind(int index, const std::optional<std::string>& text);   // nullopt binds NULL
  TSqliteStatement& BindBlob(int index, std::string_view bytes);
  TSqliteStatement& BindNull(int index);

  // Resets the statement and binds the arguments to parameters 1, 2, ... in order.
  template <typename... Args>
  TSqliteStatement& BindAll(const Args&... args) {
    Reset();
    int index = 0;
    (Bind(++index, args), ...);
    return *this;
  }

  // Runs one step: true when a row is ready to be read, false when the statement is done.
  bool Step();
  // Steps until done (for statements that return no rows), then resets the statement, keeping its bindings.
  void Run();
  // Makes the statement ready to run again and clears its bindings.
  void Reset();

  bool ColumnIsNull(int column) const;
  std::int64_t ColumnInt64(int column) const;
  std::uint64_t ColumnUInt64(int column) const { return static_cast<std::uint64_t>(ColumnInt64(column)); }
  std::string ColumnText(int column) const;   // "" for NULL
  std::optional<std::string> ColumnOptionalText(int column) const;   // nullopt for NULL
  std::string_view ColumnTextView(int column) const;   // valid until the next Step, Reset or column call

 private:
  TSqliteDatabase* Database = nullptr;
  sqlite3_stmt* Handle = nullptr;
};

// One connection. Opening sets a busy timeout of 5000 ms and, for writable connections, the WAL journal, and
// reads the schema once so that a file that is not a database (or is damaged in its header) fails here, with a
// message naming the file. A damaged file is never replaced or emptied: it is left as it was for the user.
class TSqliteDatabase {
 public:
  explicit TSqliteDatabase(const std::filesystem::path& file,
                           TSqliteOpenMode mode = TSqliteOpenMode::CreateIfMissing);
  ~TSqliteDatabase();
  TSqliteDatabase(const TSqliteDatabase&) = delete;
  TSqliteDatabase& operator=(const TSqliteDatabase&) = delete;

  const std::filesystem::path& File() const { return Path; }
  sqlite3* Handle() const { return Connection; }

  TSqliteStatement Prepare(std::string_view sql) { return TSqliteStatement(*this, sql); }
  // A statement prepared once per connection and kept until it closes; for statements run again and again.
  TSqliteStatement& Cached(std::string_view sql);
  // Runs every statement of the text in turn (schema scripts); rows they return are dropped.
  void Execute(std::string_view sql);
  // Runs SQLite's quick integrity check over the whole file; throws TSqliteError (SQLITE_CORRUPT) naming the
  // file and SQLite's first complaint when it finds damage. Costs a read of the whole file.
  void QuickCheck();
  // True when the schema has no tables yet (a new database).
  bool IsEmpty();

  std::int64_t LastInsertRowId() const;
  int Changes() const;   // rows changed by the last INSERT, UPDATE or DELETE
  bool InTransaction() const;

  // Throws TSqliteError for result code `code` of an operation described by `what`, naming the file.
  [[noreturn]] void Fail(int code, std::string_view what) const;

 private:
  std::filesystem::path Path;
  sqlite3* Connection = nullptr;
  std::map<std::string, TSqliteStatement, std::less<>> Statements;   // of Cached; finalized before the close
};

// A transaction guard: commits on Commit(), rolls back when destroyed without it. The outermost guard of a
// connection begins an IMMEDIATE transaction, so that it takes the write lock at once (waiting up to the busy
// timeout) instead of failing halfway; guards opened inside another become savepoints, so a store operation
// can guard itself and still run inside a caller's larger batch. With TSqliteWait::None an outermost guard does
// not wait for another connection's write lock: it throws TSqliteError (SQLITE_BUSY) at once.
enum class TSqliteWait { UpToTimeout, None };

class TSqliteTransaction {
 public:
  explicit TSqliteTransaction(TSqliteDatabase& database, TSqliteWait wait = TSqliteWait::UpToTimeout);
  ~TSqliteTransaction();
  TSqliteTransaction(const TSqliteTransaction&) = delete;
  TSqliteTransaction& operator=(const TSqliteTransaction&) = delete;

  void Commit();
  // Rolls the changes back now rather than when the transaction goes; nothing happens after Commit or Rollback.
  void Rollback();

 private:
  TSqliteDatabase& Database;
  bool Nested = false;   // a savepoint inside an open transaction
  bool Done = false;
};

}  // namespace hoardscope
