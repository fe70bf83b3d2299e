#include "ui/window_helpers/host_process.h"

#include <filesystem>
#include <set>
#include <system_error>

#include "platform/text/ascii.h"
#include "ui/x11/x11_windows.h"

namespace qxvb::gui {

bool isHostProgramPath(const std::string& path) {
  if (path.size() <= 10) return false;
  const std::string name = ascii::toLower(path.substr(path.find_last_of('/') + 1));
  return name == "qxhost.exe" || name == "qxhost";
}

bool isHostApplicationActive() {
  std::set<uint32_t> seen;
  for (const x11::WindowId window : x11::topLevelWindows()) {
    const uint32_t pid = x11::windowProcess(window);
    if (pid == 0 || !seen.insert(pid).second) continue;
    std::error_code error;
    const auto program =
        std::filesystem::read_symlink("/proc/" + std::to_string(pid) + "/exe", error);
    // Processes that cannot be looked at are passed over.
    if (error) continue;
    if (isHostProgramPath(program.string())) return true;
  }
  return false;
}

}  // namespace qxvb::gui
