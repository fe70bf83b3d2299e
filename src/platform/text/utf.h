// The one UTF-8 and UTF-16 codec. Invalid UTF-8 (a stray or missing
// continuation byte, an overlong form, a surrogate, a value above
// U+10FFFF) is taken one byte at a time and each such byte stands for
// U+FFFD; an unpaired UTF-16 surrogate is U+FFFD too.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qxvb::utf {

inline constexpr char32_t kReplacement = 0xFFFD;

// The character at pos, moving pos past it: an invalid byte gives
// kReplacement and moves on by one.
char32_t next(std::string_view text, std::size_t& pos);
// False when text holds an invalid sequence.
bool isValid(std::string_view text);
// The text with every invalid byte replaced by U+FFFD.
std::string repair(std::string_view text);
void append(std::string& out, char32_t c);

// Characters (as next() steps) of the text, and the byte offset after the
// first n of them.
std::size_t count(std::string_view text);
std::size_t offsetOf(std::string_view text, std::size_t n);

std::u16string toUtf16(std::string_view utf8);
std::string fromUtf16(std::u16string_view utf16);
// The same with UTF-16 little-endian bytes; an odd last byte is dropped.
std::string toUtf16le(std::string_view utf8);
std::string fromUtf16le(std::string_view bytes);

}  // namespace qxvb::utf
