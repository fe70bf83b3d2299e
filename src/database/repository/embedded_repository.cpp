#include "database/repository/embedded_repository.h"

#include <filesystem>
#include <stdexcept>

#include "ado/recordset.h"
#include "database/qx_ado_utilities.h"
#include "database/repository/files_table.h"
#include "database/repository_access.h"
#include "database/repository_codes.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/scope_exit.h"

namespace qxvb {

namespace {

constexpr int32_t kLogName = 55070;

// A value of a connection string item, quoted when it holds a separator.
std::string itemValue(const std::string& value) {
  if (value.find_first_of(";\"'") == std::string::npos) return value;
  std::string quoted = "\"";
  for (char c : value) {
    quoted += c;
    if (c == '"') quoted += '"';
  }
  return quoted + "\"";
}

std::vector<std::string> modelTables() {
  return {
      "CREATE TABLE Entity (ID INTEGER PRIMARY KEY, Name VARCHAR(255) NOT NULL)",
      "CREATE TABLE Relationship (ID INTEGER PRIMARY KEY, FromID INTEGER NOT NULL, "
      "ToID INTEGER NOT NULL, Name VARCHAR(255))",
      // The edition row: a value other than 0 marks the professional edition.
      "CREATE TABLE QXProperties (Name VARCHAR(64) PRIMARY KEY, Value VARCHAR(255))",
      "INSERT INTO QXProperties (Name, Value) VALUES ('Professional', '1')",
  };
}

std::string logTableStatement() {
  return "CREATE TABLE " + embeddedLogTable() +
         " (MessageID INTEGER PRIMARY KEY, Date TIMESTAMP, UserId VARCHAR(32), "
         "Version VARCHAR(16), Message TEXT)";
}

}  // namespace

std::string embeddedLogTable() {
  const std::string logName = localString(kLogName);
  return logName.substr(0, logName.find('.')) + "_LOG";
}

std::string embeddedConnectionString(const std::string& path) {
  return "Provider=QXVB.SQLite;Data Source=" + itemValue(path);
}

EmbeddedRepositoryReport createEmbeddedRepository(const std::string& path) {
  std::error_code ec;
  if (path.empty()) throw std::runtime_error("no file name given");
  if (std::filesystem::exists(std::filesystem::symlink_status(path, ec))) {
    throw std::runtime_error(path + " already exists");
  }
  EmbeddedRepositoryReport report;
  auto connection = openAdo(embeddedConnectionString(path) + ";Create=True");
  try {
    // Closed before the file is removed after a failure.
    const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
    // Write-ahead logging lets readers work while a file is stored and keeps
    // a commit per stored file cheap; the mode is kept in the file itself.
    connection->Execute("PRAGMA journal_mode=WAL");
    connection->BeginTrans();
    for (const std::string& sql : modelTables()) connection->Execute(sql);
    report.tables = {"Entity", "Relationship", "QXProperties"};
    connection->Execute(logTableStatement());
    report.tables.push_back(embeddedLogTable());
    try {
      filestore::createFilesTable(Object(connection));
      report.tables.push_back("Files");
    } catch (const std::exception& e) {
      report.skipped.push_back(std::string("Files: ") + e.what());
    }
    connection->CommitTrans();
  } catch (...) {
    std::filesystem::remove(path, ec);
    throw;
  }
  return report;
}

EmbeddedRepositoryInfo describeEmbeddedRepository(const std::string& path) {
  std::error_code ec;
  if (!std::filesystem::is_regular_file(path, ec)) {
    throw std::runtime_error(path + " is not a file");
  }
  EmbeddedRepositoryInfo info;
  const std::string cs = embeddedConnectionString(path);
  QX_ADO_Utilities ado;
  Variant version(int32_t{0});
  ado.QX_ADO_IsDatabaseQXVersion(cs, kVersionSqlServerProfessional, version);
  info.version = CLng(version);
  auto connection = openAdo(cs);
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  std::vector<std::string> names;
  {
    ado::Recordset rows;
    rows.Open(Variant("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
              Variant(std::static_pointer_cast<Dispatch>(connection)), 0, 1, -1);
    while (!rows.Eof()) {
      names.push_back(CStr(rows.Collect(Variant("name"))));
      rows.MoveNext();
    }
  }
  for (const std::string& name : names) {
    std::string quoted = "\"";
    for (char c : name) {
      quoted += c;
      if (c == '"') quoted += '"';
    }
    quoted += "\"";
    const auto count = firstRowField(connection, "SELECT COUNT(*) AS N FROM " + quoted, "N");
    info.tables.push_back({name, count ? static_cast<int64_t>(CDbl(*count)) : 0});
  }
  return info;
}

}  // namespace qxvb
