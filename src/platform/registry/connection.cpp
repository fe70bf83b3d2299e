#include "platform/registry/connection.h"

#include <fcntl.h>
#include <unistd.h>

#include <mutex>
#include <system_error>
#include <utility>

namespace qxvb::registry {

namespace {

constexpr int kBusyTimeoutMs = 10000;
constexpr std::int64_t kSchemaVersion = 1;

constexpr const char* kSchema =
    "CREATE TABLE IF NOT EXISTS reg_keys("
    " id INTEGER PRIMARY KEY, parent INTEGER NOT NULL, name TEXT NOT NULL,"
    " fold TEXT NOT NULL, UNIQUE(parent, fold));"
    "CREATE TABLE IF NOT EXISTS reg_values("
    " id INTEGER PRIMARY KEY, key INTEGER NOT NULL, name TEXT NOT NULL,"
    " fold TEXT NOT NULL, type INTEGER NOT NULL, data BLOB NOT NULL, "
    "UNIQUE(key, fold));"
    "INSERT OR IGNORE INTO reg_keys(id, parent, name, fold) VALUES(1, 0, '', "
    "'');"
    "PRAGMA user_version = 1;";

std::mutex failureMutex;
std::string firstFailureText;

using ConnectionMap = std::map<std::string, std::unique_ptr<Connection>, std::less<>>;

ConnectionMap& threadConnections() {
  thread_local ConnectionMap connections;
  return connections;
}

[[noreturn]] void fail(sqlite3* db, int code) {
  throw SqlFailure(code, db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(code));
}

std::int64_t schemaVersion(Connection& connection) {
  Query query(connection, "PRAGMA user_version");
  return query.step() ? query.integer(0) : 0;
}

// Creates the tables of a new database; a newer format is refused.
void ensureSchema(Connection& connection, bool forWrite) {
  if (connection.schemaReady) return;
  std::int64_t version = schemaVersion(connection);
  if (version == 0 && forWrite) {
    Transaction transaction(connection, true);
    if (schemaVersion(connection) == 0) connection.exec(kSchema);
    transaction.commit();
    version = schemaVersion(connection);
  }
  if (version > kSchemaVersion) {
    throw SqlFailure(SQLITE_NOTADB, "registry database of a newer format");
  }
  connection.schemaReady = version == kSchemaVersion;
}

// A new per-user database is private to its owner; SQLite gives its
// journal files the same mode.
void createPrivately(const std::string& file) {
  const int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
  if (fd >= 0) ::close(fd);
}

std::unique_ptr<Connection> openConnection(const std::string& file, bool forWrite,
                                           Database database) {
  if (forWrite && database == Database::User) createPrivately(file);
  sqlite3* db = nullptr;
  const int flags =
      SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX | (forWrite ? SQLITE_OPEN_CREATE : 0);
  const int rc = sqlite3_open_v2(file.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    const std::string message = db != nullptr ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close_v2(db);
    throw SqlFailure(rc, message);
  }
  auto connection = std::make_unique<Connection>(db, file);
  sqlite3_extended_result_codes(db, 0);
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  connection->exec("PRAGMA synchronous = NORMAL");
  return connection;
}

// Chosen by the first writer only: a reader never changes the file. The
// per-user store keeps a write-ahead log (readers go on while one writes);
// the machine-wide store a rollback journal, so that users who may only
// read it need nothing but the database file (a WAL reader needs to write
// the shared-memory file beside it).
void chooseJournal(Connection& connection, Database database) {
  if (connection.journalChosen) return;
  connection.journalChosen = true;
  const char* pragma =
      database == Database::User ? "PRAGMA journal_mode = WAL" : "PRAGMA journal_mode = DELETE";
  // Best effort: another connection in the file can keep the old mode.
  sqlite3_exec(connection.handle(), pragma, nullptr, nullptr, nullptr);
}

void requireOpenTransaction(Connection& connection) {
  if (sqlite3_get_autocommit(connection.handle()) == 0) return;
  throw SqlFailure(connection.failure != 0 ? connection.failure : SQLITE_ABORT,
                   "the transaction was rolled back after a failure");
}

}  // namespace

Connection::Connection(sqlite3* db, std::string file)
    : owner(getpid()), db_(db), file_(std::move(file)) {}

Connection::~Connection() {
  if (db_ == nullptr) return;
  for (auto& entry : statements_) sqlite3_finalize(entry.second);
  sqlite3_close_v2(db_);
}

sqlite3_stmt* Connection::statement(const char* sql) {
  auto found = statements_.find(std::string_view(sql));
  if (found != statements_.end()) return found->second;
  sqlite3_stmt* stmt = nullptr;
  const int rc = sqlite3_prepare_v3(db_, sql, -1, SQLITE_PREPARE_PERSISTENT, &stmt, nullptr);
  if (rc != SQLITE_OK) fail(db_, rc);
  statements_.emplace(sql, stmt);
  return stmt;
}

void Connection::exec(const char* sql) {
  const int rc = sqlite3_exec(db_, sql, nullptr, nullptr, nullptr);
  if (rc != SQLITE_OK) {
    failure = rc;
    fail(db_, rc);
  }
}

void Connection::run(const char* sql) {
  Query query(*this, sql);
  query.step();
}

namespace {

std::int64_t dataVersion(Connection& connection) {
  Query query(connection, "PRAGMA data_version");
  return query.step() ? query.integer(0) : -1;
}

}  // namespace

bool Connection::continues(const EnumCursor& cursor, std::int64_t key, std::uint32_t index) {
  return index > 0 && cursor.key == key && cursor.index + 1 == index &&
         cursor.ownChanges == sqlite3_total_changes64(db_) &&
         cursor.dataVersion == dataVersion(*this);
}

void Connection::remember(EnumCursor& cursor, std::int64_t key, std::uint32_t index) {
  cursor.key = key;
  cursor.index = index;
  cursor.ownChanges = sqlite3_total_changes64(db_);
  cursor.dataVersion = dataVersion(*this);
}

Query::Query(Connection& connection, const char* sql)
    : connection_(connection), stmt_(connection.statement(sql)) {}

Query::~Query() {
  sqlite3_reset(stmt_);
  sqlite3_clear_bindings(stmt_);
}

Query& Query::bind(int index, std::int64_t number) {
  const int rc = sqlite3_bind_int64(stmt_, index, number);
  if (rc != SQLITE_OK) fail(connection_.handle(), rc);
  return *this;
}

Query& Query::bind(int index, std::string_view text) {
  const int rc =
      sqlite3_bind_text64(stmt_, index, text.data(), text.size(), SQLITE_TRANSIENT, SQLITE_UTF8);
  if (rc != SQLITE_OK) fail(connection_.handle(), rc);
  return *this;
}

Query& Query::bindBlob(int index, const Bytes& data) {
  static const std::uint8_t kNothing = 0;
  const int rc = sqlite3_bind_blob64(stmt_, index, data.empty() ? &kNothing : data.data(),
                                     data.size(), SQLITE_TRANSIENT);
  if (rc != SQLITE_OK) fail(connection_.handle(), rc);
  return *this;
}

bool Query::step() {
  const int rc = sqlite3_step(stmt_);
  if (rc == SQLITE_ROW) return true;
  if (rc == SQLITE_DONE) return false;
  connection_.failure = rc;
  fail(connection_.handle(), rc);
}

std::int64_t Query::integer(int column) const {
  return sqlite3_column_int64(stmt_, column);
}

std::string Query::text(int column) const {
  const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  return text == nullptr ? std::string() : std::string(text, static_cast<std::size_t>(size));
}

Bytes Query::blob(int column) const {
  const auto* data = static_cast<const std::uint8_t*>(sqlite3_column_blob(stmt_, column));
  const int size = sqlite3_column_bytes(stmt_, column);
  return data == nullptr ? Bytes() : Bytes(data, data + size);
}

Transaction::Transaction(Connection& connection, bool write, bool savepoint)
    : connection_(connection), write_(write) {
  if (connection_.depth == 0) {
    connection_.failure = 0;
    connection_.run(write ? "BEGIN IMMEDIATE" : "BEGIN");
    // Reading the data version starts the transaction's snapshot, so the
    // ids kept are checked against what this transaction sees.
    const std::int64_t version = dataVersion(connection_);
    constexpr std::size_t kKeyIdsKept = 65536;
    if (version != connection_.keyIdsVersion ||
        sqlite3_total_changes64(connection_.handle()) != connection_.keyIdsChanges ||
        connection_.keyIds.size() > kKeyIdsKept) {
      connection_.keyIds.clear();
    }
    connection_.keyIdsVersion = version;
    connection_.keyIdsChanges = -1;
  } else {
    requireOpenTransaction(connection_);
    if (write && savepoint) {
      connection_.run("SAVEPOINT store_call");
      savepoint_ = true;
    }
  }
  ++connection_.depth;
}

void Transaction::needSavepoint() {
  if (!write_ || savepoint_ || connection_.depth <= 1) return;
  connection_.run("SAVEPOINT store_call");
  savepoint_ = true;
}

Transaction::~Transaction() {
  if (!open_) return;
  --connection_.depth;
  connection_.keyIds.clear();
  connection_.keyIdsChanges = -1;
  sqlite3* db = connection_.handle();
  if (connection_.depth == 0) {
    if (sqlite3_get_autocommit(db) == 0) sqlite3_exec(db, "ROLLBACK", nullptr, nullptr, nullptr);
  } else if (savepoint_ && sqlite3_get_autocommit(db) == 0) {
    sqlite3_exec(db, "ROLLBACK TO store_call; RELEASE store_call", nullptr, nullptr, nullptr);
  }
}

void Transaction::commit() {
  if (connection_.depth == 1 || write_) requireOpenTransaction(connection_);
  if (connection_.depth == 1) {
    connection_.run("COMMIT");
    connection_.keyIdsChanges = sqlite3_total_changes64(connection_.handle());
  } else if (savepoint_) {
    connection_.run("RELEASE store_call");
  }
  --connection_.depth;
  open_ = false;
}

Connection* threadConnection(Database database, bool forWrite, Status& status) {
  const std::filesystem::path path = databaseFile(database);
  const std::string file = path.string();
  ConnectionMap& connections = threadConnections();
  auto found = connections.find(file);
  if (found != connections.end() && found->second->owner != getpid()) {
    // Inherited through fork: the parent still owns the handle.
    for (auto& entry : connections) entry.second->abandon();
    connections.clear();
    found = connections.end();
  }
  try {
    if (found == connections.end()) {
      std::error_code error;
      if (!forWrite && !std::filesystem::exists(path, error)) {
        status = kFileNotFound;
        return nullptr;
      }
      if (forWrite) {
        std::filesystem::create_directories(path.parent_path(), error);
        if (error) {
          recordFailure(path.parent_path().string() + ": " + error.message());
          status = error == std::errc::permission_denied ? kAccessDenied : kCantOpen;
          return nullptr;
        }
      }
      found = connections.emplace(file, openConnection(file, forWrite, database)).first;
    }
    if (forWrite) chooseJournal(*found->second, database);
    ensureSchema(*found->second, forWrite);
  } catch (const SqlFailure& failure) {
    recordFailure(file + ": " + failure.what());
    if (found != connections.end() && found->second->depth == 0) connections.erase(found);
    status = statusOfSqlite(failure.code());
    return nullptr;
  }
  if (!found->second->schemaReady) {
    status = forWrite ? kAccessDenied : kFileNotFound;
    return nullptr;
  }
  status = kSuccess;
  return found->second.get();
}

Status statusOfSqlite(int code) {
  switch (code & 0xFF) {
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
      return kBusy;
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
      return kAccessDenied;
    case SQLITE_CANTOPEN:
      return kCantOpen;
    case SQLITE_FULL:
      return kDiskFull;
    case SQLITE_IOERR:
      return kIoFailed;
    case SQLITE_NOMEM:
      return kNotEnoughMemory;
    case SQLITE_TOOBIG:
    case SQLITE_RANGE:
      return kInvalidParameter;
    default:
      return kBadDatabase;
  }
}

void recordFailure(const std::string& message) {
  std::lock_guard lock(failureMutex);
  if (firstFailureText.empty()) firstFailureText = "registry store: " + message;
}

std::string firstFailure() {
  std::lock_guard lock(failureMutex);
  return firstFailureText;
}

void clearFailures() {
  std::lock_guard lock(failureMutex);
  firstFailureText.clear();
}

void closeThreadConnections() {
  ConnectionMap& connections = threadConnections();
  for (auto& entry : connections) {
    if (entry.second->owner != getpid()) entry.second->abandon();
  }
  connections.clear();
}

}  // namespace qxvb::registry
