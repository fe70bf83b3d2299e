// Field and Fields: a recordset's columns, whose values follow the current
// row. Fields are found by name without regard to case or by position.
#pragma once

#include <memory>
#include <string>

#include "ado/rowset.h"
#include "frame/dispatch.h"

namespace qxvb::ado {

class Field : public Dispatch {
 public:
  Field(std::shared_ptr<Rowset> rowset, size_t column)
      : rowset_(std::move(rowset)), column_(column) {}
  const DispatchTable& dispatchTable() const override;

  std::string Name() const;
  Variant Value() const;
  void setValue(const Variant& value);
  int32_t Type() const;
  int32_t DefinedSize() const;
  int32_t ActualSize() const;
  int32_t Attributes() const;
  int32_t Precision() const;
  int32_t NumericScale() const;
  // The next count bytes (binary) or characters (text); Null when nothing
  // is left.
  Variant GetChunk(int32_t count);
  void AppendChunk(const Variant& data);

 private:
  const ColumnInfo& column() const;
  std::shared_ptr<Rowset> rowset_;
  size_t column_;
};

class Fields : public Dispatch {
 public:
  explicit Fields(std::shared_ptr<Rowset> rowset) : rowset_(std::move(rowset)) {}
  const DispatchTable& dispatchTable() const override;

  int32_t Count() const;
  // By name or by position 0..Count-1; raises 3265 otherwise.
  std::shared_ptr<Field> Item(const Variant& index) const;

 private:
  std::shared_ptr<Rowset> rowset_;
};

}  // namespace qxvb::ado
