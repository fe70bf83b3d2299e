// Text as the registry store needs it beyond the codec (platform/text/utf.h):
// character counts, case folding of names, 8-bit text of older files.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qxvb::registry::unicode {

// Characters (code points) of valid UTF-8 text.
std::size_t countChars(std::string_view text);
// The comparison key of a name: each character in upper case, the way the
// Windows registry compares names. Text must be valid UTF-8.
std::string foldName(std::string_view text);

// UTF-8 text of 8-bit text: kept when it is valid UTF-8, otherwise read as
// Latin-1 (older registry files are in the 8-bit code page).
std::string eightBitToUtf8(std::string_view bytes);

}  // namespace qxvb::registry::unicode
