// The automation Variant: the value type every late-bound call passes and
// returns. It mirrors the VARIANT kinds the library's callers use.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>
#include <variant>
#include <vector>

namespace qxvb {

class Dispatch;
class Variant;
using Object = std::shared_ptr<Dispatch>;

enum class VarType : uint8_t {
  Empty,
  Null,
  Boolean,
  Integer,  // 16-bit signed
  Long,     // 32-bit signed
  Single,
  Double,
  Date,
  String,
  Object,
  Error,
  ByteArray,
  StringArray,
  VariantArray,
  Record,
};

struct NullValue {
  bool operator==(const NullValue&) const = default;
};

// An OLE date: days since 1899-12-30, fraction is the time of day.
struct DateValue {
  double serial = 0;
  bool operator==(const DateValue&) const = default;
};

// VT_ERROR: an SCODE. A missing optional argument arrives as
// DISP_E_PARAMNOTFOUND, as automation passes it.
struct ErrorValue {
  int32_t scode = 0;
  bool operator==(const ErrorValue&) const = default;
};
inline constexpr int32_t kDispParamNotFound = static_cast<int32_t>(0x80020004);

struct ByteArray {
  int32_t lbound = 0;
  std::vector<uint8_t> data;
  int32_t ubound() const { return lbound + static_cast<int32_t>(data.size()) - 1; }
  bool operator==(const ByteArray&) const = default;
};

struct StringArray {
  int32_t lbound = 0;
  std::vector<std::string> items;
  int32_t ubound() const { return lbound + static_cast<int32_t>(items.size()) - 1; }
  bool operator==(const StringArray&) const = default;
};

struct VariantArray {
  int32_t lbound = 0;
  std::vector<Variant> items;
  int32_t ubound() const;  // defined where Variant is complete
  bool operator==(const VariantArray&) const;
};

// A user-defined type (VB "Type ... End Type") such as QXErrInfo: named
// fields in declaration order.
struct Record {
  std::string typeName;
  std::vector<std::pair<std::string, Variant>> fields;
  const Variant* field(std::string_view name) const;
  bool operator==(const Record&) const;
};

class Variant {
 public:
  using Storage =
      std::variant<std::monostate, NullValue, bool, int16_t, int32_t, float, double, DateValue,
                   std::string, Object, ErrorValue, ByteArray, StringArray, VariantArray, Record>;

  Variant() = default;
  Variant(NullValue v) : value_(v) {}
  Variant(bool v) : value_(v) {}
  Variant(int16_t v) : value_(v) {}
  Variant(int32_t v) : value_(v) {}
  Variant(float v) : value_(v) {}
  Variant(double v) : value_(v) {}
  Variant(DateValue v) : value_(v) {}
  Variant(std::string v) : value_(std::move(v)) {}
  Variant(std::string_view v) : value_(std::string(v)) {}
  Variant(const char* v) : value_(std::string(v)) {}
  Variant(Object v) : value_(std::move(v)) {}
  Variant(ErrorValue v) : value_(v) {}
  Variant(ByteArray v) : value_(std::move(v)) {}
  Variant(StringArray v) : value_(std::move(v)) {}
  Variant(VariantArray v) : value_(std::move(v)) {}
  Variant(Record v) : value_(std::move(v)) {}

  static Variant null() { return Variant(NullValue{}); }
  static Variant missing() { return Variant(ErrorValue{kDispParamNotFound}); }

  VarType type() const { return static_cast<VarType>(value_.index()); }
  bool isEmpty() const { return type() == VarType::Empty; }
  bool isNull() const { return type() == VarType::Null; }
  bool isMissing() const;
  bool isNumeric() const;  // Boolean, Integer, Long, Single, Double, Date
  bool isArray() const;

  template <class T>
  const T* get() const {
    return std::get_if<T>(&value_);
  }
  template <class T>
  T* get() {
    return std::get_if<T>(&value_);
  }
  const Storage& storage() const { return value_; }

  bool operator==(const Variant& other) const { return value_ == other.value_; }

 private:
  Storage value_;
};

// The VB name of a variant's type, as TypeName answers it.
std::string_view typeName(const Variant& v);

}  // namespace qxvb
