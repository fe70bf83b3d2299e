#include "ado/sqlite_engine.h"

#include <sqlite3.h>

#include <unistd.h>
#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstring>
#include <map>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/session_marks.h"
#include "ado/sqlite_sessions.h"
#include "ado/value_codec.h"
#include "platform/text/ascii.h"
#include "platform/text/utf.h"

namespace qxvb::ado {

namespace {

// The session, shared by the connection and its cursors so that a cursor
// outliving its connection never sees a closed handle. When the last of
// them is done, a session opened for pooling goes back to the pool.
struct Database {
  Database(std::unique_ptr<SqliteSession> opened, bool pooled)
      : session(std::move(opened)), db(session->db), pooling(pooled) {}
  ~Database() {
    if (pooling) returnSession(std::move(session));
  }
  Database(const Database&) = delete;
  Database& operator=(const Database&) = delete;

  std::unique_ptr<SqliteSession> session;
  sqlite3* db;
  bool pooling;
};
using DatabasePtr = std::shared_ptr<Database>;

[[noreturn]] void fail(sqlite3* db) {
  throw EngineFailure(db != nullptr ? sqlite3_errmsg(db) : "out of memory", {},
                      db != nullptr ? sqlite3_extended_errcode(db) : SQLITE_NOMEM,
                      kSqliteProviderName);
}

void waitForLocks(sqlite3* db, int32_t seconds) {
  constexpr int32_t kLongest = INT32_MAX / 1000;
  sqlite3_busy_timeout(db, std::clamp(seconds, 0, kLongest) * 1000);
}

[[noreturn]] void failWith(const std::string& message) {
  throw EngineFailure(message, {}, SQLITE_ERROR, kSqliteProviderName);
}

// The size in parentheses of a declared type such as VARCHAR(40); 0 if none.
int32_t declaredSize(std::string_view decl) {
  const size_t open = decl.find('(');
  if (open == std::string_view::npos) return 0;
  int32_t n = 0;
  for (size_t i = open + 1; i < decl.size() && std::isdigit(static_cast<unsigned char>(decl[i]));
       ++i) {
    n = n * 10 + (decl[i] - '0');
  }
  return n;
}

// The ADO type of a declared column type, following SQLite's affinity rules
// with the finer names ADO distinguishes.
void typeFromDeclaration(std::string_view declared, ColumnInfo& col) {
  const std::string d = ascii::toUpper(declared);
  const auto has = [&](const char* word) { return d.find(word) != std::string::npos; };
  const int32_t size = declaredSize(d);
  if (has("INT")) {
    col.type = has("BIGINT")     ? adBigInt
               : has("SMALLINT") ? adSmallInt
               : has("TINYINT")  ? adUnsignedTinyInt
                                 : adInteger;
    col.definedSize = col.type == adBigInt ? 8 : col.type == adSmallInt ? 2 : 4;
  } else if (has("BOOL") || d == "BIT") {
    col.type = adBoolean;
    col.definedSize = 2;
  } else if (has("DATE") || has("TIME")) {
    col.type = adDBTimeStamp;
    col.definedSize = 16;
  } else if (has("CHAR") || has("CLOB") || has("TEXT")) {
    if (size > 0 && !has("TEXT") && !has("CLOB")) {
      col.type = adVarWChar;
      col.definedSize = size;
    } else {
      col.type = adLongVarWChar;
      col.definedSize = kLongDefinedSize / 2;
      col.isLong = true;
    }
  } else if (has("BLOB") || has("BINARY") || d.empty()) {
    if (size > 0) {
      col.type = adVarBinary;
      col.definedSize = size;
    } else {
      col.type = adLongVarBinary;
      col.definedSize = kLongDefinedSize;
      col.isLong = true;
    }
  } else if (has("REAL") || has("FLOA") || has("DOUB")) {
    col.type = adDouble;
    col.definedSize = 8;
  } else if (has("MONEY") || has("CURRENCY")) {
    col.type = adCurrency;
    col.definedSize = 8;
  } else {
    col.type = adNumeric;
    col.definedSize = 19;
  }
}

// An expression column has no declared type: its first value tells.
void typeFromValue(sqlite3_stmt* stmt, int i, ColumnInfo& col) {
  switch (sqlite3_column_type(stmt, i)) {
    case SQLITE_INTEGER: {
      const sqlite3_int64 v = sqlite3_column_int64(stmt, i);
      const bool fits = v >= INT32_MIN && v <= INT32_MAX;
      col.type = fits ? adInteger : adBigInt;
      col.definedSize = fits ? 4 : 8;
      break;
    }
    case SQLITE_FLOAT:
      col.type = adDouble;
      col.definedSize = 8;
      break;
    case SQLITE_BLOB:
      col.type = adLongVarBinary;
      col.definedSize = kLongDefinedSize;
      col.isLong = true;
      break;
    default:
      col.type = adVarWChar;
      col.definedSize = 255;
      break;
  }
}

class SqliteCursor : public Cursor {
 public:
  // stmt has been stepped once; onRow tells whether it stands on a row.
  SqliteCursor(DatabasePtr db, sqlite3_stmt* stmt, bool onRow)
      : db_(std::move(db)), stmt_(stmt), firstRowPending_(onRow), done_(!onRow) {
    const int n = sqlite3_column_count(stmt_);
    columns_.resize(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i) {
      ColumnInfo& col = columns_[static_cast<size_t>(i)];
      col.name = sqlite3_column_name(stmt_, i);
      const char* declared = sqlite3_column_decltype(stmt_, i);
      const char* table = sqlite3_column_table_name(stmt_, i);
      const char* origin = sqlite3_column_origin_name(stmt_, i);
      if (declared != nullptr) {
        typeFromDeclaration(declared, col);
      } else if (origin != nullptr) {
        typeFromDeclaration("", col);
      } else {
        typeFromValue(stmt_, i, col);
      }
      if (table != nullptr) col.baseTable = table;
      if (origin != nullptr) col.baseColumn = origin;
    }
    pieceOffsets_.assign(columns_.size(), 0);
  }
  ~SqliteCursor() override { sqlite3_finalize(stmt_); }

  const std::vector<ColumnInfo>& columns() const override { return columns_; }

  bool fetch() override {
    std::fill(pieceOffsets_.begin(), pieceOffsets_.end(), 0);
    if (firstRowPending_) {
      firstRowPending_ = false;
      return true;
    }
    if (done_) return false;
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    done_ = true;
    if (rc != SQLITE_DONE) fail(db_->db);
    return false;
  }

  Variant value(size_t column) override {
    const int i = static_cast<int>(column);
    const int32_t type = columns_[column].type;
    switch (sqlite3_column_type(stmt_, i)) {
      case SQLITE_NULL:
        return Variant::null();
      case SQLITE_INTEGER: {
        const sqlite3_int64 v = sqlite3_column_int64(stmt_, i);
        if (type == adBoolean) return Variant(v != 0);
        if (type == adDouble || type == adCurrency) return Variant(static_cast<double>(v));
        return integerVariant(v);
      }
      case SQLITE_FLOAT:
        return Variant(sqlite3_column_double(stmt_, i));
      case SQLITE_BLOB: {
        const auto* p = static_cast<const uint8_t*>(sqlite3_column_blob(stmt_, i));
        const int n = sqlite3_column_bytes(stmt_, i);
        ByteArray bytes;
        bytes.data.assign(p, p + n);
        return Variant(std::move(bytes));
      }
      default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
        std::string text(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, i)));
        DateValue date;
        if (type == adDBTimeStamp && parseIsoDate(text, date)) return Variant(date);
        return Variant(std::move(text));
      }
    }
  }

  int64_t length(size_t column) override {
    const int i = static_cast<int>(column);
    switch (sqlite3_column_type(stmt_, i)) {
      case SQLITE_NULL:
        return -1;
      case SQLITE_BLOB:
        return sqlite3_column_bytes(stmt_, i);
      default: {
        const auto* p = reinterpret_cast<const char*>(sqlite3_column_text(stmt_, i));
        return static_cast<int64_t>(
            utf::count(std::string_view(p, static_cast<size_t>(sqlite3_column_bytes(stmt_, i)))));
      }
    }
  }

  Variant readPiece(size_t column, int64_t count) override {
    const int i = static_cast<int>(column);
    const int kind = sqlite3_column_type(stmt_, i);
    if (kind == SQLITE_NULL || count <= 0) return Variant::null();
    const bool binary = kind == SQLITE_BLOB;
    const void* p = binary ? sqlite3_column_blob(stmt_, i) : sqlite3_column_text(stmt_, i);
    const std::string_view data(static_cast<const char*>(p),
                                static_cast<size_t>(sqlite3_column_bytes(stmt_, i)));
    return nextPiece(data, binary, pieceOffsets_[column], static_cast<size_t>(count));
  }

  size_t pieceOffset(size_t column) const override { return pieceOffsets_[column]; }

 private:
  DatabasePtr db_;
  sqlite3_stmt* stmt_;
  std::vector<ColumnInfo> columns_;
  std::vector<size_t> pieceOffsets_;
  bool firstRowPending_;
  bool done_;
};

// Binds the parameters a statement has markers for, taking them from
// params in order from next on.
void bindParameters(sqlite3* db, sqlite3_stmt* stmt, std::vector<ParamValue>& params,
                    size_t& next) {
  const int markers = sqlite3_bind_parameter_count(stmt);
  for (int m = 1; m <= markers && next < params.size(); ++m, ++next) {
    const ParamValue& p = params[next];
    if (p.direction != adParamInput && p.direction != adParamUnknown) {
      failWith("SQLite statements take no output parameters (parameter " +
               std::to_string(next + 1) + ").");
    }
    const Variant& v = p.input();
    int rc = SQLITE_OK;
    switch (v.type()) {
      case VarType::Empty:
      case VarType::Null:
        rc = sqlite3_bind_null(stmt, m);
        break;
      case VarType::Boolean:
        rc = sqlite3_bind_int(stmt, m, *v.get<bool>() ? 1 : 0);
        break;
      case VarType::Integer:
        rc = sqlite3_bind_int(stmt, m, *v.get<int16_t>());
        break;
      case VarType::Long:
        rc = sqlite3_bind_int(stmt, m, *v.get<int32_t>());
        break;
      case VarType::Single:
        rc = sqlite3_bind_double(stmt, m, *v.get<float>());
        break;
      case VarType::Double:
        rc = sqlite3_bind_double(stmt, m, *v.get<double>());
        break;
      case VarType::Date: {
        const std::string text = formatIsoDate(*v.get<DateValue>());
        rc = sqlite3_bind_text(stmt, m, text.data(), static_cast<int>(text.size()),
                               SQLITE_TRANSIENT);
        break;
      }
      case VarType::String: {
        const std::string& s = *v.get<std::string>();
        rc = sqlite3_bind_text64(stmt, m, s.data(), s.size(), SQLITE_STATIC, SQLITE_UTF8);
        break;
      }
      case VarType::ByteArray: {
        // The bytes are bound where they lie; SQLite copies them once, into
        // the record it writes.
        const auto& bytes = v.get<ByteArray>()->data;
        rc = bytes.empty()
                 ? sqlite3_bind_zeroblob(stmt, m, 0)
                 : sqlite3_bind_blob64(stmt, m, bytes.data(), bytes.size(), SQLITE_STATIC);
        break;
      }
      default:
        failWith("Parameter " + std::to_string(next + 1) + " has a type SQLite cannot store.");
    }
    if (rc != SQLITE_OK) fail(db);
  }
}

bool onlyBlanks(const char* text) {
  for (; *text != '\0'; ++text) {
    if (!std::isspace(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

class SqliteConnection : public EngineConnection {
 public:
  explicit SqliteConnection(DatabasePtr db) : db_(std::move(db)) {}

  std::string sourceName() const override { return kSqliteProviderName; }

  // Statements before the last run to completion; the last one gives the
  // result.
  StatementResult execute(const std::string& sql, std::vector<ParamValue>& params) override {
    sqlite3* db = db_->db;
    StatementResult result;
    const char* rest = sql.c_str();
    size_t nextParam = 0;
    while (rest != nullptr && !onlyBlanks(rest)) {
      sqlite3_stmt* stmt = nullptr;
      const char* tail = nullptr;
      if (sqlite3_prepare_v2(db, rest, -1, &stmt, &tail) != SQLITE_OK) fail(db);
      rest = tail;
      if (stmt == nullptr) continue;  // a comment or an empty statement
      std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(stmt, sqlite3_finalize);
      bindParameters(db, stmt, params, nextParam);
      const bool last = rest == nullptr || onlyBlanks(rest);
      int rc = sqlite3_step(stmt);
      if (last && sqlite3_column_count(stmt) > 0) {
        if (rc != SQLITE_ROW && rc != SQLITE_DONE) fail(db);
        result.cursor = std::make_unique<SqliteCursor>(db_, guard.release(), rc == SQLITE_ROW);
        result.recordsAffected = -1;
        return result;
      }
      while (rc == SQLITE_ROW) rc = sqlite3_step(stmt);
      if (rc != SQLITE_DONE) fail(db);
      result.recordsAffected = sqlite3_changes64(db);
    }
    return result;
  }

  std::string procedureCall(const std::string& name, const std::vector<ParamValue>&) override {
    failWith("SQLite has no stored procedures (" + name + ").");
  }
  std::vector<ParamValue> procedureParameters(const std::string& name) override {
    failWith("SQLite has no stored procedures (" + name + ").");
  }

  std::vector<std::string> keyColumns(const std::string& table) override {
    const std::string sql = "PRAGMA table_info(" + quoteIdentifier(table) + ")";
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db_->db, sql.c_str(), -1, &stmt, nullptr) != SQLITE_OK) fail(db_->db);
    std::map<int, std::string> keys;
    while (sqlite3_step(stmt) == SQLITE_ROW) {
      const int pk = sqlite3_column_int(stmt, 5);
      if (pk > 0) keys[pk] = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 1));
    }
    sqlite3_finalize(stmt);
    std::vector<std::string> out;
    out.reserve(keys.size());
    for (auto& [order, name] : keys) out.push_back(std::move(name));
    return out;
  }

  std::string quoteIdentifier(std::string_view name) const override {
    std::string out = "\"";
    for (const char c : name) {
      out += c;
      if (c == '"') out += '"';
    }
    return out + "\"";
  }

  int64_t lastInsertKey() override { return sqlite3_last_insert_rowid(db_->db); }

  // A write transaction takes the write lock at its start: a deferred one
  // that read first could not upgrade in WAL mode once another writer had
  // committed, and would fail at once instead of waiting its turn.
  void beginTransaction() override {
    run(sqlite3_db_readonly(db_->db, "main") == 1 ? "BEGIN" : "BEGIN IMMEDIATE");
  }
  void commitTransaction() override { run("COMMIT"); }
  void rollbackTransaction() override { run("ROLLBACK"); }
  // Another connection's lock is waited for up to the command time-out
  // (0: not at all).
  void setCommandTimeout(int32_t seconds) override { waitForLocks(db_->db, seconds); }

 private:
  void run(const char* sql) {
    if (sqlite3_exec(db_->db, sql, nullptr, nullptr, nullptr) != SQLITE_OK) fail(db_->db);
  }

  DatabasePtr db_;
};

}  // namespace

std::unique_ptr<EngineConnection> openSqlite(const OpenRequest& request) {
  const EngineTarget& target = request.target;
  if (target.sqlitePath.empty()) failWith("No database file is named (Data Source is empty).");
  int flags = target.sqliteReadOnly ? SQLITE_OPEN_READONLY : SQLITE_OPEN_READWRITE;
  if (target.sqliteCreate && !target.sqliteReadOnly) flags |= SQLITE_OPEN_CREATE;
  flags |= SQLITE_OPEN_NOMUTEX;
  std::unique_ptr<SqliteSession> session;
  if (request.pooling) session = takeIdleSession(target.sqlitePath, flags);
  if (!session) {
    session = std::make_unique<SqliteSession>();
    session->path = target.sqlitePath;
    session->flags = flags;
    session->owner = ::getpid();
    // Marked before SQLite opens it: while a mark on the file stands, this
    // process closes none of its descriptors, which would drop SQLite's
    // locks. A file the open creates is marked once it exists.
    session->mark = SessionMark::take(target.sqlitePath);
    const int rc = sqlite3_open_v2(target.sqlitePath.c_str(), &session->db, flags, nullptr);
    if (rc != SQLITE_OK) {
      const std::string message =
          session->db != nullptr ? sqlite3_errmsg(session->db) : "out of memory";
      failWith(message + ": " + target.sqlitePath);
    }
    // Opening waits for other connections (a writer checkpointing, a
    // recovery) within the connection time-out.
    waitForLocks(session->db, request.connectionTimeout);
    // Reading the schema makes a file that is not a database fail here, at
    // the open, rather than at its first statement.
    if (sqlite3_exec(session->db, "PRAGMA schema_version", nullptr, nullptr, nullptr) !=
        SQLITE_OK) {
      failWith(std::string(sqlite3_errmsg(session->db)) + ": " + target.sqlitePath);
    }
    sqlite3_extended_result_codes(session->db, 1);
    if (!session->mark) session->mark = SessionMark::take(target.sqlitePath);
    rememberFile(*session);
    watchConnectionState(*session);
  }
  auto connection = std::make_unique<SqliteConnection>(
      std::make_shared<Database>(std::move(session), request.pooling));
  connection->setCommandTimeout(request.commandTimeout);
  return connection;
}

}  // namespace qxvb::ado
