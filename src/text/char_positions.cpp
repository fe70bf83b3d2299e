#include "text/char_positions.h"

#include <unicode/utf8.h>

#include <cstdint>
#include <cstring>

namespace qxvb {

namespace {

// Advances i past one character, the way the platform's length counts.
size_t nextCharacter(std::string_view text, size_t i) {
  const auto* s = reinterpret_cast<const uint8_t*>(text.data());
  const size_t n = text.size();
  const uint8_t lead = s[i];
  if (lead < 0x80) return i + 1;
  // U8_NEXT works on 32-bit offsets; a character never spans more than
  // four bytes, so a window of four is enough for any text size.
  const size_t window = n - i < 4 ? n - i : 4;
  int32_t k = 0;
  UChar32 c = 0;
  U8_NEXT(s + i, k, static_cast<int32_t>(window), c);
  (void)c;
  return i + static_cast<size_t>(k);
}

}  // namespace

size_t byteOffsetOfPosition(std::string_view text, size_t position) {
  size_t offset = 0;
  for (size_t p = 1; p < position && offset < text.size(); ++p)
    offset = nextCharacter(text, offset);
  return offset;
}

size_t positionOfByteOffset(std::string_view text, size_t offset) {
  size_t position = 1;
  for (size_t i = 0; i < offset && i < text.size(); i = nextCharacter(text, i)) ++position;
  return position;
}

std::string_view leftCharacters(std::string_view text, size_t count) {
  return text.substr(0, byteOffsetOfPosition(text, count + 1));
}

bool longerThan(std::string_view text, size_t limit) {
  if (text.size() <= limit) return false;
  return byteOffsetOfPosition(text, limit + 1) < text.size();
}

}  // namespace qxvb
