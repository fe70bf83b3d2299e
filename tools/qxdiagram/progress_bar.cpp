#include "progress_bar.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>

namespace qxdiagram {

namespace {

constexpr int kBarWidth = 30;

int terminalWidth() {
  winsize size{};
  if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
  return 80;
}

// The item cut to at most room characters, counting each UTF-8 sequence
// as one.
std::string cutToFit(const std::string& item, int room) {
  std::string out;
  int count = 0;
  for (size_t i = 0; i < item.size();) {
    size_t next = i + 1;
    while (next < item.size() && (static_cast<unsigned char>(item[next]) & 0xC0) == 0x80) ++next;
    if (++count > room) break;
    out.append(item, i, next - i);
    i = next;
  }
  return out;
}

}  // namespace

std::string progressLine(int done, int total, const std::string& item, int width) {
  const int filled = total > 0 ? done * kBarWidth / total : kBarWidth;
  std::string line = "[" + std::string(static_cast<size_t>(filled), '#') +
                     std::string(static_cast<size_t>(kBarWidth - filled), '.') + "] " +
                     std::to_string(done) + "/" + std::to_string(total);
  const int room = width - 1 - static_cast<int>(line.size()) - 1;
  if (!item.empty() && room > 3) line += " " + cutToFit(item, room);
  return line;
}

ProgressBar::ProgressBar(int total, bool enabled)
    : total_(total), enabled_(enabled && ::isatty(STDERR_FILENO) == 1) {}

ProgressBar::~ProgressBar() {
  finish();
}

void ProgressBar::show(int done, const std::string& item) {
  if (!enabled_) return;
  // Clear to the end of the line: a shorter item leaves nothing behind.
  std::fprintf(stderr, "\r%s\x1b[K", progressLine(done, total_, item, terminalWidth()).c_str());
  std::fflush(stderr);
  drawn_ = true;
}

void ProgressBar::finish() {
  if (drawn_) std::fputc('\n', stderr);
  drawn_ = false;
}

}  // namespace qxdiagram
