// The directory domain this computer belongs to. A computer joined to a
// domain (through realmd, SSSD, winbind or adcli) holds a machine keytab
// and names the domain's Kerberos realm as its default realm; the domain
// name is the realm's first label ("CORP" for CORP.EXAMPLE.COM), the short
// name the domain's accounts are known by. A computer without a machine
// keytab belongs to no domain.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace qxvb {

struct DirectoryDomainSources {
  // Empty: KRB5_CONFIG (the first file of its list), else /etc/krb5.conf.
  std::filesystem::path krb5Conf;
  // Empty: KRB5_KTNAME when it names a file, else /etc/krb5.keytab.
  std::filesystem::path machineKeytab;
};

// The default_realm of the [libdefaults] section of krb5.conf text; empty
// when there is none.
std::string defaultRealm(std::string_view krb5ConfText);

// The directory domain's short name, or "" when the computer is not joined.
std::string directoryDomainName(const DirectoryDomainSources& sources = {});

}  // namespace qxvb
