// "ANSI" text: the character set of the locale the environment names,
// which platform calls that take 8-bit text use. UTF-8 locales (and the
// plain C locale, taken as UTF-8) need no conversion.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace qxvb::ansi {

std::string fromUtf8(std::string_view text);  // characters the set lacks become '?'
std::string toUtf8(std::string_view bytes);   // invalid bytes become U+FFFD

// The Windows "ANSI" code page of the language of the locale the
// environment names (LC_ALL, LC_CTYPE, LANG): ru/uk/bg 1251, ja 932,
// zh_CN 936, ko 949, zh_TW 950, Central European 1250, el 1253, tr 1254,
// he 1255, ar 1256, Baltic 1257, vi 1258, otherwise (C and POSIX too) 1252.
int windowsCodePage();
int windowsCodePageOf(std::string_view localeName);

// 8-bit text of a Windows code page as UTF-8. The code page is a number
// ("1252", "cp936") or a name iconv knows ("GBK", "windows-1251"). No value
// when the code page is unknown; bytes it lacks become '?'.
std::optional<std::string> codePageToUtf8(std::string_view bytes, std::string_view codePage);

}  // namespace qxvb::ansi
