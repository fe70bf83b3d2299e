// Accounts of this computer and of the domain it is joined to, as the name
// service switch sees them (local files, SSSD, ...): users, groups and the
// members of a group.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qxvb::platform::nss {

// An account with the container it belongs to: the computer's short host
// name for every account the name services list.
struct AccountName {
  std::string container;
  std::string name;
  bool isGroup = false;  // a group nested in the group that was listed
};

// Every user, in the order the name services give them.
std::vector<AccountName> listUsers();

// Every group, in the order the name services give them.
std::vector<AccountName> listGroups();

// The members of a group: the accounts it lists, then the users whose
// primary group it is and who are not listed already. A listed name that is
// a group and no user is a nested group; one written "DOMAIN\\name" comes
// from that domain, its container. No value when the group is not known.
std::optional<std::vector<AccountName>> listGroupMembers(std::string_view groupName);

}  // namespace qxvb::platform::nss
