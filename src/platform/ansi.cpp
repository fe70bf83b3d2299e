#include "platform/ansi.h"

#include <langinfo.h>
#include <locale.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

#include "platform/iconv_text.h"
#include "platform/text/utf.h"

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

// A character iconv cannot convert is passed over whole: its lead byte
// and the continuation bytes after it.
size_t utf8Character(std::string_view rest) {
  size_t n = 1;
  while (n < rest.size() && (static_cast<unsigned char>(rest[n]) & 0xC0) == 0x80) ++n;
  return n;
}

size_t oneByte(std::string_view) {
  return 1;
}

// Converts with iconv; a character that cannot be converted becomes "?".
std::string convert(std::string_view text, const char* to, const char* from, bool fromUtf8) {
  platform::IconvConverter converter(to, from);
  if (!converter.valid()) return std::string(text);
  return converter.convert(text, "?", fromUtf8 ? utf8Character : oneByte);
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
  if (name.empty() || !platform::iconvKnows("UTF-8", name)) return std::nullopt;
  std::string out = convert(bytes, "UTF-8", name.c_str(), false);
  // convert() marks what it cannot convert with "?"; text stays valid.
  return utf::repair(out);
}

std::string fromUtf8(std::string_view text) {
  const std::string& charset = ansiCharset();
  if (needsNoConversion(charset)) return std::string(text);
  return convert(text, charset.c_str(), "UTF-8", true);
}

std::string toUtf8(std::string_view bytes) {
  const std::string& charset = ansiCharset();
  if (needsNoConversion(charset)) return utf::repair(bytes);
  return utf::repair(convert(bytes, "UTF-8", charset.c_str(), false));
}

}  // namespace qxvb::ansi
