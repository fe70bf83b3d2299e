#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <ldap.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "platform/directory/account_queries.h"
#include "platform/directory/filter_escape.h"
#include "platform/directory/ldap_connection.h"
#include "platform/directory/nss_accounts.h"
#include "platform/network/netconfig.h"
#include "support/sandbox.h"
#include "support/shared_slapd.h"

namespace qxvb::platform::directory {
namespace {

using test::SlapdServer;

bool contains(const std::vector<std::string>& names, const std::string& name) {
  return std::find(names.begin(), names.end(), name) != names.end();
}

TEST(FilterEscape, MetacharactersNulAndNonAsciiBecomeHexPairs) {
  EXPECT_EQ(escapeFilterValue("Domain Users"), "Domain Users");
  EXPECT_EQ(escapeFilterValue("*)(objectClass=*"), "\\2a\\29\\28objectClass=\\2a");
  EXPECT_EQ(escapeFilterValue("a\\b"), "a\\5cb");
  EXPECT_EQ(escapeFilterValue(std::string("a\0b", 3)), "a\\00b");
  EXPECT_EQ(escapeFilterValue("\xc3\x84rger"), "\\c3\\84rger");
}

TEST(ObjectCategory, KindFollowsTheCategoryName) {
  EXPECT_EQ(objectKindOfCategory("CN=Person,CN=Schema,CN=Configuration,DC=x"), ObjectKind::User);
  EXPECT_EQ(objectKindOfCategory("CN=Group,CN=Schema,CN=Configuration,DC=x"), ObjectKind::Group);
  EXPECT_EQ(objectKindOfCategory("CN=Computer,CN=Schema,CN=Configuration,DC=x"), ObjectKind::Other);
  EXPECT_EQ(objectKindOfCategory(""), ObjectKind::Other);
}

TEST(ObjectCategory, FilterUsesTheFullDnWhenTheSchemaContextIsKnown) {
  RootDse withSchema;
  withSchema.schemaNamingContext = "CN=Schema,CN=Configuration,DC=x";
  EXPECT_EQ(userAccountFilter(withSchema),
            "(&(objectCategory=CN=Person,CN=Schema,CN=Configuration,DC=x)(objectClass=user))");
  EXPECT_EQ(groupAccountFilter(RootDse{}), "(&(objectCategory=Group))");
}

TEST(DirectoryConnection, ClosedPortGivesAnErrorNotAHang) {
  LdapConnection connection;
  DirectoryOptions options;
  options.uri = "ldap://127.0.0.1:1/";
  options.networkTimeoutSeconds = 2;
  options.operationTimeoutSeconds = 2;
  const DirectoryStatus status = connection.open(options);
  EXPECT_EQ(status.code, LDAP_SERVER_DOWN);
  EXPECT_FALSE(status.message.empty());
  EXPECT_FALSE(connection.isOpen());
}

TEST(DirectoryConnection, ServerThatNeverAnswersGivesAnErrorNotAHang) {
  // A listening socket nobody reads: the connection is accepted by the
  // kernel, the bind request is never answered.
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  ASSERT_GE(listener, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 4), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

  LdapConnection connection;
  DirectoryOptions options;
  options.uri = "ldap://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/";
  options.networkTimeoutSeconds = 1;
  options.operationTimeoutSeconds = 1;
  const DirectoryStatus status = connection.open(options);
  close(listener);
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.message.empty());
  EXPECT_FALSE(connection.isOpen());
}

TEST(DirectoryConnection, MissingOrMalformedUriIsAnError) {
  LdapConnection connection;
  EXPECT_FALSE(connection.open(DirectoryOptions{}).ok());
  DirectoryOptions options;
  options.uri = "http://127.0.0.1/";
  const DirectoryStatus status = connection.open(options);
  EXPECT_FALSE(status.ok());
  EXPECT_FALSE(status.message.empty());
  std::vector<DirectoryEntry> entries;
  EXPECT_FALSE(connection.search(SearchRequest{}, entries).ok());
}

class DirectoryServer : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    if (!test::ensureSharedSlapd(error)) FAIL() << error;
    // Anonymous, so the server's size limit applies: only paging gets past it.
    options_.uri = test::sharedSlapd().uri();
    options_.base = SlapdServer::kBase;
    const DirectoryStatus status = connection_.open(options_);
    ASSERT_TRUE(status.ok()) << status.message;
    ASSERT_TRUE(connection_.readRootDse(rootDse_).ok());
  }

  std::vector<MemberRecord> membersOf(const std::string& group) {
    GroupRecord record;
    EXPECT_TRUE(findGroup(connection_, options_.base, group, record).ok());
    EXPECT_TRUE(record.found) << group;
    std::vector<MemberRecord> members;
    if (record.found) {
      const DirectoryStatus status = groupMembers(connection_, options_.base, record, members);
      EXPECT_TRUE(status.ok()) << status.message;
    }
    return members;
  }

  DirectoryOptions options_;
  LdapConnection connection_;
  RootDse rootDse_;
};

TEST_F(DirectoryServer, RootDseNamesTheDefaultNamingContext) {
  EXPECT_EQ(rootDse_.defaultNamingContext, SlapdServer::kBase);
  EXPECT_TRUE(contains(rootDse_.namingContexts, SlapdServer::kBase));
  EXPECT_EQ(rootDse_.schemaNamingContext, SlapdServer::kSchemaContext);
}

TEST_F(DirectoryServer, PagedSearchReturnsEveryUserAccount) {
  std::vector<std::string> names;
  const DirectoryStatus status = listAccountNames(connection_, rootDse_.defaultNamingContext,
                                                  userAccountFilter(rootDse_), names);
  ASSERT_TRUE(status.ok()) << status.message;
  EXPECT_EQ(names.size(), SlapdServer::kGeneratedUsers + 5u);
  EXPECT_EQ(std::set<std::string>(names.begin(), names.end()).size(), names.size());
  EXPECT_TRUE(contains(names, "user0000"));
  EXPECT_TRUE(contains(names, "user2499"));
  EXPECT_TRUE(contains(names, "alice"));
  EXPECT_FALSE(contains(names, "WS01$"));
  EXPECT_FALSE(contains(names, "Engineers"));
}

TEST_F(DirectoryServer, SearchWithoutPagingStopsAtTheServerLimit) {
  SearchRequest request;
  request.base = SlapdServer::kBase;
  request.filter = userAccountFilter(rootDse_);
  request.attributes = {"sAMAccountName"};
  request.paged = false;
  std::vector<DirectoryEntry> entries;
  const DirectoryStatus status = connection_.search(request, entries);
  EXPECT_EQ(status.code, LDAP_SIZELIMIT_EXCEEDED);
  EXPECT_NE(status.message.find(ldap_err2string(LDAP_SIZELIMIT_EXCEEDED)), std::string::npos);
}

TEST_F(DirectoryServer, GroupAccountsAreListed) {
  std::vector<std::string> names;
  ASSERT_TRUE(
      listAccountNames(connection_, SlapdServer::kBase, groupAccountFilter(rootDse_), names).ok());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"Build Team", "Domain Users", "Empty Group",
                                             "Engineers", "Managers", "R&D (Lab)"}));
}

TEST_F(DirectoryServer, MembersComeThroughMemberOfAndPrimaryGroup) {
  std::vector<std::string> users, groups, others;
  for (const MemberRecord& member : membersOf("Engineers")) {
    auto& list = member.kind == ObjectKind::User    ? users
                 : member.kind == ObjectKind::Group ? groups
                                                    : others;
    list.push_back(member.accountName);
  }
  std::sort(users.begin(), users.end());
  EXPECT_EQ(users, (std::vector<std::string>{"alice", "bob", "carol"}));
  EXPECT_EQ(groups, (std::vector<std::string>{"Build Team"}));
  EXPECT_EQ(others, (std::vector<std::string>{"WS01$"}));
}

TEST_F(DirectoryServer, MembersCarryPrincipalNames) {
  const auto members = membersOf("Managers");
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].principalName, "EXAMPLE\\dave");
  EXPECT_EQ(members[0].dn, "cn=dave,ou=People,dc=example,dc=test");
}

TEST_F(DirectoryServer, PrimaryGroupMembershipPagesThroughLargeResults) {
  EXPECT_EQ(membersOf("Domain Users").size(), SlapdServer::kGeneratedUsers + 4u);
}

TEST_F(DirectoryServer, GroupNamesWithFilterCharactersMatchExactly) {
  const auto members = membersOf("R&D (Lab)");
  ASSERT_EQ(members.size(), 1u);
  EXPECT_EQ(members[0].accountName, "eve");
  EXPECT_TRUE(membersOf("Empty Group").empty());
}

TEST_F(DirectoryServer, GroupNameCannotWidenTheQuery) {
  for (const char* name : {"*)(objectClass=*", "*", "Engineers)(sAMAccountName=*", "Nobody"}) {
    GroupRecord record;
    const DirectoryStatus status = findGroup(connection_, SlapdServer::kBase, name, record);
    EXPECT_TRUE(status.ok()) << status.message;
    EXPECT_FALSE(record.found) << name;
  }
}

TEST_F(DirectoryServer, ValuesArriveAsUtf8) {
  SearchRequest request;
  request.base = "cn=alice,ou=People,dc=example,dc=test";
  request.scope = SearchScope::Base;
  request.attributes = {"displayName", "userPrincipalName"};
  std::vector<DirectoryEntry> entries;
  ASSERT_TRUE(connection_.search(request, entries).ok());
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].first("DISPLAYNAME"), "Alice \xc3\x84rger");
  EXPECT_EQ(entries[0].first("userPrincipalName"), "alice@example.test");
  EXPECT_TRUE(entries[0].values("memberOf").empty());
}

TEST_F(DirectoryServer, SimpleBindWithCredentials) {
  DirectoryOptions admin = options_;
  admin.bindDn = SlapdServer::kAdminDn;
  admin.password = SlapdServer::kAdminPassword;
  LdapConnection connection;
  const DirectoryStatus status = connection.open(admin);
  ASSERT_TRUE(status.ok()) << status.message;
  std::vector<std::string> names;
  EXPECT_TRUE(listAccountNames(connection, SlapdServer::kBase, "(sAMAccountName=bob)", names).ok());
  EXPECT_EQ(names, (std::vector<std::string>{"bob"}));
}

TEST_F(DirectoryServer, WrongPasswordIsRefused) {
  DirectoryOptions wrong = options_;
  wrong.bindDn = SlapdServer::kAdminDn;
  wrong.password = "not-the-password";
  LdapConnection connection;
  const DirectoryStatus status = connection.open(wrong);
  EXPECT_EQ(status.code, LDAP_INVALID_CREDENTIALS);
  EXPECT_NE(status.message.find(ldap_err2string(LDAP_INVALID_CREDENTIALS)), std::string::npos);
  EXPECT_FALSE(connection.isOpen());
}

TEST_F(DirectoryServer, MissingBaseIsReportedByTheServer) {
  SearchRequest request;
  request.base = "ou=Nowhere,dc=example,dc=test";
  std::vector<DirectoryEntry> entries;
  EXPECT_EQ(connection_.search(request, entries).code, LDAP_NO_SUCH_OBJECT);
}

std::vector<std::string> namesOf(const std::vector<nss::AccountName>& accounts) {
  std::vector<std::string> names;
  for (const auto& account : accounts) names.push_back(account.name);
  return names;
}

TEST(NssAccounts, RootUserAndGroupAreListedWithTheComputerAsContainer) {
  const auto users = nss::listUsers();
  ASSERT_FALSE(users.empty());
  EXPECT_TRUE(contains(namesOf(users), "root"));
  EXPECT_EQ(users.front().container, shortHostName());
  EXPECT_TRUE(contains(namesOf(nss::listGroups()), "root"));
}

TEST(NssAccounts, GroupMembersIncludePrimaryGroupUsers) {
  const auto members = nss::listGroupMembers("root");
  ASSERT_TRUE(members.has_value());
  EXPECT_TRUE(contains(namesOf(*members), "root"));
  EXPECT_FALSE(nss::listGroupMembers("no-such-group-here").has_value());
  EXPECT_FALSE(nss::listGroupMembers("").has_value());
}

}  // namespace
}  // namespace qxvb::platform::directory
