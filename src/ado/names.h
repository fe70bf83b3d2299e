// Names of fields, properties and providers compare without regard to case.
#pragma once

#include <string_view>

namespace qxvb::ado {

// Equality of names with ASCII letters folded, as ADO compares the names of
// fields, parameters and properties.
bool sameName(std::string_view a, std::string_view b);
bool startsWithName(std::string_view text, std::string_view prefix);

}  // namespace qxvb::ado
