// Failures of the XML document object model, raised as the DOM component
// raises them to an automation caller.
#pragma once

#include <cstdint>
#include <string_view>

namespace qxvb::xml {

inline constexpr int32_t kDomFailure = static_cast<int32_t>(0x80004005);  // E_FAIL
inline constexpr std::string_view kDomSource = "msxml3.dll";

[[noreturn]] void raiseDomError(std::string_view description);

}  // namespace qxvb::xml
