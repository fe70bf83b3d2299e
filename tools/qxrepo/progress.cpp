#include "progress.h"

#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>

namespace qxrepo {

namespace {

size_t terminalWidth() {
  winsize size{};
  if (ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 20) return size.ws_col;
  return 80;
}

}  // namespace

// A bar is worth drawing only for more than one item.
Progress::Progress(size_t total) : total_(total), shown_(total > 1 && isatty(STDERR_FILENO) == 1) {
  draw();
}

Progress::~Progress() {
  clear();
}

void Progress::step(const std::string& name) {
  ++done_;
  current_ = name;
  draw();
}

void Progress::message(const std::string& text) {
  clear();
  std::fprintf(stderr, "%s\n", text.c_str());
  draw();
}

void Progress::draw() const {
  if (!shown_) return;
  constexpr size_t kBar = 30;
  const size_t filled = total_ == 0 ? kBar : done_ * kBar / total_;
  std::string line = "[" + std::string(filled, '#') + std::string(kBar - filled, '.') + "] " +
                     std::to_string(done_) + "/" + std::to_string(total_) + " " + current_;
  // One line only: the name is cut to what the terminal shows.
  size_t width = terminalWidth() - 1;
  if (line.size() > width) {
    while (width > 0 && (static_cast<unsigned char>(line[width]) & 0xC0U) == 0x80U) --width;
    line.resize(width);
  }
  std::fprintf(stderr, "\r%s\033[K", line.c_str());
  std::fflush(stderr);
}

void Progress::clear() const {
  if (!shown_) return;
  std::fputs("\r\033[K", stderr);
  std::fflush(stderr);
}

}  // namespace qxrepo
