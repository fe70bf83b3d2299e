// Name-service cases that need a world of their own (an address with no
// name, a group with chosen members) run in a child of this test program
// under nss_wrapper and resolv_wrapper, which answer from files written
// here; the resolver wrapper points at 127.0.0.1, so no query can leave
// this machine.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/directory/nss_accounts.h"
#include "platform/network/reverse_lookup.h"
#include "support/sandbox.h"
#include "support/wrapped_name_services.h"

namespace qxvb::platform {
namespace {

constexpr const char* kChildVariable = "QXVB_WRAPPED_NAME_SERVICES";

// The child cases run only inside the wrapped child started below, and only
// once the wrapper is really loaded.
void requireWrappedChild() {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs in the wrapped child only";
  if (!test::nameServiceWrapperActive()) {
    GTEST_FAIL() << "nss_wrapper is not active";
  }
}

TEST(WrappedChild, AddressWithoutReverseEntryReportsNoEntry) {
  requireWrappedChild();
  if (HasFatalFailure() || IsSkipped()) return;
  const ReverseLookupResult known = reverseLookup("192.0.2.7");
  ASSERT_EQ(known.status, ReverseLookupStatus::Ok) << known.detail;
  EXPECT_EQ(known.hostName, "seven.example.test");
  const ReverseLookupResult unknown = reverseLookup("192.0.2.8");
  EXPECT_EQ(unknown.status, ReverseLookupStatus::NoEntry);
  EXPECT_FALSE(unknown.detail.empty());
}

std::vector<std::string> namesOf(const std::vector<nss::AccountName>& accounts) {
  std::vector<std::string> names;
  for (const auto& account : accounts) names.push_back(account.name);
  return names;
}

TEST(WrappedChild, GroupMembersAreListedMembersThenPrimaryGroupUsers) {
  requireWrappedChild();
  if (HasFatalFailure() || IsSkipped()) return;
  const auto staff = nss::listGroupMembers("staff");
  ASSERT_TRUE(staff.has_value());
  EXPECT_EQ(namesOf(*staff), (std::vector<std::string>{"ann", "cid", "ben"}));
  const auto empty = nss::listGroupMembers("nobodyhere");
  ASSERT_TRUE(empty.has_value());
  EXPECT_TRUE(empty->empty());
  EXPECT_FALSE(nss::listGroupMembers("missing").has_value());
  EXPECT_EQ(namesOf(nss::listUsers()), (std::vector<std::string>{"ann", "ben", "cid"}));
  EXPECT_EQ(namesOf(nss::listGroups()), (std::vector<std::string>{"staff", "nobodyhere"}));
}

TEST(WrappedNameServices, ChildPassesUnderNssWrapper) {
  if (std::getenv(kChildVariable) != nullptr) GTEST_SKIP() << "already the child";
  if (!test::nameServiceWrappersInstalled()) {
    GTEST_SKIP() << "libnss-wrapper and libresolv-wrapper are not installed";
  }
  const auto dir = test::freshFolder("nss-wrapper");
  test::writeFile(dir / "hosts", "127.0.0.1 localhost\n192.0.2.7 seven.example.test seven\n");
  test::writeFile(dir / "resolv.conf", "nameserver 127.0.0.1\n");
  // ann is listed and has staff as primary group: she is reported once.
  test::writeWrappedAccounts(dir);

  const test::ChildRun child =
      test::runWrappedChild(dir, "WrappedChild.*", {std::string(kChildVariable) + "=1"});
  ASSERT_TRUE(child.ran);
  EXPECT_EQ(child.exitCode, 0) << child.output;
  EXPECT_NE(child.output.find("[  PASSED  ] 2 tests"), std::string::npos) << child.output;
}

}  // namespace
}  // namespace qxvb::platform
