// The platform's "ANSI" text: the character set of the user's locale (from
// LC_ALL, LC_CTYPE or LANG). Characters the set lacks become "?", as the
// product's conversions substitute them.
#pragma once

#include <string>
#include <string_view>

namespace qxvb {

std::string toAnsi(std::string_view utf8);
std::string fromAnsi(std::string_view ansi);

}  // namespace qxvb
