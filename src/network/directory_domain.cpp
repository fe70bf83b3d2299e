#include "network/directory_domain.h"

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

namespace qxvb {

namespace {

std::string_view trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return text.substr(first, last - first + 1);
}

std::filesystem::path environmentPath(const char* variable, std::string_view prefix = {}) {
  const char* value = std::getenv(variable);
  if (value == nullptr) return {};
  std::string_view text(value);
  if (!prefix.empty()) {
    if (text.substr(0, prefix.size()) != prefix) return {};
    text.remove_prefix(prefix.size());
  }
  return std::filesystem::path(std::string(text.substr(0, text.find(':'))));
}

std::filesystem::path krb5ConfPath(const DirectoryDomainSources& sources) {
  if (!sources.krb5Conf.empty()) return sources.krb5Conf;
  std::filesystem::path fromEnvironment = environmentPath("KRB5_CONFIG");
  return fromEnvironment.empty() ? "/etc/krb5.conf" : fromEnvironment;
}

std::filesystem::path keytabPath(const DirectoryDomainSources& sources) {
  if (!sources.machineKeytab.empty()) return sources.machineKeytab;
  // KRB5_KTNAME is "FILE:/path" or a plain path; other key table types
  // (KEYRING:, MEMORY:) do not show a machine's membership.
  const char* value = std::getenv("KRB5_KTNAME");
  if (value != nullptr && std::string_view(value).find(':') == std::string_view::npos) {
    return value;
  }
  std::filesystem::path fromEnvironment = environmentPath("KRB5_KTNAME", "FILE:");
  return fromEnvironment.empty() ? "/etc/krb5.keytab" : fromEnvironment;
}

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

}  // namespace

std::string defaultRealm(std::string_view krb5ConfText) {
  bool inLibdefaults = false;
  while (!krb5ConfText.empty()) {
    const size_t end = krb5ConfText.find('\n');
    const std::string_view line = trimmed(krb5ConfText.substr(0, end));
    krb5ConfText =
        end == std::string_view::npos ? std::string_view() : krb5ConfText.substr(end + 1);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      inLibdefaults = line == "[libdefaults]";
      continue;
    }
    if (!inLibdefaults) continue;
    const size_t equals = line.find('=');
    if (equals == std::string_view::npos || trimmed(line.substr(0, equals)) != "default_realm") {
      continue;
    }
    return std::string(trimmed(line.substr(equals + 1)));
  }
  return {};
}

std::string directoryDomainName(const DirectoryDomainSources& sources) {
  std::error_code error;
  if (!std::filesystem::is_regular_file(keytabPath(sources), error)) return {};
  const std::string realm = defaultRealm(readText(krb5ConfPath(sources)));
  return realm.substr(0, realm.find('.'));
}

}  // namespace qxvb
