// The product's rules for repository item names and the ASCII character
// classes its tools test names against.
#pragma once

#include <cstdint>
#include <string_view>

namespace qxvb {

inline constexpr int32_t kMaximumItemNameLength = 80;

// Not blank, no double quote, tab, CR, LF, NUL or backspace, and at most
// 80 characters.
bool isValidItemName(std::string_view name);

enum class CharacterClass { Alphabetic, Alphanumeric, Numeric };

// True when text is not empty and every character is an ASCII letter
// (Alphabetic), letter or digit (Alphanumeric) or digit (Numeric). The
// character counter is 16-bit, so a text of more than 32767 characters
// raises the overflow error 6.
bool consistsOf(std::string_view text, CharacterClass characterClass);

}  // namespace qxvb
