#include "platform/directory/account_queries.h"

#include "platform/directory/filter_escape.h"

namespace qxvb::platform::directory {

ObjectKind objectKindOfCategory(std::string_view categoryDn) {
  if (categoryDn.find("CN=Person") != std::string_view::npos) return ObjectKind::User;
  if (categoryDn.find("CN=Group") != std::string_view::npos) return ObjectKind::Group;
  return ObjectKind::Other;
}

std::string categoryFilter(std::string_view category, const RootDse& rootDse) {
  std::string value(category);
  if (!rootDse.schemaNamingContext.empty()) {
    value = "CN=" + value + "," + rootDse.schemaNamingContext;
  }
  return "(objectCategory=" + escapeFilterValue(value) + ")";
}

std::string userAccountFilter(const RootDse& rootDse) {
  return "(&" + categoryFilter("Person", rootDse) + "(objectClass=user))";
}

std::string groupAccountFilter(const RootDse& rootDse) {
  return "(&" + categoryFilter("Group", rootDse) + ")";
}

DirectoryStatus listAccountNames(LdapConnection& connection, const std::string& base,
                                 const std::string& filter, std::vector<std::string>& names) {
  SearchRequest request;
  request.base = base;
  request.filter = filter;
  request.attributes = {"sAMAccountName"};
  std::vector<DirectoryEntry> entries;
  DirectoryStatus status = connection.search(request, entries);
  if (!status.ok()) return status;
  for (const DirectoryEntry& entry : entries) {
    std::string name = entry.first("sAMAccountName");
    if (!name.empty()) names.push_back(std::move(name));
  }
  return {};
}

DirectoryStatus findGroup(LdapConnection& connection, const std::string& base,
                          std::string_view accountName, GroupRecord& group) {
  group = GroupRecord{};
  SearchRequest request;
  request.base = base;
  request.filter = "(sAMAccountName=" + escapeFilterValue(accountName) + ")";
  request.attributes = {"primaryGroupToken"};
  std::vector<DirectoryEntry> entries;
  DirectoryStatus status = connection.search(request, entries);
  if (!status.ok() || entries.empty()) return status;
  group.found = true;
  group.dn = entries.front().dn;
  group.primaryGroupToken = entries.front().first("primaryGroupToken");
  return {};
}

DirectoryStatus groupMembers(LdapConnection& connection, const std::string& base,
                             const GroupRecord& group, std::vector<MemberRecord>& members) {
  SearchRequest request;
  request.base = base;
  request.filter = "(memberOf=" + escapeFilterValue(group.dn) + ")";
  if (!group.primaryGroupToken.empty()) {
    request.filter = "(|" + request.filter +
                     "(primaryGroupID=" + escapeFilterValue(group.primaryGroupToken) + "))";
  }
  request.attributes = {"objectCategory", "sAMAccountName", "msDS-PrincipalName"};
  std::vector<DirectoryEntry> entries;
  DirectoryStatus status = connection.search(request, entries);
  if (!status.ok()) return status;
  for (const DirectoryEntry& entry : entries) {
    MemberRecord member;
    member.dn = entry.dn;
    member.objectCategory = entry.first("objectCategory");
    member.accountName = entry.first("sAMAccountName");
    member.principalName = entry.first("msDS-PrincipalName");
    member.kind = objectKindOfCategory(member.objectCategory);
    members.push_back(std::move(member));
  }
  return {};
}

}  // namespace qxvb::platform::directory
