#include "platform/ansi.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>
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

iconv_t openConverter(const char* to, const char* from) {
  return iconv_open(to, from);
}

bool failedToOpen(iconv_t cd) {
  // iconv_open reports failure as (iconv_t)-1.
  return cd == reinterpret_cast<iconv_t>(-1);  // NOLINT(performance-no-int-to-ptr)
}

// Converts with iconv; a character that cannot be converted becomes "?".
std::string convert(std::string_view text, const char* to, const char* from, bool fromUtf8) {
  const iconv_t cd = openConverter(to, from);
  if (failedToOpen(cd)) return std::string(text);
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

struct LanguagePage {
  const char* language;
  int codePage;
};

constexpr LanguagePage kLanguagePages[] = {{"ru", 1251}, {"uk", 1251}, {"bg", 1251}, {"ja", 932},
                                           {"ko", 949},  {"cs", 1250}, {"pl", 1250}, {"hu", 1250},
                                           {"sk", 1250}, {"sl", 1250}, {"hr", 1250}, {"ro", 1250},
                                           {"el", 1253}, {"tr", 1254}, {"he", 1255}, {"ar", 1256},
                                           {"et", 1257}, {"lv", 1257}, {"lt", 1257}, {"vi", 1258}};

std::string environmentLocale() {
  for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
    const char* value = std::getenv(name);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

// "cp1252", "1252", "windows-1252" as the iconv name "CP1252"; other names
// ("GBK") as they are.
std::string iconvName(std::string_view codePage) {
  std::string name(codePage);
  for (const std::string_view prefix : {"cp", "CP", "windows-", "Windows-", "WINDOWS-"}) {
    if (name.rfind(prefix, 0) == 0 && name.size() > prefix.size() &&
        std::isdigit(static_cast<unsigned char>(name[prefix.size()]))) {
      name.erase(0, prefix.size());
      break;
    }
  }
  const bool number = !name.empty() && std::all_of(name.begin(), name.end(), [](char c) {
    return std::isdigit(static_cast<unsigned char>(c)) != 0;
  });
  return number ? "CP" + name : name;
}

}  // namespace

int windowsCodePageOf(std::string_view localeName) {
  const std::string_view language = localeName.substr(0, localeName.find_first_of("_.@"));
  if (language == "zh") {
    const std::string_view territory = localeName.substr(std::min(localeName.size(), size_t{3}), 2);
    return territory == "TW" || territory == "HK" || territory == "MO" ? 950 : 936;
  }
  for (const LanguagePage& entry : kLanguagePages) {
    if (language == entry.language) return entry.codePage;
  }
  return 1252;
}

int windowsCodePage() {
  return windowsCodePageOf(environmentLocale());
}

std::optional<std::string> codePageToUtf8(std::string_view bytes, std::string_view codePage) {
  const std::string name = iconvName(codePage);
  const iconv_t cd = openConverter("UTF-8", name.c_str());
  if (name.empty() || failedToOpen(cd)) return std::nullopt;
  iconv_close(cd);
  std::string out = convert(bytes, "UTF-8", name.c_str(), false);
  // convert() marks what it cannot convert with "?"; text stays valid.
  return repairUtf8(out);
}

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
