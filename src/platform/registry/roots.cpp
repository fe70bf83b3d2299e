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

std::filesystem::path environmentFolder(const char* variable) {
  const char* value = std::getenv(variable);
  if (value == nullptr || *value == '\0') return {};
  return std::filesystem::path(value);
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
    std::filesystem::path dir = environmentFolder("QXVB_MACHINE_DIR");
    if (dir.empty()) dir = "/var/lib/qxvbutils";
    return dir / "registry-hklm.sqlite";
  }
  std::filesystem::path config = environmentFolder("XDG_CONFIG_HOME");
  if (config.empty()) {
    std::filesystem::path home = environmentFolder("HOME");
    if (home.empty()) home = "/";
    config = home / ".config";
  }
  return config / "qxvbutils" / "registry-hkcu.sqlite";
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
