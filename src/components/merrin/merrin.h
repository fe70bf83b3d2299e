// Merrin: the product's dialog-manager component, here reduced to what the
// library asks of it: the label shown for a property in a definition type.
//
// Labels come from the UTF-8 text file "merrin-labels.txt" in the string-
// table folder of the calling thread (when it has none, the one installed
// with the library). One label per line:
//
//   major<TAB>minor<TAB>property<TAB>label
//
// major and minor are the type numbers in decimal; minor may be "*" for
// every minor type of the major type. Property names match without regard
// to ASCII case. A line for the exact minor type wins over a "*" line;
// among equal lines the first wins. Empty lines and lines starting with
// "#" are ignored, and so are lines that do not have this form.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "exports/merrin.h"

namespace qxvb::merrin {

inline constexpr const char* kLabelFileName = "merrin-labels.txt";

std::optional<std::string> findLabel(std::string_view labels, int32_t major, int32_t minor,
                                     std::string_view property);

// The folder the label file is read from.
std::string labelFolder();

}  // namespace qxvb::merrin
