#include "common/plain_sqlite.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <utility>
#include <vector>

namespace qxvb::bench {

PlainRows::PlainRows(const std::filesystem::path& folder) {
  static int files = 0;
  const auto file = folder / ("plain-" + std::to_string(files++) + ".sqlite");
  sqlite3_open(file.c_str(), &db_);
  sqlite3_exec(db_,
               "PRAGMA journal_mode = WAL; PRAGMA synchronous = NORMAL;"
               "CREATE TABLE IF NOT EXISTS rows(key TEXT, name TEXT, type INTEGER, data BLOB,"
               " PRIMARY KEY(key, name))",
               nullptr, nullptr, nullptr);
}

PlainRows::~PlainRows() {
  sqlite3_close(db_);
}

void PlainRows::write(const std::string& parent, int keys) {
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db_, "INSERT OR REPLACE INTO rows VALUES(?1, ?2, 1, ?3)", -1, &insert,
                     nullptr);
  sqlite3_exec(db_, "BEGIN IMMEDIATE", nullptr, nullptr, nullptr);
  for (int key = 0; key < keys; ++key) {
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
  sqlite3_exec(db_, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(insert);
}

void PlainRows::read(const std::string& parent, int keys) {
  sqlite3_stmt* select = nullptr;
  sqlite3_prepare_v2(db_, "SELECT data FROM rows WHERE key = ?1 AND name = ?2", -1, &select,
                     nullptr);
  for (int key = 0; key < keys; ++key) {
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
  sqlite3_finalize(select);
}

namespace {

void appendEscaped(std::string& out, const char* text, int size) {
  for (int i = 0; i < size; ++i) {
    const char c = text[i];
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
}

struct Scan {
  sqlite3_stmt* keys = nullptr;
  sqlite3_stmt* values = nullptr;
  std::string hkey;
  std::string out;
};

void scanLevel(Scan& scan, int64_t id, const std::string& path) {
  std::vector<std::pair<int64_t, std::string>> children;
  sqlite3_bind_int64(scan.keys, 1, id);
  while (sqlite3_step(scan.keys) == SQLITE_ROW) {
    children.emplace_back(sqlite3_column_int64(scan.keys, 0),
                          reinterpret_cast<const char*>(sqlite3_column_text(scan.keys, 1)));
  }
  sqlite3_reset(scan.keys);
  for (const auto& [child, name] : children) {
    scan.out += "<Key HKey=\"" + scan.hkey + "\" Section=\"";
    appendEscaped(scan.out, path.data(), static_cast<int>(path.size()));
    scan.out += "\" Name=\"";
    appendEscaped(scan.out, name.data(), static_cast<int>(name.size()));
    scan.out += "\">";
    scanLevel(scan, child, path + "\\" + name);
    scan.out += "</Key>";
  }
  sqlite3_bind_int64(scan.values, 1, id);
  while (sqlite3_step(scan.values) == SQLITE_ROW) {
    scan.out += "<Value Type=\"";
    scan.out += std::to_string(sqlite3_column_int64(scan.values, 1));
    scan.out += "\" Name=\"";
    appendEscaped(scan.out, reinterpret_cast<const char*>(sqlite3_column_text(scan.values, 0)),
                  sqlite3_column_bytes(scan.values, 0));
    scan.out += "\" Data=\"";
    // String data less its terminator.
    const int size = sqlite3_column_bytes(scan.values, 2);
    appendEscaped(scan.out, static_cast<const char*>(sqlite3_column_blob(scan.values, 2)),
                  size > 0 ? size - 1 : 0);
    scan.out += "\"/>";
  }
  sqlite3_reset(scan.values);
}

}  // namespace

std::string plainBranchXml(const std::filesystem::path& file, const std::string& path,
                           const std::string& hkeyText) {
  sqlite3* db = nullptr;
  sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr);
  Scan scan;
  scan.hkey = hkeyText;
  sqlite3_prepare_v2(db, "SELECT id, name FROM reg_keys WHERE parent = ?1 ORDER BY fold", -1,
                     &scan.keys, nullptr);
  sqlite3_prepare_v2(db, "SELECT name, type, data FROM reg_values WHERE key = ?1 ORDER BY id", -1,
                     &scan.values, nullptr);
  sqlite3_stmt* find = nullptr;
  sqlite3_prepare_v2(db, "SELECT id FROM reg_keys WHERE parent = ?1 AND fold = upper(?2)", -1,
                     &find, nullptr);
  sqlite3_exec(db, "BEGIN", nullptr, nullptr, nullptr);
  int64_t id = 1;
  size_t start = 0;
  while (start <= path.size()) {
    const size_t end = std::min(path.find('\\', start), path.size());
    sqlite3_bind_int64(find, 1, id);
    sqlite3_bind_text(find, 2, path.data() + start, static_cast<int>(end - start),
                      SQLITE_TRANSIENT);
    id = sqlite3_step(find) == SQLITE_ROW ? sqlite3_column_int64(find, 0) : -1;
    sqlite3_reset(find);
    start = end + 1;
  }
  scan.out = "<Quillane>";
  scanLevel(scan, id, path);
  scan.out += "</Quillane>\r\n";
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_finalize(find);
  sqlite3_finalize(scan.keys);
  sqlite3_finalize(scan.values);
  sqlite3_close(db);
  return scan.out;
}

}  // namespace qxvb::bench
