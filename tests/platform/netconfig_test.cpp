#include "platform/network/netconfig.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <climits>
#include <fstream>
#include <string>

#include "platform/network/reverse_lookup.h"
#include "support/sandbox.h"

namespace qxvb::platform {
namespace {

using test::freshFolder;
using test::writeFile;

TEST(ResolvConf, KeepsNameServersInFileOrderAndSkipsCommentsAndIpv6) {
  const ResolverConfig config = parseResolvConf(
      "# generated\n"
      "nameserver 10.0.0.2\n"
      "; nameserver 10.0.0.9\n"
      "nameserver ::1\n"
      "nameserver   192.168.1.1   # office\n"
      "nameserver not-an-address\n"
      "nameserver 10.0.0.1\n");
  EXPECT_EQ(config.nameServers, (std::vector<std::string>{"10.0.0.2", "192.168.1.1", "10.0.0.1"}));
  EXPECT_EQ(config.domain, "");
}

TEST(ResolvConf, LastDomainOrSearchLineWins) {
  EXPECT_EQ(parseResolvConf("domain corp.example\n").domain, "corp.example");
  EXPECT_EQ(parseResolvConf("search a.example b.example\n").domain, "a.example");
  EXPECT_EQ(parseResolvConf("domain corp.example\nsearch lab.example other\n").domain,
            "lab.example");
  EXPECT_EQ(parseResolvConf("search lab.example\ndomain corp.example.\n").domain, "corp.example");
  EXPECT_EQ(parseResolvConf("#domain hidden.example\n").domain, "");
  EXPECT_EQ(parseResolvConf("domain\n").domain, "");
  EXPECT_EQ(parseResolvConf("domainname corp.example\n").domain, "");
}

TEST(NsswitchConf, DnsIsOnWhenTheHostsLineNamesIt) {
  EXPECT_TRUE(nsswitchUsesDns("passwd: files\nhosts: files dns\n"));
  EXPECT_TRUE(nsswitchUsesDns("hosts: files resolve [!UNAVAIL=return] myhostname\n"));
  EXPECT_FALSE(nsswitchUsesDns("hosts: files mdns4_minimal\n"));
  EXPECT_FALSE(nsswitchUsesDns("#hosts: dns\nhosts: files\n"));
  EXPECT_TRUE(nsswitchUsesDns("passwd: files\n"));
}

TEST(SambaConf, WinsServerInGlobalSectionMakesTheNodeHybrid) {
  EXPECT_EQ(parseSambaNetbios("").nodeType, kNodeTypeBroadcast);
  EXPECT_EQ(parseSambaNetbios("[global]\n  WINS Server = 10.0.0.5\n").nodeType, kNodeTypeHybrid);
  EXPECT_EQ(parseSambaNetbios("[global]\nwins support = yes\n").nodeType, kNodeTypeHybrid);
  EXPECT_EQ(parseSambaNetbios("[global]\nwins support = no\n").nodeType, kNodeTypeBroadcast);
  EXPECT_EQ(parseSambaNetbios("[share]\nwins server = 10.0.0.5\n").nodeType, kNodeTypeBroadcast);
  EXPECT_EQ(parseSambaNetbios("[global]\n; wins server = 10.0.0.5\n").nodeType, kNodeTypeBroadcast);
  EXPECT_EQ(parseSambaNetbios("[global]\nnetbios scope = LAB\n").scopeId, "LAB");
}

TEST(ProcSwitches, ReadsTheLeadingNumberOrZero) {
  const auto proc = freshFolder("proc");
  std::filesystem::create_directories(proc / "sys/net/ipv4");
  writeFile(proc / "sys/net/ipv4/on", "1\n");
  writeFile(proc / "sys/net/ipv4/off", "0\n");
  writeFile(proc / "sys/net/ipv4/junk", "yes\n");
  EXPECT_EQ(readProcSwitch(proc, "sys/net/ipv4/on"), 1u);
  EXPECT_EQ(readProcSwitch(proc, "sys/net/ipv4/off"), 0u);
  EXPECT_EQ(readProcSwitch(proc, "sys/net/ipv4/junk"), 0u);
  EXPECT_EQ(readProcSwitch(proc, "sys/net/ipv4/missing"), 0u);
}

TEST(NetworkParams, RecordComesFromTheGivenFiles) {
  const auto dir = freshFolder("netparams");
  std::filesystem::create_directories(dir / "proc/sys/net/ipv4/conf/all");
  writeFile(dir / "proc/sys/net/ipv4/ip_forward", "1\n");
  writeFile(dir / "proc/sys/net/ipv4/conf/all/proxy_arp", "0\n");
  writeFile(dir / "resolv.conf", "search lab.example\nnameserver 10.1.1.1\nnameserver 10.1.1.2\n");
  writeFile(dir / "nsswitch.conf", "hosts: files\n");
  writeFile(dir / "smb.conf", "[global]\nwins server = 10.1.1.9\nnetbios scope = SCOPE\n");

  NetworkConfigSources sources;
  sources.resolvConf = dir / "resolv.conf";
  sources.nsswitchConf = dir / "nsswitch.conf";
  sources.sambaConf = dir / "smb.conf";
  sources.procRoot = dir / "proc";
  sources.hostName = "build01.corp.example";
  const NetworkParams params = readNetworkParams(sources);

  EXPECT_EQ(params.hostName, "build01");
  EXPECT_EQ(params.domainName, "lab.example");
  EXPECT_EQ(params.dnsServers, (std::vector<std::string>{"10.1.1.1", "10.1.1.2"}));
  EXPECT_EQ(params.nodeType, kNodeTypeHybrid);
  EXPECT_EQ(params.scopeId, "SCOPE");
  EXPECT_EQ(params.enableRouting, 1u);
  EXPECT_EQ(params.enableProxy, 0u);
  EXPECT_EQ(params.enableDns, 0u);
}

TEST(NetworkParams, MissingFilesGiveNeutralValuesAndTheHostsDomain) {
  const auto dir = freshFolder("netparams-empty");
  NetworkConfigSources sources;
  sources.resolvConf = dir / "none";
  sources.nsswitchConf = dir / "none";
  sources.sambaConf = dir / "none";
  sources.procRoot = dir / "none";
  sources.hostName = "build01.corp.example";
  const NetworkParams params = readNetworkParams(sources);

  EXPECT_EQ(params.hostName, "build01");
  EXPECT_EQ(params.domainName, "corp.example");
  EXPECT_TRUE(params.dnsServers.empty());
  EXPECT_EQ(params.nodeType, kNodeTypeBroadcast);
  EXPECT_EQ(params.scopeId, "");
  EXPECT_EQ(params.enableRouting, 0u);
  EXPECT_EQ(params.enableProxy, 0u);
  EXPECT_EQ(params.enableDns, 1u);
}

TEST(NetworkParams, HostNameIsTheShortSystemName) {
  char buffer[HOST_NAME_MAX + 1] = {};
  ASSERT_EQ(gethostname(buffer, HOST_NAME_MAX), 0);
  const std::string full = buffer;
  EXPECT_EQ(shortHostName(), full.substr(0, full.find('.')));
  EXPECT_EQ(domainOfHostName("a.b.c"), "b.c");
  EXPECT_EQ(domainOfHostName("plain"), "");
}

TEST(Ipv4Address, ParsesLikeInetAddr) {
  EXPECT_EQ(parseIpv4Address("127.0.0.1"), htonl(0x7f000001));
  EXPECT_EQ(parseIpv4Address("10.1"), htonl(0x0a000001));
  EXPECT_EQ(parseIpv4Address("0x7f.1"), htonl(0x7f000001));
  EXPECT_EQ(parseIpv4Address(std::string_view("127.0.0.1\0junk", 14)), htonl(0x7f000001));
  EXPECT_FALSE(parseIpv4Address("255.255.255.255"));
  EXPECT_FALSE(parseIpv4Address("256.1.1.1"));
  EXPECT_FALSE(parseIpv4Address("host.example"));
  EXPECT_FALSE(parseIpv4Address(""));
}

bool hostsFileAnswersLoopback() {
  std::ifstream hosts("/etc/hosts");
  std::string line;
  while (std::getline(hosts, line)) {
    if (line.rfind("127.0.0.1", 0) == 0 && line.size() > 10) return true;
  }
  return false;
}

TEST(ReverseLookup, LoopbackHasTheHostsFileName) {
  // Only an address the hosts file answers, so no query leaves this machine.
  if (!hostsFileAnswersLoopback()) GTEST_SKIP() << "/etc/hosts has no name for 127.0.0.1";
  const ReverseLookupResult result = reverseLookup("127.0.0.1");
  ASSERT_EQ(result.status, ReverseLookupStatus::Ok) << result.detail;
  EXPECT_FALSE(result.hostName.empty());
}

TEST(ReverseLookup, TextThatIsNoAddressIsRejectedBeforeAnyLookup) {
  EXPECT_EQ(reverseLookup("not an address").status, ReverseLookupStatus::InvalidAddress);
  EXPECT_EQ(reverseLookup("255.255.255.255").status, ReverseLookupStatus::InvalidAddress);
  EXPECT_EQ(reverseLookup("").status, ReverseLookupStatus::InvalidAddress);
}

}  // namespace
}  // namespace qxvb::platform
