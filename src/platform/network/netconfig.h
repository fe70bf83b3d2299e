// The computer's network configuration as one record: host and domain name,
// DNS servers, NetBIOS node type and scope, and the routing, ARP-proxy and
// DNS switches. Values come from gethostname, the resolver configuration,
// the Samba configuration and the IPv4 switches below /proc.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace qxvb::platform {

// NetBIOS node types as the network record reports them.
inline constexpr std::uint32_t kNodeTypeBroadcast = 1;
inline constexpr std::uint32_t kNodeTypeHybrid = 8;

// Where the configuration is read from; tests point these at files of their own.
struct NetworkConfigSources {
  std::filesystem::path resolvConf = "/etc/resolv.conf";
  std::filesystem::path nsswitchConf = "/etc/nsswitch.conf";
  std::filesystem::path sambaConf = "/etc/samba/smb.conf";
  std::filesystem::path procRoot = "/proc";
  // Used instead of gethostname when not empty.
  std::string hostName;
};

struct NetworkParams {
  std::string hostName;                 // short name, up to the first dot
  std::string domainName;               // DNS domain of the computer, may be empty
  std::vector<std::string> dnsServers;  // dotted IPv4 texts, in resolver order
  std::uint32_t nodeType = kNodeTypeBroadcast;
  std::string scopeId;
  std::uint32_t enableRouting = 0;
  std::uint32_t enableProxy = 0;
  std::uint32_t enableDns = 0;
};

// What the resolver configuration says about name servers and the domain.
struct ResolverConfig {
  std::vector<std::string> nameServers;  // IPv4 servers only, in file order
  std::string domain;                    // "domain", or the first "search" entry
};

// Parses resolv.conf text. As in the resolver, the last "domain" or "search"
// line wins; '#' and ';' start comments.
ResolverConfig parseResolvConf(std::string_view text);

// Whether the "hosts:" line of nsswitch.conf text consults DNS. Without a
// hosts line the C library's default ("dns files") applies.
bool nsswitchUsesDns(std::string_view text);

// NetBIOS settings of a Samba configuration: the [global] "wins server"
// makes the node hybrid; "netbios scope" is the scope id.
struct NetbiosConfig {
  std::uint32_t nodeType = kNodeTypeBroadcast;
  std::string scopeId;
};
NetbiosConfig parseSambaNetbios(std::string_view text);

// The domain part of a host name: everything after the first dot.
std::string domainOfHostName(std::string_view hostName);

// The host name up to its first dot; empty when the name cannot be read.
std::string shortHostName();

// Reads an integer switch such as "sys/net/ipv4/ip_forward" below procRoot;
// 0 when the file is missing or does not start with a number.
std::uint32_t readProcSwitch(const std::filesystem::path& procRoot, std::string_view relative);

// Reads the whole record. Missing files give their neutral values.
NetworkParams readNetworkParams(const NetworkConfigSources& sources = {});

}  // namespace qxvb::platform
