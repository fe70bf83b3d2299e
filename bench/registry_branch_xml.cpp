// Registry branches as XML against plain SQLite: a branch of 10,000 keys
// with 10 values each read as XML text and written back from it, beside a
// bare prepared-statement loop inserting and reading the same rows.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/plain_sqlite.h"
#include "common/registry_branch.h"
#include "common/run.h"
#include "common/sandbox.h"
#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "platform/registry/registry_store.h"
#include "settings/registry/qx_registry.h"

namespace {

using namespace qxvb;
using bench::kKeys;
using bench::kValuesPerKey;
using bench::useFreshStore;

constexpr int32_t kHKCU = static_cast<int32_t>(0x80000001u);
constexpr registry::RootKey kUser = registry::RootKey::CurrentUser;
const std::string kBranch = "Software\\Brackwell\\Quillane\\Bench\\Branch";

std::filesystem::path benchRoot;

std::shared_ptr<QX_Registry> registryObject() {
  return std::static_pointer_cast<QX_Registry>(createObject("QXVBUtils.QX_Registry"));
}

void BM_ReadBranchAsXML(benchmark::State& state) {
  useFreshStore(benchRoot);
  bench::writeBranchInOneTransaction(kUser, kBranch);
  auto reg = registryObject();
  size_t size = 0;
  for (auto _ : state) {
    const std::string text = reg->QX_Reg_ReadBranchAsXML(kHKCU, "Bench", "Branch");
    size = text.size();
    benchmark::DoNotOptimize(text.data());
  }
  state.counters["bytes"] = static_cast<double>(size);
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_ReadBranchAsXML)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WriteBranchFromXML(benchmark::State& state) {
  useFreshStore(benchRoot);
  bench::writeBranchInOneTransaction(kUser, kBranch);
  auto reg = registryObject();
  const std::string text = reg->QX_Reg_ReadBranchAsXML(kHKCU, "Bench", "Branch");
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore(benchRoot);
    state.ResumeTiming();
    reg->QX_Reg_WriteBranchFromXML(kHKCU, text, "Bench", "Branch");
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_WriteBranchFromXML)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainSqliteInsertRows(benchmark::State& state) {
  bench::measurePlainWrites(state, benchRoot, kBranch);
}
BENCHMARK(BM_PlainSqliteInsertRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainSqliteReadRows(benchmark::State& state) {
  bench::measurePlainReads(state, benchRoot, kBranch);
}
BENCHMARK(BM_PlainSqliteReadRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchRoot = qxvb::bench::makeSandbox();
  qxvb::bench::runBenchmarks(argc, argv);
  qxvb::unloadThread();
  qxvb::registry::closeThreadConnections();
  qxvb::bench::removeSandbox(benchRoot);
  return 0;
}
