// Driving windows from outside the process, as a person would: an
// independent X client (xdotool) finds windows by title, clicks and types,
// while the library runs in a qxcall child process. Call sharedXServer()
// (support/x_server.h) first; everything here uses its DISPLAY.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qxvb::test {

using namespace std::chrono_literals;

// Runs a program to its end (at most limit, then it is killed) and
// returns what it wrote to its output; exitCode receives its exit code
// (-1 when killed or it could not start).
std::string runProgram(const std::vector<std::string>& arguments, int* exitCode = nullptr,
                       std::chrono::milliseconds limit = 20s);

// Runs xdotool with the arguments; its output without the last new line.
std::string xdotool(const std::vector<std::string>& arguments);

// A regular expression that matches exactly the text (for xdotool search).
std::string exactPattern(const std::string& text);

// Waits for a visible window whose title matches the regular expression;
// 0 when none appeared within limit.
uint32_t waitForWindow(const std::string& titlePattern, std::chrono::milliseconds limit = 15s);
// Waits until no visible window's title matches; false on time-out.
bool waitForNoWindow(const std::string& titlePattern, std::chrono::milliseconds limit = 15s);

// Key presses and clicks sent to a window (activated first).
void pressKeys(uint32_t window, const std::vector<std::string>& keys);
void typeText(uint32_t window, const std::string& text);
// Presses the keys until the window is gone (at most three times, 3 s
// apart): a loaded machine may map a window before it takes keys.
bool pressKeysUntilClosed(uint32_t window, const std::vector<std::string>& keys);
// Clicks the left button at a point inside the window (window pixels).
void clickAt(uint32_t window, int x, int y, int repeat = 1);

struct WindowGeometry {
  int x = 0, y = 0, width = 0, height = 0;
};
WindowGeometry windowGeometry(uint32_t window);

// A qxcall process running calls of the library (arguments as qxcall takes
// them after its name); its output goes to a file read by output().
class QxcallProcess {
 public:
  explicit QxcallProcess(const std::vector<std::string>& arguments);
  ~QxcallProcess();
  QxcallProcess(const QxcallProcess&) = delete;
  QxcallProcess& operator=(const QxcallProcess&) = delete;

  // Waits for the end; the exit code, -1 on time-out (it is then killed).
  int wait(std::chrono::milliseconds limit = 20s);
  std::string output() const;
  pid_t pid() const { return pid_; }

 private:
  pid_t pid_ = -1;
  std::filesystem::path log_;
};

// A top-level window of another X client, made over a connection of its
// own, with the given WM_CLASS (instance and class parts) and title. When
// mapped, the constructor waits until the window manager manages it.
class ForeignWindow {
 public:
  ForeignWindow(const std::string& instance, const std::string& className, const std::string& title,
                bool map = true);
  ~ForeignWindow();
  ForeignWindow(const ForeignWindow&) = delete;
  ForeignWindow& operator=(const ForeignWindow&) = delete;
  uint32_t id() const { return id_; }

 private:
  void* connection_ = nullptr;
  uint32_t id_ = 0;
};

// Whether a window of the display lists the atom in a 32-bit atom-list
// property (e.g. _NET_WM_ALLOWED_ACTIONS, _NET_WM_STATE).
bool propertyListsAtom(uint32_t window, const std::string& property, const std::string& atom);

// Polls condition every 20 ms until it holds (true) or limit passed.
bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit = 5s);

// Path of a program built beside the library (qxcall, the test helpers).
std::filesystem::path builtProgram(const std::string& name);

}  // namespace qxvb::test
