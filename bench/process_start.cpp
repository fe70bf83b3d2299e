// Start-up of one qxcall process calling a trivial member of a class
// without windows, against starting /bin/true: what a script pays for
// every call it makes through qxcall.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <string>

#include "common/paired.h"
#include "common/process.h"
#include "common/run.h"

namespace {

using qxvb::bench::Side;

constexpr int kProcesses = 20;

std::filesystem::path runFolder;

void runEach(const std::vector<std::string>& arguments) {
  for (int i = 0; i < kProcesses; ++i) qxvb::bench::runOrDie(arguments);
}

void measureCall(benchmark::State& state, const std::vector<std::string>& call) {
  std::vector<std::string> arguments{std::string(QXVB_BIN_DIR) + "/qxcall"};
  arguments.insert(arguments.end(), call.begin(), call.end());
  const Side library{nullptr, [&] { runEach(arguments); }};
  const Side anchor{nullptr, [] { runEach({"/bin/true"}); }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, kProcesses);
}

void BM_QxcallDataAccessClass(benchmark::State& state) {
  measureCall(state, {"QXVBUtils.QX_ADO_Utilities", "QX_ADO_EncodeSQLValue", "O'Brien"});
}
BENCHMARK(BM_QxcallDataAccessClass)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

// A text member of QXUtilities, a class that also has graphical members.
void BM_QxcallTextMember(benchmark::State& state) {
  measureCall(state, {"QXVBUtils.QXUtilities", "QXQuoteIfNeeded", "a b"});
}
BENCHMARK(BM_QxcallTextMember)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(15);

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksInSandbox(runFolder, argc, argv);
}
