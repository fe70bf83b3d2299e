// The criteria of Recordset.Find: one comparison of a field with a literal,
// "Name = 'x'", "Version >= 2", "Name LIKE 'img*'", "Date < #2024-01-31#".
#pragma once

#include <string>
#include <string_view>

#include "frame/variant.h"

namespace qxvb::ado {

struct FindCriterion {
  enum class Op { Equal, NotEqual, Less, Greater, LessOrEqual, GreaterOrEqual, Like };
  std::string column;
  Op op = Op::Equal;
  Variant value;  // a String, a Double or a Date
};

// Raises 3001 when the text is not such a comparison.
FindCriterion parseFindCriterion(std::string_view text);

// Text compares without regard to case, as Find does; Null never matches.
bool matches(const FindCriterion& criterion, const Variant& fieldValue);

}  // namespace qxvb::ado
