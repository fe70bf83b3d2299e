#include "components/help_viewer/help_viewer.h"

#include <spawn.h>
#include <sys/wait.h>

#include <cerrno>
#include <thread>
#include <vector>

extern char** environ;

namespace qxvb::help_viewer {

Viewer show(const std::string& program, const std::string& address) {
  if (program.empty()) return {};
  std::vector<char*> argv{const_cast<char*>(program.c_str()), const_cast<char*>(address.c_str()),
                          nullptr};
  pid_t pid = -1;
  if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return {};
  // The viewer runs on; its end is collected when it comes.
  std::thread([pid] {
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
  }).detach();
  Viewer viewer;
  const size_t slash = program.rfind('/');
  viewer.program = slash == std::string::npos ? program : program.substr(slash + 1);
  viewer.folder = slash == std::string::npos ? std::string() : program.substr(0, slash + 1);
  return viewer;
}

std::string closeCommandLine(const Viewer& viewer) {
  return "\"" + viewer.folder + viewer.program + "\" -exit -nosplash";
}

}  // namespace qxvb::help_viewer
