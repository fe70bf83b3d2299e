// The repository's file store on SQLite against the sqlite3 command-line
// tool's archive mode on the same files: import and export of 1,000 files
// of 100 KB and of one file of 200 MB. The contents are random bytes, so
// the archive's compression attempt gains nothing. qxrepo's import of the
// same folder runs against the store's own import and reports the ratio.
// The import of the 1,000 files, a commit per file, also runs against a
// plain C loop inserting the same files into the same kind of repository
// with the same durability (write-ahead log, SQLite's default synchronous
// setting, a transaction per file). Exports write into a new folder each
// round (common/scratch.h says why).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "anchors/anchors.h"
#include "common/paired.h"
#include "common/run.h"
#include "common/scratch.h"
#include "database/repository/embedded_repository.h"
#include "filemanager/file_store.h"

namespace {

namespace fs = std::filesystem;
using qxvb::filestore::FileStore;
using qxvb::filestore::Import_File;

// The run's sandbox folder, made in main.
fs::path runFolder;

fs::path benchRoot() {
  return runFolder;
}

void writeRandomFile(const fs::path& path, size_t size, uint64_t seed) {
  std::mt19937_64 generator(seed);
  std::vector<uint64_t> words((size + 7) / 8);
  for (auto& w : words) w = generator();
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(words.data()), static_cast<std::streamsize>(size));
}

// The source files of a set, written once: "small" (1,000 of 100 KB) or
// "large" (one of 200 MB).
const std::vector<fs::path>& sourceFiles(const std::string& set) {
  static std::vector<fs::path> small;
  static std::vector<fs::path> large;
  auto& files = set == "small" ? small : large;
  if (!files.empty()) return files;
  const fs::path folder = benchRoot() / "source" / set;
  fs::create_directories(folder);
  const size_t count = set == "small" ? 1000 : 1;
  const size_t size = set == "small" ? 100 * 1024 : 200 * 1024 * 1024;
  for (size_t i = 0; i < count; ++i) {
    files.push_back(folder / ("file" + std::to_string(i) + ".bin"));
    writeRandomFile(files.back(), size, i + 1);
  }
  return files;
}

// A new embedded repository, made as qxrepo makes one (write-ahead log
// mode, default synchronous setting).
std::shared_ptr<qxvb::ado::Connection> freshRepository(const fs::path& file) {
  for (const char* suffix : {"", "-wal", "-shm", "-journal"}) fs::remove(file.string() + suffix);
  qxvb::createEmbeddedRepository(file.string());
  auto connection = std::make_shared<qxvb::ado::Connection>();
  connection->Open(qxvb::embeddedConnectionString(file.string()));
  return connection;
}

FileStore storeOn(std::shared_ptr<qxvb::ado::Connection> connection) {
  qxvb::filestore::StoreSetup setup;
  setup.connection = std::move(connection);
  return FileStore(setup);
}

std::vector<Import_File> importList(const std::vector<fs::path>& files) {
  std::vector<Import_File> list;
  for (const auto& f : files) list.push_back({f.string(), ""});
  return list;
}

void run(const std::string& command) {
  if (std::system(command.c_str()) != 0) std::abort();
}

std::string archiveImport(const fs::path& archive, const std::string& set) {
  return "sqlite3 -A -c -f '" + archive.string() + "' -C '" +
         (benchRoot() / "source" / set).string() + "' . >/dev/null";
}

void setBytes(benchmark::State& state, const std::vector<fs::path>& files) {
  int64_t bytes = 0;
  for (const auto& f : files) bytes += static_cast<int64_t>(fs::file_size(f));
  state.SetBytesProcessed(bytes * state.iterations());
}

void BM_StoreImport(benchmark::State& state, const std::string& set) {
  const auto& files = sourceFiles(set);
  const auto list = importList(files);
  const fs::path db = benchRoot() / ("store-import-" + set + ".db");
  for (auto _ : state) {
    state.PauseTiming();
    auto store = storeOn(freshRepository(db));
    state.ResumeTiming();
    store.importFiles(list);
  }
  setBytes(state, files);
}

// qxrepo import of the whole folder; each iteration also times the store's
// own import of the same files into another new repository.
void BM_QxrepoImport(benchmark::State& state, const std::string& set) {
  const auto& files = sourceFiles(set);
  const auto list = importList(files);
  const fs::path db = benchRoot() / ("qxrepo-import-" + set + ".db");
  const fs::path anchorDb = benchRoot() / ("qxrepo-anchor-" + set + ".db");
  const std::string command = std::string(QXVB_BIN_DIR) + "/qxrepo import '" + db.string() + "' '" +
                              (benchRoot() / "source" / set).string() + "' >/dev/null";
  std::chrono::duration<double> anchor{0};
  std::chrono::duration<double> measured{0};
  for (auto _ : state) {
    state.PauseTiming();
    freshRepository(db).reset();
    auto store = storeOn(freshRepository(anchorDb));
    auto start = std::chrono::steady_clock::now();
    store.importFiles(list);
    anchor += std::chrono::steady_clock::now() - start;
    state.ResumeTiming();
    start = std::chrono::steady_clock::now();
    run(command);
    measured += std::chrono::steady_clock::now() - start;
  }
  state.counters["store_ms"] = anchor.count() * 1000 / static_cast<double>(state.iterations());
  state.counters["ratio"] = measured.count() / anchor.count();
  setBytes(state, files);
}

void BM_ArchiveImport(benchmark::State& state, const std::string& set) {
  const auto& files = sourceFiles(set);
  const fs::path archive = benchRoot() / ("archive-import-" + set + ".sqlar");
  for (auto _ : state) {
    state.PauseTiming();
    fs::remove(archive);
    state.ResumeTiming();
    run(archiveImport(archive, set));
  }
  setBytes(state, files);
}

void BM_StoreExport(benchmark::State& state, const std::string& set) {
  const auto& files = sourceFiles(set);
  const fs::path db = benchRoot() / ("store-export-" + set + ".db");
  auto store = storeOn(freshRepository(db));
  const auto names = store.importFiles(importList(files));
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path out = qxvb::bench::freshOutputFolder(benchRoot());
    state.ResumeTiming();
    for (const auto& name : names) store.exportTo(name, out);
  }
  qxvb::bench::removeOutputFolders();
  setBytes(state, files);
}

void BM_ArchiveExport(benchmark::State& state, const std::string& set) {
  const auto& files = sourceFiles(set);
  const fs::path archive = benchRoot() / ("archive-export-" + set + ".sqlar");
  fs::remove(archive);
  run(archiveImport(archive, set));
  for (auto _ : state) {
    state.PauseTiming();
    const fs::path out = qxvb::bench::freshOutputFolder(benchRoot());
    state.ResumeTiming();
    run("sqlite3 -A -x -f '" + archive.string() + "' -C '" + out.string() + "' >/dev/null");
  }
  qxvb::bench::removeOutputFolders();
  setBytes(state, files);
}

// The store's import, a commit per file, against the plain C loop.
void BM_ImportCommitPerFile(benchmark::State& state) {
  const auto& files = sourceFiles("small");
  const auto list = importList(files);
  std::vector<std::string> paths;
  std::vector<std::string> names;
  for (const auto& f : files) {
    paths.push_back(f.string());
    names.push_back(f.filename().string());
  }
  std::vector<const char*> pathPointers;
  std::vector<const char*> namePointers;
  for (size_t i = 0; i < files.size(); ++i) {
    pathPointers.push_back(paths[i].c_str());
    namePointers.push_back(names[i].c_str());
  }
  const fs::path db = benchRoot() / "import-library.db";
  const fs::path plainDb = benchRoot() / "import-plain.db";
  std::unique_ptr<FileStore> store;
  const qxvb::bench::Side library{[&] {
                                    store.reset();
                                    store =
                                        std::make_unique<FileStore>(storeOn(freshRepository(db)));
                                  },
                                  [&] { store->importFiles(list); }};
  const qxvb::bench::Side anchor{[&] {
                                   store.reset();
                                   freshRepository(plainDb).reset();
                                 },
                                 [&] {
                                   if (anchorImportFiles(plainDb.c_str(), pathPointers.data(),
                                                         namePointers.data(), files.size()) != 0) {
                                     std::abort();
                                   }
                                 }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, static_cast<double>(files.size()));
  store.reset();
}
BENCHMARK(BM_ImportCommitPerFile)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

BENCHMARK_CAPTURE(BM_StoreImport, files_1000x100KB, std::string("small"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_QxrepoImport, files_1000x100KB, std::string("small"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ArchiveImport, files_1000x100KB, std::string("small"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StoreExport, files_1000x100KB, std::string("small"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ArchiveExport, files_1000x100KB, std::string("small"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StoreImport, file_1x200MB, std::string("large"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ArchiveImport, file_1x200MB, std::string("large"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_StoreExport, file_1x200MB, std::string("large"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(BM_ArchiveExport, file_1x200MB, std::string("large"))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksInSandbox(runFolder, argc, argv);
}
