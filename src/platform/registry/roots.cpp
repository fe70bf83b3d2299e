#include "platform/registry/roots.h"

#include <cstdlib>

namespace qxvb::registry {

namespace {

struct RootNames {
  RootKey root;
  std::string_view full;
  std::string_view brief;
};

constexpr RootNames kRootNames[] = {
    {RootKey::ClassesRoot, "HKEY_CLASSES_ROOT", "HKCR"},
    {RootKey::CurrentUser, "HKEY_CURRENT_USER", "HKCU"},
    {RootKey::LocalMachine, "HKEY_LOCAL_MACHINE", "HKLM"},
    {RootKey::Users, "HKEY_USERS", "HKU"},
    {RootKey::CurrentConfig, "HKEY_CURRENT_CONFIG", "HKCC"},
};

// Plain string joins: every store call asks for its file, and path
// arithmetic would cost more than the lookup it serves.
std::string joinedFolder(std::string folder, std::string_view name) {
  if (folder.empty() || folder.back() != '/') folder += '/';
  folder += name;
  return folder;
}

std::string environmentText(const char* variable) {
  const char* value = std::getenv(variable);
  return value == nullptr ? std::string() : std::string(value);
}

bool sameAsciiName(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i) {
    auto upper = [](char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c; };
    if (upper(a[i]) != upper(b[i])) return false;
  }
  return true;
}

}  // namespace

Status mapRoot(RootKey root, RootMapping& mapping) {
  switch (root) {
    case RootKey::CurrentUser:
      mapping = {Database::User, ""};
      return kSuccess;
    case RootKey::LocalMachine:
      mapping = {Database::Machine, ""};
      return kSuccess;
    case RootKey::ClassesRoot:
      mapping = {Database::Machine, "Software\\Classes"};
      return kSuccess;
    case RootKey::CurrentConfig:
      mapping = {Database::Machine, "System\\CurrentControlSet\\Hardware Profiles\\Current"};
      return kSuccess;
    case RootKey::Users:
      return kAccessDenied;
  }
  return kInvalidHandle;
}

std::filesystem::path databaseFile(Database database) {
  if (database == Database::Machine) {
    std::string dir = environmentText("QXVB_MACHINE_DIR");
    if (dir.empty()) dir = "/var/lib/qxvbutils";
    return joinedFolder(std::move(dir), "registry-hklm.sqlite");
  }
  std::string config = environmentText("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::string home = environmentText("HOME");
    if (home.empty()) home = "/";
    config = joinedFolder(std::move(home), ".config");
  }
  return joinedFolder(std::move(config), "qxvbutils/registry-hkcu.sqlite");
}

std::filesystem::path databasePath(RootKey root) {
  RootMapping mapping;
  if (mapRoot(root, mapping) != kSuccess) return {};
  return databaseFile(mapping.database);
}

std::optional<RootKey> parseRootName(std::string_view name) {
  for (const RootNames& names : kRootNames) {
    if (sameAsciiName(name, names.full) || sameAsciiName(name, names.brief)) return names.root;
  }
  return std::nullopt;
}

std::string_view rootName(RootKey root) {
  for (const RootNames& names : kRootNames) {
    if (names.root == root) return names.full;
  }
  return {};
}

std::optional<std::pair<RootKey, std::string>> splitRootPath(std::string_view fullPath) {
  while (!fullPath.empty() && fullPath.front() == '\\') fullPath.remove_prefix(1);
  const std::size_t slash = fullPath.find('\\');
  const std::optional<RootKey> root = parseRootName(fullPath.substr(0, slash));
  if (!root) return std::nullopt;
  std::string rest =
      slash == std::string_view::npos ? std::string() : std::string(fullPath.substr(slash + 1));
  return std::make_pair(*root, rest);
}

}  // namespace qxvb::registry
