#include "ado/field.h"

#include "ado/ado_errors.h"
#include "frame/vb_conversions.h"

namespace qxvb::ado {

const ColumnInfo& Field::column() const {
  const auto& columns = rowset_->columns();
  // A Field kept across a Close or a Requery that changed the columns.
  if (column_ >= columns.size()) raise(err::kItemNotFound, "ADODB.Field");
  return columns[column_];
}

std::string Field::Name() const {
  return column().name;
}

Variant Field::Value() const {
  column();
  return rowset_->value(column_);
}

void Field::setValue(const Variant& value) {
  column();
  rowset_->setValue(column_, value);
}

int32_t Field::Type() const {
  return column().type;
}
int32_t Field::DefinedSize() const {
  return column().definedSize;
}
int32_t Field::Precision() const {
  return column().precision;
}
int32_t Field::NumericScale() const {
  return column().scale;
}

int32_t Field::ActualSize() const {
  column();
  return rowset_->actualSize(column_);
}

int32_t Field::Attributes() const {
  column();
  return rowset_->attributes(column_);
}

Variant Field::GetChunk(int32_t count) {
  column();
  return rowset_->getChunk(column_, count);
}

void Field::AppendChunk(const Variant& data) {
  column();
  rowset_->appendChunk(column_, data);
}

const DispatchTable& Field::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Field");
    const auto getValue = [](Field& f, CallArgs&) { return f.Value(); };
    const auto putValue = [](Field& f, CallArgs& a) {
      f.setValue(a[0]);
      return Variant();
    };
    Members<Field>(t)
        .get<&Field::Name>("Name", {})
        .get("Value", {}, getValue)
        .put("Value", {in("Value")}, putValue)
        .get("_Default", {}, getValue)
        .put("_Default", {in("Value")}, putValue)
        .get<&Field::Type>("Type", {})
        .get<&Field::DefinedSize>("DefinedSize", {})
        .get<&Field::ActualSize>("ActualSize", {})
        .get<&Field::Attributes>("Attributes", {})
        .get<&Field::Precision>("Precision", {})
        .get<&Field::NumericScale>("NumericScale", {})
        .method<&Field::GetChunk>("GetChunk", {in("Length")})
        .method<&Field::AppendChunk>("AppendChunk", {in("Data")});
    return t;
  }();
  return table;
}

int32_t Fields::Count() const {
  return static_cast<int32_t>(rowset_->columns().size());
}

std::shared_ptr<Field> Fields::Item(const Variant& index) const {
  return std::make_shared<Field>(rowset_, rowset_->columnIndex(index));
}

const DispatchTable& Fields::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("Fields");
    const auto item = [](Fields& f, CallArgs& a) { return Variant(Object(f.Item(a[0]))); };
    Members<Fields>(t)
        .get<&Fields::Count>("Count", {})
        .get("Item", {in("Index")}, item)
        .get("_Default", {in("Index")}, item)
        .method("Refresh", {}, [](Fields&, CallArgs&) { return Variant(); });
    return t;
  }();
  return table;
}

}  // namespace qxvb::ado
