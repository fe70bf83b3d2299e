// OLE DB connection strings as the data-access layer reads them: the items,
// and from the provider item the engine that serves the connection.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace qxvb::ado {

// The items of a connection string in their order; keys keep their case.
class ConnectionItems {
 public:
  // Items are separated by ";"; keys and values are trimmed; a value in
  // double or single quotes (a doubled quote stands for one) or in ODBC
  // braces may hold ";". The first of repeated keys counts.
  static ConnectionItems parse(std::string_view text);

  // The value of a key, compared without regard to case; "" when absent.
  std::string get(std::string_view key) const;
  bool has(std::string_view key) const;
  const std::vector<std::pair<std::string, std::string>>& items() const { return items_; }
  void add(std::string key, std::string value);

 private:
  std::vector<std::pair<std::string, std::string>> items_;
};

enum class EngineKind {
  Odbc,
  Sqlite,
  Registered,  // an engine another part of the library registered for its provider
};

// Where a connection goes.
struct EngineTarget {
  EngineKind kind = EngineKind::Odbc;
  std::string provider;    // the provider as the caller named it ("" when none)
  std::string odbcString;  // Odbc: the ODBC connection string
  std::string sqlitePath;  // Sqlite: the database file
  bool sqliteReadOnly = false;
  bool sqliteCreate = false;  // "Create=True": make the file when it is missing
  ConnectionItems items;      // the caller's items, for registered engines
};

// Chooses the engine of a connection string. userId and password, when not
// empty, stand in for the string's own credentials. Raises 3706 for a
// provider the layer does not know.
EngineTarget resolveEngine(std::string_view connectionString, std::string_view userId = {},
                           std::string_view password = {});

// The ODBC driver used for the SQL Server and Oracle providers: the
// environment variables QXVB_SQLSERVER_ODBC_DRIVER and QXVB_ORACLE_ODBC_DRIVER.
std::string sqlServerOdbcDriver();
std::string oracleOdbcDriver();

}  // namespace qxvb::ado
