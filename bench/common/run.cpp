#include "common/run.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "common/sandbox.h"

namespace qxvb::bench {

void runBenchmarks(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}

int runBenchmarksInSandbox(std::filesystem::path& folder, int argc, char** argv) {
  folder = makeSandbox();
  runBenchmarks(argc, argv);
  removeSandbox(folder);
  return 0;
}

int runBenchmarksWithDirectory(test::SlapdServer& server, int argc, char** argv) {
  const std::filesystem::path folder = makeSandbox();
  std::string error;
  const bool started = server.start(folder / "slapd", error);
  if (started) {
    runBenchmarks(argc, argv);
    server.stop();
  } else {
    std::fprintf(stderr, "%s\n", error.c_str());
  }
  removeSandbox(folder);
  return started ? 0 : 1;
}

}  // namespace qxvb::bench
