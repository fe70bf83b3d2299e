// What the data-access objects need of a database engine: run a statement
// with parameters, walk its result forward and read long values in pieces.
// ODBC and SQLite implement it; other parts of the library may register an
// engine for a provider of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ado/connection_string.h"
#include "frame/variant.h"

namespace qxvb::ado {

struct ColumnInfo {
  std::string name;
  int32_t type = 0;         // ADO DataTypeEnum
  int32_t definedSize = 0;  // characters for text, bytes otherwise
  uint8_t precision = 0;
  uint8_t scale = 0;
  bool isLong = false;  // a long value, which may be read in pieces
  bool nullable = true;
  std::string baseTable;  // the table the column comes from, "" when unknown
  std::string baseColumn;
};

// One parameter of a statement, in the order of its markers.
struct ParamValue {
  std::string name;
  int32_t type = 0;       // ADO DataTypeEnum
  int32_t direction = 1;  // ADO ParameterDirectionEnum
  int32_t size = 0;
  uint8_t precision = 0;
  uint8_t scale = 0;
  Variant value;                      // input; the output lands here after the call
  const Variant* inputRef = nullptr;  // when set, the input is read here, uncopied

  const Variant& input() const { return inputRef != nullptr ? *inputRef : value; }
};

// A forward-only walk over one result set.
class Cursor {
 public:
  virtual ~Cursor() = default;
  virtual const std::vector<ColumnInfo>& columns() const = 0;
  // Moves to the next row; false after the last one.
  virtual bool fetch() = 0;
  // The whole value of a column of the current row (Null for SQL NULL).
  virtual Variant value(size_t column) = 0;
  // The whole value for a caller that reads each column once: long values
  // are handed over rather than kept and copied.
  virtual Variant release(size_t column) { return value(column); }
  // The length of a value of the current row: bytes for binary, characters
  // for text; -1 when it is NULL.
  virtual int64_t length(size_t column) = 0;
  // The next piece of a long value: up to count bytes (a ByteArray) or
  // characters (a String), continuing where the last piece ended. Null when
  // nothing is left or the value is NULL.
  virtual Variant readPiece(size_t column, int64_t count) = 0;
  // Where the next piece starts in value(column): bytes of binary data or
  // of UTF-8 text. Read after value(column), since a driver that streams a
  // value hands over only the rest of it.
  virtual size_t pieceOffset(size_t column) const {
    (void)column;
    return 0;
  }
};

struct NamedValue {
  std::string name;
  Variant value;
};

struct StatementResult {
  std::unique_ptr<Cursor> cursor;  // null when the statement returned no rows
  int64_t recordsAffected = -1;    // -1 when not known
};

class EngineConnection {
 public:
  virtual ~EngineConnection() = default;

  // The driver or provider name: the source of its errors.
  virtual std::string sourceName() const = 0;
  // Runs one statement exactly as written, "?" marking the parameters.
  // Output parameters are written back into params.
  virtual StatementResult execute(const std::string& sql, std::vector<ParamValue>& params) = 0;
  // The statement that calls a stored procedure with these parameters.
  virtual std::string procedureCall(const std::string& name,
                                    const std::vector<ParamValue>& params) = 0;
  // The parameters a stored procedure declares, the return value first.
  virtual std::vector<ParamValue> procedureParameters(const std::string& name) = 0;
  // The primary-key columns of a table; empty when it has none or the
  // engine cannot tell.
  virtual std::vector<std::string> keyColumns(const std::string& table) = 0;
  virtual std::string quoteIdentifier(std::string_view name) const = 0;
  // The key given to the last row inserted when the engine assigns one
  // (SQLite's rowid); -1 otherwise.
  virtual int64_t lastInsertKey() { return -1; }
  virtual void beginTransaction() = 0;
  virtual void commitTransaction() = 0;
  virtual void rollbackTransaction() = 0;
  virtual void setCommandTimeout(int32_t seconds) = 0;

  // True when the engine runs one statement at a time: a statement whose
  // rows are still being read must be finished before another one starts
  // (drivers without multiple active result sets).
  virtual bool oneStatementAtATime() const { return false; }

  // The provider-specific properties a command on this connection offers,
  // with their defaults, and the run of a command that carries their
  // values. Engines without such properties need neither.
  virtual std::vector<NamedValue> commandProperties() const { return {}; }
  virtual StatementResult executeCommand(const std::string& sql, std::vector<ParamValue>& params,
                                         const std::vector<NamedValue>& properties) {
    (void)properties;
    return execute(sql, params);
  }
};

// How a connection is opened: the resolved target and ADO's time limits.
struct OpenRequest {
  EngineTarget target;
  int32_t connectionTimeout = 15;
  int32_t commandTimeout = 30;
  // Session pooling (the "OLE DB Services" property's first bit): an
  // engine that pools may hand out an idle session of the process and keep
  // this one when it closes.
  bool pooling = false;
};

// Opens the engine for a request; raises the engine's failure as
// EngineFailure.
std::unique_ptr<EngineConnection> openEngine(const OpenRequest& request);

using EngineFactory = std::function<std::unique_ptr<EngineConnection>(const OpenRequest&)>;

// Makes a provider name (compared without regard to case) open through the
// given factory; for example the directory queries' provider.
void registerProvider(std::string providerName, EngineFactory factory);
// The factory of a registered provider; empty when there is none.
EngineFactory findRegisteredProvider(std::string_view providerName);

}  // namespace qxvb::ado
