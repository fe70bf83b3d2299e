#include "ado/odbc_engine.h"

#include <sql.h>
#include <sqlext.h>
#include <sqlucode.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/value_codec.h"
#include "frame/vb_conversions.h"
#include "platform/text/ascii.h"
#include "platform/text/utf.h"

namespace qxvb::ado {

namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "unixODBC with 16-bit SQLWCHAR");

// Long values travel between the driver and memory in pieces of this size.
constexpr size_t kPieceBytes = size_t{64} * 1024;
// Text and binary parameters longer than this go to the driver in pieces.
constexpr size_t kInlineLimit = 8000;

SQLWCHAR* wide(std::u16string& s) {
  return reinterpret_cast<SQLWCHAR*>(s.data());
}

std::string narrow(const SQLWCHAR* s, size_t units) {
  return utf::fromUtf16(std::u16string_view(reinterpret_cast<const char16_t*>(s), units));
}

std::string trimEnd(std::string s) {
  while (!s.empty() && (s.back() == '\n' || s.back() == '\r' || s.back() == ' ')) s.pop_back();
  return s;
}

// The diagnostic records of a handle as one failure: the first record's
// state and native code, all messages.
EngineFailure diagnose(SQLSMALLINT type, SQLHANDLE handle, const std::string& source) {
  std::string state;
  std::string message;
  SQLINTEGER firstNative = 0;
  for (SQLSMALLINT rec = 1; rec <= 10; ++rec) {
    SQLWCHAR sqlState[6] = {};
    SQLINTEGER native = 0;
    SQLSMALLINT length = 0;
    std::u16string text(1024, u'\0');
    SQLRETURN rc = SQLGetDiagRecW(type, handle, rec, sqlState, &native, wide(text),
                                  static_cast<SQLSMALLINT>(text.size()), &length);
    if (rc == SQL_SUCCESS_WITH_INFO && length >= static_cast<SQLSMALLINT>(text.size())) {
      text.assign(static_cast<size_t>(length) + 1, u'\0');
      rc = SQLGetDiagRecW(type, handle, rec, sqlState, &native, wide(text),
                          static_cast<SQLSMALLINT>(text.size()), &length);
    }
    if (!SQL_SUCCEEDED(rc)) break;
    const std::string line = trimEnd(narrow(wide(text), static_cast<size_t>(length)));
    if (rec == 1) {
      state = narrow(sqlState, 5);
      firstNative = native;
    }
    if (!message.empty()) message += '\n';
    message += line;
  }
  if (state.empty()) state = "HY000";
  if (message.empty()) message = "The ODBC driver reported a failure without a message.";
  return EngineFailure(message, state, firstNative, source);
}

// ODBC's handles of one connection, shared with its cursors.
struct Handles {
  SQLHENV env = SQL_NULL_HENV;
  SQLHDBC dbc = SQL_NULL_HDBC;
  bool connected = false;
  ~Handles() {
    if (dbc != SQL_NULL_HDBC) {
      if (connected) SQLDisconnect(dbc);
      SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    }
    if (env != SQL_NULL_HENV) SQLFreeHandle(SQL_HANDLE_ENV, env);
  }
};
using HandlesPtr = std::shared_ptr<Handles>;

struct Statement {
  SQLHSTMT stmt = SQL_NULL_HSTMT;
  ~Statement() {
    if (stmt != SQL_NULL_HSTMT) SQLFreeHandle(SQL_HANDLE_STMT, stmt);
  }
};

void check(SQLRETURN rc, SQLSMALLINT type, SQLHANDLE handle, const std::string& source) {
  if (!SQL_SUCCEEDED(rc) && rc != SQL_NO_DATA) throw diagnose(type, handle, source);
}

// How a value of an SQL type is read: the ADO type, the C type asked of the
// driver, whether it is long.
struct TypeMap {
  int32_t adoType;
  SQLSMALLINT cType;
  bool isLong;
};

TypeMap mapSqlType(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT scale) {
  const bool unbounded = size == 0 || size > 1000000;
  switch (sqlType) {
    case SQL_CHAR:
      return {adChar, SQL_C_WCHAR, false};
    case SQL_VARCHAR:
      return {adVarChar, SQL_C_WCHAR, unbounded};
    case SQL_LONGVARCHAR:
      return {adLongVarChar, SQL_C_WCHAR, true};
    case SQL_WCHAR:
      return {adWChar, SQL_C_WCHAR, false};
    case SQL_WVARCHAR:
      return {adVarWChar, SQL_C_WCHAR, unbounded};
    case SQL_WLONGVARCHAR:
      return {adLongVarWChar, SQL_C_WCHAR, true};
    case SQL_DECIMAL:
    case SQL_NUMERIC:
      return {adNumeric, SQL_C_DOUBLE, scale < 0};
    case SQL_SMALLINT:
      return {adSmallInt, SQL_C_SSHORT, false};
    case SQL_INTEGER:
      return {adInteger, SQL_C_SLONG, false};
    case SQL_REAL:
      return {adSingle, SQL_C_FLOAT, false};
    case SQL_FLOAT:
    case SQL_DOUBLE:
      return {adDouble, SQL_C_DOUBLE, false};
    case SQL_BIT:
      return {adBoolean, SQL_C_BIT, false};
    case SQL_TINYINT:
      return {adUnsignedTinyInt, SQL_C_SSHORT, false};
    case SQL_BIGINT:
      return {adBigInt, SQL_C_SBIGINT, false};
    case SQL_BINARY:
      return {adBinary, SQL_C_BINARY, false};
    case SQL_VARBINARY:
      return {adVarBinary, SQL_C_BINARY, unbounded};
    case SQL_LONGVARBINARY:
      return {adLongVarBinary, SQL_C_BINARY, true};
    case SQL_TYPE_DATE:
    case SQL_DATE:
      return {adDBDate, SQL_C_TYPE_TIMESTAMP, false};
    case SQL_TYPE_TIME:
    case SQL_TIME:
      return {adDBTime, SQL_C_TYPE_TIME, false};
    case SQL_TYPE_TIMESTAMP:
    case SQL_TIMESTAMP:
      return {adDBTimeStamp, SQL_C_TYPE_TIMESTAMP, false};
    case SQL_GUID:
      return {adGUID, SQL_C_WCHAR, false};
    default:
      return {adVarWChar, SQL_C_WCHAR, unbounded};
  }
}

Variant timestampVariant(const SQL_TIMESTAMP_STRUCT& ts) {
  DateParts p;
  p.year = ts.year;
  p.month = ts.month;
  p.day = ts.day;
  p.hour = ts.hour;
  p.minute = ts.minute;
  p.second = ts.second;
  p.nanos = ts.fraction;
  return Variant(toDate(p));
}

// -------------------------------------------------------------------------
// Parameters

struct BoundParam {
  SQLSMALLINT ioType = SQL_PARAM_INPUT;
  SQLSMALLINT cType = SQL_C_WCHAR;
  SQLSMALLINT sqlType = SQL_WVARCHAR;
  SQLULEN columnSize = 0;
  SQLSMALLINT digits = 0;
  std::vector<uint8_t> buffer;    // the value's own storage
  const uint8_t* data = nullptr;  // where the input value lies
  size_t dataSize = 0;
  SQLLEN indicator = 0;
  bool inPieces = false;  // sent with SQLPutData
  std::u16string text;    // text input in UTF-16
};

struct ParamBuffers {
  std::vector<BoundParam> params;
};

struct SqlTypeChoice {
  SQLSMALLINT sqlType;
  SQLSMALLINT cType;
  size_t fixedSize;  // bytes of a fixed-size C type, 0 for text and binary
};

int32_t typeOfVariant(const Variant& v) {
  switch (v.type()) {
    case VarType::Boolean:
      return adBoolean;
    case VarType::Integer:
      return adSmallInt;
    case VarType::Long:
      return adInteger;
    case VarType::Single:
      return adSingle;
    case VarType::Double:
      return adDouble;
    case VarType::Date:
      return adDBTimeStamp;
    case VarType::ByteArray:
      return adLongVarBinary;
    default:
      return adVarWChar;
  }
}

SqlTypeChoice chooseSqlType(int32_t adoType) {
  switch (adoType) {
    case adSmallInt:
    case adTinyInt:
    case adUnsignedTinyInt:
      return {SQL_SMALLINT, SQL_C_SSHORT, sizeof(SQLSMALLINT)};
    case adInteger:
    case adUnsignedSmallInt:
    case adUnsignedInt:
      return {SQL_INTEGER, SQL_C_SLONG, sizeof(SQLINTEGER)};
    case adBigInt:
    case adUnsignedBigInt:
      return {SQL_BIGINT, SQL_C_SBIGINT, sizeof(SQLBIGINT)};
    case adBoolean:
      return {SQL_BIT, SQL_C_BIT, sizeof(unsigned char)};
    case adSingle:
      return {SQL_REAL, SQL_C_FLOAT, sizeof(float)};
    case adDouble:
    case adCurrency:
    case adNumeric:
    case adDecimal:
    case adVarNumeric:
      return {SQL_DOUBLE, SQL_C_DOUBLE, sizeof(double)};
    case adDate:
    case adDBDate:
    case adDBTime:
    case adDBTimeStamp:
      return {SQL_TYPE_TIMESTAMP, SQL_C_TYPE_TIMESTAMP, sizeof(SQL_TIMESTAMP_STRUCT)};
    case adChar:
      return {SQL_CHAR, SQL_C_WCHAR, 0};
    case adVarChar:
      return {SQL_VARCHAR, SQL_C_WCHAR, 0};
    case adLongVarChar:
      return {SQL_LONGVARCHAR, SQL_C_WCHAR, 0};
    case adWChar:
      return {SQL_WCHAR, SQL_C_WCHAR, 0};
    case adLongVarWChar:
      return {SQL_WLONGVARCHAR, SQL_C_WCHAR, 0};
    case adGUID:
      return {SQL_GUID, SQL_C_WCHAR, 0};
    case adBinary:
      return {SQL_BINARY, SQL_C_BINARY, 0};
    case adVarBinary:
      return {SQL_VARBINARY, SQL_C_BINARY, 0};
    case adLongVarBinary:
      return {SQL_LONGVARBINARY, SQL_C_BINARY, 0};
    default:
      return {SQL_WVARCHAR, SQL_C_WCHAR, 0};
  }
}

SQLSMALLINT ioTypeOf(int32_t direction) {
  switch (direction) {
    case adParamOutput:
    case adParamReturnValue:
      return SQL_PARAM_OUTPUT;
    case adParamInputOutput:
      return SQL_PARAM_INPUT_OUTPUT;
    default:
      return SQL_PARAM_INPUT;
  }
}

template <class T>
void storeFixed(BoundParam& b, T value) {
  std::memcpy(b.buffer.data(), &value, sizeof value);
}

// Fills the binding of one parameter from its ADO description and value.
void prepareParam(const ParamValue& p, BoundParam& b) {
  const int32_t adoType =
      (p.type == adEmpty || p.type == adVariant) ? typeOfVariant(p.input()) : p.type;
  const SqlTypeChoice choice = chooseSqlType(adoType);
  b.ioType = ioTypeOf(p.direction);
  b.cType = choice.cType;
  b.sqlType = choice.sqlType;
  const bool input = b.ioType != SQL_PARAM_OUTPUT;
  const bool output = b.ioType != SQL_PARAM_INPUT;
  const bool isNull = !input || p.input().isNull() || p.input().isEmpty() || p.input().isMissing();
  const bool isLongType = b.sqlType == SQL_LONGVARBINARY || b.sqlType == SQL_LONGVARCHAR ||
                          b.sqlType == SQL_WLONGVARCHAR;

  if (choice.fixedSize > 0) {
    b.buffer.assign(std::max<size_t>(choice.fixedSize, 8), 0);
    b.columnSize = b.sqlType == SQL_TYPE_TIMESTAMP ? 19 : 0;
    if (!isNull) {
      switch (b.cType) {
        case SQL_C_SSHORT:
          storeFixed<SQLSMALLINT>(b, CInt(p.input()));
          break;
        case SQL_C_SLONG:
          storeFixed<SQLINTEGER>(b, CLng(p.input()));
          break;
        case SQL_C_SBIGINT:
          storeFixed<SQLBIGINT>(b, static_cast<SQLBIGINT>(std::llround(CDbl(p.input()))));
          break;
        case SQL_C_BIT:
          storeFixed<unsigned char>(b, CBool(p.input()) ? 1 : 0);
          break;
        case SQL_C_FLOAT:
          storeFixed<float>(b, static_cast<float>(CDbl(p.input())));
          break;
        case SQL_C_DOUBLE:
          storeFixed<double>(b, CDbl(p.input()));
          break;
        default: {
          const DateParts d = fromDate(CDate(p.input()));
          SQL_TIMESTAMP_STRUCT ts{};
          ts.year = static_cast<SQLSMALLINT>(d.year);
          ts.month = static_cast<SQLUSMALLINT>(d.month);
          ts.day = static_cast<SQLUSMALLINT>(d.day);
          ts.hour = static_cast<SQLUSMALLINT>(d.hour);
          ts.minute = static_cast<SQLUSMALLINT>(d.minute);
          ts.second = static_cast<SQLUSMALLINT>(d.second);
          storeFixed(b, ts);
          break;
        }
      }
    }
    b.data = b.buffer.data();
    b.indicator = isNull ? SQL_NULL_DATA : static_cast<SQLLEN>(choice.fixedSize);
    return;
  }

  const size_t outUnits = p.size > 0 ? static_cast<size_t>(p.size) : 4000;
  if (b.cType == SQL_C_BINARY) {
    if (!isNull) {
      if (const auto* bytes = p.input().get<ByteArray>()) {
        b.data = bytes->data.data();
        b.dataSize = bytes->data.size();
      } else {
        b.text.clear();
        const std::string s = CStr(p.input());
        b.buffer.assign(s.begin(), s.end());
        b.data = b.buffer.data();
        b.dataSize = b.buffer.size();
      }
    }
    if (output) {
      // The driver writes the output into storage of our own.
      std::vector<uint8_t> own(std::max(b.dataSize, outUnits));
      if (b.dataSize > 0) std::memcpy(own.data(), b.data, b.dataSize);
      b.buffer = std::move(own);
      b.data = b.buffer.data();
    }
    b.columnSize = std::max<size_t>({b.dataSize, static_cast<size_t>(std::max(p.size, 0)), 1});
  } else {
    if (!isNull) b.text = utf::toUtf16(CStr(p.input()));
    b.dataSize = b.text.size() * sizeof(char16_t);
    if (output) {
      const size_t units = std::max(b.text.size(), outUnits) + 1;
      b.buffer.assign(units * sizeof(char16_t), 0);
      if (b.dataSize > 0) std::memcpy(b.buffer.data(), b.text.data(), b.dataSize);
      b.data = b.buffer.data();
    } else {
      b.data = reinterpret_cast<const uint8_t*>(b.text.data());
    }
    b.columnSize = std::max<size_t>({b.text.size(), static_cast<size_t>(std::max(p.size, 0)), 1});
  }
  b.inPieces = !isNull && !output && (isLongType || b.dataSize > kInlineLimit);
  if (isNull) {
    b.indicator = SQL_NULL_DATA;
  } else if (b.inPieces) {
    b.indicator = SQL_LEN_DATA_AT_EXEC(static_cast<SQLLEN>(b.dataSize));
  } else {
    b.indicator = static_cast<SQLLEN>(b.dataSize);
  }
}

Variant outputValue(const BoundParam& b) {
  if (b.indicator == SQL_NULL_DATA) return Variant::null();
  const uint8_t* p = b.buffer.data();
  switch (b.cType) {
    case SQL_C_SSHORT: {
      SQLSMALLINT v;
      std::memcpy(&v, p, sizeof v);
      return Variant(static_cast<int16_t>(v));
    }
    case SQL_C_SLONG: {
      SQLINTEGER v;
      std::memcpy(&v, p, sizeof v);
      return Variant(static_cast<int32_t>(v));
    }
    case SQL_C_SBIGINT: {
      SQLBIGINT v;
      std::memcpy(&v, p, sizeof v);
      return integerVariant(v);
    }
    case SQL_C_BIT:
      return Variant(p[0] != 0);
    case SQL_C_FLOAT: {
      float v;
      std::memcpy(&v, p, sizeof v);
      return Variant(v);
    }
    case SQL_C_DOUBLE: {
      double v;
      std::memcpy(&v, p, sizeof v);
      return Variant(v);
    }
    case SQL_C_TYPE_TIMESTAMP: {
      SQL_TIMESTAMP_STRUCT ts;
      std::memcpy(&ts, p, sizeof ts);
      return timestampVariant(ts);
    }
    case SQL_C_BINARY: {
      const size_t n =
          std::min(static_cast<size_t>(std::max<SQLLEN>(b.indicator, 0)), b.buffer.size());
      ByteArray bytes;
      bytes.data.assign(p, p + n);
      return Variant(std::move(bytes));
    }
    default: {
      const size_t capacity = b.buffer.size() / sizeof(char16_t) - 1;
      const size_t units = std::min(
          static_cast<size_t>(std::max<SQLLEN>(b.indicator, 0)) / sizeof(char16_t), capacity);
      return Variant(narrow(reinterpret_cast<const SQLWCHAR*>(p), units));
    }
  }
}

// -------------------------------------------------------------------------
// Cursor

class OdbcCursor : public Cursor {
 public:
  OdbcCursor(HandlesPtr handles, std::unique_ptr<Statement> stmt,
             std::shared_ptr<ParamBuffers> params, std::string source, bool anyOrder)
      : handles_(std::move(handles)),
        stmt_(std::move(stmt)),
        params_(std::move(params)),
        source_(std::move(source)),
        anyOrder_(anyOrder) {
    describe();
  }

  const std::vector<ColumnInfo>& columns() const override { return columns_; }

  bool fetch() override {
    if (done_) return false;
    const SQLRETURN rc = SQLFetch(stmt_->stmt);
    if (rc == SQL_NO_DATA) {
      done_ = true;
      return false;
    }
    checkStmt(rc);
    std::fill(state_.begin(), state_.end(), State::Unread);
    std::fill(cache_.begin(), cache_.end(), Variant());
    std::fill(pieceOffset_.begin(), pieceOffset_.end(), 0);
    nextColumn_ = 0;
    return true;
  }

  Variant release(size_t c) override {
    if (state_[c] == State::Cached) return std::move(cache_[c]);
    finishOtherStreams(c);
    if (state_[c] == State::Unread) enter(c);
    Variant v = state_[c] == State::Done ? Variant::null() : readWhole(c);
    state_[c] = State::Done;
    leave(c);
    return v;
  }

  Variant value(size_t c) override {
    if (state_[c] != State::Cached) {
      finishOtherStreams(c);
      if (state_[c] == State::Unread) enter(c);
      cache_[c] = state_[c] == State::Done ? Variant::null() : readWhole(c);
      state_[c] = State::Cached;
      leave(c);
    }
    return cache_[c];
  }

  int64_t length(size_t c) override {
    if (state_[c] == State::Unread && types_[c].isLong) {
      finishOtherStreams(c);
      enter(c);
      SQLLEN indicator = 0;
      uint8_t probe[2];
      const SQLRETURN rc = SQLGetData(stmt_->stmt, static_cast<SQLUSMALLINT>(c + 1),
                                      types_[c].cType, probe, 0, &indicator);
      checkStmt(rc);
      if (indicator == SQL_NULL_DATA) return -1;
      if (indicator != SQL_NO_TOTAL && rc != SQL_NO_DATA) {
        return types_[c].cType == SQL_C_BINARY ? indicator
                                               : indicator / static_cast<SQLLEN>(sizeof(SQLWCHAR));
      }
    }
    const Variant v = value(c);
    if (v.isNull()) return -1;
    if (const auto* bytes = v.get<ByteArray>()) return static_cast<int64_t>(bytes->data.size());
    if (const auto* text = v.get<std::string>()) return static_cast<int64_t>(utf::count(*text));
    return columns_[c].definedSize;
  }

  Variant readPiece(size_t c, int64_t count) override {
    if (count <= 0) return Variant::null();
    if (state_[c] == State::Cached) {
      return nextPiece(cache_[c], pieceOffset_[c], static_cast<size_t>(count));
    }
    if (state_[c] == State::Done) return Variant::null();
    finishOtherStreams(c);
    if (state_[c] == State::Unread) enter(c);
    state_[c] = State::Streaming;
    const auto column = static_cast<SQLUSMALLINT>(c + 1);
    SQLLEN indicator = 0;
    if (types_[c].cType == SQL_C_BINARY) {
      ByteArray piece;
      piece.data.resize(static_cast<size_t>(count));
      const SQLRETURN rc = SQLGetData(stmt_->stmt, column, SQL_C_BINARY, piece.data.data(),
                                      static_cast<SQLLEN>(count), &indicator);
      if (rc == SQL_NO_DATA || indicator == SQL_NULL_DATA) return finishStream(c);
      checkStmt(rc);
      if (rc == SQL_SUCCESS) {
        piece.data.resize(static_cast<size_t>(indicator));
        state_[c] = State::Done;
      }
      return Variant(std::move(piece));
    }
    std::u16string buffer(static_cast<size_t>(count) + 1, u'\0');
    const SQLRETURN rc =
        SQLGetData(stmt_->stmt, column, SQL_C_WCHAR, wide(buffer),
                   static_cast<SQLLEN>(buffer.size() * sizeof(char16_t)), &indicator);
    if (rc == SQL_NO_DATA || indicator == SQL_NULL_DATA) return finishStream(c);
    checkStmt(rc);
    size_t units = static_cast<size_t>(count);
    if (rc == SQL_SUCCESS) {
      units = static_cast<size_t>(indicator) / sizeof(char16_t);
      state_[c] = State::Done;
    }
    return Variant(utf::fromUtf16(std::u16string_view(buffer.data(), units)));
  }

  size_t pieceOffset(size_t c) const override { return pieceOffset_[c]; }

 private:
  enum class State { Unread, Streaming, Cached, Done };

  void checkStmt(SQLRETURN rc) { check(rc, SQL_HANDLE_STMT, stmt_->stmt, source_); }

  void describe() {
    SQLSMALLINT count = 0;
    checkStmt(SQLNumResultCols(stmt_->stmt, &count));
    for (SQLUSMALLINT i = 1; i <= static_cast<SQLUSMALLINT>(count); ++i) {
      std::u16string name(256, u'\0');
      SQLSMALLINT nameLength = 0;
      SQLSMALLINT sqlType = 0;
      SQLULEN size = 0;
      SQLSMALLINT scale = 0;
      SQLSMALLINT nullable = 0;
      checkStmt(SQLDescribeColW(stmt_->stmt, i, wide(name), static_cast<SQLSMALLINT>(name.size()),
                                &nameLength, &sqlType, &size, &scale, &nullable));
      ColumnInfo col;
      col.name = narrow(wide(name), std::min<size_t>(static_cast<size_t>(nameLength), 255));
      const TypeMap map = mapSqlType(sqlType, size, scale);
      col.type = map.adoType;
      col.isLong = map.isLong;
      col.nullable = nullable != SQL_NO_NULLS;
      col.scale = static_cast<uint8_t>(std::max<SQLSMALLINT>(scale, 0));
      col.precision = static_cast<uint8_t>(std::min<SQLULEN>(size, 255));
      if (map.isLong) {
        col.definedSize = map.cType == SQL_C_BINARY ? kLongDefinedSize : kLongDefinedSize / 2;
      } else {
        col.definedSize = static_cast<int32_t>(std::min<SQLULEN>(size, kLongDefinedSize));
      }
      col.baseTable = attribute(i, SQL_DESC_BASE_TABLE_NAME);
      col.baseColumn = attribute(i, SQL_DESC_BASE_COLUMN_NAME);
      columns_.push_back(std::move(col));
      types_.push_back(map);
    }
    state_.assign(columns_.size(), State::Unread);
    cache_.assign(columns_.size(), Variant());
    pieceOffset_.assign(columns_.size(), 0);
  }

  // A text attribute of a column; "" when the driver does not know it.
  std::string attribute(SQLUSMALLINT column, SQLUSMALLINT field) {
    std::u16string text(256, u'\0');
    SQLSMALLINT length = 0;
    const SQLRETURN rc =
        SQLColAttributeW(stmt_->stmt, column, field, wide(text),
                         static_cast<SQLSMALLINT>(text.size() * 2), &length, nullptr);
    if (!SQL_SUCCEEDED(rc) || length <= 0) return {};
    return narrow(wide(text), std::min<size_t>(static_cast<size_t>(length) / 2, 255));
  }

  // Drivers that read columns only in order get the columns before c read
  // (and kept) first.
  void enter(size_t c) {
    if (anyOrder_) return;
    for (size_t k = nextColumn_; k < c; ++k) {
      if (state_[k] == State::Unread) {
        cache_[k] = readWhole(k);
        state_[k] = State::Cached;
      } else if (state_[k] == State::Streaming) {
        state_[k] = State::Done;
      }
    }
    nextColumn_ = std::max(nextColumn_, c);
  }

  // Asking the driver for another column ends a value read in pieces, so
  // the rest of such a value is read and kept first; its next piece then
  // comes from memory.
  void finishOtherStreams(size_t c) {
    for (size_t k = 0; k < state_.size(); ++k) {
      if (k == c || state_[k] != State::Streaming) continue;
      cache_[k] = readWhole(k);
      state_[k] = State::Cached;
      pieceOffset_[k] = 0;
    }
  }

  void leave(size_t c) {
    if (!anyOrder_) nextColumn_ = std::max(nextColumn_, c + 1);
  }

  Variant finishStream(size_t c) {
    state_[c] = State::Done;
    return Variant::null();
  }

  template <class T>
  bool readFixed(SQLUSMALLINT column, SQLSMALLINT cType, T& out) {
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt_->stmt, column, cType, &out, sizeof out, &indicator);
    checkStmt(rc);
    return rc != SQL_NO_DATA && indicator != SQL_NULL_DATA;
  }

  Variant readWhole(size_t c) {
    const auto column = static_cast<SQLUSMALLINT>(c + 1);
    const TypeMap& map = types_[c];
    switch (map.cType) {
      case SQL_C_SSHORT: {
        SQLSMALLINT v = 0;
        return readFixed(column, map.cType, v) ? Variant(static_cast<int16_t>(v)) : Variant::null();
      }
      case SQL_C_SLONG: {
        SQLINTEGER v = 0;
        return readFixed(column, map.cType, v) ? Variant(static_cast<int32_t>(v)) : Variant::null();
      }
      case SQL_C_SBIGINT: {
        SQLBIGINT v = 0;
        return readFixed(column, map.cType, v) ? integerVariant(v) : Variant::null();
      }
      case SQL_C_BIT: {
        unsigned char v = 0;
        return readFixed(column, map.cType, v) ? Variant(v != 0) : Variant::null();
      }
      case SQL_C_FLOAT: {
        float v = 0;
        return readFixed(column, map.cType, v) ? Variant(v) : Variant::null();
      }
      case SQL_C_DOUBLE: {
        double v = 0;
        if (!readFixed(column, map.cType, v)) return Variant::null();
        // Whole numbers of NUMBER-like columns read as Long where they fit.
        if (map.adoType == adNumeric && columns_[c].scale == 0 && std::trunc(v) == v &&
            std::fabs(v) < 2147483648.0) {
          return Variant(static_cast<int32_t>(v));
        }
        return Variant(v);
      }
      case SQL_C_TYPE_TIMESTAMP: {
        SQL_TIMESTAMP_STRUCT ts{};
        return readFixed(column, map.cType, ts) ? timestampVariant(ts) : Variant::null();
      }
      case SQL_C_TYPE_TIME: {
        SQL_TIME_STRUCT t{};
        if (!readFixed(column, map.cType, t)) return Variant::null();
        DateParts p;
        p.hour = t.hour;
        p.minute = t.minute;
        p.second = t.second;
        return Variant(toDate(p));
      }
      case SQL_C_BINARY:
        return readBinary(column);
      default: {
        Variant text = readText(column);
        if (map.adoType == adGUID) {
          if (auto* s = text.get<std::string>(); s != nullptr && !s->empty() && s->front() != '{') {
            *s = "{" + ascii::toUpper(*s) + "}";
          }
        }
        return text;
      }
    }
  }

  // Reads a binary value into one buffer, sized from the total length when
  // the driver tells it.
  Variant readBinary(SQLUSMALLINT column) {
    ByteArray out;
    out.data.resize(kPieceBytes);
    size_t have = 0;
    for (;;) {
      SQLLEN indicator = 0;
      const SQLRETURN rc = SQLGetData(stmt_->stmt, column, SQL_C_BINARY, out.data.data() + have,
                                      static_cast<SQLLEN>(out.data.size() - have), &indicator);
      if (rc == SQL_NO_DATA) break;
      checkStmt(rc);
      if (indicator == SQL_NULL_DATA) return Variant::null();
      if (rc == SQL_SUCCESS) {
        have += static_cast<size_t>(indicator);
        break;
      }
      const size_t got = out.data.size() - have;
      have += got;
      const size_t more =
          indicator == SQL_NO_TOTAL ? out.data.size() : static_cast<size_t>(indicator) - got;
      out.data.resize(have + std::max<size_t>(more, 1));
    }
    out.data.resize(have);
    return Variant(std::move(out));
  }

  Variant readText(SQLUSMALLINT column) {
    std::u16string out(kPieceBytes / sizeof(char16_t), u'\0');
    size_t have = 0;
    for (;;) {
      SQLLEN indicator = 0;
      const size_t room = out.size() - have;
      const SQLRETURN rc = SQLGetData(stmt_->stmt, column, SQL_C_WCHAR, wide(out) + have,
                                      static_cast<SQLLEN>(room * sizeof(char16_t)), &indicator);
      if (rc == SQL_NO_DATA) break;
      checkStmt(rc);
      if (indicator == SQL_NULL_DATA) return Variant::null();
      if (rc == SQL_SUCCESS) {
        have += static_cast<size_t>(indicator) / sizeof(char16_t);
        break;
      }
      const size_t got = room - 1;  // the driver ends each piece with a terminator
      have += got;
      const size_t more = indicator == SQL_NO_TOTAL
                              ? out.size()
                              : static_cast<size_t>(indicator) / sizeof(char16_t) - got;
      out.resize(have + more + 1);
    }
    out.resize(have);
    return Variant(utf::fromUtf16(out));
  }

  HandlesPtr handles_;
  std::unique_ptr<Statement> stmt_;
  std::shared_ptr<ParamBuffers> params_;  // bound output buffers live as long as the statement
  std::string source_;
  bool anyOrder_;
  bool done_ = false;
  std::vector<ColumnInfo> columns_;
  std::vector<TypeMap> types_;
  std::vector<State> state_;
  std::vector<Variant> cache_;
  std::vector<size_t> pieceOffset_;
  size_t nextColumn_ = 0;
};

// -------------------------------------------------------------------------
// Connection

// Splits "schema.name" (the last dot) for the catalog functions.
std::pair<std::u16string, std::u16string> splitQualified(const std::string& name) {
  const size_t dot = name.rfind('.');
  if (dot == std::string::npos) return {u"", utf::toUtf16(name)};
  return {utf::toUtf16(name.substr(0, dot)), utf::toUtf16(name.substr(dot + 1))};
}

class OdbcConnection : public EngineConnection {
 public:
  OdbcConnection(HandlesPtr handles, std::string driverName, std::string quote, bool anyOrder,
                 bool oneStatement, int32_t commandTimeout)
      : handles_(std::move(handles)),
        driverName_(std::move(driverName)),
        quote_(std::move(quote)),
        anyOrder_(anyOrder),
        oneStatement_(oneStatement),
        commandTimeout_(commandTimeout) {}

  std::string sourceName() const override { return driverName_; }
  bool oneStatementAtATime() const override { return oneStatement_; }

  StatementResult execute(const std::string& sql, std::vector<ParamValue>& params) override {
    auto stmt = newStatement();
    auto buffers = std::make_shared<ParamBuffers>();
    buffers->params.resize(params.size());
    for (size_t i = 0; i < params.size(); ++i) {
      prepareParam(params[i], buffers->params[i]);
      bind(stmt->stmt, i, buffers->params[i]);
    }
    std::u16string text = utf::toUtf16(sql);
    SQLRETURN rc = SQLExecDirectW(stmt->stmt, wide(text), static_cast<SQLINTEGER>(text.size()));
    if (rc == SQL_NEED_DATA) rc = sendPieces(stmt->stmt, *buffers);
    checkStmt(rc, stmt->stmt);

    StatementResult result;
    for (;;) {
      SQLSMALLINT columns = 0;
      checkStmt(SQLNumResultCols(stmt->stmt, &columns), stmt->stmt);
      if (columns > 0) break;
      SQLLEN count = -1;
      if (SQL_SUCCEEDED(SQLRowCount(stmt->stmt, &count)) && count >= 0) {
        result.recordsAffected = std::max<int64_t>(result.recordsAffected, 0) + count;
      }
      rc = SQLMoreResults(stmt->stmt);
      if (rc == SQL_NO_DATA) break;
      checkStmt(rc, stmt->stmt);
    }
    for (size_t i = 0; i < params.size(); ++i) {
      if (buffers->params[i].ioType != SQL_PARAM_INPUT) {
        params[i].value = outputValue(buffers->params[i]);
      }
    }
    SQLSMALLINT columns = 0;
    if (rc != SQL_NO_DATA && SQL_SUCCEEDED(SQLNumResultCols(stmt->stmt, &columns)) && columns > 0) {
      result.cursor = std::make_unique<OdbcCursor>(handles_, std::move(stmt), std::move(buffers),
                                                   driverName_, anyOrder_);
    }
    return result;
  }

  std::string procedureCall(const std::string& name,
                            const std::vector<ParamValue>& params) override {
    size_t first = 0;
    std::string call = "{";
    if (!params.empty() && params[0].direction == adParamReturnValue) {
      call += "? = ";
      first = 1;
    }
    call += "call " + name;
    if (params.size() > first) {
      call += "(";
      for (size_t i = first; i < params.size(); ++i) call += i == first ? "?" : ", ?";
      call += ")";
    }
    return call + "}";
  }

  std::vector<ParamValue> procedureParameters(const std::string& name) override {
    auto stmt = newStatement();
    auto [schema, proc] = splitQualified(name);
    checkStmt(SQLProcedureColumnsW(stmt->stmt, nullptr, 0, schema.empty() ? nullptr : wide(schema),
                                   static_cast<SQLSMALLINT>(schema.size()), wide(proc),
                                   static_cast<SQLSMALLINT>(proc.size()), nullptr, 0),
              stmt->stmt);
    std::vector<ParamValue> out;
    while (SQL_SUCCEEDED(SQLFetch(stmt->stmt))) {
      const std::string columnName = textColumn(stmt->stmt, 4);
      const int columnType = intColumn(stmt->stmt, 5);
      ParamValue p;
      switch (columnType) {
        case SQL_PARAM_INPUT:
          p.direction = adParamInput;
          break;
        case SQL_PARAM_INPUT_OUTPUT:
          p.direction = adParamInputOutput;
          break;
        case SQL_PARAM_OUTPUT:
          p.direction = adParamOutput;
          break;
        case SQL_RETURN_VALUE:
          p.direction = adParamReturnValue;
          break;
        default:
          continue;  // result-set columns are not parameters
      }
      p.name = columnName;
      const auto sqlType = static_cast<SQLSMALLINT>(intColumn(stmt->stmt, 6));
      const int size = intColumn(stmt->stmt, 8);
      const int digits = intColumn(stmt->stmt, 10);
      p.type = mapSqlType(sqlType, static_cast<SQLULEN>(std::max(size, 0)),
                          static_cast<SQLSMALLINT>(digits))
                   .adoType;
      p.size = std::max(size, 0);
      p.scale = static_cast<uint8_t>(std::max(digits, 0));
      if (p.direction == adParamReturnValue) {
        out.insert(out.begin(), std::move(p));
      } else {
        out.push_back(std::move(p));
      }
    }
    return out;
  }

  std::vector<std::string> keyColumns(const std::string& table) override {
    auto stmt = newStatement();
    auto [schema, name] = splitQualified(table);
    const SQLRETURN rc = SQLPrimaryKeysW(
        stmt->stmt, nullptr, 0, schema.empty() ? nullptr : wide(schema),
        static_cast<SQLSMALLINT>(schema.size()), wide(name), static_cast<SQLSMALLINT>(name.size()));
    if (!SQL_SUCCEEDED(rc)) return {};
    std::map<int, std::string> keys;
    while (SQL_SUCCEEDED(SQLFetch(stmt->stmt))) {
      keys[intColumn(stmt->stmt, 5)] = textColumn(stmt->stmt, 4);
    }
    std::vector<std::string> out;
    out.reserve(keys.size());
    for (auto& [order, column] : keys) out.push_back(std::move(column));
    return out;
  }

  std::string quoteIdentifier(std::string_view name) const override {
    if (quote_.empty()) return std::string(name);
    std::string out = quote_;
    for (const char c : name) {
      out += c;
      if (std::string_view(&c, 1) == quote_) out += c;
    }
    return out + quote_;
  }

  void beginTransaction() override {
    checkDbc(SQLSetConnectAttr(handles_->dbc, SQL_ATTR_AUTOCOMMIT,
                               reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_OFF), 0));
  }
  void commitTransaction() override { endTransaction(SQL_COMMIT); }
  void rollbackTransaction() override { endTransaction(SQL_ROLLBACK); }
  void setCommandTimeout(int32_t seconds) override { commandTimeout_ = std::max(seconds, 0); }

 private:
  std::unique_ptr<Statement> newStatement() {
    auto stmt = std::make_unique<Statement>();
    checkDbc(SQLAllocHandle(SQL_HANDLE_STMT, handles_->dbc, &stmt->stmt));
    // Not every driver keeps a time limit; it is a wish, not a condition.
    SQLSetStmtAttr(stmt->stmt, SQL_ATTR_QUERY_TIMEOUT,
                   reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(commandTimeout_)), 0);
    return stmt;
  }

  void bind(SQLHSTMT stmt, size_t index, BoundParam& b) {
    // A value sent in pieces is named by its position when the driver asks.
    SQLPOINTER value =
        b.inPieces ? reinterpret_cast<SQLPOINTER>(index + 1) : const_cast<uint8_t*>(b.data);
    const SQLLEN capacity =
        b.buffer.empty() ? static_cast<SQLLEN>(b.dataSize) : static_cast<SQLLEN>(b.buffer.size());
    checkStmt(SQLBindParameter(stmt, static_cast<SQLUSMALLINT>(index + 1), b.ioType, b.cType,
                               b.sqlType, b.columnSize, b.digits, value, capacity, &b.indicator),
              stmt);
  }

  // Sends the values bound for sending in pieces, as the driver asks for
  // them, straight from where they lie.
  SQLRETURN sendPieces(SQLHSTMT stmt, ParamBuffers& buffers) {
    SQLPOINTER token = nullptr;
    SQLRETURN rc = SQLParamData(stmt, &token);
    while (rc == SQL_NEED_DATA) {
      const auto index = reinterpret_cast<size_t>(token) - 1;
      const BoundParam& b = buffers.params.at(index);
      size_t sent = 0;
      do {
        const size_t piece = std::min(kPieceBytes, b.dataSize - sent);
        checkStmt(SQLPutData(stmt, const_cast<uint8_t*>(b.data) + sent, static_cast<SQLLEN>(piece)),
                  stmt);
        sent += piece;
      } while (sent < b.dataSize);
      rc = SQLParamData(stmt, &token);
    }
    return rc;
  }

  std::string textColumn(SQLHSTMT stmt, SQLUSMALLINT column) {
    std::u16string text(512, u'\0');
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_WCHAR, wide(text),
                                    static_cast<SQLLEN>(text.size() * 2), &indicator);
    if (!SQL_SUCCEEDED(rc) || indicator == SQL_NULL_DATA) return {};
    return narrow(wide(text), std::min<size_t>(static_cast<size_t>(indicator) / 2, 511));
  }

  int intColumn(SQLHSTMT stmt, SQLUSMALLINT column) {
    SQLINTEGER v = 0;
    SQLLEN indicator = 0;
    const SQLRETURN rc = SQLGetData(stmt, column, SQL_C_SLONG, &v, sizeof v, &indicator);
    if (!SQL_SUCCEEDED(rc) || indicator == SQL_NULL_DATA) return 0;
    return v;
  }

  void endTransaction(SQLSMALLINT how) {
    checkDbc(SQLEndTran(SQL_HANDLE_DBC, handles_->dbc, how));
    checkDbc(SQLSetConnectAttr(handles_->dbc, SQL_ATTR_AUTOCOMMIT,
                               reinterpret_cast<SQLPOINTER>(SQL_AUTOCOMMIT_ON), 0));
  }

  void checkStmt(SQLRETURN rc, SQLHSTMT stmt) { check(rc, SQL_HANDLE_STMT, stmt, driverName_); }
  void checkDbc(SQLRETURN rc) { check(rc, SQL_HANDLE_DBC, handles_->dbc, driverName_); }

  HandlesPtr handles_;
  std::string driverName_;
  std::string quote_;
  bool anyOrder_;
  bool oneStatement_;
  int32_t commandTimeout_;
};

std::string infoText(SQLHDBC dbc, SQLUSMALLINT what) {
  std::u16string text(256, u'\0');
  SQLSMALLINT length = 0;
  if (!SQL_SUCCEEDED(
          SQLGetInfoW(dbc, what, wide(text), static_cast<SQLSMALLINT>(text.size() * 2), &length))) {
    return {};
  }
  return narrow(wide(text), std::min<size_t>(static_cast<size_t>(length) / 2, 255));
}

}  // namespace

std::unique_ptr<EngineConnection> openOdbc(const OpenRequest& request) {
  const std::string source =
      request.target.provider.empty() ? std::string("MSDASQL") : request.target.provider;
  auto handles = std::make_shared<Handles>();
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &handles->env))) {
    throw EngineFailure("The ODBC driver manager cannot be used.", "HY001", 0, source);
  }
  SQLSetEnvAttr(handles->env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  check(SQLAllocHandle(SQL_HANDLE_DBC, handles->env, &handles->dbc), SQL_HANDLE_ENV, handles->env,
        source);
  if (request.connectionTimeout > 0) {
    SQLSetConnectAttr(handles->dbc, SQL_ATTR_LOGIN_TIMEOUT,
                      reinterpret_cast<SQLPOINTER>(static_cast<SQLULEN>(request.connectionTimeout)),
                      0);
  }
  std::u16string text = utf::toUtf16(request.target.odbcString);
  std::u16string completed(1024, u'\0');
  SQLSMALLINT completedLength = 0;
  const SQLRETURN rc = SQLDriverConnectW(
      handles->dbc, nullptr, wide(text), static_cast<SQLSMALLINT>(text.size()), wide(completed),
      static_cast<SQLSMALLINT>(completed.size()), &completedLength, SQL_DRIVER_NOPROMPT);
  if (!SQL_SUCCEEDED(rc)) throw diagnose(SQL_HANDLE_DBC, handles->dbc, source);
  handles->connected = true;

  std::string driverName = infoText(handles->dbc, SQL_DRIVER_NAME);
  if (driverName.empty()) driverName = source;
  std::string quote = infoText(handles->dbc, SQL_IDENTIFIER_QUOTE_CHAR);
  if (quote == " ") quote.clear();
  SQLUINTEGER extensions = 0;
  SQLGetInfoW(handles->dbc, SQL_GETDATA_EXTENSIONS, &extensions, sizeof extensions, nullptr);
  const bool anyOrder = (extensions & SQL_GD_ANY_ORDER) != 0;
  // 0 stands for no limit, or a limit the driver does not know.
  SQLUSMALLINT activeStatements = 0;
  SQLGetInfoW(handles->dbc, SQL_MAX_CONCURRENT_ACTIVITIES, &activeStatements,
              sizeof activeStatements, nullptr);
  return std::make_unique<OdbcConnection>(std::move(handles), std::move(driverName),
                                          std::move(quote), anyOrder, activeStatements == 1,
                                          request.commandTimeout);
}

}  // namespace qxvb::ado
