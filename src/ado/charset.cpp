#include "ado/charset.h"

#include "ado/names.h"
#include "ado/value_codec.h"
#include "platform/iconv_text.h"
#include "platform/text/utf.h"

namespace qxvb::ado {

namespace {

size_t oneCodePoint(std::string_view utf8) {
  const size_t n = utf::offsetOf(utf8, 1);
  return n == 0 ? 1 : n;
}

size_t oneByte(std::string_view) {
  return 1;
}

}  // namespace

std::string iconvName(std::string_view charset) {
  if (sameName(charset, "Unicode") || sameName(charset, "utf-16")) return "UTF-16LE";
  if (sameName(charset, "unicodeFFFE") || sameName(charset, "utf-16BE")) return "UTF-16BE";
  if (sameName(charset, "utf-8") || sameName(charset, "unicode-1-1-utf-8")) return "UTF-8";
  if (sameName(charset, "ascii") || sameName(charset, "us-ascii")) return "ASCII";
  std::string name(charset);
  return platform::iconvKnows("UTF-8", name) ? name : std::string();
}

std::string byteOrderMark(std::string_view charset) {
  const std::string name = iconvName(charset);
  if (name == "UTF-16LE") return "\xFF\xFE";
  if (name == "UTF-16BE") return "\xFE\xFF";
  if (name == "UTF-8") return "\xEF\xBB\xBF";
  return {};
}

std::string encodeText(std::string_view utf8, std::string_view charset) {
  const std::string name = iconvName(charset);
  if (name == "UTF-8") return std::string(utf8);
  platform::IconvConverter converter(name, "UTF-8");
  if (!converter.valid()) return std::string(utf8);
  const std::string question = name == "UTF-16LE"   ? std::string("?\0", 2)
                               : name == "UTF-16BE" ? std::string("\0?", 2)
                                                    : std::string("?");
  return converter.convert(utf8, question, oneCodePoint);
}

std::string decodeText(std::string_view bytes, std::string_view charset) {
  const std::string name = iconvName(charset);
  platform::IconvConverter converter("UTF-8", name.empty() ? std::string("UTF-8") : name);
  if (!converter.valid()) return std::string(bytes);
  return converter.convert(bytes, "\xEF\xBF\xBD", oneByte);
}

}  // namespace qxvb::ado
