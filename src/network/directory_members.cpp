// The directory (LDAP) account members of QX_NetworkParams: user and group
// account names below a naming context, and the members of a group.
#include <strings.h>

#include <memory>
#include <string>
#include <vector>

#include "ado/ado_errors.h"
#include "frame/collection.h"
#include "frame/string_table.h"
#include "network/directory_errors.h"
#include "network/directory_settings.h"
#include "network/qx_network_params.h"
#include "platform/directory/account_queries.h"
#include "platform/directory/ldap_connection.h"

namespace qxvb {

namespace {

namespace dir = platform::directory;

constexpr std::string_view kLdapPrefix = "LDAP://";

// The bound root of a query: an open connection, the server's root DSE
// (empty when it could not be read) and the naming context searched.
struct SearchBase {
  dir::LdapConnection connection;
  dir::RootDse rootDse;
  std::string namingContext;
};

// The naming context the server names as its default, else the configured
// base, else the first one it publishes.
std::string defaultNamingContext(const dir::RootDse& rootDse,
                                 const dir::DirectoryOptions& options) {
  if (!rootDse.defaultNamingContext.empty()) return rootDse.defaultNamingContext;
  if (!options.base.empty()) return options.base;
  return rootDse.namingContexts.empty() ? std::string() : rootDse.namingContexts.front();
}

// An empty argument, and the members' declared default, the attribute name
// "defaultNamingContext", both ask for the root's default naming context.
bool asksForDefaultContext(const std::string& v_strAD) {
  return v_strAD.empty() || strcasecmp(v_strAD.c_str(), "defaultNamingContext") == 0;
}

// Binds the root DSE and then the naming context (v_strAD, or the root's
// default); either failing raises -1.
void bindSearchBase(const std::string& v_strAD, const dir::DirectoryOptions& options,
                    SearchBase& base) {
  const bool opened = base.connection.open(options).ok();
  const bool rootBound = opened && base.connection.readRootDse(base.rootDse).ok();
  base.namingContext = v_strAD;
  if (asksForDefaultContext(v_strAD)) {
    base.namingContext.clear();
    if (rootBound) base.namingContext = defaultNamingContext(base.rootDse, options);
    if (base.namingContext.empty()) raiseBindingFailure(localString(41141));
  }
  const std::string path = std::string(kLdapPrefix) + base.namingContext;
  dir::SearchRequest probe;
  probe.base = base.namingContext;
  probe.scope = dir::SearchScope::Base;
  probe.attributes = {"1.1"};
  probe.paged = false;
  std::vector<dir::DirectoryEntry> entries;
  if (!opened || !base.connection.search(probe, entries).ok() || entries.empty()) {
    base.connection.close();
    raiseBindingFailure(formatLocalString(localString(41142), Variant(path)));
  }
}

[[noreturn]] void failWith(const dir::DirectoryStatus& status) {
  throw directoryFailure(status);
}

StringArray listAccounts(const std::string& v_strAD, bool groups) {
  SearchBase base;
  bindSearchBase(v_strAD, directoryServerOptions(), base);
  std::vector<std::string> names;
  try {
    const std::string filter =
        groups ? dir::groupAccountFilter(base.rootDse) : dir::userAccountFilter(base.rootDse);
    const dir::DirectoryStatus status =
        dir::listAccountNames(base.connection, base.namingContext, filter, names);
    if (!status.ok()) failWith(status);
  } catch (const AutomationError& caught) {
    base.connection.close();
    raiseThroughErrorChain(caught);
  }
  StringArray result;
  result.items = std::move(names);
  if (result.items.empty()) result.items.emplace_back();
  return result;
}

// Switches the query to the global catalogue ("GC://" in place of
// "LDAP://"): the same naming context on the catalogue's server.
void useGlobalCatalogue(SearchBase& base, const dir::DirectoryOptions& server) {
  const dir::DirectoryStatus status = base.connection.open(globalCatalogueOptions(server));
  if (!status.ok()) failWith(status);
}

dir::GroupRecord findGroup(SearchBase& base, const std::string& accountName) {
  dir::GroupRecord group;
  const dir::DirectoryStatus status =
      dir::findGroup(base.connection, base.namingContext, accountName, group);
  if (!status.ok()) failWith(status);
  // The provider's recordset has no first record to read the group from.
  if (!group.found) {
    throw AutomationError(ado::err::kNoCurrentRecord, "ADODB.Recordset",
                          std::string(ado::errorText(ado::err::kNoCurrentRecord)));
  }
  return group;
}

void addMembers(SearchBase& base, const dir::GroupRecord& group, Collection& users,
                Collection& groups) {
  std::vector<dir::MemberRecord> members;
  const dir::DirectoryStatus status =
      dir::groupMembers(base.connection, base.namingContext, group, members);
  if (!status.ok()) failWith(status);
  const bool principalNames = usePrincipalNames();
  for (const dir::MemberRecord& member : members) {
    if (member.kind == dir::ObjectKind::User) {
      users.Add(Variant(principalNames ? member.principalName : member.accountName));
    } else if (member.kind == dir::ObjectKind::Group) {
      groups.Add(Variant(member.accountName));
    }
  }
}

}  // namespace

StringArray QX_NetworkParams::QX_NP_AllActiveDirectoryUsers(const std::string& v_strAD) {
  return listAccounts(v_strAD, false);
}

StringArray QX_NetworkParams::QX_NP_AllActiveDirectoryGroups(const std::string& v_strAD) {
  return listAccounts(v_strAD, true);
}

void QX_NetworkParams::QX_NP_ActiveDirectoryMemberssForGroup(const std::string& strGroup,
                                                             Object& ColUser, Object& ColGroup,
                                                             const std::string& v_strAD) {
  auto users = std::make_shared<Collection>();
  auto groups = std::make_shared<Collection>();
  ColUser = users;
  ColGroup = groups;
  const dir::DirectoryOptions server = directoryServerOptions();
  SearchBase base;
  bindSearchBase(v_strAD, server, base);
  try {
    if (queryGlobalCatalogue()) useGlobalCatalogue(base, server);
    const dir::GroupRecord group = findGroup(base, strGroup);
    addMembers(base, group, *users, *groups);
  } catch (const AutomationError& caught) {
    base.connection.close();
    raiseThroughErrorChain(caught);
  }
}

void addDirectoryMembers(Members<QX_NetworkParams>& members) {
  using Self = QX_NetworkParams;
  const Variant defaultContext("defaultNamingContext");
  members
      .method<&Self::QX_NP_AllActiveDirectoryUsers>("QX_NP_AllActiveDirectoryUsers",
                                                    {opt("v_strAD", defaultContext)})
      .method<&Self::QX_NP_AllActiveDirectoryGroups>("QX_NP_AllActiveDirectoryGroups",
                                                     {opt("v_strAD", defaultContext)})
      .method("QX_NP_ActiveDirectoryMemberssForGroup",
              {in("strGroup"), ref("ColUser"), ref("ColGroup"), opt("v_strAD", defaultContext)},
              [](Self& n, CallArgs& a) {
                return callMembership(n, a, &Self::QX_NP_ActiveDirectoryMemberssForGroup);
              });
}

}  // namespace qxvb
