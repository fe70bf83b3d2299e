#include "common/plain_sqlite.h"

#include <sqlite3.h>

#include "common/registry_branch.h"

namespace qxvb::bench {

namespace {

sqlite3* openPlain(const std::filesystem::path& folder) {
  static int files = 0;
  const auto file = folder / ("plain-" + std::to_string(files++) + ".sqlite");
  sqlite3* db = nullptr;
  sqlite3_open(file.c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
               "CREATE TABLE IF NOT EXISTS rows(key TEXT, name TEXT, type INTEGER, data BLOB,"
               " PRIMARY KEY(key, name))",
               nullptr, nullptr, nullptr);
  return db;
}

void writePlain(sqlite3* db, const std::string& parent) {
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT OR REPLACE INTO rows VALUES(?1, ?2, 1, ?3)", -1, &insert, nullptr);
  sqlite3_exec(db, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (int key = 0; key < kKeys; ++key) {
    const std::string path = keyPath(parent, key);
    for (int value = 0; value < kValuesPerKey; ++value) {
      const std::string name = valueName(value);
      const registry::Bytes data = valueData(key, value);
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

}  // namespace

void measurePlainWrites(benchmark::State& state, const std::filesystem::path& folder,
                        const std::string& parent) {
  for (auto _ : state) {
    state.PauseTiming();
    sqlite3* db = openPlain(folder);
    state.ResumeTiming();
    writePlain(db, parent);
    state.PauseTiming();
    sqlite3_close(db);
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * kKeys * kValuesPerKey);
}

void measurePlainReads(benchmark::State& state, const std::filesystem::path& folder,
                       const std::string& parent) {
  sqlite3* db = openPlain(folder);
  writePlain(db, parent);
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db, "SELECT data FROM rows WHERE key = ?1 AND name = ?2", -1, &select,
                     nullptr);
  for (auto _ : state) {
    for (int key = 0; key < kKeys; ++key) {
      const std::string path = keyPath(parent, key);
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

}  // namespace qxvb::bench
