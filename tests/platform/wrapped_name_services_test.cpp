// Name-service cases that need a world of their own (an address with no
// name, a group with chosen members) run in a child of this test program
// under nss_wrapper and resolv_wrapper, which answer from files written
// here; the resolver wrapper points at 127.0.0.1, so no query can leave
// this machine.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "platform/directory/nss_accounts.h"
#include "platform/network/reverse_lookup.h"
#include "support/sandbox.h"

extern char** environ;

namespace qxvb::platform {
namespace {

constexpr const char* kChildVariable = "QXVB_WRAPPED_NAME_SERVICES";
constexpr const char* kNssWrapper = "/usr/lib/x86_64-linux-gnu/libnss_wrapper.so";
constexpr const char* kResolvWrapper = "/usr/lib/x86_64-linux-gnu/libresolv_wrapper.so";

bool wrapperLoaded() {
  std::ifstream maps("/proc/self/maps");
  std::string line;
  while (std::getline(maps, line)) {
    if (line.find("libnss_wrapper") != std::string::npos) return true;
  }
  return false;
}

// The child cases run only inside the wrapped child started below, and only
// once the wrapper is really loaded.
void requireWrappedChild() {
  if (std::getenv(kChildVariable) == nullptr) GTEST_SKIP() << "runs in the wrapped child only";
  if (!wrapperLoaded() || std::getenv("NSS_WRAPPER_HOSTS") == nullptr) {
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
  if (!std::filesystem::exists(kNssWrapper) || !std::filesystem::exists(kResolvWrapper)) {
    GTEST_SKIP() << "libnss-wrapper and libresolv-wrapper are not installed";
  }
  const auto dir = test::freshFolder("nss-wrapper");
  test::writeFile(dir / "hosts", "127.0.0.1 localhost\n192.0.2.7 seven.example.test seven\n");
  test::writeFile(dir / "resolv.conf", "nameserver 127.0.0.1\n");
  // ann is listed and has staff as primary group: she is reported once.
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
  // The sanitizer runtimes cannot follow libraries loaded with RTLD_DEEPBIND.
  environment.push_back("NSS_WRAPPER_DISABLE_DEEPBIND=1");
  environment.push_back("RESOLV_WRAPPER_DISABLE_DEEPBIND=1");
  environment.push_back(std::string("LD_PRELOAD=") + kNssWrapper + ":" + kResolvWrapper);
  environment.push_back("NSS_WRAPPER_HOSTS=" + (dir / "hosts").string());
  environment.push_back("NSS_WRAPPER_PASSWD=" + (dir / "passwd").string());
  environment.push_back("NSS_WRAPPER_GROUP=" + (dir / "group").string());
  environment.push_back("RESOLV_WRAPPER_CONF=" + (dir / "resolv.conf").string());
  environment.push_back(std::string(kChildVariable) + "=1");
  std::vector<char*> envp;
  for (std::string& variable : environment) envp.push_back(variable.data());
  envp.push_back(nullptr);

  const std::string self = std::filesystem::read_symlink("/proc/self/exe").string();
  std::string filter = "--gtest_filter=WrappedChild.*";
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
  EXPECT_NE(output.find("[  PASSED  ] 2 tests"), std::string::npos) << output;
}

}  // namespace
}  // namespace qxvb::platform
