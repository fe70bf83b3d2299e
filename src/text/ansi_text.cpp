#include "text/ansi_text.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <cerrno>
#include <string>

namespace qxvb {

namespace {

// The locale's character set, read from the environment without touching
// the process's global locale.
std::string localeCharset() {
  const locale_t locale = newlocale(LC_CTYPE_MASK, "", static_cast<locale_t>(0));
  if (locale == static_cast<locale_t>(0)) return "ANSI_X3.4-1968";
  std::string charset = nl_langinfo_l(CODESET, locale);
  freelocale(locale);
  return charset;
}

const std::string& ansiCharset() {
  static const std::string charset = localeCharset();
  return charset;
}

bool isUtf8(const std::string& charset) {
  return charset == "UTF-8" || charset == "utf8";
}

// Converts with iconv; a character that cannot be converted becomes "?".
std::string convert(std::string_view text, const char* to, const char* from, bool fromUtf8) {
  const iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);
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

std::string toAnsi(std::string_view utf8) {
  const std::string& charset = ansiCharset();
  if (isUtf8(charset)) return std::string(utf8);
  return convert(utf8, charset.c_str(), "UTF-8", true);
}

std::string fromAnsi(std::string_view ansi) {
  const std::string& charset = ansiCharset();
  if (isUtf8(charset)) return std::string(ansi);
  return convert(ansi, "UTF-8", charset.c_str(), false);
}

}  // namespace qxvb
