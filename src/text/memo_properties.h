// Memo texts that hold properties as "[[[name]]]", an optional CR LF, then
// the value up to the next "[[[" (less a CR LF just before it) or to the
// end of the text (less a CR LF that ends the text).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qxvb {

// Reads the property at or after the 1-based character position pos.
// Returns true when another property follows; pos is then its position.
// The last property comes with false and pos 0. When no property is found
// it returns false and leaves pos, name and value unchanged. A pos below 1
// raises error 5.
bool getNextProperty(std::string_view memo, int32_t& pos, std::string& name, std::string& value);

}  // namespace qxvb
