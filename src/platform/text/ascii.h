// ASCII-only case rules, for names that are plain identifiers (member
// names, ProgIDs, class identifiers, keywords): cheaper than Unicode
// folding and independent of the locale.
#pragma once

#include <string>
#include <string_view>

namespace qxvb::ascii {

inline char toLower(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline char toUpper(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

inline std::string toLower(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = toLower(c);
  return out;
}

inline std::string toUpper(std::string_view text) {
  std::string out(text);
  for (char& c : out) c = toUpper(c);
  return out;
}

inline bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (toLower(a[i]) != toLower(b[i])) return false;
  }
  return true;
}

// Position of needle in haystack ignoring ASCII case, or npos.
inline size_t findIgnoreCase(std::string_view haystack, std::string_view needle) {
  if (needle.size() > haystack.size()) return std::string_view::npos;
  for (size_t p = 0; p + needle.size() <= haystack.size(); ++p) {
    if (equalsIgnoreCase(haystack.substr(p, needle.size()), needle)) return p;
  }
  return std::string_view::npos;
}

}  // namespace qxvb::ascii
