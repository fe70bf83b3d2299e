// The directory members of QX_NetworkParams against a private slapd on
// 127.0.0.1, reached through the directory settings of the sandboxed
// profile: complete listings past the server's size limit, group members
// through memberOf and the primary group, hostile group names, the global
// catalogue and principal-name switches, and the errors of an unreachable
// or refusing directory.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "components/qxdutils/qxdutils_component.h"
#include "error_helper/error_helper.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/err_object.h"
#include "frame/module_state.h"
#include "frame/string_table.h"
#include "network/directory_errors.h"
#include "network/qx_network_params.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "support/shared_slapd.h"
#include "text/qxutilities.h"

namespace qxvb {
namespace {

using test::errorOf;
using test::SlapdServer;

constexpr const char* kClosedPortUri = "ldap://127.0.0.1:1/";

std::vector<std::string> itemsOf(const Object& object) {
  std::vector<std::string> items;
  auto collection = std::dynamic_pointer_cast<Collection>(object);
  if (collection == nullptr) {
    ADD_FAILURE() << "not a collection";
    return items;
  }
  for (int32_t i = 1; i <= collection->Count(); ++i) {
    const std::string* text = collection->Item(Variant(i)).get<std::string>();
    items.push_back(text != nullptr ? *text : "?");
  }
  std::sort(items.begin(), items.end());
  return items;
}

class DirectoryMembersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string error;
    if (!test::ensureSharedSlapd(error)) FAIL() << error;
    std::filesystem::remove(qxdutils::defaultProfilePath());
    unloadThread();
    // Anonymous: the server's size limit of 1,000 applies, so only paged
    // searches list everything.
    setSetting("ADImportServer", test::sharedSlapd().uri());
  }
  void TearDown() override { unloadThread(); }

  void setSetting(std::string item, std::string value) {
    QXUtilities utilities;
    ASSERT_TRUE(utilities.QXSetSetting(item, value, "ADImport"));
  }

  std::shared_ptr<QX_NetworkParams> params() {
    return std::static_pointer_cast<QX_NetworkParams>(createObject("QXVBUtils.QX_NetworkParams"));
  }

  struct Members {
    std::vector<std::string> users;
    std::vector<std::string> groups;
  };
  Members membersOf(const std::string& group, const std::string& context = "") {
    Object users;
    Object groups;
    params()->QX_NP_ActiveDirectoryMemberssForGroup(group, users, groups, context);
    return {itemsOf(users), itemsOf(groups)};
  }

  // The error chain a failed member raised, rebuilt by an error helper.
  static std::shared_ptr<QX_ErrorHelper> chainOf(const AutomationError& error) {
    auto helper = std::make_shared<QX_ErrorHelper>();
    EXPECT_FALSE(helper->Store(std::make_shared<ErrObject>(error))) << error.description();
    return helper;
  }
};

TEST_F(DirectoryMembersTest, AllUsersAreListedPastTheServerSizeLimit) {
  const StringArray users = params()->QX_NP_AllActiveDirectoryUsers("");
  EXPECT_EQ(users.lbound, 0);
  ASSERT_EQ(users.items.size(), SlapdServer::kGeneratedUsers + 5u);
  const std::set<std::string> unique(users.items.begin(), users.items.end());
  EXPECT_EQ(unique.size(), users.items.size());
  for (const char* name : {"alice", "bob", "carol", "dave", "eve", "user0000", "user2499"}) {
    EXPECT_TRUE(unique.count(name)) << name;
  }
  EXPECT_FALSE(unique.count("WS01$"));
  EXPECT_FALSE(unique.count("Engineers"));
}

TEST_F(DirectoryMembersTest, NamingContextMayBeGivenOrTakenFromTheRoot) {
  auto p = params();
  const size_t all = SlapdServer::kGeneratedUsers + 5u;
  EXPECT_EQ(p->QX_NP_AllActiveDirectoryUsers(SlapdServer::kBase).items.size(), all);
  EXPECT_EQ(p->QX_NP_AllActiveDirectoryUsers().items.size(), all);
  const StringArray groups = p->QX_NP_AllActiveDirectoryGroups("ou=Groups,dc=example,dc=test");
  EXPECT_EQ(std::set<std::string>(groups.items.begin(), groups.items.end()),
            (std::set<std::string>{"Build Team", "Domain Users", "Empty Group", "Engineers",
                                   "Managers", "R&D (Lab)"}));
  // Below a context without accounts the list is one empty name.
  EXPECT_EQ(p->QX_NP_AllActiveDirectoryUsers("ou=Groups,dc=example,dc=test").items,
            (std::vector<std::string>{""}));
}

TEST_F(DirectoryMembersTest, UnknownNamingContextCannotBeBound) {
  const AutomationError error =
      errorOf([&] { params()->QX_NP_AllActiveDirectoryGroups("dc=nowhere,dc=test"); });
  EXPECT_EQ(error.number(), -1);
  EXPECT_EQ(error.source(), "QX_NP_AllActiveDirectoryUsers");
  EXPECT_EQ(error.description(),
            formatLocalString(localString(41142), Variant("LDAP://dc=nowhere,dc=test")));
}

TEST_F(DirectoryMembersTest, MembersComeThroughMemberOfAndThePrimaryGroup) {
  const Members engineers = membersOf("Engineers");
  // carol has Engineers as primary group only; the computer WS01$ is skipped.
  EXPECT_EQ(engineers.users, (std::vector<std::string>{"alice", "bob", "carol"}));
  EXPECT_EQ(engineers.groups, (std::vector<std::string>{"Build Team"}));
  const Members empty = membersOf("Empty Group");
  EXPECT_TRUE(empty.users.empty());
  EXPECT_TRUE(empty.groups.empty());
  EXPECT_EQ(membersOf("Managers", SlapdServer::kBase).users, (std::vector<std::string>{"dave"}));
  // Every user but carol has Domain Users as primary group: past the size limit too.
  EXPECT_EQ(membersOf("Domain Users").users.size(), SlapdServer::kGeneratedUsers + 4u);
}

TEST_F(DirectoryMembersTest, PrincipalNamesAreUsedWhenSwitchedOn) {
  setSetting("ADImportUsePrincipalName", "Y");
  EXPECT_EQ(membersOf("Managers").users, (std::vector<std::string>{"EXAMPLE\\dave"}));
  setSetting("ADImportUsePrincipalName", "n");
  EXPECT_EQ(membersOf("Managers").users, (std::vector<std::string>{"dave"}));
}

TEST_F(DirectoryMembersTest, GroupNamesAreOnlyEverCompared) {
  EXPECT_EQ(membersOf("R&D (Lab)").users, (std::vector<std::string>{"eve"}));
  for (const char* hostile : {"*", "Engineers)(sAMAccountName=*", "*)(|(objectClass=*"}) {
    const AutomationError error = errorOf([&] { membersOf(hostile); });
    EXPECT_EQ(error.source(), "QX_NP_AllActiveDirectoryUsers") << hostile;
    auto chain = chainOf(error);
    EXPECT_EQ(chain->Number(QX_Error_Initial), 3021) << hostile;
  }
}

TEST_F(DirectoryMembersTest, GlobalCatalogueSwitchMovesTheMemberQuery) {
  setSetting("ADImportGlobalCatalogServer", kClosedPortUri);
  setSetting("ADImportQueryUseGCAsRoot", "n");
  EXPECT_EQ(membersOf("Managers").users, (std::vector<std::string>{"dave"}));

  setSetting("ADImportQueryUseGCAsRoot", "Y");
  const AutomationError error = errorOf([&] { membersOf("Managers"); });
  EXPECT_EQ(error.number(), kNoSuchDomain);
  EXPECT_EQ(error.source(), "QX_NP_AllActiveDirectoryUsers");
  auto chain = chainOf(error);
  EXPECT_EQ(chain->SourceAsString(QX_Error_Initial), "Active Directory Provider");
  EXPECT_EQ(chain->Number(QX_Error_Final), kNoSuchDomain);
  const std::string outer = chain->DescriptionAsString(QX_Error_Final);
  EXPECT_NE(outer.find(localString(41143)), std::string::npos);
  EXPECT_NE(outer.find(localString(41144)), std::string::npos);
  EXPECT_NE(outer.find(localString(41145)), std::string::npos);

  setSetting("ADImportGlobalCatalogServer", test::sharedSlapd().uri());
  EXPECT_EQ(membersOf("Managers").users, (std::vector<std::string>{"dave"}));
}

TEST_F(DirectoryMembersTest, UnreachableDirectoryRaisesTheBindingError) {
  setSetting("ADImportServer", kClosedPortUri);
  auto p = params();
  AutomationError error = errorOf([&] { p->QX_NP_AllActiveDirectoryUsers(""); });
  EXPECT_EQ(error.number(), -1);
  EXPECT_EQ(error.source(), "QX_NP_AllActiveDirectoryUsers");
  EXPECT_EQ(error.description(), localString(41141));
  error = errorOf([&] { p->QX_NP_AllActiveDirectoryGroups(SlapdServer::kBase); });
  EXPECT_EQ(error.number(), -1);
  EXPECT_EQ(
      error.description(),
      formatLocalString(localString(41142), Variant(std::string("LDAP://") + SlapdServer::kBase)));
  Object users = std::make_shared<Collection>();
  std::static_pointer_cast<Collection>(users)->Add(Variant("stale"));
  Object groups;
  error =
      errorOf([&] { p->QX_NP_ActiveDirectoryMemberssForGroup("Engineers", users, groups, ""); });
  EXPECT_EQ(error.number(), -1);
  EXPECT_TRUE(itemsOf(users).empty());
  EXPECT_TRUE(itemsOf(groups).empty());
}

TEST_F(DirectoryMembersTest, CredentialsAreUsedAndRefusedOnesFail) {
  setSetting("ADImportBindDN", SlapdServer::kAdminDn);
  setSetting("ADImportBindPassword", "wrong");
  const AutomationError error = errorOf([&] { params()->QX_NP_AllActiveDirectoryUsers(""); });
  EXPECT_EQ(error.number(), -1);
  EXPECT_EQ(error.description(), localString(41141));
  setSetting("ADImportBindPassword", SlapdServer::kAdminPassword);
  EXPECT_EQ(params()->QX_NP_AllActiveDirectoryUsers("").items.size(),
            SlapdServer::kGeneratedUsers + 5u);
}

TEST_F(DirectoryMembersTest, LateBoundMembersTakeDefaultsAndFillTheCollections) {
  auto p = params();
  const Variant users = p->call("qx_np_allactivedirectoryusers");
  ASSERT_NE(users.get<StringArray>(), nullptr);
  EXPECT_EQ(users.get<StringArray>()->items.size(), SlapdServer::kGeneratedUsers + 5u);
  const Variant groups = p->call("QX_NP_AllActiveDirectoryGroups", {Variant("")});
  ASSERT_NE(groups.get<StringArray>(), nullptr);
  EXPECT_EQ(groups.get<StringArray>()->items.size(), 6u);

  std::vector<Variant> args{Variant("Engineers"), Variant(), Variant()};
  p->invoke("QX_NP_ActiveDirectoryMemberssForGroup", kMethod, args);
  ASSERT_NE(args[1].get<Object>(), nullptr);
  ASSERT_NE(args[2].get<Object>(), nullptr);
  EXPECT_EQ(itemsOf(*args[1].get<Object>()), (std::vector<std::string>{"alice", "bob", "carol"}));
  EXPECT_EQ(itemsOf(*args[2].get<Object>()), (std::vector<std::string>{"Build Team"}));

  std::vector<Variant> hostile{Variant("*"), Variant(), Variant()};
  EXPECT_EQ(errorOf([&] {
              p->invoke("QX_NP_ActiveDirectoryMemberssForGroup", kMethod, hostile);
            }).source(),
            "QX_NP_AllActiveDirectoryUsers");
  ASSERT_NE(hostile[1].get<Object>(), nullptr);
  EXPECT_TRUE(itemsOf(*hostile[1].get<Object>()).empty());
}

}  // namespace
}  // namespace qxvb
