// Escaping of values placed into LDAP search filters (RFC 4515), so that a
// name taken from a caller can only ever be compared, never widen a query.
#pragma once

#include <string>
#include <string_view>

namespace qxvb::platform::directory {

// Escapes '*', '(', ')', '\', NUL and every byte outside ASCII as \xx
// (two lower-case hex digits); other bytes are kept as they are.
std::string escapeFilterValue(std::string_view value);

}  // namespace qxvb::platform::directory
