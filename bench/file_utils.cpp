// File utilities: the cost of a folder location (three settings read and a
// path built on every call), log lines per second from one and from two
// processes, and a folder copy of 10,000 small files against `cp -r`
// started as a process, round by round in the same run, each round into a
// new folder (common/scratch.h says why).
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>

#include "common/paired.h"
#include "common/process.h"
#include "common/run.h"
#include "common/scratch.h"
#include "files/qx_file_utils.h"
#include "files/special_folders.h"

namespace {

namespace fs = std::filesystem;

// The run's folder: every state folder and every file written lives below it.
fs::path sandboxRoot;

std::shared_ptr<qxvb::QX_File_Utils> utilities() {
  return std::make_shared<qxvb::QX_File_Utils>();
}

void FolderLocationTemporary(benchmark::State& state) {
  auto utils = utilities();
  for (auto _ : state) {
    benchmark::DoNotOptimize(utils->QX_File_GetFolderLocation(0, qxvb::QXSF_TemporaryFolder));
  }
}
BENCHMARK(FolderLocationTemporary)->Unit(benchmark::kMicrosecond);

constexpr int kLinesPerRound = 1000;

void writeLines(qxvb::QX_File_Utils& utils, const std::string& file, const char* who) {
  for (int i = 0; i < kLinesPerRound; ++i) {
    utils.QX_File_WriteLog(file, std::string(who) + " line " + std::to_string(i));
  }
}

void WriteLogOneProcess(benchmark::State& state) {
  auto utils = utilities();
  const std::string file = (sandboxRoot / "one.log").string();
  for (auto _ : state) writeLines(*utils, file, "parent");
  state.SetItemsProcessed(state.iterations() * kLinesPerRound);
  fs::remove(file);
}
BENCHMARK(WriteLogOneProcess)->Unit(benchmark::kMillisecond);

// A child process writes the same number of lines into the same file at
// the same time.
void WriteLogTwoProcesses(benchmark::State& state) {
  auto utils = utilities();
  const std::string file = (sandboxRoot / "two.log").string();
  for (auto _ : state) {
    const pid_t child = fork();
    if (child == 0) {
      qxvb::QX_File_Utils own;
      writeLines(own, file, "child");
      _exit(0);
    }
    writeLines(*utils, file, "parent");
    int status = 0;
    waitpid(child, &status, 0);
  }
  state.SetItemsProcessed(state.iterations() * kLinesPerRound * 2);
  fs::remove(file);
}
BENCHMARK(WriteLogTwoProcesses)->Unit(benchmark::kMillisecond);

// 10,000 files of 100 bytes in 100 folders.
const fs::path& smallTree() {
  static const fs::path tree = [] {
    const fs::path root = sandboxRoot / "tree";
    const std::string body(100, 'x');
    for (int d = 0; d < 100; ++d) {
      const fs::path dir = root / ("d" + std::to_string(d));
      fs::create_directories(dir);
      for (int f = 0; f < 100; ++f) std::ofstream(dir / ("f" + std::to_string(f) + ".txt")) << body;
    }
    return root;
  }();
  return tree;
}

// Argument 1: into tmpfs; 0: into a new folder of the sandbox's disk.
void FolderCopySmallFiles(benchmark::State& state) {
  auto utils = utilities();
  const fs::path source = smallTree();
  const bool tmpfs = state.range(0) == 1;
  fs::path target;
  const qxvb::bench::Side library{
      [&] { target = qxvb::bench::freshOutputFolder(sandboxRoot, tmpfs) / "copy"; },
      [&] { utils->QX_File_FolderCopy(source.string(), target.string(), true); }};
  const qxvb::bench::Side anchor{
      [&] { target = qxvb::bench::freshOutputFolder(sandboxRoot, tmpfs) / "copy"; },
      [&] {
        qxvb::bench::runOrDie({"/bin/cp", "-r", source.string(), target.string()});
      }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, 10000);
  qxvb::bench::removeOutputFolders();
}
BENCHMARK(FolderCopySmallFiles)
    ->Arg(1)
    ->Arg(0)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(7);

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksInSandbox(sandboxRoot, argc, argv);
}
