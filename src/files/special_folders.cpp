#include "files/special_folders.h"

#include <fstream>
#include <string>

#include "platform/state_paths.h"

namespace qxvb::files {

namespace {

// The value of one line XDG_<NAME>_DIR="..." of user-dirs.dirs: the shell
// quoting xdg-user-dirs writes, "$HOME/..." or an absolute path.
std::optional<std::string> parseUserDirValue(const std::string& raw) {
  std::string value = raw;
  if (value.size() >= 2 && value.front() == '"' && value.back() == '"') {
    value = value.substr(1, value.size() - 2);
  }
  std::string unescaped;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] == '\\' && i + 1 < value.size()) ++i;
    unescaped += value[i];
  }
  const std::string homePrefix = "$HOME";
  if (unescaped.compare(0, homePrefix.size(), homePrefix) == 0) {
    const std::string rest = unescaped.substr(homePrefix.size());
    if (!rest.empty() && rest.front() != '/') return std::nullopt;
    return paths::home().string() + rest;
  }
  if (unescaped.empty() || unescaped.front() != '/') return std::nullopt;
  return unescaped;
}

std::string trimmed(const std::string& s) {
  const auto first = s.find_first_not_of(" \t");
  if (first == std::string::npos) return {};
  return s.substr(first, s.find_last_not_of(" \t\r") - first + 1);
}

std::string pathText(const std::filesystem::path& p) {
  return p.string();
}

}  // namespace

std::optional<std::string> userDirectory(const std::string& name) {
  const std::string key = "XDG_" + name + "_DIR";
  std::ifstream in(paths::configHome() / "user-dirs.dirs");
  std::optional<std::string> found;
  std::string line;
  while (std::getline(in, line)) {
    line = trimmed(line);
    if (line.empty() || line.front() == '#') continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos || trimmed(line.substr(0, eq)) != key) continue;
    found = parseUserDirValue(trimmed(line.substr(eq + 1)));
  }
  if (!found && name == "DESKTOP") return pathText(paths::home() / "Desktop");
  return found;
}

std::string windowsDirectory() {
  return "/usr/share";
}

std::string systemDirectory() {
  return "/usr/lib";
}

std::optional<std::string> shellFolder(int32_t folder) {
  switch (folder) {
    case QXSF_Desktop:
    case QXSF_DESKTOPDIRECTORY:
      return userDirectory("DESKTOP");
    case QXSF_MyDocuments:
      return userDirectory("DOCUMENTS");
    case QXSF_MYPICTURES:
      return userDirectory("PICTURES");
    case QXSF_TEMPLATES:
      return userDirectory("TEMPLATES");
    case QXSF_AppData:
      return pathText(paths::configHome());
    case QXSF_LOCAL_APPDATA:
      return pathText(paths::dataHome());
    case QXSF_COMMON_APPDATA:
      return pathText(paths::machineDir());
    case QXSF_PROFILE:
      return pathText(paths::home());
    case QXSF_INTERNET_CACHE:
      return pathText(paths::cacheHome());
    case QXSF_FONTS:
      return pathText(paths::dataHome() / "fonts");
    case QXSF_PROGRAM_FILES:
      return std::string("/opt");
    case QXSF_Windows:
      return windowsDirectory();
    case QXSF_SYSTEM:
      return systemDirectory();
    default:
      return std::nullopt;
  }
}

}  // namespace qxvb::files
