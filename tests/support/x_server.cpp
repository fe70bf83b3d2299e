#include "support/x_server.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <stdexcept>
#include <thread>
#include <vector>

#include "support/child_process.h"

namespace qxvb::test {

namespace {

using namespace std::chrono_literals;

// The program's full path from PATH, found before forking (the child of a
// threaded program must not allocate).
std::string programPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    const size_t end = std::min(dirs.find(':', start), dirs.size());
    const std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return "/usr/bin/" + name;
}

// Starts a program that ends with this process (SIGTERM when the test
// program dies), keeping keepFd open in it.
pid_t startTied(std::vector<std::string> arguments, int keepFd) {
  arguments[0] = programPath(arguments[0]);
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const pid_t parent = ::getpid();
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::prctl(PR_SET_PDEATHSIG, SIGTERM);
  if (::getppid() != parent) ::_exit(127);
  const int null = ::open("/dev/null", O_RDWR);
  ::dup2(null, STDIN_FILENO);
  ::dup2(null, STDOUT_FILENO);
  ::dup2(null, STDERR_FILENO);
  for (int fd = 3; fd < 1024; ++fd) {
    if (fd != keepFd) ::close(fd);
  }
  ::execv(argv[0], argv.data());
  ::_exit(127);
}

std::string readDisplayNumber(int fd, pid_t server) {
  std::string number;
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (std::chrono::steady_clock::now() < deadline) {
    pollfd p{fd, POLLIN, 0};
    if (::poll(&p, 1, 100) > 0) {
      char buffer[32];
      const ssize_t n = ::read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      number.append(buffer, static_cast<size_t>(n));
      if (number.find('\n') != std::string::npos) break;
    }
    int status = 0;
    if (::waitpid(server, &status, WNOHANG) == server) break;
  }
  while (!number.empty() && (number.back() == '\n' || number.back() == '\r')) number.pop_back();
  return number;
}

xcb_atom_t internAtom(xcb_connection_t* c, const char* name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(std::strlen(name)), name), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

bool listsWindow(xcb_connection_t* c, xcb_window_t root, xcb_atom_t list, xcb_window_t window) {
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, root, list, XCB_ATOM_WINDOW, 0, 4096), nullptr);
  bool found = false;
  if (reply != nullptr) {
    const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(reply));
    const int count = xcb_get_property_value_length(reply) / 4;
    found = std::find(ids, ids + count, window) != ids + count;
  }
  std::free(reply);
  return found;
}

// The manager is ready when it manages a newly mapped window: it announces
// itself on the root window a moment before it handles map requests.
bool managerReady(const std::string& display) {
  xcb_connection_t* c = xcb_connect(display.c_str(), nullptr);
  bool ready = false;
  if (xcb_connection_has_error(c) == 0) {
    xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
    const xcb_window_t probe = xcb_generate_id(c);
    xcb_create_window(c, XCB_COPY_FROM_PARENT, probe, screen->root, 0, 0, 10, 10, 0,
                      XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, 0, nullptr);
    xcb_map_window(c, probe);
    xcb_flush(c);
    const xcb_atom_t clients = internAtom(c, "_NET_CLIENT_LIST");
    for (int i = 0; i < 50 && !ready; ++i) {
      std::this_thread::sleep_for(10ms);
      ready = listsWindow(c, screen->root, clients, probe);
    }
  }
  xcb_disconnect(c);
  return ready;
}

}  // namespace

XServer::XServer() {
  int fds[2];
  if (::pipe2(fds, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  // The write end must survive exec in the server only.
  ::fcntl(fds[1], F_SETFD, 0);
  server_ = startTied({"Xvfb", "-displayfd", std::to_string(fds[1]), "-screen", "0", "1280x1024x24",
                       "-nolisten", "tcp", "-dpi", "96", "-noreset"},
                      fds[1]);
  ::close(fds[1]);
  const std::string number = readDisplayNumber(fds[0], server_);
  ::close(fds[0]);
  if (number.empty()) {
    stopChild(server_, 1s);
    throw std::runtime_error("Xvfb did not start");
  }
  display_ = ":" + number;
  setenv("DISPLAY", display_.c_str(), 1);
  manager_ = startTied({"openbox", "--sm-disable"}, -1);
  const auto deadline = std::chrono::steady_clock::now() + 20s;
  while (!managerReady(display_)) {
    if (std::chrono::steady_clock::now() > deadline) {
      throw std::runtime_error("openbox did not start on " + display_);
    }
    std::this_thread::sleep_for(10ms);
  }
}

XServer::~XServer() {
  if (manager_ > 0) stopChild(manager_, 2s);
  if (server_ > 0) stopChild(server_, 2s);
}

const XServer& sharedXServer() {
  // Qt reads the platform when its application is made.
  static const std::unique_ptr<XServer> server = [] {
    auto s = std::make_unique<XServer>();
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    // Qt wants a private runtime folder; the sandbox's temporary folder has one.
    const std::string runtime =
        std::string(std::getenv("TMPDIR") ? std::getenv("TMPDIR") : "/tmp") + "/xdg-runtime-" +
        std::to_string(::getpid());
    ::mkdir(runtime.c_str(), 0700);
    setenv("XDG_RUNTIME_DIR", runtime.c_str(), 0);
    return s;
  }();
  return *server;
}

}  // namespace qxvb::test
