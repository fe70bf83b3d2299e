#include "database/connection_string_items.h"

#include <unicode/uchar.h>
#include <unicode/utf8.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace qxvb::connstr {

namespace {

constexpr char kSeparator = ';';
constexpr char kQuote = '"';
constexpr std::string_view kQuoteSeparator = "\";";

// Decodes the character at i and moves past it. A byte that does not start
// a valid sequence is a character of its own (the result is negative), so
// an invalid sequence never swallows the bytes after its first.
UChar32 nextChar(const uint8_t* bytes, int32_t& i, int32_t length) {
  const int32_t start = i;
  UChar32 c = 0;
  U8_NEXT(bytes, i, length, c);
  if (c < 0) i = start + 1;
  return c;
}

int32_t clampedLength(std::string_view text) {
  return static_cast<int32_t>(std::min<size_t>(text.size(), INT32_MAX));
}

// Characters of UTF-8 text reduced to their case folding. A byte that does
// not start a valid sequence stands for itself, outside the Unicode range,
// so it matches only the same byte.
std::u32string foldedChars(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = clampedLength(text);
  int32_t i = 0;
  while (i < length) {
    const uint8_t b = bytes[i];
    if (b < 0x80) {
      out.push_back(static_cast<char32_t>(b >= 'A' && b <= 'Z' ? b + ('a' - 'A') : b));
      ++i;
      continue;
    }
    const UChar32 c = nextChar(bytes, i, length);
    out.push_back(c < 0 ? static_cast<char32_t>(0x110000 + b)
                        : static_cast<char32_t>(u_foldCase(c, U_FOLD_CASE_DEFAULT)));
  }
  return out;
}

// The first occurrence of needle in haystack (Knuth-Morris-Pratt), with
// fold applied to each character of haystack, so the search stays linear
// for long, repetitive keys in huge strings.
template <class Haystack, class Needle, class Fold>
size_t findFolded(const Haystack& haystack, const Needle& needle, Fold fold) {
  std::vector<size_t> border(needle.size(), 0);
  for (size_t i = 1, k = 0; i < needle.size(); ++i) {
    while (k > 0 && needle[i] != needle[k]) k = border[k - 1];
    if (needle[i] == needle[k]) ++k;
    border[i] = k;
  }
  for (size_t i = 0, k = 0; i < haystack.size(); ++i) {
    const auto c = fold(haystack[i]);
    while (k > 0 && c != needle[k]) k = border[k - 1];
    if (c == needle[k]) ++k;
    if (k == needle.size()) return i + 1 - k;
  }
  return std::string_view::npos;
}

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c + ('a' - 'A')) : c;
}

bool isAscii(std::string_view text) {
  return std::all_of(text.begin(), text.end(),
                     [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

// The byte offset count characters on from the byte offset from, decoding
// as foldedChars does so that both agree on what a character is.
size_t advanceChars(std::string_view text, size_t from, size_t count) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = clampedLength(text);
  auto i = static_cast<int32_t>(std::min<size_t>(from, static_cast<size_t>(length)));
  for (size_t n = 0; n < count && i < length; ++n) nextChar(bytes, i, length);
  return static_cast<size_t>(i);
}

// The end of the value range as the write and remove operations need it:
// the offset just past the removable part of the item.
size_t removalEnd(std::string_view text, const ValueRange& range) {
  if (range.quoted) return range.end + 1;
  return std::min(range.end + 1, text.size());
}

}  // namespace

std::string itemKey(std::string_view item) {
  std::string key(item);
  if (key.empty() || key.back() != '=') key += '=';
  return key;
}

TextMatch matchIgnoreCase(std::string_view text, std::string_view pattern) {
  if (pattern.empty() || text.empty()) return {};
  // Plain ASCII on both sides, the usual case, folds byte by byte in place.
  if (isAscii(text) && isAscii(pattern)) {
    std::string needle(pattern);
    std::transform(needle.begin(), needle.end(), needle.begin(), asciiLower);
    const size_t at = findFolded(text, needle, asciiLower);
    if (at == std::string_view::npos) return {};
    return TextMatch{at, at + pattern.size()};
  }
  const std::u32string needle = foldedChars(pattern);
  const size_t at = findFolded(foldedChars(text), needle, [](char32_t c) { return c; });
  if (at == std::string_view::npos) return {};
  TextMatch match;
  match.begin = advanceChars(text, 0, at);
  match.end = advanceChars(text, match.begin, needle.size());
  return match;
}

size_t findIgnoreCase(std::string_view text, std::string_view pattern) {
  return matchIgnoreCase(text, pattern).begin;
}

ValueRange valueRangeAt(std::string_view text, size_t start) {
  ValueRange range;
  if (start < text.size() && text[start] == kQuote) {
    range.quoted = true;
    range.begin = start + 1;
    size_t close = text.find(kQuoteSeparator, range.begin);
    if (close == std::string_view::npos) close = text.find(kQuote, range.begin);
    range.closed = close != std::string_view::npos;
    range.end = range.closed ? close : range.begin;
    return range;
  }
  range.begin = std::min(start, text.size());
  const size_t separator = text.find(kSeparator, range.begin);
  range.end = separator == std::string_view::npos ? text.size() : separator;
  return range;
}

ItemLocation locateItem(std::string_view connectionString, std::string_view item) {
  ItemLocation location;
  const TextMatch key = matchIgnoreCase(connectionString, itemKey(item));
  if (!key.found()) return location;
  location.found = true;
  location.keyStart = key.begin;
  location.value = valueRangeAt(connectionString, key.end);
  return location;
}

std::string readItem(std::string_view item, std::string_view connectionString) {
  const ItemLocation location = locateItem(connectionString, item);
  if (!location.found || !location.value.closed) return {};
  const ValueRange& v = location.value;
  return std::string(connectionString.substr(v.begin, v.end - v.begin));
}

bool removeItem(std::string_view item, std::string& connectionString) {
  const ItemLocation location = locateItem(connectionString, item);
  if (!location.found) return false;
  if (!location.value.closed) return true;
  std::string result = connectionString;
  result.erase(location.keyStart, removalEnd(connectionString, location.value) - location.keyStart);
  connectionString = std::move(result);
  return true;
}

bool writeItem(std::string_view item, std::string_view replacement, std::string& connectionString) {
  const ItemLocation location = locateItem(connectionString, item);
  std::string result = connectionString;
  if (location.found) {
    if (!location.value.closed) return true;
    const ValueRange& v = location.value;
    result.replace(v.begin, v.end - v.begin, replacement);
  } else {
    if (!result.empty()) result += kSeparator;
    result += itemKey(item);
    result += replacement;
  }
  connectionString = std::move(result);
  return true;
}

bool writeExtendedItem(std::string_view item, std::string_view value, std::string& connectionString,
                       std::string_view extendedKey) {
  const std::string key = itemKey(item);
  std::string extended;
  const TextMatch found = matchIgnoreCase(connectionString, extendedKey);
  if (found.found()) {
    const ValueRange v = valueRangeAt(connectionString, found.end);
    if (!v.closed) return false;
    extended = connectionString.substr(v.begin, v.end - v.begin);
    if (!writeItem(key, value, extended)) return false;
  } else {
    extended = std::string(1, kQuote) + key + std::string(value) + kQuote;
  }
  return writeItem(extendedKey, extended, connectionString);
}

std::string readExtendedItem(std::string_view item, std::string_view connectionString,
                             std::string_view extendedKey) {
  const std::string extended = readItem(extendedKey, connectionString);
  if (extended.empty()) return {};
  return readItem(item, extended);
}

bool isTrustedConnection(std::string_view connectionString) {
  return readItem("Trusted_Connection", connectionString) == "yes";
}

std::string_view firstChars(std::string_view text, size_t count) {
  const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
  const int32_t length = clampedLength(text);
  int32_t i = 0;
  for (size_t n = 0; n < count && i < length; ++n) U8_FWD_1(bytes, i, length);
  return text.substr(0, static_cast<size_t>(i));
}

std::string encodeSqlValue(std::string_view value) {
  std::string out;
  out.reserve(value.size());
  for (const char c : value) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

}  // namespace qxvb::connstr
