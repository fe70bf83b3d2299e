// Unicode text services of the platform (ICU): case folding, case-
// insensitive locale-aware comparison, code point counts.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qxvb::unicode {

// Full Unicode case folding of UTF-8 text; invalid bytes pass unchanged.
std::string foldCase(std::string_view text);
std::string toUpper(std::string_view text);
std::string toLower(std::string_view text);

// Equality without regard to case.
bool equalsIgnoreCase(std::string_view a, std::string_view b);

// The platform's "text comparison": case-insensitive and locale-aware.
// Returns <0, 0, >0.
int compareText(std::string_view a, std::string_view b);

// A binary key whose byte order is the order of compareText: sorting many
// texts compares keys instead of running the collator each time.
std::string sortKey(std::string_view text);

// Number of code points in UTF-8 text (an invalid byte counts as one).
size_t length(std::string_view text);

}  // namespace qxvb::unicode
