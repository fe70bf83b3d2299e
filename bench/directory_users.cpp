// Listing every user account of a directory with paged searches, against a
// private slapd holding 2,500 generated users; the aim is well under two
// seconds for the whole listing including connecting and the root DSE.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "common/run.h"
#include "platform/directory/account_queries.h"
#include "platform/directory/ldap_connection.h"
#include "support/slapd_server.h"

namespace {

using qxvb::platform::directory::DirectoryOptions;
using qxvb::platform::directory::DirectoryStatus;
using qxvb::platform::directory::LdapConnection;
using qxvb::platform::directory::RootDse;
using qxvb::test::SlapdServer;

SlapdServer server;

DirectoryOptions serverOptions() {
  DirectoryOptions options;
  options.uri = server.uri();
  return options;
}

std::vector<std::string> listUsers(LdapConnection& connection, const RootDse& rootDse,
                                   benchmark::State& state) {
  std::vector<std::string> names;
  const DirectoryStatus status = qxvb::platform::directory::listAccountNames(
      connection, rootDse.defaultNamingContext,
      qxvb::platform::directory::userAccountFilter(rootDse), names);
  if (!status.ok()) state.SkipWithError(status.message.c_str());
  return names;
}

void BM_ConnectAndListAllUsers(benchmark::State& state) {
  std::size_t count = 0;
  for (auto _ : state) {
    LdapConnection connection;
    RootDse rootDse;
    if (!connection.open(serverOptions()).ok() || !connection.readRootDse(rootDse).ok()) {
      state.SkipWithError("cannot reach the test directory");
      break;
    }
    count = listUsers(connection, rootDse, state).size();
  }
  state.counters["users"] = static_cast<double>(count);
}
BENCHMARK(BM_ConnectAndListAllUsers)->Unit(benchmark::kMillisecond);

void BM_ListAllUsersOnOpenConnection(benchmark::State& state) {
  LdapConnection connection;
  RootDse rootDse;
  if (!connection.open(serverOptions()).ok() || !connection.readRootDse(rootDse).ok()) {
    state.SkipWithError("cannot reach the test directory");
    return;
  }
  std::size_t count = 0;
  for (auto _ : state) count = listUsers(connection, rootDse, state).size();
  state.counters["users"] = static_cast<double>(count);
}
BENCHMARK(BM_ListAllUsersOnOpenConnection)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksWithDirectory(server, argc, argv);
}
