// "ANSI" text: the character set of the locale the environment names,
// which platform calls that take 8-bit text use. UTF-8 locales (and the
// plain C locale, taken as UTF-8) need no conversion.
#pragma once

#include <string>
#include <string_view>

namespace qxvb::ansi {

std::string fromUtf8(std::string_view text);  // characters the set lacks become '?'
std::string toUtf8(std::string_view bytes);   // invalid bytes become U+FFFD

}  // namespace qxvb::ansi
