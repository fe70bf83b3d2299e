// Access to the product string table of the calling thread: every
// user-visible text, and many names the library writes, come from it by id.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/variant.h"

namespace qxvb {

// GetLocalString on this thread's string table object.
std::string localString(int32_t id);

// FormatLocalString on this thread's string table object: the template's
// placeholders %1 to %3 replaced by the values in order.
std::string formatLocalString(std::string_view templ, const Variant& v1);
std::string formatLocalString(std::string_view templ, const Variant& v1, const Variant& v2);
std::string formatLocalString(std::string_view templ, const Variant& v1, const Variant& v2,
                              const Variant& v3);

}  // namespace qxvb
