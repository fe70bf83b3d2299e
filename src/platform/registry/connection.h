// The SQLite side of the registry store: one connection per thread and
// database file, opened on first use, with its cached statements, the
// transaction nesting of the store calls and the record of the first
// database failure.
#pragma once

#include <sqlite3.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <unordered_map>

#include "platform/registry/registry_store.h"
#include "platform/registry/roots.h"

namespace qxvb::registry {

// A failed SQLite call; caught at the edge of every store call.
class SqlFailure : public std::runtime_error {
 public:
  SqlFailure(int code, const std::string& message) : std::runtime_error(message), code_(code) {}
  int code() const { return code_; }

 private:
  int code_;
};

// Where the last enumeration of this connection stopped, so that asking
// for the next index continues from there instead of counting again.
struct EnumCursor {
  std::int64_t key = 0;
  std::uint32_t index = 0;
  std::string fold;         // subkeys: the sort key of the last name
  std::int64_t lastId = 0;  // values: the row of the last value
  std::int64_t dataVersion = -1;
  std::int64_t ownChanges = -1;
};

class Connection {
 public:
  Connection(sqlite3* db, std::string file);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  sqlite3* handle() const { return db_; }
  const std::string& file() const { return file_; }
  // A cached prepared statement, reset and unbound.
  sqlite3_stmt* statement(const char* sql);
  void exec(const char* sql);
  // Runs a single statement through the statement cache.
  void run(const char* sql);
  // Forgets the handle without closing it (a forked child must not close
  // its parent's connections).
  void abandon() { db_ = nullptr; }

  // True when the cursor was left at index - 1 of key and nothing changed
  // the database since.
  bool continues(const EnumCursor& cursor, std::int64_t key, std::uint32_t index);
  void remember(EnumCursor& cursor, std::int64_t key, std::uint32_t index);

  EnumCursor keyCursor;
  EnumCursor valueCursor;
  // Key ids by path (components joined with backslashes, as the caller
  // spelled them): a branch written or read key by key finds each key once.
  // Nobody else changes the keys while a transaction is open; between
  // transactions the ids stay only while no other connection committed
  // (the data version) and this one changed nothing since its last commit.
  // Emptied when the transaction or a savepoint ends without committing, and
  // when keys are deleted.
  std::unordered_map<std::string, std::int64_t> keyIds;
  std::int64_t keyIdsVersion = -1;
  std::int64_t keyIdsChanges = -1;
  bool schemaReady = false;
  bool journalChosen = false;
  int depth = 0;  // nesting of store transactions
  // The code of the last failure inside the open transaction: SQLite may
  // have rolled the whole transaction back because of it.
  int failure = 0;
  pid_t owner = 0;

 private:
  sqlite3* db_;
  std::string file_;
  std::map<std::string, sqlite3_stmt*, std::less<>> statements_;
};

// Runs a cached statement: binds, steps, resets when it goes out of scope.
class Query {
 public:
  Query(Connection& connection, const char* sql);
  ~Query();
  Query(const Query&) = delete;
  Query& operator=(const Query&) = delete;

  Query& bind(int index, std::int64_t number);
  Query& bind(int index, std::string_view text);
  Query& bindBlob(int index, const Bytes& data);
  // True while a row is available.
  bool step();
  std::int64_t integer(int column) const;
  std::string text(int column) const;
  Bytes blob(int column) const;

 private:
  Connection& connection_;
  sqlite3_stmt* stmt_;
};

// One store transaction: BEGIN IMMEDIATE (writes) or BEGIN (reads) at the
// outermost level, a savepoint for a nested write. Rolls back unless
// committed. When SQLite has rolled the outer transaction back by itself
// (a full disk, an I/O error), nesting further or committing fails with
// that failure: a savepoint opened then would be a transaction of its own
// and commit on its own.
class Transaction {
 public:
  // A write inside an open transaction is undone on failure by a savepoint
  // of its own; one that knows it makes a single change may leave it to
  // SQLite, which undoes a failing statement by itself (savepoint false),
  // and ask for the savepoint once it finds it must make more.
  Transaction(Connection& connection, bool write, bool savepoint = true);
  ~Transaction();
  Transaction(const Transaction&) = delete;
  Transaction& operator=(const Transaction&) = delete;
  void commit();
  void needSavepoint();

 private:
  Connection& connection_;
  bool write_;
  bool savepoint_ = false;
  bool open_ = true;
};

// The calling thread's connection to a database. A read finding no file
// answers ERROR_FILE_NOT_FOUND without creating one; a write creates the
// folder and the file. Database failures are recorded and answered as a
// Windows error code.
Connection* threadConnection(Database database, bool forWrite, Status& status);

// Windows error code for an SQLite result code.
Status statusOfSqlite(int code);
void recordFailure(const std::string& message);

}  // namespace qxvb::registry
