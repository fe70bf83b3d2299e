// Running the benchmarks a program registers, with the command line's
// selection and options.
#pragma once

#include <filesystem>

#include "support/slapd_server.h"

namespace qxvb::bench {

void runBenchmarks(int argc, char** argv);

// The same in a sandbox (common/sandbox.h) made for the run and removed
// after it; folder names it while the benchmarks run. Returns 0.
int runBenchmarksInSandbox(std::filesystem::path& folder, int argc, char** argv);

// The same in a sandbox (common/sandbox.h) with the private directory server of
// the directory tests running in it for the whole run; 1 with a message on
// stderr, and no benchmark run, when the server cannot start.
int runBenchmarksWithDirectory(test::SlapdServer& server, int argc, char** argv);

}  // namespace qxvb::bench
