// A repository of the tests' own: an SQLite database with the file table.
#pragma once

#include <filesystem>
#include <memory>
#include <string>

#include "ado/connection.h"
#include "ado/recordset.h"
#include "database/repository/files_table.h"
#include "filemanager/file_store.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"

namespace qxvb::test {

inline std::string sqliteConnectionString(const std::filesystem::path& file) {
  return "Provider=QXVB.SQLite;Data Source=" + file.string() + ";Create=True";
}

// Opens a new SQLite repository with an empty file table.
inline std::shared_ptr<ado::Connection> newRepository(const std::filesystem::path& folder) {
  auto connection = std::make_shared<ado::Connection>();
  connection->Open(sqliteConnectionString(folder / "repository.db"));
  filestore::createFilesTable(connection);
  return connection;
}

inline filestore::FileStore plainStore(const std::shared_ptr<ado::Connection>& connection) {
  filestore::StoreSetup setup;
  setup.connection = connection;
  return filestore::FileStore(setup);
}

// One value of the row of a stored name, or Null when there is no row.
inline Variant storedValue(ado::Connection& connection, const std::string& name,
                           const std::string& column) {
  std::string quoted;
  for (char c : name) quoted += c == '\'' ? std::string("''") : std::string(1, c);
  auto rs = connection.Execute("SELECT " + column + " FROM Files WHERE Name = '" + quoted + "'");
  if (rs->Eof()) return Variant::null();
  return rs->Collect(Variant(column));
}

inline int32_t rowCount(ado::Connection& connection) {
  auto rs = connection.Execute("SELECT COUNT(*) AS n FROM Files");
  return CLng(rs->Collect(Variant("n")));
}

inline std::filesystem::path writeDisk(const std::filesystem::path& path, const std::string& text) {
  std::filesystem::create_directories(path.parent_path());
  writeFile(path, text);
  return path;
}

}  // namespace qxvb::test
