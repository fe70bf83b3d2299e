// UTF-8 and UTF-16LE text as the registry store needs it: validation,
// character counts, case folding of names and the conversions of the
// regedit file format.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qxvb::registry::unicode {

bool isValidUtf8(std::string_view text);
// Characters (code points) of valid UTF-8 text.
std::size_t countChars(std::string_view text);
// The comparison key of a name: each character in upper case, the way the
// Windows registry compares names. Text must be valid UTF-8.
std::string foldName(std::string_view text);

// UTF-16LE bytes of UTF-8 text; invalid sequences become U+FFFD.
std::string utf8ToUtf16le(std::string_view text);
// UTF-8 text of UTF-16LE bytes; unpaired surrogates become U+FFFD and an
// odd last byte is dropped.
std::string utf16leToUtf8(std::string_view bytes);
// UTF-8 text of 8-bit text: kept when it is valid UTF-8, otherwise read as
// Latin-1 (older registry files are in the 8-bit code page).
std::string eightBitToUtf8(std::string_view bytes);

}  // namespace qxvb::registry::unicode
