// QX_NetworkParams: the network record read from configuration files of the
// test's own, the domain-name rule, and host names of addresses that the
// hosts file answers.
#include "network/qx_network_params.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "components/qxdutils/qxdutils_component.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/error_codes.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

using test::errorOf;

constexpr const char* kHostLookupSource = "QXVBUtils.QX_NetworkParams.QX_NP_GetHostNameFromIP";

class NetworkParamsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::remove(qxdutils::defaultProfilePath());
    unloadThread();
    folder_ = test::freshFolder("netparams");
    std::filesystem::create_directories(folder_ / "proc/sys/net/ipv4/conf/all");
    sources_.network.resolvConf = folder_ / "resolv.conf";
    sources_.network.nsswitchConf = folder_ / "nsswitch.conf";
    sources_.network.sambaConf = folder_ / "smb.conf";
    sources_.network.procRoot = folder_ / "proc";
    sources_.network.hostName = "ws17";
    sources_.directoryDomain.krb5Conf = folder_ / "krb5.conf";
    sources_.directoryDomain.machineKeytab = folder_ / "krb5.keytab";
  }
  void TearDown() override { unloadThread(); }

  std::shared_ptr<QX_NetworkParams> params() {
    auto object =
        std::static_pointer_cast<QX_NetworkParams>(createObject("QXVBUtils.QX_NetworkParams"));
    object->setSources(sources_);
    return object;
  }

  void write(const std::string& name, const std::string& text) {
    test::writeFile(folder_ / name, text);
  }

  void setDomainNameSource(std::string value) {
    QXUtilities utilities;
    std::string item = "DomainNameSource";
    utilities.QXSetSetting(item, value, "Quillane");
  }

  std::filesystem::path folder_;
  NetworkParamsSources sources_;
};

TEST_F(NetworkParamsTest, RecordFieldsComeFromTheConfiguration) {
  write("resolv.conf", "nameserver 10.1.2.3\nnameserver 10.1.2.4\ndomain corp.example\n");
  write("nsswitch.conf", "hosts: files dns\n");
  write("smb.conf", "[global]\n  wins server = 10.1.2.9\n  netbios scope = LAB\n");
  write("proc/sys/net/ipv4/ip_forward", "1\n");
  write("proc/sys/net/ipv4/conf/all/proxy_arp", "0\n");
  auto p = params();
  EXPECT_EQ(p->QX_NP_GetHostName(), "ws17");
  EXPECT_EQ(p->QX_NP_GetCurrentDnsServer(), "10.1.2.3");
  const StringArray list = p->QX_NP_GetDnsServerList();
  EXPECT_EQ(list.lbound, 0);
  EXPECT_EQ(list.items, (std::vector<std::string>{"10.1.2.3", "10.1.2.4"}));
  EXPECT_EQ(p->QX_NP_GetNodeType(), 8);
  EXPECT_EQ(p->QX_NP_GetScopeID(), "LAB");
  EXPECT_EQ(p->QX_NP_GetEnableRouting(), 1);
  EXPECT_EQ(p->QX_NP_GetEnableProxy(), 0);
  EXPECT_EQ(p->QX_NP_GetEnableDNS(), 1);
}

TEST_F(NetworkParamsTest, WithoutDnsServersTheListHasOneEmptyElement) {
  write("nsswitch.conf", "hosts: files\n");
  auto p = params();
  EXPECT_EQ(p->QX_NP_GetCurrentDnsServer(), "");
  const StringArray list = p->QX_NP_GetDnsServerList();
  EXPECT_EQ(list.lbound, 0);
  EXPECT_EQ(list.items, (std::vector<std::string>{""}));
  EXPECT_EQ(p->QX_NP_GetNodeType(), 1);
  EXPECT_EQ(p->QX_NP_GetScopeID(), "");
  EXPECT_EQ(p->QX_NP_GetEnableDNS(), 0);
  // The empty address is no address: the name lookups fail on it.
  EXPECT_EQ(errorOf([&] { p->QX_NP_GetCurrentDnsServerName(); }).number(),
            enuErrorInvalidIPAddress);
  EXPECT_EQ(errorOf([&] { p->QX_NP_GetDnsServerListNames(); }).number(), enuErrorInvalidIPAddress);
}

TEST_F(NetworkParamsTest, DomainNameNeedsADirectoryDomainOrTheSetting) {
  write("resolv.conf", "domain corp.example\n");
  auto p = params();
  EXPECT_EQ(p->QX_NP_GetDomainName(), "");
  setDomainNameSource("1");
  EXPECT_EQ(p->QX_NP_GetDomainName(), "corp.example");
  setDomainNameSource("2");
  EXPECT_EQ(p->QX_NP_GetDomainName(), "");
  setDomainNameSource("0");
  EXPECT_EQ(p->QX_NP_GetDomainName(), "");
  setDomainNameSource(" 1 trailing");
  EXPECT_EQ(p->QX_NP_GetDomainName(), "corp.example");
}

TEST_F(NetworkParamsTest, DirectoryDomainComesFirst) {
  write("resolv.conf", "domain corp.example\n");
  write("krb5.conf", "[libdefaults]\n  default_realm = CORP.EXAMPLE.COM\n");
  setDomainNameSource("1");
  // A realm without a machine keytab: the computer is not joined.
  EXPECT_EQ(params()->QX_NP_GetDomainName(), "corp.example");
  write("krb5.keytab", "keys");
  EXPECT_EQ(params()->QX_NP_GetDomainName(), "CORP");
}

TEST_F(NetworkParamsTest, HostNameOfLoopbackComesFromTheHostsFile) {
  auto p = params();
  const std::string name = p->QX_NP_GetHostNameFromIP("127.0.0.1");
  EXPECT_FALSE(name.empty());
  write("resolv.conf", "nameserver 127.0.0.1\nnameserver 127.0.0.1\n");
  EXPECT_EQ(p->QX_NP_GetCurrentDnsServerName(), name);
  EXPECT_EQ(p->QX_NP_GetDnsServerListNames().items, (std::vector<std::string>{name, name}));
}

TEST_F(NetworkParamsTest, InvalidAddressesRaiseTheInvalidAddressError) {
  auto p = params();
  for (const char* address : {"255.255.255.255", "not an address", "", "1.2.3.4.5", "256.1.1.1"}) {
    const AutomationError error = errorOf([&] { p->QX_NP_GetHostNameFromIP(address); });
    EXPECT_EQ(error.number(), enuErrorInvalidIPAddress) << address;
    EXPECT_EQ(error.source(), kHostLookupSource);
    EXPECT_EQ(error.description(), localString(41139));
  }
}

TEST_F(NetworkParamsTest, LateBoundMembersAnswerLikeTheDirectOnes) {
  write("resolv.conf", "nameserver 10.9.8.7\ndomain corp.example\n");
  write("proc/sys/net/ipv4/conf/all/proxy_arp", "1\n");
  setDomainNameSource("1");
  auto p = params();
  EXPECT_EQ(p->call("qx_np_gethostname"), Variant("ws17"));
  EXPECT_EQ(p->call("QX_NP_GetDomainName"), Variant("corp.example"));
  EXPECT_EQ(p->call("QX_NP_GetCurrentDnsServer"), Variant("10.9.8.7"));
  EXPECT_EQ(p->call("QX_NP_GetDnsServerList"), Variant(StringArray{0, {"10.9.8.7"}}));
  EXPECT_EQ(p->call("QX_NP_GetNodeType"), Variant(int32_t{1}));
  EXPECT_EQ(p->call("QX_NP_GetScopeID"), Variant(""));
  EXPECT_EQ(p->call("QX_NP_GetEnableRouting"), Variant(int32_t{0}));
  EXPECT_EQ(p->call("QX_NP_GetEnableProxy"), Variant(int32_t{1}));
  EXPECT_EQ(p->call("QX_NP_GetEnableDNS"), Variant(int32_t{1}));
  const Variant loopback = p->call("QX_NP_GetHostNameFromIP", {Variant("127.0.0.1")});
  EXPECT_EQ(loopback, Variant(p->QX_NP_GetHostNameFromIP("127.0.0.1")));
  const AutomationError error =
      errorOf([&] { p->call("QX_NP_GetHostNameFromIP", {Variant("x")}); });
  EXPECT_EQ(error.number(), enuErrorInvalidIPAddress);
  EXPECT_EQ(error.source(), kHostLookupSource);
  // 10.9.8.7 is not in the hosts file; only the invalid-address failure is
  // asked for here, so that no query leaves this machine.
  EXPECT_EQ(errorOf([&] { p->call("QX_NP_GetHostNameFromIP"); }).number(),
            vberr::ArgumentNotOptional);
}

TEST_F(NetworkParamsTest, DefaultInstanceAndSharedInstanceAreThisMachine) {
  auto shared = sharedNetworkParams();
  EXPECT_EQ(shared, sharedNetworkParams());
  EXPECT_EQ(shared->QX_NP_GetHostName(), platform::shortHostName());
  auto global = globalInstanceOf<QX_NetworkParams>("QX_NetworkParams");
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(global->QX_NP_GetHostName(), platform::shortHostName());
}

}  // namespace
}  // namespace qxvb
