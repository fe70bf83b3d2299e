#include "platform/registry/unicode.h"

#include <unicode/uchar.h>

#include <cstdint>

namespace qxvb::registry::unicode {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

// Decodes one character at pos; answers false on an invalid sequence
// (overlong forms, surrogates and values above U+10FFFF included).
bool decodeOne(std::string_view text, std::size_t& pos, char32_t& out) {
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

// The character at pos, moving past it; an invalid sequence gives the
// replacement character and moves on by one byte.
char32_t nextOrReplacement(std::string_view text, std::size_t& pos) {
  char32_t c = 0;
  if (!decodeOne(text, pos, c)) {
    ++pos;
    return kReplacement;
  }
  return c;
}

void appendUtf8(std::string& out, char32_t c) {
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

void appendUnit(std::string& out, std::uint16_t unit) {
  out += static_cast<char>(unit & 0xFF);
  out += static_cast<char>(unit >> 8);
}

}  // namespace

bool isValidUtf8(std::string_view text) {
  std::size_t pos = 0;
  char32_t c = 0;
  while (pos < text.size()) {
    if (!decodeOne(text, pos, c)) return false;
  }
  return true;
}

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
    const char32_t c = nextOrReplacement(text, pos);
    appendUtf8(out, static_cast<char32_t>(u_toupper(static_cast<UChar32>(c))));
  }
  return out;
}

std::string utf8ToUtf16le(std::string_view text) {
  std::string out;
  out.reserve(text.size() * 2);
  std::size_t pos = 0;
  while (pos < text.size()) {
    const char32_t c = nextOrReplacement(text, pos);
    if (c >= 0x10000) {
      const char32_t v = c - 0x10000;
      appendUnit(out, static_cast<std::uint16_t>(0xD800 + (v >> 10)));
      appendUnit(out, static_cast<std::uint16_t>(0xDC00 + (v & 0x3FF)));
    } else {
      appendUnit(out, static_cast<std::uint16_t>(c));
    }
  }
  return out;
}

std::string utf16leToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  const std::size_t units = bytes.size() / 2;
  auto unitAt = [&](std::size_t i) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[2 * i]) |
                                      (static_cast<unsigned char>(bytes[2 * i + 1]) << 8));
  };
  for (std::size_t i = 0; i < units; ++i) {
    const std::uint16_t u = unitAt(i);
    if (u >= 0xD800 && u <= 0xDBFF && i + 1 < units) {
      const std::uint16_t low = unitAt(i + 1);
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((static_cast<char32_t>(u) - 0xD800) << 10) + (low - 0xDC00));
        ++i;
        continue;
      }
    }
    appendUtf8(out, (u >= 0xD800 && u <= 0xDFFF) ? kReplacement : u);
  }
  return out;
}

std::string eightBitToUtf8(std::string_view bytes) {
  if (isValidUtf8(bytes)) return std::string(bytes);
  std::string out;
  for (const char c : bytes) appendUtf8(out, static_cast<unsigned char>(c));
  return out;
}

}  // namespace qxvb::registry::unicode
