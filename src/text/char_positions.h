// Character positions in UTF-8 text. The product counts characters, so
// positions and lengths count code points; an invalid byte counts as one
// character, as the platform's length does.
#pragma once

#include <cstddef>
#include <string_view>

namespace qxvb {

// The byte offset of the character at 1-based position; text.size() when
// the position lies beyond the last character.
size_t byteOffsetOfPosition(std::string_view text, size_t position);

// The 1-based position of the character that starts at byte offset.
size_t positionOfByteOffset(std::string_view text, size_t offset);

// The first count characters of text.
std::string_view leftCharacters(std::string_view text, size_t count);

// True when text has more than limit characters; stops counting there.
bool longerThan(std::string_view text, size_t limit);

}  // namespace qxvb
