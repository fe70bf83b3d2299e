// The item grammar of connection strings: items "key=value" separated by
// ";". Keys are found by a case-insensitive search anywhere in the text
// (not only at the start of an item), the first match counts, nothing is
// trimmed, and a value that starts with a double quote runs to the first
// `";` after it (or to the next quote). Offsets are byte offsets into UTF-8
// text; every delimiter is ASCII, so they never split a character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qxvb::connstr {

// Where the value of an item lies: [begin, end). For a quoted value begin
// is after the opening quote and end is the closing quote; an unclosed
// quoted value has no range at all.
struct ValueRange {
  size_t begin = 0;
  size_t end = 0;
  bool quoted = false;
  bool closed = true;
};

struct ItemLocation {
  bool found = false;
  size_t keyStart = 0;
  ValueRange value;
};

// The item name as a key: with "=" appended unless it already ends in one.
std::string itemKey(std::string_view item);

// Where text matched a pattern: [begin, end) in bytes of the text.
struct TextMatch {
  size_t begin = std::string_view::npos;
  size_t end = std::string_view::npos;
  bool found() const { return begin != std::string_view::npos; }
};

// The first occurrence of pattern in text, comparing characters by their
// case folding; not found when there is none or pattern is empty. The
// matched text can differ from pattern in length, since folding maps some
// characters onto others of another UTF-8 length (the Kelvin sign and k).
TextMatch matchIgnoreCase(std::string_view text, std::string_view pattern);

// The start of matchIgnoreCase's match; npos when there is none.
size_t findIgnoreCase(std::string_view text, std::string_view pattern);

// The range of a value that starts at offset start.
ValueRange valueRangeAt(std::string_view text, size_t start);

ItemLocation locateItem(std::string_view connectionString, std::string_view item);

// The item's value; "" when absent or quoted without a closing quote.
std::string readItem(std::string_view item, std::string_view connectionString);

// Removes the key and its value: through the ";" after an unquoted value,
// through the closing quote of a quoted one (its ";" stays). True when the
// key was found, even if an unclosed quoted value left nothing to remove.
bool removeItem(std::string_view item, std::string& connectionString);

// Replaces the item's value in place, or appends ";key=value" (just
// "key=value" for an empty string). The new text is never quoted.
bool writeItem(std::string_view item, std::string_view replacement, std::string& connectionString);

// Writes an item inside the value of the extended-properties item
// (extendedKey), creating that item with a quoted value when it is absent.
// False, with the string unchanged, when that value is quoted but unclosed.
bool writeExtendedItem(std::string_view item, std::string_view value, std::string& connectionString,
                       std::string_view extendedKey);

// An item inside the extended-properties value; "" when either is absent.
std::string readExtendedItem(std::string_view item, std::string_view connectionString,
                             std::string_view extendedKey);

// True when the string's Trusted_Connection item is exactly "yes" (any
// other case of letters does not count).
bool isTrustedConnection(std::string_view connectionString);

// The first count characters (code points) of UTF-8 text, or all of it.
std::string_view firstChars(std::string_view text, size_t count);

// Doubles every single quote so the text can stand between quotes in SQL.
std::string encodeSqlValue(std::string_view value);

}  // namespace qxvb::connstr
