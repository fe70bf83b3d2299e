// Writes the changes of a recordset back to its table: INSERT for a new
// row, UPDATE for a changed one, DELETE for a removed one, each row named by
// its key columns (or, without a key, by all its original values).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "ado/engine.h"
#include "frame/variant.h"

namespace qxvb::ado {

// The table a single-table SELECT reads ("" when the statement reads from
// several tables or is not a plain SELECT).
std::string tableOfSelect(std::string_view sql);

class RowWriter {
 public:
  // Works out the table and key from the result's columns and statement;
  // raises when the result cannot be written back.
  RowWriter(EngineConnection& engine, const std::vector<ColumnInfo>& columns,
            std::string_view sourceSql);

  // Inserts the columns marked in changed; fills an engine-assigned key
  // into row.
  void insert(std::vector<Variant>& row, const std::vector<bool>& changed);
  void update(const std::vector<Variant>& original, const std::vector<Variant>& row,
              const std::vector<bool>& changed);
  void remove(const std::vector<Variant>& original);

  bool writable(size_t column) const { return !targetNames_[column].empty(); }

 private:
  std::string where(const std::vector<Variant>& original, std::vector<ParamValue>& params) const;
  ParamValue param(size_t column, const Variant& value) const;
  // Runs a statement that must change exactly one row.
  void runOnOneRow(const std::string& sql, std::vector<ParamValue>& params);

  EngineConnection& engine_;
  const std::vector<ColumnInfo>& columns_;
  std::string table_;                     // as it goes into statements
  std::vector<std::string> targetNames_;  // quoted column names, "" when not in the table
  std::vector<size_t> locators_;          // the columns that name a row
  bool locatorsAreKey_ = false;
};

}  // namespace qxvb::ado
