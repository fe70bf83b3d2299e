// The VB run time's conversion and comparison rules, as the public members
// apply them to the Variants they receive.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "frame/variant.h"

namespace qxvb {

std::string CStr(const Variant& v);
int32_t CLng(const Variant& v);  // banker's rounding; overflow raises 6
int16_t CInt(const Variant& v);  // banker's rounding; overflow raises 6
double CDbl(const Variant& v);
float CSng(const Variant& v);
bool CBool(const Variant& v);
uint8_t CByte(const Variant& v);
DateValue CDate(const Variant& v);
Object CObj(const Variant& v);  // Nothing is allowed; a non-object raises 13

// The lenient leading-number parse of VB's Val: blanks, tabs and line feeds
// are dropped wherever they stand, reading stops at the first character that
// cannot continue a number, "&H" and "&O" prefixes are understood.
double Val(std::string_view text);

// Parses a whole string as a number the way the run time coerces a String
// Variant (surrounding blanks allowed, "&H"/"&O" prefixes). False when the
// text is not numeric.
bool parseNumber(std::string_view text, double& out);

// Rounds half to even, as CLng and CInt do.
double roundBankers(double value);

// Formats a Double as CStr does: up to 15 significant digits, exponent form
// "1E+15" outside the plain range.
std::string formatDouble(double value);
std::string formatSingle(float value);

// The comparison of VB's relational operators on Variants (Option Compare
// Binary): numbers numerically, strings as strings, a number and a numeric
// string numerically (a non-numeric string raises 13), Empty as 0 or "".
// Returns -1, 0 or 1; no value when either side is Null.
std::optional<int> compareVariants(const Variant& a, const Variant& b);

}  // namespace qxvb
