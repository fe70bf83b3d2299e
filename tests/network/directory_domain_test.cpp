// The directory domain from the Kerberos configuration and the global
// catalogue's address derived from the directory server's.
#include "network/directory_domain.h"

#include <gtest/gtest.h>

#include "network/directory_settings.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

TEST(DirectoryDomain, DefaultRealmIsReadFromLibdefaultsOnly) {
  EXPECT_EQ(defaultRealm("[libdefaults]\n default_realm = CORP.EXAMPLE.COM\n"), "CORP.EXAMPLE.COM");
  EXPECT_EQ(defaultRealm("[libdefaults]\n\tdefault_realm=LAB.TEST \r\n[realms]\n"), "LAB.TEST");
  EXPECT_EQ(defaultRealm("[realms]\n default_realm = NOT.THIS\n"), "");
  EXPECT_EQ(defaultRealm("[libdefaults]\n# default_realm = HIDDEN\n dns_lookup_realm = false\n"),
            "");
  EXPECT_EQ(defaultRealm(""), "");
}

TEST(DirectoryDomain, ShortNameNeedsAMachineKeytab) {
  const auto folder = test::freshFolder("krb5");
  DirectoryDomainSources sources;
  sources.krb5Conf = folder / "krb5.conf";
  sources.machineKeytab = folder / "krb5.keytab";
  EXPECT_EQ(directoryDomainName(sources), "");
  test::writeFile(sources.krb5Conf, "[libdefaults]\n default_realm = CORP.EXAMPLE.COM\n");
  EXPECT_EQ(directoryDomainName(sources), "");
  test::writeFile(sources.machineKeytab, "k");
  EXPECT_EQ(directoryDomainName(sources), "CORP");
  test::writeFile(sources.krb5Conf, "[libdefaults]\n");
  EXPECT_EQ(directoryDomainName(sources), "");
}

TEST(GlobalCatalogue, PortBecomesTheCataloguePort) {
  EXPECT_EQ(globalCatalogueUri("ldap://dc1.corp.example"), "ldap://dc1.corp.example:3268");
  EXPECT_EQ(globalCatalogueUri("ldap://dc1:389/"), "ldap://dc1:3268/");
  EXPECT_EQ(globalCatalogueUri("ldaps://dc1:636"), "ldaps://dc1:3269");
  EXPECT_EQ(globalCatalogueUri("ldap://[::1]:389 ldap://dc2"), "ldap://[::1]:3268 ldap://dc2:3268");
  EXPECT_EQ(globalCatalogueUri("ldapi://%2Frun%2Fslapd"), "ldapi://%2Frun%2Fslapd");
  EXPECT_EQ(globalCatalogueUri(""), "");
}

}  // namespace
}  // namespace qxvb
