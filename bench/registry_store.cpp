// The registry store against plain SQLite: a branch of 10,000 keys with 10
// values each, written and read through the store, and the same rows
// written and read with a bare prepared-statement loop.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/plain_sqlite.h"
#include "common/registry_branch.h"
#include "common/run.h"
#include "common/sandbox.h"
#include "platform/registry/registry_store.h"

namespace {

using namespace qxvb::registry;
using qxvb::bench::keyPath;
using qxvb::bench::kKeys;
using qxvb::bench::kValuesPerKey;
using qxvb::bench::useFreshStore;
using qxvb::bench::valueName;

constexpr RootKey kUser = RootKey::CurrentUser;
const std::string kParent = "Software\\Bench";

std::filesystem::path benchRoot;

void BM_StoreWriteBranchInOneTransaction(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore(benchRoot);
    state.ResumeTiming();
    qxvb::bench::writeBranchInOneTransaction(kUser, kParent);
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreWriteBranchInOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StoreWriteBranchCallByCall(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore(benchRoot);
    state.ResumeTiming();
    qxvb::bench::writeBranch(kUser, kParent);
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreWriteBranchCallByCall)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StoreReadBranch(benchmark::State& state) {
  useFreshStore(benchRoot);
  qxvb::bench::writeBranchInOneTransaction(kUser, kParent);
  std::uint32_t type = 0;
  Bytes data;
  for (auto _ : state) {
    for (int key = 0; key < kKeys; ++key) {
      const std::string path = keyPath(kParent, key);
      for (int value = 0; value < kValuesPerKey; ++value) {
        queryValue(kUser, path, valueName(value), type, data);
        benchmark::DoNotOptimize(data.data());
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreReadBranch)->Unit(benchmark::kMillisecond)->Iterations(3);

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

void BM_PlainSqliteWriteRows(benchmark::State& state) {
  qxvb::bench::measurePlainWrites(state, benchRoot, kParent);
}
BENCHMARK(BM_PlainSqliteWriteRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainSqliteReadRows(benchmark::State& state) {
  qxvb::bench::measurePlainReads(state, benchRoot, kParent);
}
BENCHMARK(BM_PlainSqliteReadRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchRoot = qxvb::bench::makeSandbox();
  qxvb::bench::runBenchmarks(argc, argv);
  closeThreadConnections();
  qxvb::bench::removeSandbox(benchRoot);
  return 0;
}
