// The registry store against plain SQLite: a branch of 10,000 keys with 10
// values each, written (in one transaction, and call by call) and read
// through the store, and the same rows written and read with a bare
// prepared-statement loop, round by round in the same run.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "common/paired.h"
#include "common/plain_sqlite.h"
#include "common/registry_branch.h"
#include "common/run.h"
#include "common/sandbox.h"
#include "platform/registry/registry_store.h"

namespace {

using namespace qxvb::registry;
using qxvb::bench::kKeys;
using qxvb::bench::kValuesPerKey;
using qxvb::bench::PlainRows;
using qxvb::bench::Side;
using qxvb::bench::useFreshStore;

constexpr RootKey kUser = RootKey::CurrentUser;
const std::string kParent = "Software\\Bench";

std::filesystem::path benchRoot;

void BM_StoreWriteBranchInOneTransaction(benchmark::State& state) {
  std::unique_ptr<PlainRows> plain;
  const Side own{[] { useFreshStore(benchRoot); },
                 [] { qxvb::bench::writeBranchInOneTransaction(kUser, kParent); }};
  const Side anchor{[&] { plain = std::make_unique<PlainRows>(benchRoot); },
                    [&] { plain->write(kParent); }};
  qxvb::bench::measurePairedPerItem(state, own, anchor, kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreWriteBranchInOneTransaction)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

void BM_StoreReadBranch(benchmark::State& state) {
  useFreshStore(benchRoot);
  qxvb::bench::writeBranchInOneTransaction(kUser, kParent);
  PlainRows plain(benchRoot);
  plain.write(kParent);
  const Side own{nullptr, [] { qxvb::bench::readBranch(kUser, kParent); }};
  const Side anchor{nullptr, [&] { plain.read(kParent); }};
  qxvb::bench::measurePairedPerItem(state, own, anchor, kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreReadBranch)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

// Each value its own transaction: what a caller writing settings one by
// one pays. Only the library's side; the commits dominate.
void BM_StoreWriteBranchCallByCall(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore(benchRoot);
    state.ResumeTiming();
    qxvb::bench::writeBranch(kUser, kParent, kKeys / 10);
  }
  state.SetItemsProcessed(state.iterations() * kKeys / 10 * kValuesPerKey);
}
BENCHMARK(BM_StoreWriteBranchCallByCall)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StoreEnumerateBranch(benchmark::State& state) {
  useFreshStore(benchRoot);
  qxvb::bench::writeBranchInOneTransaction(kUser, kParent);
  std::string name;
  Value value;
  for (auto _ : state) {
    for (std::uint32_t key = 0; enumKey(kUser, kParent, key, name) == kSuccess; ++key) {
      const std::string path = kParent + "\\" + name;
      for (std::uint32_t index = 0; enumValue(kUser, path, index, value) == kSuccess; ++index) {
        benchmark::DoNotOptimize(value.data.data());
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreEnumerateBranch)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchRoot = qxvb::bench::makeSandbox();
  qxvb::bench::runBenchmarks(argc, argv);
  closeThreadConnections();
  qxvb::bench::removeSandbox(benchRoot);
  return 0;
}
