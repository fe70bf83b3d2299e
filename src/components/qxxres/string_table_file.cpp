#include "components/qxxres/string_table_file.h"

#include <charconv>

namespace qxvb::qxxres {

namespace {

std::string unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (c != '\\' || i + 1 == text.size()) {
      out += c;
      continue;
    }
    const char next = text[++i];
    switch (next) {
      case 'n':
        out += '\n';
        break;
      case 'r':
        out += '\r';
        break;
      case 't':
        out += '\t';
        break;
      case '\\':
        out += '\\';
        break;
      default:
        out += '\\';
        out += next;
    }
  }
  return out;
}

}  // namespace

TextMap parseStringTable(std::string_view contents) {
  TextMap texts;
  size_t start = 0;
  while (start < contents.size()) {
    size_t end = contents.find('\n', start);
    if (end == std::string_view::npos) end = contents.size();
    std::string_view line = contents.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line.empty() || line.front() == '#') continue;
    const size_t tab = line.find('\t');
    if (tab == std::string_view::npos) continue;
    int32_t id = 0;
    const auto res = std::from_chars(line.data(), line.data() + tab, id);
    if (res.ec != std::errc() || res.ptr != line.data() + tab) continue;
    texts[id] = unescape(line.substr(tab + 1));
  }
  return texts;
}

std::string fillPlaceholders(std::string_view templ, const std::string* values, size_t count) {
  std::string out;
  out.reserve(templ.size());
  for (size_t i = 0; i < templ.size(); ++i) {
    if (templ[i] == '%' && i + 1 < templ.size() && templ[i + 1] >= '1' && templ[i + 1] <= '3') {
      const auto n = static_cast<size_t>(templ[i + 1] - '1');
      if (n < count) {
        out += values[n];
        ++i;
        continue;
      }
    }
    out += templ[i];
  }
  return out;
}

}  // namespace qxvb::qxxres
