// Members that need a name-service world of their own (an address with no
// name, chosen users and groups) run in a child of this test program under
// nss_wrapper and resolv_wrapper, which answer from files written here; the
// resolver wrapper points at 127.0.0.1, so no query leaves this machine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/collection.h"
#include "frame/error_codes.h"
#include "frame/string_table.h"
#include "network/qx_network_params.h"
#include "support/sandbox.h"

extern char** environ;

namespace qxvb {
namespace {

constexpr const char* kChildVariable = "QXVB_WRAPPED_NETWORK";
constexpr const char* kFolderVariable = "QXVB_WRAPPED_NETWORK_FOLDER";
constexpr const char* kNssWrapper = "/usr/lib/x86_64-linux-gnu/libnss_wrapper.so";
constexpr const char* kResolvWrapper = "/usr/lib/x86_64-linux-gnu/libresolv_wrapper.so";
constexpr int kChildTests = 6;

bool wrapperLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("libnss_wrapper") != std::string::npos) return true;
  }
  return false;
}

class WrappedAccounts : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs in the wrapped child only";
    ASSERT_TRUE(wrapperLoaded() && std::getenv("NSS_WRAPPER_HOSTS") != nullptr)
        << "nss_wrapper is not active";
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

  static AutomationError caught(const std::function<void()>& call) {
    try {
      call();
    } catch (const AutomationError& error) {
      return error;
    }
    ADD_FAILURE() << "nothing was raised";
    return AutomationError(0, "", "");
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
  const AutomationError error = caught([&] { params_->QX_NP_GetHostNameFromIP("192.0.2.8"); });
  EXPECT_EQ(error.number(), enuErrorCallingGetHostByAddr);
  EXPECT_EQ(error.source(), "QXVBUtils.QX_NetworkParams.QX_NP_GetHostNameFromIP");
  EXPECT_EQ(error.description(), localString(41138));
  // The second server has no name: the list of names fails as a whole.
  EXPECT_EQ(params_->QX_NP_GetCurrentDnsServerName(), "seven.example.test");
  EXPECT_EQ(caught([&] { params_->call("QX_NP_GetDnsServerListNames"); }).number(),
            enuErrorCallingGetHostByAddr);
}

TEST_F(WrappedAccounts, ComputerAndDomainListUsersAndGroups) {
  const std::vector<std::string> users{"ann", "ben", "cid"};
  const std::vector<std::string> groups{"staff", "nobodyhere"};
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
  AutomationError error = caught([&] { params_->QX_NP_AllUsersOnComputer("elsewhere"); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x80070035));
  EXPECT_EQ(error.source(), "QXVBUtils");
  error = caught([&] { params_->call("QX_NP_AllGroupsOnComputer", {Variant("corp")}); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x80070035));
  error = caught([&] { params_->QX_NP_AllGroupsOnDomain("OTHERDOMAIN"); });
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
  EXPECT_TRUE(texts(*args[2].get<Object>()).empty());
}

TEST_F(WrappedAccounts, UnknownGroupRaisesAndStillReplacesTheCollections) {
  auto stale = std::make_shared<Collection>();
  stale->Add(Variant("stale"));
  std::vector<Variant> args{Variant("missing"), Variant(Object(stale)), Variant()};
  const AutomationError error =
      caught([&] { params_->invoke("QX_NP_GetMembersForGroup", kMethod, args); });
  EXPECT_EQ(error.number(), static_cast<int32_t>(0x800708AC));
  ASSERT_NE(args[1].get<Object>(), nullptr);
  EXPECT_TRUE(texts(*args[1].get<Object>()).empty());
  Object users;
  Object groups;
  EXPECT_EQ(caught([&] {
              params_->QX_NP_GetMembersForaComputerGroup("staff", users, groups, "elsewhere");
            }).number(),
            static_cast<int32_t>(0x8007054B));
}

TEST(WrappedNetwork, ChildPassesUnderTheNameServiceWrappers) {
  if (std::getenv(kChildVariable) != nullptr) GTEST_SKIP() << "already the child";
  if (!std::filesystem::exists(kNssWrapper) || !std::filesystem::exists(kResolvWrapper)) {
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
  test::writeFile(dir / "passwd",
                  "ann:x:2001:3001:Ann:/home/ann:/bin/sh\n"
                  "ben:x:2002:3001:Ben:/home/ben:/bin/sh\n"
                  "cid:x:2003:3002:Cid:/home/cid:/bin/sh\n");
  test::writeFile(dir / "group", "staff:x:3001:ann,cid\nnobodyhere:x:3003:\n");

  std::vector<std::string> environment;
  std::string asanOptions = "ASAN_OPTIONS=";
  for (char** variable = environ; *variable != nullptr; ++variable) {
    const std::string entry = *variable;
    if (entry.rfind("ASAN_OPTIONS=", 0) == 0) {
      asanOptions = entry + ":";
      continue;
    }
    environment.push_back(entry);
  }
  // Under AddressSanitizer the preloaded wrappers come before its runtime;
  // the child still runs instrumented, only the order check is off.
  environment.push_back(asanOptions + "verify_asan_link_order=0");
  environment.push_back(std::string("LD_PRELOAD=") + kNssWrapper + ":" + kResolvWrapper);
  environment.push_back("NSS_WRAPPER_HOSTS=" + (dir / "hosts").string());
  environment.push_back("NSS_WRAPPER_PASSWD=" + (dir / "passwd").string());
  environment.push_back("NSS_WRAPPER_GROUP=" + (dir / "group").string());
  environment.push_back("NSS_WRAPPER_HOSTNAME=ws17.corp.example");
  environment.push_back("RESOLV_WRAPPER_CONF=" + (dir / "resolv.conf").string());
  environment.push_back(std::string(kChildVariable) + "=1");
  environment.push_back(std::string(kFolderVariable) + "=" + dir.string());
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=WrappedAccounts.*";
  std::vector<char*> argv = {const_cast<char*>(self.c_str()), filter.data(), nullptr};
  const std::string log = (dir / "child.log").string();
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, log.c_str(),
                                   O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, STDOUT_FILENO, STDERR_FILENO);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, self.c_str(), &actions, nullptr, argv.data(), envp.data());
  posix_spawn_file_actions_destroy(&actions);
  ASSERT_EQ(spawned, 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  const std::string output = test::readFile(log);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << output;
  EXPECT_NE(output.find("[  PASSED  ] " + std::to_string(kChildTests) + " tests"),
            std::string::npos)
      << output;
}

}  // namespace
}  // namespace qxvb
