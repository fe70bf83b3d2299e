// Listing every user account of the directory through the public member
// QX_NP_AllActiveDirectoryUsers, against a private slapd holding 2,500
// generated users; the aim is well under two seconds per listing,
// connecting, the root DSE and the settings included.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/qxutilities.h"
#include "network/qx_network_params.h"
#include "support/slapd_server.h"

namespace {

qxvb::test::SlapdServer server;

// Points the per-user and machine-wide state at the benchmark's own folder,
// so that the directory settings below never touch the user's profile.
void sandboxState(const std::filesystem::path& folder) {
  for (const char* name :
       {"XDG_CONFIG_HOME", "XDG_DATA_HOME", "XDG_CACHE_HOME", "HOME", "QXVB_MACHINE_DIR"}) {
    const std::filesystem::path path = folder / name;
    std::filesystem::create_directories(path);
    setenv(name, path.c_str(), 1);
  }
}

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
  std::string folder = (std::filesystem::temp_directory_path() / "qxvb-bench-XXXXXX").string();
  if (mkdtemp(folder.data()) == nullptr) {
    std::fprintf(stderr, "cannot create a temporary folder\n");
    return 1;
  }
  sandboxState(folder);
  std::string error;
  if (!server.start(std::filesystem::path(folder) / "slapd", error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    std::filesystem::remove_all(folder);
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  server.stop();
  std::filesystem::remove_all(folder);
  return 0;
}
