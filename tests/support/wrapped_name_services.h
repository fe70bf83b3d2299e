// Cases that need a name-service world of their own (chosen hosts, users
// and groups) run in a child of their test program under nss_wrapper and
// resolv_wrapper, which answer from files the parent writes. The resolver
// files point at 127.0.0.1, so no query leaves this machine.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace qxvb::test {

// Whether libnss-wrapper and libresolv-wrapper are installed.
bool nameServiceWrappersInstalled();

// Whether this process runs under nss_wrapper with a hosts file of its own.
bool nameServiceWrapperActive();

// Writes the passwd and group files of the wrapped world into folder:
// users ann and ben with primary group staff, cid with a primary group no
// group entry names; staff lists ann and cid, nobodyhere lists nobody.
void writeWrappedAccounts(const std::filesystem::path& folder);

struct ChildRun {
  bool ran = false;  // started and waited for
  int exitCode = -1;
  std::string output;
};

// Runs the cases of this test program that `filter` selects in a child
// under the wrappers, answering from the hosts, passwd, group and
// resolv.conf files in folder, with extraEnvironment (NAME=value) added.
ChildRun runWrappedChild(const std::filesystem::path& folder, const std::string& filter,
                         const std::vector<std::string>& extraEnvironment);

}  // namespace qxvb::test
