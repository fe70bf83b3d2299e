// The directory queries behind the account import: user and group account
// names below a search base, a group found by its account name, and the
// members of a group (through memberOf, or through the primary group).
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/directory/ldap_connection.h"

namespace qxvb::platform::directory {

// What a directory entry is, judged from its objectCategory DN.
enum class ObjectKind { User = 1, Group = 2, Other = -1 };

// User when the DN contains "CN=Person", else group when it contains
// "CN=Group", else other; the comparison is exact, as the directory
// spells category names this way.
ObjectKind objectKindOfCategory(std::string_view categoryDn);

// A filter item matching one object category. A directory that publishes
// its schema naming context gets the category's full DN, which every
// directory can compare; otherwise the short name is sent and left to the
// server to expand, as Active Directory does.
std::string categoryFilter(std::string_view category, const RootDse& rootDse);

// "(&(objectCategory=person)(objectClass=user))" in the form above.
std::string userAccountFilter(const RootDse& rootDse);
// "(&(objectCategory=group))" in the form above.
std::string groupAccountFilter(const RootDse& rootDse);

// The sAMAccountName of every entry matching `filter` below `base`, in the
// server's order; entries without an account name are left out.
DirectoryStatus listAccountNames(LdapConnection& connection, const std::string& base,
                                 const std::string& filter, std::vector<std::string>& names);

struct GroupRecord {
  bool found = false;
  std::string dn;
  std::string primaryGroupToken;  // may be empty
};

// The first entry whose sAMAccountName equals `accountName` (the name is
// escaped, so it is only ever compared).
DirectoryStatus findGroup(LdapConnection& connection, const std::string& base,
                          std::string_view accountName, GroupRecord& group);

struct MemberRecord {
  std::string dn;
  std::string objectCategory;
  std::string accountName;    // sAMAccountName
  std::string principalName;  // msDS-PrincipalName
  ObjectKind kind = ObjectKind::Other;
};

// Entries that list the group in memberOf or have it as primary group.
DirectoryStatus groupMembers(LdapConnection& connection, const std::string& base,
                             const GroupRecord& group, std::vector<MemberRecord>& members);

}  // namespace qxvb::platform::directory
