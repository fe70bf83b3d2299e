#include "ui/window_helpers/shell_and_wait.h"

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <thread>
#include <vector>

#include "frame/string_table.h"
#include "ui/app/gui_thread.h"
#include "ui/window_helpers/command_line.h"

extern char** environ;

namespace qxvb::gui {

namespace {

constexpr int32_t kNotStartedText = 41134;
constexpr int32_t kTimedOutText = 41135;
// How often the wait looks at the program; events run in between.
constexpr int kPollMilliseconds = 20;

pid_t spawnCommandLine(const std::string& commandLine) {
  std::vector<std::string> words = splitCommandLine(commandLine);
  if (words.empty() || words[0].empty()) return -1;
  std::vector<char*> argv;
  argv.reserve(words.size() + 1);
  for (std::string& w : words) argv.push_back(w.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
  return pid;
}

// A program left running is reaped by a thread of its own when it ends.
void reapLater(pid_t pid) {
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
}

void pause() {
  if (applicationOnThisThread()) {
    processEventsFor(kPollMilliseconds);
  } else {
    std::this_thread::sleep_for(std::chrono::milliseconds(kPollMilliseconds));
  }
}

}  // namespace

bool shellAndWaitForTermination(const std::string& commandLine, int32_t /*windowStyle*/,
                                std::string& error, int32_t timeOutMs) {
  const pid_t pid = spawnCommandLine(commandLine);
  if (pid <= 0) {
    error = localString(kNotStartedText);
    return false;
  }
  const auto start = std::chrono::steady_clock::now();
  for (;;) {
    int status = 0;
    const pid_t done = ::waitpid(pid, &status, WNOHANG);
    if (done == pid || (done < 0 && errno != EINTR)) return true;
    if (applicationOnThisThread()) processPendingEvents();
    pause();
    const auto elapsed = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now() - start);
    if (timeOutMs > 0 && elapsed.count() > timeOutMs) {
      error = localString(kTimedOutText);
      reapLater(pid);
      return false;
    }
  }
}

bool startDetached(const std::string& commandLine) {
  const pid_t pid = spawnCommandLine(commandLine);
  if (pid <= 0) return false;
  reapLater(pid);
  return true;
}

}  // namespace qxvb::gui
