#include "ado/held_cursor.h"

#include <algorithm>
#include <deque>
#include <vector>

#include "ado/value_codec.h"
#include "platform/text/utf.h"

namespace qxvb::ado {

namespace {

class HeldCursor : public Cursor {
 public:
  explicit HeldCursor(std::vector<ColumnInfo> columns)
      : columns_(std::move(columns)), offsets_(columns_.size(), 0) {}

  // The row the cursor stands on, with where its pieces have come to.
  void setCurrent(std::vector<Variant> row, std::vector<size_t> offsets) {
    current_ = std::move(row);
    offsets_ = std::move(offsets);
    onRow_ = true;
  }
  void addRow(std::vector<Variant> row) { rest_.push_back(std::move(row)); }

  const std::vector<ColumnInfo>& columns() const override { return columns_; }

  // Moves on to the next row held.
  bool fetch() override {
    std::fill(offsets_.begin(), offsets_.end(), 0);
    if (rest_.empty()) {
      onRow_ = false;
      current_.clear();
      return false;
    }
    current_ = std::move(rest_.front());
    rest_.pop_front();
    onRow_ = true;
    return true;
  }

  Variant value(size_t column) override { return onRow_ ? current_[column] : Variant::null(); }

  Variant release(size_t column) override {
    return onRow_ ? std::move(current_[column]) : Variant::null();
  }

  int64_t length(size_t column) override {
    const Variant v = value(column);
    if (v.isNull()) return -1;
    if (const auto* bytes = v.get<ByteArray>()) return static_cast<int64_t>(bytes->data.size());
    if (const auto* text = v.get<std::string>()) return static_cast<int64_t>(utf::count(*text));
    return columns_[column].definedSize;
  }

  Variant readPiece(size_t column, int64_t count) override {
    if (!onRow_ || count <= 0) return Variant::null();
    return nextPiece(current_[column], offsets_[column], static_cast<size_t>(count));
  }

  size_t pieceOffset(size_t column) const override { return offsets_[column]; }

 private:
  std::vector<ColumnInfo> columns_;
  std::vector<Variant> current_;
  std::vector<size_t> offsets_;
  std::deque<std::vector<Variant>> rest_;
  bool onRow_ = false;
};

}  // namespace

std::unique_ptr<Cursor> holdRemainingRows(Cursor& cursor, bool onRow) {
  const size_t count = cursor.columns().size();
  auto held = std::make_unique<HeldCursor>(cursor.columns());
  if (!onRow) return held;
  std::vector<Variant> current(count);
  std::vector<size_t> offsets(count, 0);
  for (size_t c = 0; c < count; ++c) {
    current[c] = cursor.value(c);
    offsets[c] = cursor.pieceOffset(c);
  }
  held->setCurrent(std::move(current), std::move(offsets));
  while (cursor.fetch()) {
    std::vector<Variant> row;
    row.reserve(count);
    for (size_t c = 0; c < count; ++c) row.push_back(cursor.release(c));
    held->addRow(std::move(row));
  }
  return held;
}

}  // namespace qxvb::ado
