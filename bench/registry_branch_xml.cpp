// Registry branches as XML against plain SQLite: a branch of 10,000 keys
// with 10 values each read as XML text and written back from it, beside a
// bare prepared-statement loop inserting and reading the same rows.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>
#include <string>

#include "frame/catalogue.h"
#include "frame/module_state.h"
#include "platform/registry_store.h"
#include "settings/registry/qx_registry.h"

namespace {

using namespace qxvb;

constexpr int kKeys = 10000;
constexpr int kValuesPerKey = 10;
constexpr int32_t kHKCU = static_cast<int32_t>(0x80000001u);
constexpr registry::RootKey kUser = registry::RootKey::CurrentUser;
const std::string kBranch = "Software\\Brackwell\\Quillane\\Bench\\Branch";

std::filesystem::path benchRoot;
int folderCounter = 0;

void useFreshStore() {
  registry::closeThreadConnections();
  const auto folder = benchRoot / ("store-" + std::to_string(folderCounter++));
  std::filesystem::create_directories(folder);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

std::string keyName(int key) {
  return "Key" + std::to_string(key);
}
std::string valueName(int value) {
  return "Value" + std::to_string(value);
}
std::string valueText(int key, int value) {
  return "data " + std::to_string(key * 100 + value);
}

void writeBranchToStore() {
  registry::runInTransaction(kUser, [] {
    for (int key = 0; key < kKeys; ++key) {
      const std::string path = kBranch + "\\" + keyName(key);
      for (int value = 0; value < kValuesPerKey; ++value) {
        registry::setValue(kUser, path, valueName(value), registry::kRegSz,
                           registry::makeString(valueText(key, value)));
      }
    }
    return registry::kSuccess;
  });
}

std::shared_ptr<QX_Registry> registryObject() {
  return std::static_pointer_cast<QX_Registry>(createObject("QXVBUtils.QX_Registry"));
}

void BM_ReadBranchAsXML(benchmark::State& state) {
  useFreshStore();
  writeBranchToStore();
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
  useFreshStore();
  writeBranchToStore();
  auto reg = registryObject();
  const std::string text = reg->QX_Reg_ReadBranchAsXML(kHKCU, "Bench", "Branch");
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore();
    state.ResumeTiming();
    reg->QX_Reg_WriteBranchFromXML(kHKCU, text, "Bench", "Branch");
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_WriteBranchFromXML)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows with SQLite alone: one table, one prepared statement.
sqlite3* openPlain() {
  const auto file = benchRoot / ("plain-" + std::to_string(folderCounter++) + ".sqlite");
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
               "CREATE TABLE IF NOT EXISTS rows(key TEXT, name TEXT, type INTEGER, data BLOB,"
               " PRIMARY KEY(key, name))",
               nullptr, nullptr, nullptr);
  return db;
}

void writePlain(sqlite3* db) {
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO rows VALUES(?1, ?2, 1, ?3)", -1, &insert, nullptr);
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (int key = 0; key < kKeys; ++key) {
    const std::string path = kBranch + "\\" + keyName(key);
    for (int value = 0; value < kValuesPerKey; ++value) {
      const std::string name = valueName(value);
      const registry::Bytes data = registry::makeString(valueText(key, value));
      sqlite3_bind_text(insert, 1, path.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_text(insert, 2, name.c_str(), -1, SQLITE_TRANSIENT);
      sqlite3_bind_blob(insert, 3, data.data(), static_cast<int>(data.size()), SQLITE_TRANSIENT);
      sqlite3_step(insert);
      sqlite3_reset(insert);
    }
  }
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(insert);
}

void BM_PlainSqliteInsertRows(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3* db = openPlain();
    state.ResumeTiming();
    writePlain(db);
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_PlainSqliteInsertRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainSqliteReadRows(benchmark::State& state) {
  sqlite3* db = openPlain();
  writePlain(db);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT name, type, data FROM rows WHERE key = ?1 AND name = ?2", -1,
                     &select, nullptr);
  for (auto _ : state) {
    for (int key = 0; key < kKeys; ++key) {
      const std::string path = kBranch + "\\" + keyName(key);
      for (int value = 0; value < kValuesPerKey; ++value) {
        const std::string name = valueName(value);
        sqlite3_bind_text(select, 1, path.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(select, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(select) == SQLITE_ROW) {
          benchmark::DoNotOptimize(sqlite3_column_blob(select, 2));
        }
        sqlite3_reset(select);
      }
    }
  }
  sqlite3_finalize(select);
  sqlite3_close(db);
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_PlainSqliteReadRows)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  // Never the user's real registry: everything goes to a temporary folder.
  std::string pattern = (std::filesystem::temp_directory_path() / "qxvb-bench-XXXXXX").string();
  if (mkdtemp(pattern.data()) == nullptr) return 1;
  benchRoot = pattern;
  setenv("QXVB_MACHINE_DIR", (benchRoot / "machine").c_str(), 1);
  setenv("XDG_DATA_HOME", (benchRoot / "data").c_str(), 1);
  setenv("XDG_CACHE_HOME", (benchRoot / "cache").c_str(), 1);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  unloadThread();
  registry::closeThreadConnections();
  std::error_code ignored;
  std::filesystem::remove_all(benchRoot, ignored);
  return 0;
}
