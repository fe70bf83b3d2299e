// A registry branch as XML text and back: every subkey, recursively, and
// every string or number value, with element and attribute names taken
// from the product string table.
#pragma once

#include <cstdint>
#include <string>

namespace qxvb {

// The branch below path as XML text; what could be read before a failure
// stays in the text, "" when no document could be made.
std::string readBranchAsXml(int32_t hkey, const std::string& path);

// Writes the values of a branch text below path, one transaction for the
// whole text. A text that does not parse or has no start element changes
// nothing; a value or key element without the attributes it needs raises.
void writeBranchFromXml(int32_t hkey, const std::string& text, const std::string& path);

}  // namespace qxvb
