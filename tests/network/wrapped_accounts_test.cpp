// Members that need a name-service world of their own (an address with no
// name, chosen users and groups) run in a child of this test program under
// nss_wrapper and resolv_wrapper, which answer from files written here; the
// resolver wrapper points at 127.0.0.1, so no query leaves this machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/error_codes.h"
#include "frame/string_table.h"
#include "network/qx_network_params.h"
#include "support/errors.h"
#include "support/sandbox.h"
#include "support/wrapped_name_services.h"

namespace qxvb {
namespace {

using test::errorOf;

constexpr const char* kChildVariable = "QXVB_WRAPPED_NETWORK";
constexpr const char* kFolderVariable = "QXVB_WRAPPED_NETWORK_FOLDER";
constexpr int kChildTests = 6;

class WrappedAccounts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs in the wrapped child only";
    ASSERT_TRUE(test::nameServiceWrapperActive()) << "nss_wrapper is not active";
    const std::filesystem::path folder = std::getenv(kFolderVariable);
    NetworkParamsSources sources;
    sources.network.resolvConf = folder / "resolv.conf.record";
    sources.network.nsswitchConf = folder / "nsswitch.conf";
    sources.network.sambaConf = folder / "smb.conf";
    sources.network.procRoot = folder / "proc";
    sources.directoryDomain.krb5Conf = folder / "krb5.conf";
    sources.directoryDomain.machineKeytab = folder / "krb5.keytab";
    params_ =
        std::static_pointer_cast<QX_NetworkParams>(createObject("QXVBUtils.QX_NetworkParams"));
    params_->setSources(sources);
  }

  static std::vector<std::string> texts(const Object& object) {
    std::vector<std::string> items;
    auto collection = std::dynamic_pointer_cast<Collection>(object);
    if (collection == nullptr) return {"(not a collection)"};
    for (int32_t i = 1; i <= collection->Count(); ++i) {
      const Variant& item = collection->Item(Variant(i));
      if (const std::string* text = item.get<std::string>()) {
        items.push_back(*text);
      } else if (const Object* pair = item.get<Object>()) {
        const std::vector<std::string> parts = texts(*pair);
        std::string joined;
        for (const std::string& part : parts) joined += (joined.empty() ? "" : "|") + part;
        items.push_back(joined);
      }
    }
    return items;
  }

  std::shared_ptr<QX_NetworkParams> params_;
};

TEST_F(WrappedAccounts, AddressWithoutReverseEntryRaisesTheLookupError) {
  EXPECT_EQ(params_->QX_NP_GetHostNameFromIP("192.0.2.7"), "seven.example.test");
  const AutomationError error = errorOf([&] { params_->QX_NP_GetHostNameFromIP("192.0.2.8"); });
  EXPECT_EQ(error.number(), enuErrorCallingGetHostByAddr);
  EXPECT_EQ(error.source(), "QXVBUtils.QX_NetworkParams.QX_NP_GetHostNameFromIP");
  EXPECT_EQ(error.description(), localString(41138));
  // The second server has no name: the list of names fails as a whole.
  EXPECT_EQ(params_->QX_NP_GetCurrentDnsServerName(), "seven.example.test");
  EXPECT_EQ(errorOf([&] { params_->call("QX_NP_GetDnsServerListNames"); }).number(),
            enuErrorCallingGetHostByAddr);
}

TEST_F(WrappedAccounts, ComputerAndDomainListUsersAndGroups) {
  const std::vector<std::string> users{"ann", "ben", "cid"};
  const std::vector<std::string> groups{"staff", "nobodyhere", "admins", "CORP\\engineers"};
  EXPECT_EQ(params_->QX_NP_AllUsersOnComputer().items, users);
  EXPECT_EQ(params_->QX_NP_AllUsersOnComputer("WS17").items, users);
  EXPECT_EQ(params_->QX_NP_AllGroupsOnComputer("ws17.corp.example").items, groups);
  EXPECT_EQ(params_->QX_NP_AllUsersOnDomain().items, users);
  EXPECT_EQ(params_->QX_NP_AllUsersOnDomain("corp").items, users);
  EXPECT_EQ(params_->QX_NP_AllGroupsOnDomain("CORP.EXAMPLE").items, groups);
  const StringArray late = *params_->call("QX_NP_AllGroupsOnComputer").get<StringArray>();
  EXPECT_EQ(late.lbound, 0);
  EXPECT_EQ(late.items, groups);
  EXPECT_EQ(*params_->call("QX_NP_AllUsersOnDomain", {Variant("ws17")}).get<StringArray>(),
            (StringArray{0, users}));
}

TEST_F(WrappedAccounts, UnknownComputerOrDomainCannotBeBound) {
  AutomationError error = errorOf([&] { params_->QX_NP_AllUsersOnComputer("elsewhere"); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x80070035));
  EXPECT_EQ(error.source(), "QXVBUtils");
  error = errorOf([&] { params_->call("QX_NP_AllGroupsOnComputer", {Variant("corp")}); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x80070035));
  error = errorOf([&] { params_->QX_NP_AllGroupsOnDomain("OTHERDOMAIN"); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x8007054B));
}

TEST_F(WrappedAccounts, GroupMembersAreUserNames) {
  Object users;
  Object groups;
  params_->QX_NP_GetMembersForGroup("staff", users, groups);
  EXPECT_EQ(texts(users), (std::vector<std::string>{"ann", "cid", "ben"}));
  EXPECT_TRUE(texts(groups).empty());
  params_->QX_NP_GetMembersForGroup("nobodyhere", users, groups, "ws17");
  EXPECT_TRUE(texts(users).empty());
  EXPECT_TRUE(texts(groups).empty());
}

TEST_F(WrappedAccounts, ComputerGroupMembersArePairsOfContainerAndName) {
  std::vector<Variant> args{Variant("staff"), Variant(), Variant()};
  params_->invoke("QX_NP_GetMembersForaComputerGroup", kMethod, args);
  ASSERT_NE(args[1].get<Object>(), nullptr);
  EXPECT_EQ(texts(*args[1].get<Object>()),
            (std::vector<std::string>{"ws17|ann", "ws17|cid", "ws17|ben"}));
  // Nested groups: a local one and one of the domain, named by its domain.
  EXPECT_EQ(texts(*args[2].get<Object>()),
            (std::vector<std::string>{"ws17|admins", "CORP|engineers"}));
}

TEST_F(WrappedAccounts, UnknownGroupRaisesAndStillReplacesTheCollections) {
  auto stale = std::make_shared<Collection>();
  stale->Add(Variant("stale"));
  std::vector<Variant> args{Variant("missing"), Variant(Object(stale)), Variant()};
  const AutomationError error =
      errorOf([&] { params_->invoke("QX_NP_GetMembersForGroup", kMethod, args); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x800708AC));
  ASSERT_NE(args[1].get<Object>(), nullptr);
  EXPECT_TRUE(texts(*args[1].get<Object>()).empty());
  Object users;
  Object groups;
  EXPECT_EQ(errorOf([&] {
              params_->QX_NP_GetMembersForaComputerGroup("staff", users, groups, "elsewhere");
            }).number(),
            static_cast<int32_t>(0x8007054B));
}

TEST(WrappedNetwork, ChildPassesUnderTheNameServiceWrappers) {
  if (std::getenv(kChildVariable) != nullptr) GTEST_SKIP() << "already the child";
  if (!test::nameServiceWrappersInstalled()) {
    GTEST_SKIP() << "libnss-wrapper and libresolv-wrapper are not installed";
  }
  const auto dir = test::freshFolder("nss-network");
  test::writeFile(dir / "hosts",
                  "127.0.0.1 localhost\n192.0.2.7 seven.example.test seven\n"
                  "192.0.2.9 ws17.corp.example ws17\n");
  test::writeFile(dir / "resolv.conf",
                  "nameserver 127.0.0.1\n"
                  "domain corp.example\n");
  // What the network record reads: the name servers the lookups ask about.
  test::writeFile(dir / "resolv.conf.record",
                  "nameserver 192.0.2.7\nnameserver 192.0.2.8\ndomain corp.example\n");
  test::writeWrappedAccounts(dir);
  // Groups nested in staff: a local group and a domain group.
  test::writeFile(dir / "group",
                  "staff:x:3001:ann,cid,admins,CORP\\engineers\nnobodyhere:x:3003:\n"
                  "admins:x:3004:ben\nCORP\\engineers:x:3005:\n");

  const test::ChildRun child = test::runWrappedChild(
      dir, "WrappedAccounts.*",
      {"NSS_WRAPPER_HOSTNAME=ws17.corp.example", std::string(kChildVariable) + "=1",
       std::string(kFolderVariable) + "=" + dir.string()});
  ASSERT_TRUE(child.ran);
  EXPECT_EQ(child.exitCode, 0) << child.output;
  EXPECT_NE(child.output.find("[  PASSED  ] " + std::to_string(kChildTests) + " tests"),
            std::string::npos)
      << child.output;
}

}  // namespace
}  // namespace qxvb
