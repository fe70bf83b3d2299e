#include "ado/row_writer.h"

#include <cctype>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/names.h"
#include "frame/automation_error.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kNoBaseTable =
    "Insufficient base table information for updating or refreshing.";

bool isWordChar(char c) {
  return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == '$' || c == '#' ||
         static_cast<unsigned char>(c) >= 0x80;
}

// The next token of a statement: a word, a quoted or bracketed name (with
// dots joining parts), or one other character.
std::string nextToken(std::string_view s, size_t& i) {
  while (i < s.size() && std::isspace(static_cast<unsigned char>(s[i]))) ++i;
  if (i >= s.size()) return {};
  const size_t start = i;
  for (;;) {
    if (i < s.size() && (s[i] == '"' || s[i] == '[' || s[i] == '`')) {
      const char close = s[i] == '[' ? ']' : s[i];
      const size_t end = s.find(close, i + 1);
      i = end == std::string_view::npos ? s.size() : end + 1;
    } else if (i < s.size() && isWordChar(s[i])) {
      while (i < s.size() && isWordChar(s[i])) ++i;
    } else {
      if (i == start) ++i;
      break;
    }
    if (i < s.size() && s[i] == '.') {
      ++i;
      continue;
    }
    break;
  }
  return std::string(s.substr(start, i - start));
}

bool isBinary(const ColumnInfo& c) {
  return c.type == adBinary || c.type == adVarBinary || c.type == adLongVarBinary;
}

bool isLongOrBinary(const ColumnInfo& c) {
  return c.isLong || isBinary(c);
}

// The unquoted name of a table as the catalog functions want it.
std::string unquoted(std::string_view name) {
  std::string out;
  for (const char c : name) {
    if (c != '"' && c != '[' && c != ']' && c != '`') out += c;
  }
  return out;
}

}  // namespace

std::string tableOfSelect(std::string_view sql) {
  size_t i = 0;
  if (!sameName(nextToken(sql, i), "select")) return {};
  int depth = 0;
  for (;;) {
    const std::string token = nextToken(sql, i);
    if (token.empty()) return {};
    if (token == "'") {
      while (i < sql.size() && sql[i] != '\'') ++i;
      ++i;
    } else if (token == "(") {
      ++depth;
    } else if (token == ")") {
      --depth;
    } else if (depth == 0 && sameName(token, "from")) {
      break;
    }
  }
  std::string table = nextToken(sql, i);
  if (table.empty() || !(isWordChar(table[0]) || table[0] == '"' || table[0] == '[')) return {};
  const std::string after = nextToken(sql, i);
  static constexpr std::string_view kEnders[] = {"",       "where", "order", "group",
                                                 "having", "limit", "for",   ";"};
  for (const auto ender : kEnders) {
    if (sameName(after, ender)) return table;
  }
  // An alias may follow the table ("FROM Files f WHERE ..."), but not a
  // join or a second table.
  if (sameName(after, "join") || after == "," || sameName(after, "inner") ||
      sameName(after, "left") || sameName(after, "right") || sameName(after, "cross") ||
      sameName(after, "natural") || sameName(after, "full") || sameName(after, "outer")) {
    return {};
  }
  const std::string next =
      sameName(after, "as") ? (nextToken(sql, i), nextToken(sql, i)) : nextToken(sql, i);
  for (const auto ender : kEnders) {
    if (sameName(next, ender)) return table;
  }
  return {};
}

RowWriter::RowWriter(EngineConnection& engine, const std::vector<ColumnInfo>& columns,
                     std::string_view sourceSql)
    : engine_(engine), columns_(columns), targetNames_(columns.size()) {
  std::string baseTable;
  for (const auto& c : columns) {
    if (!c.baseTable.empty()) {
      baseTable = c.baseTable;
      break;
    }
  }
  std::string catalogName;
  if (!baseTable.empty()) {
    table_ = engine.quoteIdentifier(baseTable);
    catalogName = baseTable;
    for (size_t i = 0; i < columns.size(); ++i) {
      if (sameName(columns[i].baseTable, baseTable)) {
        const std::string& name =
            columns[i].baseColumn.empty() ? columns[i].name : columns[i].baseColumn;
        targetNames_[i] = engine.quoteIdentifier(name);
      }
    }
  } else {
    // Without the engine's word the statement tells; the table goes back
    // into statements as the caller wrote it.
    table_ = tableOfSelect(sourceSql);
    catalogName = unquoted(table_);
    for (size_t i = 0; i < columns.size() && !table_.empty(); ++i) {
      if (!columns[i].name.empty()) targetNames_[i] = engine.quoteIdentifier(columns[i].name);
    }
  }
  if (table_.empty()) raiseError(err::kUnspecified, "ADODB.Recordset", kNoBaseTable);

  std::vector<std::string> keys;
  try {
    keys = engine.keyColumns(catalogName);
  } catch (const EngineFailure&) {
    keys.clear();  // without a known key every original value names the row
  }
  for (const auto& key : keys) {
    bool found = false;
    for (size_t i = 0; i < columns.size(); ++i) {
      const std::string& name =
          columns[i].baseColumn.empty() ? columns[i].name : columns[i].baseColumn;
      if (writable(i) && sameName(name, key)) {
        locators_.push_back(i);
        found = true;
        break;
      }
    }
    if (!found) {
      locators_.clear();
      break;
    }
  }
  locatorsAreKey_ = !locators_.empty();
  if (!locatorsAreKey_) {
    // Long values may not compare in every engine; they name the row only
    // when nothing else can.
    for (size_t i = 0; i < columns.size(); ++i) {
      if (writable(i) && !isLongOrBinary(columns[i])) locators_.push_back(i);
    }
    for (size_t i = 0; i < columns.size() && locators_.empty(); ++i) {
      if (writable(i) && !isBinaryType(columns[i].type)) locators_.push_back(i);
    }
  }
}

ParamValue RowWriter::param(size_t column, const Variant& value) const {
  ParamValue p;
  p.name = columns_[column].name;
  p.type = columns_[column].type;
  p.direction = adParamInput;
  p.size = columns_[column].definedSize;
  p.inputRef = &value;  // the row outlives the statement; long values go uncopied
  return p;
}

std::string RowWriter::where(const std::vector<Variant>& original,
                             std::vector<ParamValue>& params) const {
  if (locators_.empty()) raiseError(err::kUnspecified, "ADODB.Recordset", kNoBaseTable);
  std::string sql = " WHERE ";
  for (size_t k = 0; k < locators_.size(); ++k) {
    const size_t i = locators_[k];
    if (k > 0) sql += " AND ";
    if (original[i].isNull() || original[i].isEmpty()) {
      sql += targetNames_[i] + " IS NULL";
    } else {
      sql += targetNames_[i] + " = ?";
      params.push_back(param(i, original[i]));
    }
  }
  return sql;
}

void RowWriter::runOnOneRow(const std::string& sql, std::vector<ParamValue>& params) {
  const StatementResult result = engine_.execute(sql, params);
  if (result.recordsAffected == 0) {
    raise(err::kRowNotLocated, "ADODB.Recordset");
  }
}

void RowWriter::insert(std::vector<Variant>& row, const std::vector<bool>& changed) {
  std::vector<ParamValue> params;
  std::string names;
  std::string markers;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!changed[i] || !writable(i)) continue;
    if (!names.empty()) {
      names += ", ";
      markers += ", ";
    }
    names += targetNames_[i];
    markers += "?";
    params.push_back(param(i, row[i]));
  }
  const std::string sql =
      names.empty() ? "INSERT INTO " + table_ + " DEFAULT VALUES"
                    : "INSERT INTO " + table_ + " (" + names + ") VALUES (" + markers + ")";
  engine_.execute(sql, params);
  // A single integer key the engine filled in becomes the row's value.
  if (locatorsAreKey_ && locators_.size() == 1) {
    const size_t k = locators_[0];
    const int32_t type = columns_[k].type;
    const bool integer = type == adInteger || type == adBigInt || type == adSmallInt;
    const int64_t assigned = engine_.lastInsertKey();
    if (integer && row[k].isNull() && assigned > 0) {
      row[k] = assigned <= INT32_MAX ? Variant(static_cast<int32_t>(assigned))
                                     : Variant(static_cast<double>(assigned));
    }
  }
}

void RowWriter::update(const std::vector<Variant>& original, const std::vector<Variant>& row,
                       const std::vector<bool>& changed) {
  std::vector<ParamValue> params;
  std::string sets;
  for (size_t i = 0; i < columns_.size(); ++i) {
    if (!changed[i] || !writable(i)) continue;
    if (!sets.empty()) sets += ", ";
    sets += targetNames_[i] + " = ?";
    params.push_back(param(i, row[i]));
  }
  if (sets.empty()) return;
  std::string sql = "UPDATE " + table_ + " SET " + sets;
  sql += where(original, params);
  runOnOneRow(sql, params);
}

void RowWriter::remove(const std::vector<Variant>& original) {
  std::vector<ParamValue> params;
  std::string sql = "DELETE FROM " + table_;
  sql += where(original, params);
  runOnOneRow(sql, params);
}

}  // namespace qxvb::ado
