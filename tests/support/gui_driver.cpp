#include "support/gui_driver.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "support/child_process.h"
#include "support/sandbox.h"

extern char** environ;

namespace qxvb::test {

namespace {

pid_t spawnWithOutput(const std::vector<std::string>& arguments, const std::filesystem::path& out) {
  std::vector<char*> argv;
  for (const auto& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, out.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

int finish(pid_t pid, std::chrono::milliseconds limit) {
  if (pid <= 0) return -1;
  int status = 0;
  if (!waitFor(pid, limit, status)) {
    ::kill(pid, SIGKILL);
    exitCodeOf(pid);
    return -1;
  }
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

std::filesystem::path outputFile() {
  return freshFolder("run") / "output.txt";
}

std::string trimmed(std::string text) {
  while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
  return text;
}

}  // namespace

std::string runProgram(const std::vector<std::string>& arguments, int* exitCode,
                       std::chrono::milliseconds limit) {
  const auto out = outputFile();
  const int code = finish(spawnWithOutput(arguments, out), limit);
  if (exitCode != nullptr) *exitCode = code;
  return readFile(out);
}

std::string xdotool(const std::vector<std::string>& arguments) {
  std::vector<std::string> all{"xdotool"};
  all.insert(all.end(), arguments.begin(), arguments.end());
  return trimmed(runProgram(all));
}

std::string exactPattern(const std::string& text) {
  std::string out = "^";
  for (const char ch : text) {
    if (std::string_view("\\^$.|?*+()[]{}").find(ch) != std::string_view::npos) out += '\\';
    out += ch;
  }
  return out + "$";
}

uint32_t waitForWindow(const std::string& titlePattern, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    const std::string found = xdotool({"search", "--onlyvisible", "--name", titlePattern});
    if (!found.empty()) return static_cast<uint32_t>(std::stoul(found.substr(0, found.find('\n'))));
    std::this_thread::sleep_for(50ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return 0;
}

bool waitForNoWindow(const std::string& titlePattern, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  do {
    if (xdotool({"search", "--onlyvisible", "--name", titlePattern}).empty()) return true;
    std::this_thread::sleep_for(50ms);
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

void pressKeys(uint32_t window, const std::vector<std::string>& keys) {
  const std::string id = std::to_string(window);
  xdotool({"windowactivate", "--sync", id});
  std::vector<std::string> args{"key", "--clearmodifiers", "--delay", "30"};
  args.insert(args.end(), keys.begin(), keys.end());
  xdotool(args);
}

bool pressKeysUntilClosed(uint32_t window, const std::vector<std::string>& keys) {
  const std::string id = std::to_string(window);
  const auto open = [&] {
    const std::string shown = xdotool({"search", "--onlyvisible", "--name", "^"}) + "\n";
    return shown.find(id + "\n") != std::string::npos;
  };
  for (int attempt = 0; attempt < 3; ++attempt) {
    pressKeys(window, keys);
    if (eventually([&] { return !open(); }, 3s)) return true;
  }
  return false;
}

void typeText(uint32_t window, const std::string& text) {
  xdotool({"windowactivate", "--sync", std::to_string(window)});
  xdotool({"type", "--delay", "20", text});
}

void clickAt(uint32_t window, int x, int y, int repeat) {
  const std::string id = std::to_string(window);
  xdotool({"windowactivate", "--sync", id});
  xdotool({"mousemove", "--sync", "--window", id, std::to_string(x), std::to_string(y)});
  xdotool({"click", "--repeat", std::to_string(repeat), "--delay", "80", "1"});
}

WindowGeometry windowGeometry(uint32_t window) {
  const std::string text = xdotool({"getwindowgeometry", "--shell", std::to_string(window)});
  WindowGeometry g;
  size_t start = 0;
  while (start < text.size()) {
    const size_t end = std::min(text.find('\n', start), text.size());
    const std::string line = text.substr(start, end - start);
    const size_t eq = line.find('=');
    if (eq != std::string::npos) {
      const std::string key = line.substr(0, eq);
      const int value = std::atoi(line.c_str() + eq + 1);
      if (key == "X") g.x = value;
      if (key == "Y") g.y = value;
      if (key == "WIDTH") g.width = value;
      if (key == "HEIGHT") g.height = value;
    }
    start = end + 1;
  }
  return g;
}

QxcallProcess::QxcallProcess(const std::vector<std::string>& arguments) : log_(outputFile()) {
  std::vector<std::string> all{builtProgram("qxcall").string()};
  all.insert(all.end(), arguments.begin(), arguments.end());
  pid_ = spawnWithOutput(all, log_);
}

QxcallProcess::~QxcallProcess() {
  if (pid_ > 0) finish(pid_, 0ms);
}

int QxcallProcess::wait(std::chrono::milliseconds limit) {
  const int code = finish(pid_, limit);
  pid_ = -1;
  return code;
}

std::string QxcallProcess::output() const {
  return readFile(log_);
}

namespace {

xcb_atom_t internAtom(xcb_connection_t* c, const std::string& name) {
  xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
      c, xcb_intern_atom(c, 0, static_cast<uint16_t>(name.size()), name.c_str()), nullptr);
  const xcb_atom_t atom = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
  std::free(reply);
  return atom;
}

std::vector<uint32_t> atomList(xcb_connection_t* c, uint32_t window, xcb_atom_t property) {
  std::vector<uint32_t> out;
  xcb_get_property_reply_t* reply = xcb_get_property_reply(
      c, xcb_get_property(c, 0, window, property, XCB_GET_PROPERTY_TYPE_ANY, 0, 4096), nullptr);
  if (reply != nullptr && reply->format == 32) {
    const auto* data = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    out.assign(data, data + xcb_get_property_value_length(reply) / 4);
  }
  std::free(reply);
  return out;
}

}  // namespace

ForeignWindow::ForeignWindow(const std::string& instance, const std::string& className,
                             const std::string& title, bool map) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  connection_ = c;
  if (xcb_connection_has_error(c) != 0) return;
  xcb_screen_t* screen = xcb_setup_roots_iterator(xcb_get_setup(c)).data;
  id_ = xcb_generate_id(c);
  const uint32_t values[] = {screen->white_pixel};
  xcb_create_window(c, XCB_COPY_FROM_PARENT, id_, screen->root, 40, 40, 320, 200, 0,
                    XCB_WINDOW_CLASS_INPUT_OUTPUT, screen->root_visual, XCB_CW_BACK_PIXEL, values);
  std::string wmClass = instance;
  wmClass += '\0';
  wmClass += className;
  wmClass += '\0';
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(wmClass.size()), wmClass.data());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, internAtom(c, "_NET_WM_NAME"),
                      internAtom(c, "UTF8_STRING"), 8, static_cast<uint32_t>(title.size()),
                      title.data());
  xcb_change_property(c, XCB_PROP_MODE_REPLACE, id_, XCB_ATOM_WM_NAME, XCB_ATOM_STRING, 8,
                      static_cast<uint32_t>(title.size()), title.data());
  if (map) xcb_map_window(c, id_);
  xcb_flush(c);
  if (!map) return;
  const xcb_atom_t clients = internAtom(c, "_NET_CLIENT_LIST");
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (std::chrono::steady_clock::now() < deadline) {
    const auto list = atomList(c, screen->root, clients);
    if (std::find(list.begin(), list.end(), id_) != list.end()) break;
    std::this_thread::sleep_for(10ms);
  }
}

ForeignWindow::~ForeignWindow() {
  auto* c = static_cast<xcb_connection_t*>(connection_);
  if (c == nullptr) return;
  xcb_disconnect(c);
}

bool propertyListsAtom(uint32_t window, const std::string& property, const std::string& atom) {
  xcb_connection_t* c = xcb_connect(nullptr, nullptr);
  bool found = false;
  if (xcb_connection_has_error(c) == 0) {
    const auto list = atomList(c, window, internAtom(c, property));
    found = std::find(list.begin(), list.end(), internAtom(c, atom)) != list.end();
  }
  xcb_disconnect(c);
  return found;
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  for (;;) {
    if (condition()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
}

std::filesystem::path builtProgram(const std::string& name) {
  std::error_code ignored;
  const auto self = std::filesystem::read_symlink("/proc/self/exe", ignored);
  return self.parent_path() / name;
}

}  // namespace qxvb::test
