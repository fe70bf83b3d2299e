#include "platform/state_paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

namespace qxvb::paths {

namespace {
// An unset or relative XDG value is ignored, as the XDG rules say.
std::filesystem::path fromEnv(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || value[0] != '/') return {};
  return value;
}
}  // namespace

std::filesystem::path home() {
  if (auto h = fromEnv("HOME"); !h.empty()) return h;
  if (const passwd* pw = getpwuid(getuid()); pw != nullptr && pw->pw_dir != nullptr) {
    return pw->pw_dir;
  }
  return "/";
}

std::filesystem::path configHome() {
  auto p = fromEnv("XDG_CONFIG_HOME");
  return p.empty() ? home() / ".config" : p;
}

std::filesystem::path dataHome() {
  auto p = fromEnv("XDG_DATA_HOME");
  return p.empty() ? home() / ".local" / "share" : p;
}

std::filesystem::path cacheHome() {
  auto p = fromEnv("XDG_CACHE_HOME");
  return p.empty() ? home() / ".cache" : p;
}

std::filesystem::path machineDir() {
  auto p = fromEnv("QXVB_MACHINE_DIR");
  return p.empty() ? std::filesystem::path("/var/lib/qxvbutils") : p;
}

std::filesystem::path tempDir() {
  auto p = fromEnv("TMPDIR");
  return p.empty() ? std::filesystem::path("/tmp") : p;
}

std::filesystem::path productFolder(const std::filesystem::path& base) {
  return base / "Brackwell" / "Quillane";
}

namespace {

bool isInside(const std::filesystem::path& path, const std::filesystem::path& folder) {
  if (folder.empty()) return false;
  const std::filesystem::path relative = path.lexically_relative(folder);
  return !relative.empty() && *relative.begin() != "..";
}

}  // namespace

bool insidePerUserState(const std::filesystem::path& path) {
  std::error_code ec;
  const std::filesystem::path full = std::filesystem::absolute(path, ec).lexically_normal();
  if (ec) return false;
  return isInside(full, configHome().lexically_normal()) ||
         isInside(full, dataHome().lexically_normal());
}

}  // namespace qxvb::paths
