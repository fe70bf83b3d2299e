#include "platform/network/netconfig.h"

#include <arpa/inet.h>
#include <limits.h>
#include <unistd.h>

#include <charconv>
#include <fstream>
#include <sstream>

#include "platform/text/ascii.h"

namespace qxvb::platform {

namespace {

std::string readText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  while (!text.empty()) {
    const auto end = text.find('\n');
    lines.push_back(text.substr(0, end));
    if (end == std::string_view::npos) break;
    text.remove_prefix(end + 1);
  }
  return lines;
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

// Whitespace-separated words of a line, up to a word that starts a comment.
std::vector<std::string_view> words(std::string_view line) {
  std::vector<std::string_view> result;
  std::size_t pos = 0;
  while (pos < line.size()) {
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos >= line.size() || line[pos] == '#' || line[pos] == ';') break;
    const std::size_t start = pos;
    while (pos < line.size() && !isBlank(line[pos])) ++pos;
    result.push_back(line.substr(start, pos - start));
  }
  return result;
}

std::string withoutTrailingDot(std::string_view name) {
  if (name.size() > 1 && name.back() == '.') name.remove_suffix(1);
  return std::string(name);
}

bool isIpv4(std::string_view text) {
  const std::string copy(text);
  in_addr address{};
  return inet_pton(AF_INET, copy.c_str(), &address) == 1;
}

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (isBlank(text.front()) || text.front() == '\n')) text.remove_prefix(1);
  while (!text.empty() && (isBlank(text.back()) || text.back() == '\n')) text.remove_suffix(1);
  return text;
}

// Samba ignores case and blanks in parameter names ("wins server" is "winsserver").
std::string sambaKey(std::string_view key) {
  std::string result;
  for (char c : key) {
    if (!isBlank(c)) result += ascii::toLower(c);
  }
  return result;
}

bool sambaTrue(std::string_view value) {
  const std::string v = ascii::toLower(trimmed(value));
  return v == "yes" || v == "true" || v == "1" || v == "on";
}

}  // namespace

ResolverConfig parseResolvConf(std::string_view text) {
  ResolverConfig config;
  for (std::string_view line : splitLines(text)) {
    const auto parts = words(line);
    if (parts.size() < 2) continue;
    if (parts[0] == "nameserver") {
      if (isIpv4(parts[1])) config.nameServers.emplace_back(parts[1]);
    } else if (parts[0] == "domain" || parts[0] == "search") {
      config.domain = parts[1] == "." ? std::string() : withoutTrailingDot(parts[1]);
    }
  }
  return config;
}

bool nsswitchUsesDns(std::string_view text) {
  for (std::string_view line : splitLines(text)) {
    const auto parts = words(line);
    if (parts.empty() || ascii::toLower(parts[0]) != "hosts:") continue;
    for (std::size_t i = 1; i < parts.size(); ++i) {
      const std::string service = ascii::toLower(parts[i]);
      if (service == "dns" || service == "resolve") return true;
    }
    return false;
  }
  return true;
}

NetbiosConfig parseSambaNetbios(std::string_view text) {
  NetbiosConfig config;
  bool inGlobal = true;
  for (std::string_view raw : splitLines(text)) {
    const std::string_view line = trimmed(raw);
    if (line.empty() || line.front() == '#' || line.front() == ';') continue;
    if (line.front() == '[') {
      inGlobal = sambaKey(line) == "[global]";
      continue;
    }
    const auto eq = line.find('=');
    if (!inGlobal || eq == std::string_view::npos) continue;
    const std::string key = sambaKey(line.substr(0, eq));
    const std::string_view value = trimmed(line.substr(eq + 1));
    if ((key == "winsserver" && !value.empty()) || (key == "winssupport" && sambaTrue(value))) {
      config.nodeType = kNodeTypeHybrid;
    } else if (key == "netbiosscope") {
      config.scopeId = std::string(value);
    }
  }
  return config;
}

std::string domainOfHostName(std::string_view hostName) {
  const auto dot = hostName.find('.');
  if (dot == std::string_view::npos) return {};
  return withoutTrailingDot(hostName.substr(dot + 1));
}

namespace {

std::string fullHostName() {
  char buffer[HOST_NAME_MAX + 1] = {};
  if (gethostname(buffer, sizeof buffer - 1) != 0) return {};
  return buffer;
}

std::string beforeFirstDot(std::string_view name) {
  return std::string(name.substr(0, name.find('.')));
}

}  // namespace

std::string shortHostName() {
  return beforeFirstDot(fullHostName());
}

std::uint32_t readProcSwitch(const std::filesystem::path& procRoot, std::string_view relative) {
  const std::string text = readText(procRoot / relative);
  const std::string_view value = trimmed(text);
  std::uint32_t number = 0;
  const auto [end, error] = std::from_chars(value.data(), value.data() + value.size(), number);
  (void)end;
  return error == std::errc() ? number : 0;
}

NetworkParams readNetworkParams(const NetworkConfigSources& sources) {
  NetworkParams params;
  const std::string fullName = sources.hostName.empty() ? fullHostName() : sources.hostName;
  params.hostName = beforeFirstDot(fullName);

  const ResolverConfig resolver = parseResolvConf(readText(sources.resolvConf));
  params.dnsServers = resolver.nameServers;
  params.domainName = resolver.domain.empty() ? domainOfHostName(fullName) : resolver.domain;

  const NetbiosConfig netbios = parseSambaNetbios(readText(sources.sambaConf));
  params.nodeType = netbios.nodeType;
  params.scopeId = netbios.scopeId;

  params.enableRouting = readProcSwitch(sources.procRoot, "sys/net/ipv4/ip_forward");
  params.enableProxy = readProcSwitch(sources.procRoot, "sys/net/ipv4/conf/all/proxy_arp");

  params.enableDns = nsswitchUsesDns(readText(sources.nsswitchConf)) ? 1 : 0;
  return params;
}

}  // namespace qxvb::platform
