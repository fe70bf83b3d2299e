// Registry branches as XML against plain SQLite: a branch of 100 and of
// 10,000 keys with 10 values each read as XML text, against a plain scan
// of the same store building the same text (the per-value figures of the
// two sizes show whether the cost grows with the branch); and a branch of
// 10,000 keys written back from its text, against a bare prepared-statement
// loop inserting the same rows.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "common/paired.h"
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
using bench::Side;
using bench::useFreshStore;

constexpr int32_t kHKCU = static_cast<int32_t>(0x80000001u);
constexpr registry::RootKey kUser = registry::RootKey::CurrentUser;
const std::string kBranch = "Software\\Brackwell\\Quillane\\Bench\\Branch";

std::filesystem::path benchRoot;

std::shared_ptr<QX_Registry> registryObject() {
  return std::static_pointer_cast<QX_Registry>(createObject("QXVBUtils.QX_Registry"));
}

void BM_ReadBranchAsXML(benchmark::State& state) {
  const int keys = static_cast<int>(state.range(0));
  useFreshStore(benchRoot);
  bench::writeBranchInOneTransaction(kUser, kBranch, keys);
  auto reg = registryObject();
  const auto file = registry::databasePath(kUser);
  const std::string library = reg->QX_Reg_ReadBranchAsXML(kHKCU, "Bench", "Branch");
  if (library != bench::plainBranchXml(file, kBranch, std::to_string(kHKCU))) {
    state.SkipWithError("the plain scan does not build the library's text");
    return;
  }
  const Side own{nullptr, [&] {
                   const std::string text = reg->QX_Reg_ReadBranchAsXML(kHKCU, "Bench", "Branch");
                   benchmark::DoNotOptimize(text.data());
                 }};
  const Side anchor{nullptr, [&] {
                      const std::string text =
                          bench::plainBranchXml(file, kBranch, std::to_string(kHKCU));
                      benchmark::DoNotOptimize(text.data());
                    }};
  bench::measurePairedPerItem(state, own, anchor, keys * kValuesPerKey);
  state.counters["bytes"] = static_cast<double>(library.size());
}
BENCHMARK(BM_ReadBranchAsXML)
    ->Arg(100)
    ->Arg(kKeys)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(7);

void BM_WriteBranchFromXML(benchmark::State& state) {
  useFreshStore(benchRoot);
  bench::writeBranchInOneTransaction(kUser, kBranch);
  auto reg = registryObject();
  const std::string text = reg->QX_Reg_ReadBranchAsXML(kHKCU, "Bench", "Branch");
  std::unique_ptr<bench::PlainRows> plain;
  const Side own{[&] { useFreshStore(benchRoot); },
                 [&] { reg->QX_Reg_WriteBranchFromXML(kHKCU, text, "Bench", "Branch"); }};
  const Side anchor{[&] { plain = std::make_unique<bench::PlainRows>(benchRoot); },
                    [&] { plain->write(kBranch); }};
  bench::measurePairedPerItem(state, own, anchor, kKeys * kValuesPerKey);
}
BENCHMARK(BM_WriteBranchFromXML)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  benchRoot = qxvb::bench::makeSandbox();
  qxvb::bench::runBenchmarks(argc, argv);
  qxvb::unloadThread();
  qxvb::registry::closeThreadConnections();
  qxvb::bench::removeSandbox(benchRoot);
  return 0;
}
