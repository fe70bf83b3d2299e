// The registry store against plain SQLite: a branch of 10,000 keys with 10
// values each, written and read through the store, and the same rows
// written and read with a bare prepared-statement loop.
#include <benchmark/benchmark.h>
#include <sqlite3.h>
#include <stdlib.h>

#include <filesystem>
#include <string>

#include "platform/registry_store.h"

namespace {

using namespace qxvb::registry;

constexpr int kKeys = 10000;
constexpr int kValuesPerKey = 10;
constexpr RootKey kUser = RootKey::CurrentUser;

std::filesystem::path benchRoot;
int folderCounter = 0;

// Each run writes into a new, empty store.
void useFreshStore() {
  closeThreadConnections();
  const auto folder = benchRoot / ("store-" + std::to_string(folderCounter++));
  std::filesystem::create_directories(folder);
  setenv("XDG_CONFIG_HOME", folder.c_str(), 1);
}

std::string keyPath(int key) {
  return "Software\\Bench\\Key" + std::to_string(key);
}
std::string valueName(int value) {
  return "Value" + std::to_string(value);
}
Bytes valueData(int key, int value) {
  return makeString("data " + std::to_string(key * 100 + value));
}

void writeBranch() {
  for (int key = 0; key < kKeys; ++key) {
    const std::string path = keyPath(key);
    for (int value = 0; value < kValuesPerKey; ++value) {
      setValue(kUser, path, valueName(value), kRegSz, valueData(key, value));
    }
  }
}

void BM_StoreWriteBranchInOneTransaction(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore();
    state.ResumeTiming();
    runInTransaction(kUser, [] {
      writeBranch();
      return kSuccess;
    });
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreWriteBranchInOneTransaction)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StoreWriteBranchCallByCall(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    useFreshStore();
    state.ResumeTiming();
    writeBranch();
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreWriteBranchCallByCall)->Unit(benchmark::kMillisecond)->Iterations(1);

void BM_StoreReadBranch(benchmark::State& state) {
  useFreshStore();
  runInTransaction(kUser, [] {
    writeBranch();
    return kSuccess;
  });
  std::uint32_t type = 0;
  Bytes data;
  for (auto _ : state) {
    for (int key = 0; key < kKeys; ++key) {
      const std::string path = keyPath(key);
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
  useFreshStore();
  runInTransaction(kUser, [] {
    writeBranch();
    return kSuccess;
  });
  std::string name;
  Value value;
  for (auto _ : state) {
    for (std::uint32_t key = 0; enumKey(kUser, "Software\\Bench", key, name) == kSuccess; ++key) {
      const std::string path = "Software\\Bench\\" + name;
      for (std::uint32_t index = 0; enumValue(kUser, path, index, value) == kSuccess; ++index) {
        benchmark::DoNotOptimize(value.data.data());
      }
    }
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_StoreEnumerateBranch)->Unit(benchmark::kMillisecond)->Iterations(3);

// The same rows with SQLite alone: one table, one prepared statement.
sqlite3* openPlain(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
               "CREATE TABLE IF NOT EXISTS rows(key TEXT, name TEXT, data BLOB,"
               " PRIMARY KEY(key, name))",
               nullptr, nullptr, nullptr);
  return db;
}

void writePlain(sqlite3* db) {
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO rows VALUES(?1, ?2, ?3)", -1, &insert, nullptr);
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (int key = 0; key < kKeys; ++key) {
    const std::string path = keyPath(key);
    for (int value = 0; value < kValuesPerKey; ++value) {
      const std::string name = valueName(value);
      const Bytes data = valueData(key, value);
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

void BM_PlainSqliteWriteRows(benchmark::State& state) {
  for (auto _ : state) {
    state.PauseTiming();
    const auto file = benchRoot / ("plain-" + std::to_string(folderCounter++) + ".sqlite");
    sqlite3* db = openPlain(file);
    state.ResumeTiming();
    writePlain(db);
    sqlite3_close(db);
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}
BENCHMARK(BM_PlainSqliteWriteRows)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_PlainSqliteReadRows(benchmark::State& state) {
  sqlite3* db = openPlain(benchRoot / ("plain-" + std::to_string(folderCounter++) + ".sqlite"));
  writePlain(db);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT data FROM rows WHERE key = ?1 AND name = ?2", -1, &select,
                     nullptr);
  for (auto _ : state) {
    for (int key = 0; key < kKeys; ++key) {
      const std::string path = keyPath(key);
      for (int value = 0; value < kValuesPerKey; ++value) {
        const std::string name = valueName(value);
        sqlite3_bind_text(select, 1, path.c_str(), -1, SQLITE_TRANSIENT);
        sqlite3_bind_text(select, 2, name.c_str(), -1, SQLITE_TRANSIENT);
        if (sqlite3_step(select) == SQLITE_ROW) {
          benchmark::DoNotOptimize(sqlite3_column_blob(select, 0));
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
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  closeThreadConnections();
  std::error_code ignored;
  std::filesystem::remove_all(benchRoot, ignored);
  return 0;
}
