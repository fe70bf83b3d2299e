#include "ui/window_helpers/command_line.h"

namespace qxvb::gui {

namespace {

bool isBlank(char ch) {
  return ch == ' ' || ch == '\t';
}

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
  std::vector<std::string> out;
  size_t i = 0;
  while (i < line.size() && isBlank(line[i])) ++i;
  if (i >= line.size()) return out;
  // The program name.
  std::string program;
  bool quoted = false;
  for (; i < line.size(); ++i) {
    const char ch = line[i];
    if (ch == '"') {
      quoted = !quoted;
    } else if (isBlank(ch) && !quoted) {
      break;
    } else {
      program += ch;
    }
  }
  out.push_back(program);
  // The arguments.
  for (;;) {
    while (i < line.size() && isBlank(line[i])) ++i;
    if (i >= line.size()) break;
    std::string arg;
    quoted = false;
    while (i < line.size()) {
      const char ch = line[i];
      if (ch == '\\') {
        size_t count = 0;
        while (i < line.size() && line[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < line.size() && line[i] == '"') {
          arg.append(count / 2, '\\');
          if (count % 2 == 1) {
            arg += '"';
            ++i;
          }
        } else {
          arg.append(count, '\\');
        }
        continue;
      }
      if (ch == '"') {
        if (quoted && i + 1 < line.size() && line[i + 1] == '"') {
          arg += '"';
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      if (isBlank(ch) && !quoted) break;
      arg += ch;
      ++i;
    }
    out.push_back(arg);
  }
  return out;
}

}  // namespace qxvb::gui
