#include "text/trimming.h"

namespace qxvb {

bool isProductWhiteSpace(char c) {
  return c == ' ' || c == '\r' || c == '\n' || c == '\t';
}

std::string trimLeftWhiteSpace(std::string_view text) {
  size_t first = 0;
  while (first < text.size() && isProductWhiteSpace(text[first])) ++first;
  return std::string(text.substr(first));
}

std::string trimRightWhiteSpace(std::string_view text) {
  size_t end = text.size();
  while (end > 0 && isProductWhiteSpace(text[end - 1])) --end;
  return std::string(text.substr(0, end));
}

std::string trimWhiteSpace(std::string_view text) {
  return trimLeftWhiteSpace(trimRightWhiteSpace(text));
}

std::string cStringToVBString(std::string_view text) {
  return std::string(text.substr(0, text.find('\0')));
}

std::string_view trimSpaces(std::string_view text) {
  const size_t first = text.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

}  // namespace qxvb
