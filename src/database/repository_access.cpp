#include "database/repository_access.h"

#include <vector>

#include "ado/properties.h"
#include "ado/recordset.h"
#include "ado/session_marks.h"
#include "database/connection_keywords.h"
#include "database/qx_ado_utilities.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/text/ascii.h"

namespace qxvb {

std::string providerItem(QX_ADO_Utilities& ado, const std::string& connectionString) {
  return ado.QX_ADO_ReadItemFromConnectionString(localString(keyword::kProvider), connectionString);
}

bool isOracleProvider(const std::string& provider) {
  return provider == localString(keyword::kOracleProvider);
}

ServerKind serverKind(QX_ADO_Utilities& ado, const std::string& connectionString) {
  const std::string provider = providerItem(ado, connectionString);
  if (isOracleProvider(provider)) return ServerKind::Oracle;
  if (provider == ado.QX_ADO_GetConnectionStringProviderTagValueForSQL() ||
      provider == localString(keyword::kSqlServerProvider)) {
    return ServerKind::SqlServer;
  }
  return ServerKind::Other;
}

bool isEmbeddedProvider(const std::string& provider) {
  return ascii::equalsIgnoreCase(provider, "QXVB.SQLite") ||
         ascii::equalsIgnoreCase(provider, "QXET_DBASE");
}

std::string cutCatalogItem(std::string& connectionString) {
  const std::string key = localString(keyword::kInitialCatalog);
  const size_t start = connectionString.find(key);
  if (start == std::string::npos || key.empty()) return {};
  const size_t valueStart = start + key.size();
  const size_t end = connectionString.find(';', valueStart);
  std::string value = connectionString.substr(
      valueStart, end == std::string::npos ? std::string::npos : end - valueStart);
  connectionString.erase(start, end == std::string::npos ? std::string::npos : end + 1 - start);
  return value;
}

std::string takeCatalogItem(QX_ADO_Utilities& ado, std::string& connectionString) {
  const std::string key = localString(keyword::kInitialCatalog);
  std::string value = ado.QX_ADO_ReadItemFromConnectionString(key, connectionString);
  ado.QX_ADO_RemoveItemFromConnectionString(key, connectionString);
  return value;
}

std::shared_ptr<ado::Connection> openAdo(const std::string& connectionString, bool sqlServerProbe) {
  auto connection = std::make_shared<ado::Connection>();
  connection->setConnectionString(connectionString);
  if (sqlServerProbe) {
    connection->PropertiesObject()->Item(Variant("OLE DB Services"))->setValue(Variant(-2));
  }
  connection->Open(std::string(), std::string(), std::string(), -1);
  return connection;
}

void closeQuietly(const std::shared_ptr<ado::Connection>& connection) {
  try {
    if (connection && connection->State() == 1) connection->Close();
  } catch (const std::exception&) {
    // The connection is being given up; a failing close changes nothing.
  }
}

std::string schemaSwitch(const std::string& schema) {
  return "alter session set current_schema = \"" + schema + "\"";
}

std::string upperSchemaSwitch(const std::string& schema) {
  return "ALTER SESSION SET CURRENT_SCHEMA=\"" + schema + "\"";
}

std::optional<Variant> firstRowField(const Object& connection, const std::string& sql,
                                     const std::string& field) {
  std::vector<Variant> args{Variant(sql), Variant::missing(), Variant(int32_t{-1})};
  const Object rows = CObj(invokeOn(connection, "Execute", kMethod, args));
  std::vector<Variant> none;
  std::optional<Variant> value;
  if (!CBool(invokeOn(rows, "EOF", kPropertyGet, none))) {
    std::vector<Variant> index{Variant(field)};
    const Object fields = CObj(invokeOn(rows, "Fields", kPropertyGet, none));
    const Object item = CObj(invokeOn(fields, "Item", kMethod | kPropertyGet, index));
    value = invokeOn(item, "Value", kPropertyGet, none);
  }
  try {
    if (CLng(invokeOn(rows, "State", kPropertyGet, none)) == 1)
      invokeOn(rows, "Close", kMethod, none);
  } catch (const std::exception&) {
    // A recordset that cannot close is released all the same.
  }
  return value;
}

bool returnsRow(const std::shared_ptr<ado::Connection>& connection, const std::string& sql) {
  ado::Recordset rows;
  rows.Open(Variant(sql), Variant(std::static_pointer_cast<Dispatch>(connection)), 0, 1, -1);
  const bool found = !rows.Eof();
  rows.Close();
  return found;
}

void prepareEmbeddedCatalogue(const std::shared_ptr<ado::Connection>& connection) {
  connection->Execute("ATTACH DATABASE ':memory:' AS INFORMATION_SCHEMA");
  connection->Execute("CREATE TABLE INFORMATION_SCHEMA.TABLES (TABLE_NAME TEXT, TABLE_TYPE TEXT)");
  connection->Execute(
      "INSERT INTO INFORMATION_SCHEMA.TABLES SELECT name, CASE type WHEN 'view' THEN 'VIEW' "
      "ELSE 'BASE TABLE' END FROM main.sqlite_master WHERE type IN ('table', 'view')");
}

int32_t embeddedSessionCount(const std::string& databaseFile, bool sameUserOnce) {
  const ado::SessionCount count = ado::countSessions(databaseFile);
  return sameUserOnce ? count.users : count.sessions;
}

}  // namespace qxvb
