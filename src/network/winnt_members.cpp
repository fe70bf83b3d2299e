// The computer and domain account members of QX_NetworkParams: the users
// and groups the name service switch knows (local files, and the domain's
// accounts through SSSD or winbind), and the members of a group.
#include <strings.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/collection.h"
#include "network/directory_domain.h"
#include "network/qx_network_params.h"
#include "platform/directory/nss_accounts.h"
#include "platform/network/netconfig.h"

namespace qxvb {

namespace {

// The directory service's errors for names it cannot bind.
constexpr int32_t kNetworkPathNotFound = static_cast<int32_t>(0x80070035);
constexpr int32_t kDomainNotFound = static_cast<int32_t>(0x8007054B);
constexpr int32_t kGroupNotFound = static_cast<int32_t>(0x800708AC);

bool sameName(std::string_view a, std::string_view b) {
  return !a.empty() && a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

// The names this computer answers to: its host name, with and without
// its DNS domain, and localhost.
bool namesThisComputer(std::string_view name, const platform::NetworkParams& record) {
  return sameName(name, record.hostName) || sameName(name, "localhost") ||
         (!record.domainName.empty() && sameName(name, record.hostName + "." + record.domainName));
}

// The names of the domain whose accounts the name services list: the
// directory domain, the DNS domain (whole or its first label), and the
// computer itself, whose own accounts form a domain of one computer.
bool namesThisDomain(std::string_view name, const platform::NetworkParams& record,
                     const DirectoryDomainSources& sources) {
  const std::string& dns = record.domainName;
  return namesThisComputer(name, record) || sameName(name, directoryDomainName(sources)) ||
         sameName(name, dns) || sameName(name, dns.substr(0, dns.find('.')));
}

void requireComputer(const std::string& computer, const NetworkParamsSources& sources) {
  if (!namesThisComputer(computer, platform::readNetworkParams(sources.network))) {
    raiseError(kNetworkPathNotFound, kProjectName, "The network path was not found.");
  }
}

void requireDomain(const std::string& domain, const NetworkParamsSources& sources) {
  if (!namesThisDomain(domain, platform::readNetworkParams(sources.network),
                       sources.directoryDomain)) {
    raiseError(kDomainNotFound, kProjectName,
               "The specified domain either does not exist or could not be contacted.");
  }
}

std::string orDefaultName(const std::string& name) {
  return name.empty() ? sharedNetworkParams()->QX_NP_GetHostName() : name;
}

StringArray namesOf(const std::vector<platform::nss::AccountName>& accounts) {
  StringArray names;
  for (const auto& account : accounts) names.items.push_back(account.name);
  return names;
}

std::vector<platform::nss::AccountName> groupMembers(const std::string& group,
                                                     const std::string& domain,
                                                     const NetworkParamsSources& sources) {
  requireDomain(domain, sources);
  std::optional<std::vector<platform::nss::AccountName>> members =
      platform::nss::listGroupMembers(group);
  if (!members) raiseError(kGroupNotFound, kProjectName, "The group name could not be found.");
  return std::move(*members);
}

}  // namespace

StringArray QX_NetworkParams::QX_NP_AllUsersOnComputer(const std::string& v_strComputer) {
  requireComputer(orDefaultName(v_strComputer), sources_);
  return namesOf(platform::nss::listUsers());
}

StringArray QX_NetworkParams::QX_NP_AllGroupsOnComputer(const std::string& v_strComputer) {
  requireComputer(orDefaultName(v_strComputer), sources_);
  return namesOf(platform::nss::listGroups());
}

StringArray QX_NetworkParams::QX_NP_AllUsersOnDomain(const std::string& v_strDomain) {
  requireDomain(orDefaultName(v_strDomain), sources_);
  return namesOf(platform::nss::listUsers());
}

StringArray QX_NetworkParams::QX_NP_AllGroupsOnDomain(const std::string& v_strDomain) {
  requireDomain(orDefaultName(v_strDomain), sources_);
  return namesOf(platform::nss::listGroups());
}

void QX_NetworkParams::QX_NP_GetMembersForGroup(const std::string& strGroup, Object& ColUser,
                                                Object& ColGroup, const std::string& v_strDomain) {
  auto users = std::make_shared<Collection>();
  ColUser = users;
  ColGroup = std::make_shared<Collection>();
  for (const auto& member : groupMembers(strGroup, orDefaultName(v_strDomain), sources_)) {
    if (!member.isGroup) users->Add(Variant(member.name));
  }
}

void QX_NetworkParams::QX_NP_GetMembersForaComputerGroup(const std::string& strGroup,
                                                         Object& ColUser, Object& ColGroup,
                                                         const std::string& v_strDomain) {
  auto users = std::make_shared<Collection>();
  auto groups = std::make_shared<Collection>();
  ColUser = users;
  ColGroup = groups;
  const auto members = groupMembers(strGroup, orDefaultName(v_strDomain), sources_);
  // Nested groups first, then users, each as (container, name).
  for (const bool wantGroups : {true, false}) {
    for (const auto& member : members) {
      if (member.isGroup != wantGroups) continue;
      auto pair = std::make_shared<Collection>();
      pair->Add(Variant(member.container));
      pair->Add(Variant(member.name));
      (wantGroups ? groups : users)->Add(Variant(Object(pair)));
    }
  }
}

namespace {

using Self = QX_NetworkParams;
using ListMember = StringArray (Self::*)(const std::string&);

}  // namespace

void addComputerAccountMembers(Members<QX_NetworkParams>& members) {
  const auto list = [](ListMember member) {
    return [member](Self& n, CallArgs& a) { return Variant((n.*member)(a.str(0))); };
  };
  const auto membership = [](MembershipMember member) {
    return [member](Self& n, CallArgs& a) { return callMembership(n, a, member); };
  };
  const std::vector<ParamSpec> membershipParams = {in("strGroup"), ref("ColUser"), ref("ColGroup"),
                                                   opt("v_strDomain", Variant(""))};
  members
      .method("QX_NP_AllUsersOnComputer", {opt("v_strComputer", Variant(""))},
              list(&Self::QX_NP_AllUsersOnComputer))
      .method("QX_NP_AllUsersOnDomain", {opt("v_strDomain", Variant(""))},
              list(&Self::QX_NP_AllUsersOnDomain))
      .method("QX_NP_AllGroupsOnDomain", {opt("v_strDomain", Variant(""))},
              list(&Self::QX_NP_AllGroupsOnDomain))
      .method("QX_NP_AllGroupsOnComputer", {opt("v_strComputer", Variant(""))},
              list(&Self::QX_NP_AllGroupsOnComputer))
      .method("QX_NP_GetMembersForGroup", membershipParams,
              membership(&Self::QX_NP_GetMembersForGroup))
      .method("QX_NP_GetMembersForaComputerGroup", membershipParams,
              membership(&Self::QX_NP_GetMembersForaComputerGroup));
}

}  // namespace qxvb
