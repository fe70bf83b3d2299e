// A connection to an LDAP directory through OpenLDAP's libldap: simple bind,
// the root DSE, and paged subtree searches (RFC 2696) returning every entry
// of a result however large, with attribute values as UTF-8 strings.
//
// Where the connection settings come from: the library's own settings name
// the server URI, bind DN, password and search base when they are set.
// Otherwise directoryDefaults() takes the URI and base that libldap itself
// reads from /etc/ldap/ldap.conf (or the file named by LDAPCONF, the
// user's ldaprc, and LDAPURI/LDAPBASE), and an empty search base falls back
// to the server's defaultNamingContext from its root DSE. A machine joined
// to a domain through SSSD names its server in /etc/sssd/sssd.conf
// ("ldap_uri", or "ad_domain"/"ad_server"); that file is readable by root
// only, so such machines are expected to carry the same server in ldap.conf
// or in the library's settings. The global catalogue of a domain is the
// same server on port 3268.
//
// Referrals are never chased, and both connecting and every operation are
// bounded by timeouts, so a server that is down, refuses or stalls gives an
// error within seconds instead of a hang.
#pragma once

#include <string>
#include <string_view>
#include <vector>

typedef struct ldap LDAP;

namespace qxvb::platform::directory {

struct DirectoryOptions {
  std::string uri;       // ldap://host:port, ldaps://host:port, several separated by blanks
  std::string bindDn;    // empty for an anonymous bind
  std::string password;  // used when bindDn is set
  std::string base;      // default search base; may be empty
  int networkTimeoutSeconds = 5;     // connecting to the server
  int operationTimeoutSeconds = 10;  // each bind, search page, ...
  int pageSize = 500;
};

// The outcome of a directory call: an LDAP result code (0 on success,
// negative for client-side failures such as an unreachable server) and
// libldap's message for it, with the server's diagnostic when it gave one.
struct DirectoryStatus {
  int code = 0;
  std::string message;
  bool ok() const { return code == 0; }
};

struct DirectoryAttribute {
  std::string name;  // as the server spells it
  std::vector<std::string> values;
};

struct DirectoryEntry {
  std::string dn;
  std::vector<DirectoryAttribute> attributes;

  // The values of an attribute, matched without regard to case; empty
  // when the entry does not carry it.
  const std::vector<std::string>& values(std::string_view name) const;
  // The first value of an attribute, or "" when it has none.
  std::string first(std::string_view name) const;
};

enum class SearchScope { Base, OneLevel, Subtree };

struct SearchRequest {
  std::string base;
  SearchScope scope = SearchScope::Subtree;
  std::string filter = "(objectClass=*)";
  std::vector<std::string> attributes;  // empty: all user attributes
  bool paged = true;
};

struct RootDse {
  std::string defaultNamingContext;
  std::vector<std::string> namingContexts;
  std::string schemaNamingContext;
};

// URI and search base as configured for libldap on this machine
// (ldap.conf, LDAPURI/LDAPBASE); empty members when nothing is configured.
DirectoryOptions directoryDefaults();

class LdapConnection {
 public:
  LdapConnection() = default;
  ~LdapConnection();
  LdapConnection(LdapConnection&& other) noexcept;
  LdapConnection& operator=(LdapConnection&& other) noexcept;
  LdapConnection(const LdapConnection&) = delete;
  LdapConnection& operator=(const LdapConnection&) = delete;

  // Connects and binds (anonymously when no bind DN is given), so that an
  // unreachable server or refused credentials show up here.
  DirectoryStatus open(const DirectoryOptions& options);
  bool isOpen() const { return handle_ != nullptr; }
  void close();

  DirectoryStatus readRootDse(RootDse& rootDse);

  // Runs a search and appends every entry to `entries`; search references
  // (referrals) are skipped. Paged requests fetch page after page until the
  // server has no more.
  DirectoryStatus search(const SearchRequest& request, std::vector<DirectoryEntry>& entries);

  const DirectoryOptions& options() const { return options_; }

 private:
  DirectoryStatus searchOnePage(const SearchRequest& request, std::string& cookie,
                                std::vector<DirectoryEntry>& entries);
  DirectoryStatus statusOf(int code) const;

  LDAP* handle_ = nullptr;
  DirectoryOptions options_;
};

}  // namespace qxvb::platform::directory
