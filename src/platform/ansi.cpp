#include "platform/ansi.h"

#include <iconv.h>
#include <langinfo.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace qxvb::ansi {

namespace {

bool localeIsUtf8() {
  const char* codeset = nl_langinfo(CODESET);
  if (codeset == nullptr) return true;
  return std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0 ||
         std::strcmp(codeset, "ASCII") == 0;
}

// Replaces invalid UTF-8 sequences with U+FFFD so the result is valid.
std::string repairUtf8(std::string_view in) {
  std::string out;
  out.reserve(in.size());
  size_t i = 0;
  while (i < in.size()) {
    const auto c = static_cast<unsigned char>(in[i]);
    size_t len = 0;
    if (c < 0x80)
      len = 1;
    else if ((c & 0xE0) == 0xC0 && c >= 0xC2)
      len = 2;
    else if ((c & 0xF0) == 0xE0)
      len = 3;
    else if ((c & 0xF8) == 0xF0 && c <= 0xF4)
      len = 4;
    bool ok = len > 0 && i + len <= in.size();
    for (size_t k = 1; ok && k < len; ++k) {
      ok = (static_cast<unsigned char>(in[i + k]) & 0xC0) == 0x80;
    }
    if (ok && len == 3) {
      const auto c1 = static_cast<unsigned char>(in[i + 1]);
      ok = !(c == 0xE0 && c1 < 0xA0) && !(c == 0xED && c1 >= 0xA0);
    }
    if (ok && len == 4) {
      const auto c1 = static_cast<unsigned char>(in[i + 1]);
      ok = !(c == 0xF0 && c1 < 0x90) && !(c == 0xF4 && c1 >= 0x90);
    }
    if (ok) {
      out.append(in.substr(i, len));
      i += len;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

std::string convert(std::string_view text, const char* to, const char* from, const char* fallback) {
  iconv_t cd = iconv_open(to, from);
  // iconv_open reports failure as (iconv_t)-1.
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string(text);  // NOLINT(performance-no-int-to-ptr)
  std::string out;
  out.resize(text.size() * 4 + 8);
  char* inPtr = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  while (inLeft > 0) {
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) break;
    // Skip one unconvertible byte and mark it.
    ++inPtr;
    --inLeft;
    const size_t n = std::strlen(fallback);
    if (outLeft < n) break;
    std::copy_n(fallback, n, outPtr);
    outPtr += n;
    outLeft -= n;
  }
  out.resize(out.size() - outLeft);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string fromUtf8(std::string_view text) {
  if (localeIsUtf8()) return std::string(text);
  return convert(text, nl_langinfo(CODESET), "UTF-8", "?");
}

std::string toUtf8(std::string_view bytes) {
  if (localeIsUtf8()) return repairUtf8(bytes);
  return repairUtf8(convert(bytes, "UTF-8", nl_langinfo(CODESET), "\xEF\xBF\xBD"));
}

}  // namespace qxvb::ansi
