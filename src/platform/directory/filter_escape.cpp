#include "platform/directory/filter_escape.h"

namespace qxvb::platform::directory {

std::string escapeFilterValue(std::string_view value) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string result;
  result.reserve(value.size());
  for (char c : value) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte == '*' || byte == '(' || byte == ')' || byte == '\\' || byte == 0 || byte >= 0x80) {
      result += '\\';
      result += kHex[byte >> 4];
      result += kHex[byte & 0x0f];
    } else {
      result += c;
    }
  }
  return result;
}

}  // namespace qxvb::platform::directory
