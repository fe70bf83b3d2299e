// The label of a property in a definition type, asked of the dialog-
// manager component through its 256-byte buffer contract.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace qxvb {

inline constexpr int32_t kLabelBufferLength = 256;

// The label up to its NUL; 256 spaces when the component has none.
std::string labelForPropertyInType(int16_t major, int16_t minor, std::string_view property);

}  // namespace qxvb
