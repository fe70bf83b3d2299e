// The text file behind the product string table: one text per line,
// "id<TAB>text", with \n \r \t \\ escapes and '#' comment lines.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <unordered_map>

namespace qxvb::qxxres {

using TextMap = std::unordered_map<int32_t, std::string>;

// Parses the file's contents; malformed lines are skipped.
TextMap parseStringTable(std::string_view contents);

// Replaces %1, %2 and %3 in one pass, so a value holding "%2" stays as it is.
std::string fillPlaceholders(std::string_view templ, const std::string* values, size_t count);

inline constexpr const char* kStringTableFileName = "qxxres-strings.txt";

}  // namespace qxvb::qxxres
