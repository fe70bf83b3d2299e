// Trimming of the product's white space (space, CR, LF and tab only) and
// cutting C strings at their terminator.
#pragma once

#include <string>
#include <string_view>

namespace qxvb {

bool isProductWhiteSpace(char c);

std::string trimLeftWhiteSpace(std::string_view text);
std::string trimRightWhiteSpace(std::string_view text);
std::string trimWhiteSpace(std::string_view text);

// The text before the first NUL character, or the whole text.
std::string cStringToVBString(std::string_view text);

// VB's Trim: removes leading and trailing spaces only.
std::string_view trimSpaces(std::string_view text);

}  // namespace qxvb
