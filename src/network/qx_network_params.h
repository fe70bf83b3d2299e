// QX_NetworkParams: the local computer's network configuration, host names
// of IPv4 addresses, and the user and group accounts of the directory
// (LDAP), of this computer and of its domain (the name service switch).
//
// Every getter reads the configuration afresh; an object keeps nothing
// between calls except where its configuration is read from, which tests
// may point at files of their own.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "frame/dispatch.h"
#include "network/directory_domain.h"
#include "platform/network/netconfig.h"

namespace qxvb {

// Where an object reads the machine's configuration from.
struct NetworkParamsSources {
  platform::NetworkConfigSources network;
  DirectoryDomainSources directoryDomain;
};

class QX_NetworkParams : public Dispatch {
 public:
  const DispatchTable& dispatchTable() const override;

  // Network configuration and host names.
  std::string QX_NP_GetHostName();
  std::string QX_NP_GetDomainName();
  std::string QX_NP_GetCurrentDnsServer();
  StringArray QX_NP_GetDnsServerList();
  int32_t QX_NP_GetNodeType();
  std::string QX_NP_GetScopeID();
  int32_t QX_NP_GetEnableRouting();
  int32_t QX_NP_GetEnableProxy();
  int32_t QX_NP_GetEnableDNS();
  std::string QX_NP_GetCurrentDnsServerName();
  StringArray QX_NP_GetDnsServerListNames();
  std::string QX_NP_GetHostNameFromIP(const std::string& sAddress);

  // Directory (LDAP) accounts.
  StringArray QX_NP_AllActiveDirectoryUsers(const std::string& v_strAD = "defaultNamingContext");
  StringArray QX_NP_AllActiveDirectoryGroups(const std::string& v_strAD = "defaultNamingContext");
  void QX_NP_ActiveDirectoryMemberssForGroup(const std::string& strGroup, Object& ColUser,
                                             Object& ColGroup,
                                             const std::string& v_strAD = "defaultNamingContext");

  // Accounts of a computer or domain.
  StringArray QX_NP_AllUsersOnComputer(const std::string& v_strComputer = "");
  StringArray QX_NP_AllUsersOnDomain(const std::string& v_strDomain = "");
  StringArray QX_NP_AllGroupsOnDomain(const std::string& v_strDomain = "");
  StringArray QX_NP_AllGroupsOnComputer(const std::string& v_strComputer = "");
  void QX_NP_GetMembersForGroup(const std::string& strGroup, Object& ColUser, Object& ColGroup,
                                const std::string& v_strDomain = "");
  void QX_NP_GetMembersForaComputerGroup(const std::string& strGroup, Object& ColUser,
                                         Object& ColGroup, const std::string& v_strDomain = "");

  const NetworkParamsSources& sources() const { return sources_; }
  void setSources(NetworkParamsSources sources) { sources_ = std::move(sources); }

 private:
  // One field of the network record by index: 0 host name, 1 domain name,
  // 2 current DNS server, 3 DNS server list, 4 node type, 5 scope id,
  // 6 enable routing, 7 enable proxy, 8 enable DNS; Empty for any other.
  Variant networkField(int index) const;

  NetworkParamsSources sources_;
};

Object makeQX_NetworkParams();

// The thread's shared instance, which names the default computer and
// domain of the account members.
std::shared_ptr<QX_NetworkParams> sharedNetworkParams();

void addNetworkMembers(Members<QX_NetworkParams>& members);
void addDirectoryMembers(Members<QX_NetworkParams>& members);
void addComputerAccountMembers(Members<QX_NetworkParams>& members);

// The late-bound call of a member listing a group's members (the group,
// then two collections by reference, then where to look): the caller's
// collections are replaced even when the member fails.
using MembershipMember = void (QX_NetworkParams::*)(const std::string&, Object&, Object&,
                                                    const std::string&);
Variant callMembership(QX_NetworkParams& self, CallArgs& a, MembershipMember member);

}  // namespace qxvb
