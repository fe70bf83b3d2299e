// The log report of an embedded repository holding 1,000,000 log rows:
// rows written per second by QX_ADO_ExportLogFile.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/run.h"
#include "common/sandbox.h"
#include "database/qx_ado_utilities.h"
#include "database/repository/embedded_repository.h"

namespace {

constexpr int kRows = 1000000;

std::filesystem::path benchRoot;
std::string repository;

// The rows are made once, by the database itself, in one statement.
void fillRepository() {
  repository = (benchRoot / "repo.qxr").string();
  qxvb::createEmbeddedRepository(repository);
  qxvb::QX_ADO_Utilities ado;
  auto connection = ado.QX_ADO_OpenConnection(qxvb::embeddedConnectionString(repository));
  connection->Execute("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < " +
                      std::to_string(kRows) +
                      ") INSERT INTO Network_LOG (MessageID, Date, UserId, Version, Message) "
                      "SELECT i, '2024-02-29 13:45:10', 'user' || (i % 50), '9.1.' || (i % 7), "
                      "'Connection ' || i || ' opened from workstation ' || (i % 300) FROM n");
  connection->Close();
}

void BM_ExportLogFile(benchmark::State& state) {
  qxvb::QX_ADO_Utilities ado;
  const std::string cs = qxvb::embeddedConnectionString(repository);
  const std::string target = (benchRoot / "network.txt").string();
  for (auto _ : state) {
    benchmark::DoNotOptimize(ado.QX_ADO_ExportLogFile(0, cs, target));
  }
  state.SetItemsProcessed(state.iterations() * kRows);
  state.counters["rows_per_second"] = benchmark::Counter(
      static_cast<double>(state.iterations()) * kRows, benchmark::Counter::kIsRate);
}
BENCHMARK(BM_ExportLogFile)->Unit(benchmark::kMillisecond)->Iterations(3)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  benchRoot = qxvb::bench::makeSandbox();
  fillRepository();
  qxvb::bench::runBenchmarks(argc, argv);
  qxvb::bench::removeSandbox(benchRoot);
  return 0;
}
