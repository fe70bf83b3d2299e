#include "frame/variant.h"

#include "frame/dispatch.h"

namespace qxvb {

int32_t VariantArray::ubound() const {
  return lbound + static_cast<int32_t>(items.size()) - 1;
}

bool VariantArray::operator==(const VariantArray& other) const {
  return lbound == other.lbound && items == other.items;
}

const Variant* Record::field(std::string_view name) const {
  for (const auto& [fieldName, value] : fields) {
    if (fieldName == name) return &value;
  }
  return nullptr;
}

bool Record::operator==(const Record& other) const {
  return typeName == other.typeName && fields == other.fields;
}

bool Variant::isMissing() const {
  const auto* e = get<ErrorValue>();
  return e != nullptr && e->scode == kDispParamNotFound;
}

bool Variant::isNumeric() const {
  switch (type()) {
    case VarType::Boolean:
    case VarType::Integer:
    case VarType::Long:
    case VarType::Single:
    case VarType::Double:
    case VarType::Date:
      return true;
    default:
      return false;
  }
}

bool Variant::isArray() const {
  const VarType t = type();
  return t == VarType::ByteArray || t == VarType::StringArray || t == VarType::VariantArray;
}

std::string_view typeName(const Variant& v) {
  switch (v.type()) {
    case VarType::Empty:
      return "Empty";
    case VarType::Null:
      return "Null";
    case VarType::Boolean:
      return "Boolean";
    case VarType::Integer:
      return "Integer";
    case VarType::Long:
      return "Long";
    case VarType::Single:
      return "Single";
    case VarType::Double:
      return "Double";
    case VarType::Date:
      return "Date";
    case VarType::String:
      return "String";
    case VarType::Object: {
      const auto* obj = v.get<Object>();
      return (obj != nullptr && *obj) ? (*obj)->className() : "Nothing";
    }
    case VarType::Error:
      return "Error";
    case VarType::ByteArray:
      return "Byte()";
    case VarType::StringArray:
      return "String()";
    case VarType::VariantArray:
      return "Variant()";
    case VarType::Record:
      return v.get<Record>()->typeName;
  }
  return "Unknown";
}

}  // namespace qxvb
