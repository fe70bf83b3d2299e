// Listing every user account of the directory through the public member
// QX_NP_AllActiveDirectoryUsers, against a private slapd holding 2,500
// generated users; the aim is well under two seconds per listing,
// connecting, the root DSE and the settings included.
#include <benchmark/benchmark.h>

#include <string>

#include "common/run.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "network/qx_network_params.h"
#include "support/slapd_server.h"
#include "text/qxutilities.h"

namespace {

qxvb::test::SlapdServer server;

void BM_AllActiveDirectoryUsers(benchmark::State& state) {
  qxvb::QXUtilities utilities;
  std::string item = "ADImportServer";
  std::string uri = server.uri();
  utilities.QXSetSetting(item, uri, "ADImport");
  auto params = std::static_pointer_cast<qxvb::QX_NetworkParams>(
      qxvb::createObject("QXVBUtils.QX_NetworkParams"));
  std::size_t count = 0;
  for (auto _ : state) {
    try {
      count = params->QX_NP_AllActiveDirectoryUsers("").items.size();
    } catch (const qxvb::AutomationError& error) {
      state.SkipWithError(error.description().c_str());
      break;
    }
  }
  state.counters["users"] = static_cast<double>(count);
}
BENCHMARK(BM_AllActiveDirectoryUsers)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksWithDirectory(server, argc, argv);
}
