#include "ado/rowset.h"

#include <algorithm>
#include <cmath>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/held_cursor.h"
#include "ado/names.h"
#include "ado/row_writer.h"
#include "ado/value_codec.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "platform/text/utf.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kSource = "ADODB.Recordset";
constexpr int32_t kNoBackward = -2147217884;  // 0x80040E24
constexpr std::string_view kNoBackwardText = "Rowset does not support fetching backward.";
constexpr int32_t adPosUnknown = -1;
constexpr int32_t adPosBOF = -2;
constexpr int32_t adPosEOF = -3;
constexpr int32_t adBookmarkCurrent = 0;
constexpr int32_t adBookmarkFirst = 1;
constexpr int32_t adBookmarkLast = 2;

ByteArray bytesOf(const Variant& v) {
  if (const auto* bytes = v.get<ByteArray>()) return ByteArray{0, bytes->data};
  const std::string text = CStr(v);
  return ByteArray{0, std::vector<uint8_t>(text.begin(), text.end())};
}

// The value a column takes when a caller assigns v to it, in the column's
// own type; a value that does not convert is ADO's multiple-step failure.
Variant coerce(const ColumnInfo& column, const Variant& v) {
  if (v.isNull() || v.isEmpty()) return Variant::null();
  try {
    switch (column.type) {
      case adSmallInt:
      case adTinyInt:
      case adUnsignedTinyInt:
        return Variant(CInt(v));
      case adInteger:
      case adUnsignedSmallInt:
        return Variant(CLng(v));
      case adBigInt:
      case adUnsignedInt:
      case adUnsignedBigInt:
        return integerVariant(std::llround(CDbl(v)));
      case adBoolean:
        return Variant(CBool(v));
      case adSingle:
        return Variant(CSng(v));
      case adDouble:
      case adCurrency:
      case adNumeric:
      case adDecimal:
      case adVarNumeric:
        return Variant(CDbl(v));
      case adDate:
      case adDBDate:
      case adDBTime:
      case adDBTimeStamp: {
        DateValue date;
        if (const auto* s = v.get<std::string>(); s != nullptr && parseIsoDate(*s, date)) {
          return Variant(date);
        }
        return Variant(CDate(v));
      }
      default:
        break;
    }
    if (isBinaryType(column.type)) return Variant(bytesOf(v));
    if (isTextType(column.type)) {
      if (v.type() == VarType::ByteArray) raiseVbError(vberr::TypeMismatch);
      return Variant(CStr(v));
    }
    return v;
  } catch (const AutomationError&) {
    raise(err::kMultipleStep, "ADODB.Field");
  }
}

int32_t sizeOfValue(const Variant& v, const ColumnInfo& column) {
  if (v.isNull() || v.isEmpty()) return 0;
  if (const auto* bytes = v.get<ByteArray>()) return static_cast<int32_t>(bytes->data.size());
  if (const auto* text = v.get<std::string>()) return static_cast<int32_t>(utf::count(*text));
  return column.definedSize;
}

}  // namespace

Rowset::Rowset() = default;
Rowset::~Rowset() = default;

void Rowset::engineFailed(const EngineFailure& failure, int32_t number) {
  raiseLogged(failure, number, log_.get());
}

bool Rowset::open(std::shared_ptr<EngineConnection> engine, ErrorLogPtr log, Runner run,
                  std::string sourceSql, RowsetOptions options) {
  close();
  engine_ = std::move(engine);
  log_ = std::move(log);
  run_ = std::move(run);
  sourceSql_ = std::move(sourceSql);
  options_ = options;
  StatementResult result;
  try {
    result = run_();
  } catch (const EngineFailure& failure) {
    close();
    engineFailed(failure, err::kCommandFailed);
  }
  if (!result.cursor) {
    close();
    return false;
  }
  load(std::move(result));
  return true;
}

void Rowset::load(StatementResult result) {
  std::unique_ptr<Cursor> cursor = std::move(result.cursor);
  columns_ = cursor->columns();
  rows_.clear();
  cursor_.reset();
  writer_.reset();
  editMode_ = adEditNone;
  currentDeleted_ = false;
  chunkOffset_.assign(columns_.size(), 0);
  chunkColumn_.reset();
  held_ = false;
  const bool forwardReadOnly = options_.cursorLocation != adUseClient &&
                               options_.cursorType == adOpenForwardOnly &&
                               options_.lockType == adLockReadOnly;
  try {
    if (forwardReadOnly) {
      cursor_ = std::move(cursor);
      streamRow_ = 0;
      streamEnd_ = !cursor_->fetch();
    } else {
      while (cursor->fetch()) {
        std::vector<Variant> row;
        row.reserve(columns_.size());
        for (size_t c = 0; c < columns_.size(); ++c) row.push_back(cursor->release(c));
        rows_.push_back(std::move(row));
      }
      pos_ = 0;
    }
  } catch (const EngineFailure& failure) {
    close();
    engineFailed(failure, err::kCommandFailed);
  }
  open_ = true;
}

void Rowset::close() {
  open_ = false;
  cursor_.reset();
  writer_.reset();
  rows_.clear();
  columns_.clear();
  original_.clear();
  editMode_ = adEditNone;
  engine_.reset();
  // Last: letting the owner go may end the connection that called close.
  auto owner = std::move(owner_);
}

void Rowset::holdRemainingRows() {
  if (!open_ || !streaming() || held_) return;
  try {
    cursor_ = ado::holdRemainingRows(*cursor_, !streamEnd_);
  } catch (const EngineFailure& failure) {
    engineFailed(failure, err::kCommandFailed);
  }
  held_ = true;
}

const std::vector<ColumnInfo>& Rowset::columns() const {
  return columns_;
}

size_t Rowset::columnIndex(const Variant& key) const {
  if (const auto* name = key.get<std::string>()) {
    for (size_t i = 0; i < columns_.size(); ++i) {
      if (sameName(columns_[i].name, *name)) return i;
    }
  } else if (key.isNumeric()) {
    const int32_t i = CLng(key);
    if (i >= 0 && static_cast<size_t>(i) < columns_.size()) return static_cast<size_t>(i);
  }
  raise(err::kItemNotFound, "ADODB.Fields");
}

void Rowset::requireOpen() const {
  if (!open_) raise(err::kObjectClosed, kSource);
}

void Rowset::requireCurrent() const {
  requireOpen();
  if (bof() || eof() || currentDeleted_) raise(err::kNoCurrentRecord, kSource);
}

bool Rowset::updatable() const {
  return !streaming() && options_.lockType != adLockReadOnly;
}

bool Rowset::bof() const {
  requireOpen();
  if (streaming()) return streamEnd_ && streamRow_ == 0;
  return rows_.empty() || pos_ < 0;
}

bool Rowset::eof() const {
  requireOpen();
  if (streaming()) return streamEnd_;
  return rows_.empty() || pos_ >= static_cast<int64_t>(rows_.size());
}

void Rowset::resetChunks() {
  std::fill(chunkOffset_.begin(), chunkOffset_.end(), 0);
  chunkColumn_.reset();
}

void Rowset::settle() {
  if (editMode_ != adEditNone) update();
}

void Rowset::moveNext() {
  requireOpen();
  settle();
  if (eof()) raise(err::kNoCurrentRecord, kSource);
  resetChunks();
  if (streaming()) {
    try {
      streamEnd_ = !cursor_->fetch();
    } catch (const EngineFailure& failure) {
      engineFailed(failure, err::kCommandFailed);
    }
    ++streamRow_;
    return;
  }
  if (currentDeleted_) {
    currentDeleted_ = false;  // the row after the deleted one already stands at pos_
  } else {
    ++pos_;
  }
}

void Rowset::movePrevious() {
  requireOpen();
  settle();
  if (streaming()) raiseError(kNoBackward, kSource, kNoBackwardText);
  if (bof()) raise(err::kNoCurrentRecord, kSource);
  resetChunks();
  currentDeleted_ = false;
  --pos_;
}

void Rowset::moveFirst() {
  requireOpen();
  settle();
  resetChunks();
  if (streaming()) {
    if (streamEnd_ && streamRow_ == 0) raise(err::kNoCurrentRecord, kSource);
    // A forward-only cursor starts again by running its statement again.
    if (streamRow_ > 0) requery();
    return;
  }
  if (rows_.empty()) raise(err::kNoCurrentRecord, kSource);
  currentDeleted_ = false;
  pos_ = 0;
}

void Rowset::moveLast() {
  requireOpen();
  settle();
  if (streaming()) raiseError(kNoBackward, kSource, kNoBackwardText);
  if (rows_.empty()) raise(err::kNoCurrentRecord, kSource);
  resetChunks();
  currentDeleted_ = false;
  pos_ = static_cast<int64_t>(rows_.size()) - 1;
}

void Rowset::requery() {
  requireOpen();
  if (editMode_ != adEditNone) cancelUpdate();
  StatementResult result;
  try {
    result = run_();
  } catch (const EngineFailure& failure) {
    engineFailed(failure, err::kCommandFailed);
  }
  if (!result.cursor) {
    close();
    return;
  }
  load(std::move(result));
}

int32_t Rowset::recordCount() const {
  requireOpen();
  if (streaming() ||
      (options_.cursorType == adOpenForwardOnly && options_.cursorLocation != adUseClient)) {
    return -1;
  }
  return static_cast<int32_t>(rows_.size());
}

int32_t Rowset::absolutePosition() const {
  requireOpen();
  if (streaming()) return adPosUnknown;
  if (bof()) return adPosBOF;
  if (eof()) return adPosEOF;
  return static_cast<int32_t>(pos_ + 1);
}

Variant Rowset::value(size_t column) {
  requireCurrent();
  if (!streaming()) return rows_[static_cast<size_t>(pos_)][column];
  try {
    return cursor_->value(column);
  } catch (const EngineFailure& failure) {
    engineFailed(failure, err::kCommandFailed);
  }
}

RowWriter& Rowset::writer() {
  if (!writer_) {
    try {
      writer_ = std::make_unique<RowWriter>(*engine_, columns_, sourceSql_);
    } catch (const EngineFailure& failure) {
      engineFailed(failure, err::kCommandFailed);
    }
  }
  return *writer_;
}

void Rowset::beginEdit() {
  if (!updatable()) raise(err::kNotUpdatable, kSource);
  writer();
  if (editMode_ != adEditNone) return;
  editMode_ = adEditInProgress;
  original_ = rows_[static_cast<size_t>(pos_)];
  changed_.assign(columns_.size(), false);
  chunkAppended_.assign(columns_.size(), false);
}

void Rowset::setValue(size_t column, const Variant& v) {
  requireCurrent();
  beginEdit();
  if (!writer().writable(column)) {
    raise(err::kMultipleStep, "ADODB.Field");
  }
  rows_[static_cast<size_t>(pos_)][column] = coerce(columns_[column], v);
  changed_[column] = true;
}

int32_t Rowset::actualSize(size_t column) {
  requireCurrent();
  if (!streaming()) return sizeOfValue(rows_[static_cast<size_t>(pos_)][column], columns_[column]);
  try {
    if (columns_[column].isLong) {
      const int64_t n = cursor_->length(column);
      return n < 0 ? 0 : static_cast<int32_t>(std::min<int64_t>(n, INT32_MAX));
    }
    return sizeOfValue(cursor_->value(column), columns_[column]);
  } catch (const EngineFailure& failure) {
    engineFailed(failure, err::kCommandFailed);
  }
}

Variant Rowset::getChunk(size_t column, int32_t count) {
  requireCurrent();
  if (count < 0) raise(err::kBadArguments, "ADODB.Field");
  const int32_t type = columns_[column].type;
  if (!isBinaryType(type) && !isTextType(type)) raise(err::kNotInContext, "ADODB.Field");
  if (streaming()) {
    try {
      return cursor_->readPiece(column, count);
    } catch (const EngineFailure& failure) {
      engineFailed(failure, err::kCommandFailed);
    }
  }
  // Reading another field's chunks starts this one from its beginning again.
  if (chunkColumn_ != column) {
    chunkOffset_[column] = 0;
    chunkColumn_ = column;
  }
  return nextPiece(rows_[static_cast<size_t>(pos_)][column], chunkOffset_[column],
                   static_cast<size_t>(count));
}

void Rowset::appendChunk(size_t column, const Variant& data) {
  requireCurrent();
  const int32_t type = columns_[column].type;
  if (!isBinaryType(type) && !isTextType(type)) raise(err::kNotInContext, "ADODB.Field");
  beginEdit();
  if (!writer().writable(column)) {
    raise(err::kMultipleStep, "ADODB.Field");
  }
  Variant& target = rows_[static_cast<size_t>(pos_)][column];
  // The first piece of an edit replaces the value, later pieces add to it.
  if (!chunkAppended_[column] || target.isNull()) {
    target = coerce(columns_[column], data);
    chunkAppended_[column] = true;
  } else if (auto* bytes = target.get<ByteArray>()) {
    if (const auto* piece = data.get<ByteArray>()) {
      bytes->data.insert(bytes->data.end(), piece->data.begin(), piece->data.end());
    } else {
      const ByteArray converted = bytesOf(data);
      bytes->data.insert(bytes->data.end(), converted.data.begin(), converted.data.end());
    }
  } else if (auto* text = target.get<std::string>()) {
    *text += CStr(data);
  }
  changed_[column] = true;
}

int32_t Rowset::attributes(size_t column) const {
  const ColumnInfo& c = columns_[column];
  int32_t flags = 0;
  if (updatable()) flags |= adFldUpdatable;
  if (c.nullable) flags |= adFldIsNullable | adFldMayBeNull;
  if (c.isLong) flags |= adFldLong;
  return flags;
}

void Rowset::addNew() {
  requireOpen();
  if (!updatable()) raise(err::kNotUpdatable, kSource);
  settle();
  writer();
  posBeforeAdd_ = pos_;
  rows_.emplace_back(columns_.size(), Variant::null());
  pos_ = static_cast<int64_t>(rows_.size()) - 1;
  currentDeleted_ = false;
  editMode_ = adEditAdd;
  original_.clear();
  changed_.assign(columns_.size(), false);
  chunkAppended_.assign(columns_.size(), false);
  resetChunks();
}

void Rowset::update() {
  requireOpen();
  if (editMode_ == adEditNone) return;
  auto& row = rows_[static_cast<size_t>(pos_)];
  try {
    if (editMode_ == adEditAdd) {
      writer().insert(row, changed_);
    } else {
      writer().update(original_, row, changed_);
    }
  } catch (const EngineFailure& failure) {
    engineFailed(failure, err::kCommandFailed);
  }
  editMode_ = adEditNone;
  original_.clear();
}

void Rowset::cancelUpdate() {
  requireOpen();
  if (editMode_ == adEditAdd) {
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(pos_));
    pos_ = posBeforeAdd_;
  } else if (editMode_ == adEditInProgress) {
    rows_[static_cast<size_t>(pos_)] = original_;
  }
  editMode_ = adEditNone;
  original_.clear();
  resetChunks();
}

void Rowset::deleteCurrent() {
  requireCurrent();
  if (!updatable()) raise(err::kNotUpdatable, kSource);
  if (editMode_ == adEditAdd) {
    cancelUpdate();
    return;
  }
  if (editMode_ == adEditInProgress) cancelUpdate();
  try {
    writer().remove(rows_[static_cast<size_t>(pos_)]);
  } catch (const EngineFailure& failure) {
    engineFailed(failure, err::kCommandFailed);
  }
  rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(pos_));
  currentDeleted_ = true;
  resetChunks();
}

void Rowset::find(const FindCriterion& criterion, int32_t skipRecords, int32_t direction,
                  const Variant& start) {
  requireOpen();
  settle();
  const size_t column = columnIndex(Variant(criterion.column));
  const bool forward = direction != adSearchBackward;
  const int32_t from = (start.isMissing() || start.isEmpty()) ? adBookmarkCurrent : CLng(start);
  if (streaming()) {
    if (!forward || from == adBookmarkLast) raiseError(kNoBackward, kSource, kNoBackwardText);
    if (from == adBookmarkFirst) moveFirst();
    if (eof()) raise(err::kNoCurrentRecord, kSource);
    for (int32_t k = 0; k < skipRecords && !eof(); ++k) moveNext();
    while (!eof()) {
      if (matches(criterion, value(column))) return;
      moveNext();
    }
    return;
  }
  const auto count = static_cast<int64_t>(rows_.size());
  int64_t i = pos_;
  if (from == adBookmarkFirst) {
    i = 0;
  } else if (from == adBookmarkLast) {
    i = count - 1;
  } else if (bof() || eof()) {
    raise(err::kNoCurrentRecord, kSource);
  } else if (currentDeleted_ && !forward) {
    --i;
  }
  i += forward ? skipRecords : -skipRecords;
  resetChunks();
  currentDeleted_ = false;
  for (; i >= 0 && i < count; i += forward ? 1 : -1) {
    if (matches(criterion, rows_[static_cast<size_t>(i)][column])) {
      pos_ = i;
      return;
    }
  }
  pos_ = forward ? count : -1;
}

}  // namespace qxvb::ado
