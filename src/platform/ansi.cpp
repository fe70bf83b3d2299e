#include "platform/ansi.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <string>

namespace qxvb::ansi {

namespace {

// The character set of the locale the environment names (LC_ALL, LC_CTYPE,
// LANG), read without touching the process's global locale.
std::string localeCharset() {
  const locale_t locale = newlocale(LC_CTYPE_MASK, "", nullptr);
  if (locale == nullptr) return "UTF-8";
  std::string charset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return charset;
}

const std::string& ansiCharset() {
  static const std::string charset = localeCharset();
  return charset;
}

// The plain C locale's ASCII counts as UTF-8: a machine without a locale
// setting would otherwise turn every non-ASCII text into question marks.
bool needsNoConversion(const std::string& charset) {
  return charset == "UTF-8" || charset == "utf8" || charset == "ANSI_X3.4-1968" ||
         charset == "ASCII";
}

size_t sequenceLength(unsigned char c) {
  if (c < 0x80) return 1;
  if ((c & 0xE0) == 0xC0 && c >= 0xC2) return 2;
  if ((c & 0xF0) == 0xE0) return 3;
  if ((c & 0xF8) == 0xF0 && c <= 0xF4) return 4;
  return 0;
}

bool validSequence(std::string_view in, size_t i, size_t len) {
  if (len == 0 || i + len > in.size()) return false;
  for (size_t k = 1; k < len; ++k) {
    if ((static_cast<unsigned char>(in[i + k]) & 0xC0) != 0x80) return false;
  }
  const auto c = static_cast<unsigned char>(in[i]);
  const auto c1 = len > 1 ? static_cast<unsigned char>(in[i + 1]) : 0;
  if (len == 3 && ((c == 0xE0 && c1 < 0xA0) || (c == 0xED && c1 >= 0xA0))) return false;
  if (len == 4 && ((c == 0xF0 && c1 < 0x90) || (c == 0xF4 && c1 >= 0x90))) return false;
  return true;
}

// Replaces invalid UTF-8 sequences with U+FFFD so the result is valid.
std::string repairUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    const size_t len = sequenceLength(static_cast<unsigned char>(in[i]));
    if (validSequence(in, i, len)) {
      out.append(in.substr(i, len));
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

// Converts with iconv; a character that cannot be converted becomes "?".
std::string convert(std::string_view text, const char* to, const char* from, bool fromUtf8) {
  const iconv_t cd = iconv_open(to, from);
  // iconv_open reports failure as (iconv_t)-1.
  if (cd == reinterpret_cast<iconv_t>(-1))
    return std::string(text);  // NOLINT(performance-no-int-to-ptr)
  std::string out;
  out.reserve(text.size());
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char buffer[4096];
  while (inLeft > 0) {
    char* outPtr = buffer;
    size_t outLeft = sizeof buffer;
    const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
    out.append(buffer, static_cast<size_t>(outPtr - buffer));
    if (rc == static_cast<size_t>(-1) && errno != E2BIG) {
      out += '?';
      // Skip the whole character that could not be converted.
      size_t skip = 1;
      while (fromUtf8 && skip < inLeft && (static_cast<unsigned char>(in[skip]) & 0xC0) == 0x80) {
        ++skip;
      }
      in += skip;
      inLeft -= skip;
      iconv(cd, nullptr, nullptr, nullptr, nullptr);
    }
  }
  iconv_close(cd);
  return out;
}

}  // namespace

std::string fromUtf8(std::string_view text) {
  const std::string& charset = ansiCharset();
  if (needsNoConversion(charset)) return std::string(text);
  return convert(text, charset.c_str(), "UTF-8", true);
}

std::string toUtf8(std::string_view bytes) {
  const std::string& charset = ansiCharset();
  if (needsNoConversion(charset)) return repairUtf8(bytes);
  return repairUtf8(convert(bytes, "UTF-8", charset.c_str(), false));
}

}  // namespace qxvb::ansi
