// The rows behind an open Recordset and its Field objects: either a
// forward-only walk over the engine's cursor (read-only server cursors,
// whose long values stream from the engine in pieces) or all rows held in
// memory, which can be scrolled, searched and changed.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "ado/engine.h"
#include "ado/error_objects.h"
#include "ado/find_criteria.h"
#include "frame/variant.h"

namespace qxvb::ado {

class RowWriter;

struct RowsetOptions {
  int32_t cursorType = 0;
  int32_t lockType = 1;
  int32_t cursorLocation = 2;
};

class Rowset {
 public:
  using Runner = std::function<StatementResult()>;

  Rowset();
  ~Rowset();

  // Runs the statement through run (again at Requery and, for a
  // forward-only cursor, at MoveFirst) and takes its result. Returns false,
  // leaving the rowset closed, when the statement returned no rows.
  bool open(std::shared_ptr<EngineConnection> engine, ErrorLogPtr log, Runner run,
            std::string sourceSql, RowsetOptions options);
  void close();
  bool isOpen() const { return open_; }
  // What must outlive the open rows (their connection, which closes its
  // rowsets when it goes): kept until close, so that a Fields or Field
  // object left alone still reads its rows.
  void keepWhileOpen(std::shared_ptr<const void> owner) { owner_ = std::move(owner); }
  // Takes the rest of a forward-only walk out of the engine into memory, so
  // that an engine running one statement at a time can run another; the
  // walk goes on from where it stood. Nothing happens to rows in memory.
  void holdRemainingRows();
  const RowsetOptions& options() const { return options_; }

  const std::vector<ColumnInfo>& columns() const;
  // The position of a column by name (without regard to case) or by
  // number; raises 3265 for anything else.
  size_t columnIndex(const Variant& nameOrNumber) const;

  bool bof() const;
  bool eof() const;
  void moveFirst();
  void moveNext();
  void movePrevious();
  void moveLast();
  void requery();
  int32_t recordCount() const;
  int32_t absolutePosition() const;

  Variant value(size_t column);
  void setValue(size_t column, const Variant& value);
  int32_t actualSize(size_t column);
  Variant getChunk(size_t column, int32_t count);
  void appendChunk(size_t column, const Variant& data);
  int32_t attributes(size_t column) const;

  int32_t editMode() const { return editMode_; }
  void addNew();
  void update();
  void cancelUpdate();
  void deleteCurrent();

  void find(const FindCriterion& criterion, int32_t skipRecords, int32_t direction,
            const Variant& start);

 private:
  std::shared_ptr<const void> owner_;
  bool streaming() const { return cursor_ != nullptr; }
  bool updatable() const;
  void requireOpen() const;
  void requireCurrent() const;
  // Leaves a pending change behind before the position moves.
  void settle();
  void resetChunks();
  void beginEdit();
  RowWriter& writer();
  void load(StatementResult result);
  [[noreturn]] void engineFailed(const EngineFailure& failure, int32_t number);

  bool open_ = false;
  std::shared_ptr<EngineConnection> engine_;
  ErrorLogPtr log_;
  Runner run_;
  std::string sourceSql_;
  RowsetOptions options_;
  std::vector<ColumnInfo> columns_;

  // A forward-only walk: the cursor and how far it has come.
  std::unique_ptr<Cursor> cursor_;
  int64_t streamRow_ = 0;
  bool streamEnd_ = false;
  bool held_ = false;  // the walk's rows are in memory

  // Rows in memory; pos_ is -1 before the first and rows_.size() after the
  // last.
  std::vector<std::vector<Variant>> rows_;
  int64_t pos_ = 0;
  bool currentDeleted_ = false;

  int32_t editMode_ = 0;
  std::vector<Variant> original_;
  std::vector<bool> changed_;
  std::vector<bool> chunkAppended_;
  int64_t posBeforeAdd_ = 0;
  std::unique_ptr<RowWriter> writer_;

  std::vector<size_t> chunkOffset_;
  std::optional<size_t> chunkColumn_;
};

}  // namespace qxvb::ado
