// Child processes of a test program: servers and tools started with their
// output in a log file, and forked copies of the test program itself.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace qxvb::test {

// Starts the program arguments[0] (a full path). Its input is /dev/null;
// its output and errors are appended to logFile. Without an environment
// it gets this process's. Returns the child's pid, -1 when it cannot start.
pid_t spawnLogged(const std::vector<std::string>& arguments, const std::filesystem::path& logFile,
                  const std::vector<std::string>* environment = nullptr);

struct ProgramRun {
  int exitCode = -1;  // -1 when the program could not start or was ended by a signal
  std::string out;
  std::string err;
};

// Runs the program arguments[0] (a full path) to its end with input as its
// standard input, and returns what it wrote to its standard output and
// standard error; scratch is a folder for the captured streams.
ProgramRun runProgram(const std::vector<std::string>& arguments, const std::string& input,
                      const std::filesystem::path& scratch);

// Runs work in a forked copy of this process, which exits with 0 when work
// returns true and 1 when it returns false or throws. Returns the child's pid, -1 when fork fails.
pid_t forkChild(const std::function<bool()>& work);

// Waits for a child to end: its exit code, or -1 when it was ended by a
// signal or cannot be waited for.
int exitCodeOf(pid_t pid);

// Waits at most `limit` for a child to end; false when it still runs.
// status receives what waitpid reports.
bool waitFor(pid_t pid, std::chrono::milliseconds limit, int& status);

// Asks a child to end with SIGTERM and kills it when it has not ended
// within `grace`.
void stopChild(pid_t pid, std::chrono::milliseconds grace);

// A TCP port of 127.0.0.1 nobody listens on right now; 0 when none is free.
int freeLoopbackPort();

// Whether something accepts connections on the port of 127.0.0.1.
bool loopbackPortAnswers(int port);

}  // namespace qxvb::test
