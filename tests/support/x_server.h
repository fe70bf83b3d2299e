// A private X server for tests that meet windows as a person does: Xvfb,
// which picks a free display number itself (-displayfd), so test runs on
// one machine never collide, with the openbox window manager on it, so
// size limits, decorations and the active window are the manager's doing.
#pragma once

#include <sys/types.h>

#include <string>

namespace qxvb::test {

class XServer {
 public:
  // Starts Xvfb and openbox and waits until the manager runs; throws
  // std::runtime_error when either cannot be started.
  XServer();
  ~XServer();
  XServer(const XServer&) = delete;
  XServer& operator=(const XServer&) = delete;

  // The display name, e.g. ":3".
  const std::string& display() const { return display_; }

 private:
  pid_t server_ = -1;
  pid_t manager_ = -1;
  std::string display_;
};

// One server for the whole test program, started on the first call. It
// sets DISPLAY for this process and the children it starts, and makes Qt
// use it (QT_QPA_PLATFORM=xcb), so call it before the first window or
// drawing. Later calls return the same server.
const XServer& sharedXServer();

}  // namespace qxvb::test
