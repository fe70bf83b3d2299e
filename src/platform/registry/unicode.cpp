#include "platform/registry/unicode.h"

#include <unicode/uchar.h>

#include "platform/text/utf.h"

namespace qxvb::registry::unicode {

std::size_t countChars(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  }
  return count;
}

std::string foldName(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = utf::next(text, pos);
    utf::append(out, static_cast<char32_t>(u_toupper(static_cast<UChar32>(c))));
  }
  return out;
}

std::string eightBitToUtf8(std::string_view bytes) {
  if (utf::isValid(bytes)) return std::string(bytes);
  std::string out;
  for (const char c : bytes) utf::append(out, static_cast<unsigned char>(c));
  return out;
}

}  // namespace qxvb::registry::unicode
