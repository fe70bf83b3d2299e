// Conversions between engine values and Variants shared by the engines and
// the objects: OLE dates, integers, UTF-16 text.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "frame/variant.h"

namespace qxvb::ado {

struct DateParts {
  int year = 1899;
  int month = 12;
  int day = 30;
  int hour = 0;
  int minute = 0;
  int second = 0;
  uint32_t nanos = 0;
};

DateValue toDate(const DateParts& parts);
DateParts fromDate(DateValue date);

// "YYYY-MM-DD HH:MM:SS", the form SQLite keeps dates in.
std::string formatIsoDate(DateValue date);
// Reads "YYYY-MM-DD", "YYYY-MM-DD HH:MM[:SS[.fff]]" (a "T" may separate).
bool parseIsoDate(std::string_view text, DateValue& out);

// A Long when the number fits, else a Double.
Variant integerVariant(int64_t value);

// The next piece of a long value held in memory, starting at offset (which
// moves past it): up to count bytes of binary data as a ByteArray, or up to
// count characters of UTF-8 text as a String. Null when nothing is left.
Variant nextPiece(std::string_view data, bool binary, size_t& offset, size_t count);
// The same for a value in a Variant (ByteArray or String; Null otherwise).
Variant nextPiece(const Variant& value, size_t& offset, size_t count);

}  // namespace qxvb::ado
