// Text written into XML by hand, where building a document would be more
// than the few elements being written.
#pragma once

#include <string>
#include <string_view>

namespace qxvb {

// The text escaped for an attribute value between single or double quotes.
std::string xmlAttributeText(std::string_view text);

}  // namespace qxvb
