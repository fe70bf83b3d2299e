#include "settings/registry/value_text.h"

#include <cstdio>

#include "platform/registry/unicode.h"
#include "platform/text/utf.h"
#include "settings/registry/registry_access.h"

namespace qxvb::registry_access {

namespace {

// The four data bytes as an unsigned little-endian number; shorter data is
// read as far as it goes.
std::string numberText(const registry::Bytes& data) {
  std::uint32_t number = 0;
  for (std::size_t i = 0; i < data.size() && i < 4; ++i) {
    number |= static_cast<std::uint32_t>(data[i]) << (8 * i);
  }
  char text[16];
  std::snprintf(text, sizeof text, "%03u", number);
  return text;
}

std::string hexText(const registry::Bytes& data) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text;
  text.reserve(data.size() * 2);
  for (const std::uint8_t byte : data) {
    text += kDigits[byte >> 4];
    text += kDigits[byte & 0x0F];
  }
  return text;
}

bool isContinuationByte(std::uint8_t byte) {
  return (byte & 0xC0) == 0x80;
}

std::size_t sequenceLength(std::uint8_t lead) {
  if (lead < 0x80) return 1;
  if ((lead & 0xE0) == 0xC0) return 2;
  if ((lead & 0xF0) == 0xE0) return 3;
  if ((lead & 0xF8) == 0xF0) return 4;
  return 0;
}

// The data less its final character (the terminator of a string, or the
// last whole character of data written without one), as UTF-8 text.
std::string withoutFinalCharacter(const registry::Bytes& data) {
  if (data.empty()) return std::string();
  std::size_t start = data.size() - 1;
  while (start > 0 && data.size() - start < 4 && isContinuationByte(data[start])) --start;
  const std::size_t tail = data.size() - start;
  const std::size_t cut = sequenceLength(data[start]) == tail ? start : data.size() - 1;
  // Data that is not UTF-8 was written in an 8-bit code page.
  return registry::unicode::eightBitToUtf8(
      std::string_view(reinterpret_cast<const char*>(data.data()), cut));
}

bool isStringType(std::uint32_t type) {
  return type == registry::kRegSz || type == registry::kRegExpandSz ||
         type == registry::kRegMultiSz;
}

}  // namespace

std::string valueTextByName(std::uint32_t type, const registry::Bytes& data) {
  if (type == registry::kRegDword) return numberText(data);
  if (type == registry::kRegBinary) return hexText(data);
  return withoutFinalCharacter(data);
}

std::string valueTextEnumerated(std::uint32_t type, const registry::Bytes& data) {
  if (type == registry::kRegDword) return numberText(data);
  return withoutFinalCharacter(data);
}

bool fitsBuffer(std::uint32_t type, const registry::Bytes& data) {
  if (data.size() <= kBufferChars) return true;
  const std::string_view text(reinterpret_cast<const char*>(data.data()), data.size());
  return isStringType(type) && utf::isValid(text) &&
         registry::unicode::countChars(text) <= kBufferChars;
}

}  // namespace qxvb::registry_access
