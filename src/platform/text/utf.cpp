#include "platform/text/utf.h"

#include <cstdint>

namespace qxvb::utf {

namespace {

// Decodes one character at pos; false on an invalid sequence.
bool decode(std::string_view text, std::size_t& pos, char32_t& out) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  std::size_t extra = 0;
  char32_t min = 0;
  if (lead < 0x80) {
    out = lead;
    ++pos;
    return true;
  }
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    out = lead & 0x1F;
    min = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    out = lead & 0x0F;
    min = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    out = lead & 0x07;
    min = 0x10000;
  } else {
    return false;
  }
  if (pos + extra >= text.size()) return false;
  for (std::size_t i = 1; i <= extra; ++i) {
    const auto c = static_cast<unsigned char>(text[pos + i]);
    if ((c & 0xC0) != 0x80) return false;
    out = (out << 6) | (c & 0x3F);
  }
  if (out < min || out > 0x10FFFF || (out >= 0xD800 && out <= 0xDFFF)) return false;
  pos += extra + 1;
  return true;
}

bool isHighSurrogate(char32_t u) {
  return u >= 0xD800 && u <= 0xDBFF;
}

bool isLowSurrogate(char32_t u) {
  return u >= 0xDC00 && u <= 0xDFFF;
}

// Appends the UTF-16 units of every character of utf8 through put(unit).
template <class Put>
void eachUnit(std::string_view utf8, Put put) {
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    const char32_t c = next(utf8, pos);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      put(static_cast<char16_t>(0xD800 + (v >> 10)));
      put(static_cast<char16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      put(static_cast<char16_t>(c));
    }
  }
}

// UTF-8 of `units` UTF-16 units, unitAt(i) giving each.
template <class UnitAt>
std::string fromUnits(std::size_t units, UnitAt unitAt) {
  std::string out;
  out.reserve(units);
  for (std::size_t i = 0; i < units; ++i) {
    const char32_t u = unitAt(i);
    if (isHighSurrogate(u) && i + 1 < units && isLowSurrogate(unitAt(i + 1))) {
      append(out, 0x10000 + ((u - 0xD800) << 10) + (unitAt(i + 1) - 0xDC00));
      ++i;
    } else {
      append(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
    }
  }
  return out;
}

}  // namespace

char32_t next(std::string_view text, std::size_t& pos) {
  char32_t c = 0;
  if (!decode(text, pos, c)) {
    ++pos;
    return kReplacement;
  }
  return c;
}

bool isValid(std::string_view text) {
  std::size_t pos = 0;
  char32_t c = 0;
  while (pos < text.size()) {
    if (!decode(text, pos, c)) return false;
  }
  return true;
}

std::string repair(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    char32_t c = 0;
    if (decode(text, pos, c)) {
      out.append(text.substr(start, pos - start));
    } else {
      append(out, kReplacement);
      pos = start + 1;
    }
  }
  return out;
}

void append(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

std::size_t count(std::string_view text) {
  std::size_t n = 0;
  for (std::size_t pos = 0; pos < text.size(); ++n) next(text, pos);
  return n;
}

std::size_t offsetOf(std::string_view text, std::size_t n) {
  std::size_t pos = 0;
  for (std::size_t k = 0; k < n && pos < text.size(); ++k) next(text, pos);
  return pos;
}

std::u16string toUtf16(std::string_view utf8) {
  std::u16string out;
  out.reserve(utf8.size());
  eachUnit(utf8, [&](char16_t unit) { out += unit; });
  return out;
}

std::string fromUtf16(std::u16string_view utf16) {
  return fromUnits(utf16.size(), [&](std::size_t i) { return char32_t{utf16[i]}; });
}

std::string toUtf16le(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size() * 2);
  eachUnit(utf8, [&](char16_t unit) {
    out += static_cast<char>(unit & 0xFF);
    out += static_cast<char>(unit >> 8);
  });
  return out;
}

std::string fromUtf16le(std::string_view bytes) {
  return fromUnits(bytes.size() / 2, [&](std::size_t i) {
    return static_cast<char32_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                 (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  });
}

}  // namespace qxvb::utf
