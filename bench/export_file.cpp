// Stored files exported one call each, as scripts and the product do:
// 1,000 files of 100 KB from an embedded repository, each written by one
// QX_ADO_ExportFile in this process, against a plain C loop reading each
// file's data with a prepared statement and writing it to a new file; and
// the same one process per file (qxcall against a plain C program per
// file, 100 files a round). Each round writes into a new folder
// (common/scratch.h says why).
#include <benchmark/benchmark.h>
#include <sqlite3.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "anchors/anchors.h"
#include "common/paired.h"
#include "common/process.h"
#include "common/run.h"
#include "common/scratch.h"
#include "database/qx_ado_utilities.h"
#include "database/repository/embedded_repository.h"
#include "frame/catalogue.h"

namespace {

namespace fs = std::filesystem;
using qxvb::bench::Side;

constexpr int kFiles = 1000;
constexpr int kProcessFiles = 100;
constexpr size_t kFileSize = 100 * 1024;

fs::path runFolder;

std::string storedName(int i) {
  return "file" + std::to_string(i) + ".bin";
}

// The repository with its 1,000 stored files, made once.
const fs::path& repository() {
  static const fs::path file = [] {
    const fs::path path = runFolder / "export.qxr";
    qxvb::createEmbeddedRepository(path.string());
    sqlite3* db = nullptr;
    sqlite3_open(path.c_str(), &db);
    sqlite3_stmt* insert = nullptr;
    sqlite3_prepare_v2(db, "INSERT INTO Files(Name, Data, Version) VALUES(?1, ?2, 1)", -1, &insert,
                       nullptr);
    std::mt19937_64 generator(7);
    std::vector<uint64_t> words(kFileSize / 8);
    sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
    for (int i = 0; i < kFiles; ++i) {
      for (auto& w : words) w = generator();
      const std::string name = storedName(i);
      sqlite3_bind_text(insert, 1, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_blob(insert, 2, words.data(), static_cast<int>(kFileSize), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
    sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
    sqlite3_finalize(insert);
    sqlite3_close(db);
    return path;
  }();
  return file;
}

std::string connectionString() {
  return qxvb::embeddedConnectionString(repository().string());
}

// One QX_ADO_ExportFile per file in this process, against the plain C loop.
void BM_ExportFileEachCall(benchmark::State& state) {
  auto utilities = std::static_pointer_cast<qxvb::QX_ADO_Utilities>(
      qxvb::createObject("QXVBUtils.QX_ADO_Utilities"));
  const std::string connect = connectionString();
  fs::path out;
  const Side library{[&] { out = qxvb::bench::freshOutputFolder(runFolder); },
                     [&] {
                       for (int i = 0; i < kFiles; ++i) {
                         const std::string name = storedName(i);
                         utilities->QX_ADO_ExportFile(name, connect, (out / name).string());
                       }
                     }};
  const Side anchor{[&] { out = qxvb::bench::freshOutputFolder(runFolder); },
                    [&] {
                      sqlite3* db = nullptr;
                      sqlite3_stmt* select = nullptr;
                      if (anchorOpenExport(repository().c_str(), &db, &select) != 0) std::abort();
                      for (int i = 0; i < kFiles; ++i) {
                        const std::string name = storedName(i);
                        if (anchorExportOne(select, name.c_str(), (out / name).c_str()) != 0) {
                          std::abort();
                        }
                      }
                      sqlite3_finalize(select);
                      sqlite3_close(db);
                    }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, kFiles);
  state.counters["tmpfs"] = qxvb::bench::outputOnTmpfs() ? 1 : 0;
  qxvb::bench::removeOutputFolders();
}
BENCHMARK(BM_ExportFileEachCall)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(7);

// One process per file: qxcall against the plain C program.
void BM_ExportFileProcessPerFile(benchmark::State& state) {
  const std::string qxcall = std::string(QXVB_BIN_DIR) + "/qxcall";
  const std::string plain = std::string(QXVB_BIN_DIR) + "/bench_anchor_export_one";
  const std::string connect = connectionString();
  const std::string database = repository().string();
  fs::path out;
  const Side library{
      [&] { out = qxvb::bench::freshOutputFolder(runFolder); },
      [&] {
        for (int i = 0; i < kProcessFiles; ++i) {
          const std::string name = storedName(i);
          qxvb::bench::runOrDie({qxcall, "QXVBUtils.QX_ADO_Utilities", "QX_ADO_ExportFile", name,
                                 connect, (out / name).string()});
        }
      }};
  const Side anchor{[&] { out = qxvb::bench::freshOutputFolder(runFolder); },
                    [&] {
                      for (int i = 0; i < kProcessFiles; ++i) {
                        const std::string name = storedName(i);
                        qxvb::bench::runOrDie({plain, database, name, (out / name).string()});
                      }
                    }};
  qxvb::bench::measurePairedPerItem(state, library, anchor, kProcessFiles);
  qxvb::bench::removeOutputFolders();
}
BENCHMARK(BM_ExportFileProcessPerFile)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  return qxvb::bench::runBenchmarksInSandbox(runFolder, argc, argv);
}
