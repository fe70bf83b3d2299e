// The exclusive-access checks of QX_ADO_Utilities: counting the sessions
// that use a repository and deciding whether the caller has it alone.
#include <string>
#include <vector>

#include "ado/connection_string.h"
#include "database/qx_ado_utilities.h"
#include "database/repository_access.h"
#include "frame/vb_conversions.h"
#include "platform/scope_exit.h"
#include "text/trimming.h"

namespace qxvb {

namespace {

constexpr int16_t kFlagSkipAdministration = 1;
constexpr int16_t kFlagSameUserOnce = 2;

std::string oracleCountQuery(bool sameUserOnce) {
  return std::string("SELECT COUNT(username) AS Connections FROM ") + "(select " +
         (sameUserOnce ? "distinct " : "") +
         "username, osuser, terminal from v$session where username is not null and " +
         "SCHEMANAME=(SELECT SYS_CONTEXT('USERENV','CURRENT_SCHEMA') from DUAL))";
}

constexpr const char* kSqlServerCountHead =
    "SELECT COUNT(dbid) as 'Connections' FROM"
    "(SELECT dbid FROM master.dbo.sysprocesses WITH (nolock) WHERE dbid > 0 AND DB_Name(dbid) = "
    "(SELECT DB_NAME()) AND (not hostname='') ";

std::string sqlServerCountQuery(bool sameUserOnce) {
  return std::string(kSqlServerCountHead) +
         (sameUserOnce ? "GROUP BY dbid, hostname, loginame" : "") + ") innerquery";
}

std::string sqlServerCountQuery2(int16_t flags) {
  std::string sql = kSqlServerCountHead;
  if ((flags & kFlagSkipAdministration) != 0) sql += " and (not program_name='Tarrow') ";
  sql += "GROUP BY dbid, hostname, program_name";
  if ((flags & kFlagSameUserOnce) != 0) sql += ", loginame";
  return sql + ") innerquery";
}

bool isExclusive(int32_t count, bool sameUserOnce, int32_t connectionsToAccept) {
  return sameUserOnce ? count == 1 : count == connectionsToAccept;
}

// The embedded repository file a connection works on, "" for any other.
std::string embeddedFile(const Object& connection) {
  auto* ado = dynamic_cast<ado::Connection*>(connection.get());
  if (ado == nullptr) return {};
  const ado::EngineTarget target = ado::resolveEngine(ado->ConnectionString());
  return target.kind == ado::EngineKind::Sqlite ? target.sqlitePath : std::string();
}

// Runs a count query and applies the exclusive rule; the embedded
// repository counts the handles open on its file instead.
bool checkCount(const Object& connection, const std::string& sql, bool sameUserOnce,
                int32_t connectionsToAccept) {
  try {
    const std::string file = embeddedFile(connection);
    if (!file.empty()) {
      return isExclusive(embeddedSessionCount(file, sameUserOnce), sameUserOnce,
                         connectionsToAccept);
    }
    const std::optional<Variant> count = firstRowField(connection, sql, "Connections");
    return count && isExclusive(CLng(*count), sameUserOnce, connectionsToAccept);
  } catch (const std::exception&) {
    return false;
  }
}

template <class Check>
bool onNewConnection(const std::string& connectionString, Check check) {
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  bool result = false;
  try {
    connection = openAdo(connectionString);
    result = check(Object(connection));
  } catch (const std::exception&) {
    result = false;
  }
  return result;
}

}  // namespace

bool QX_ADO_Utilities::QX_ADO_ORAServerExclusiveAccessCheckConnPlus(
    const Object& r_objConnection, bool v_blnIgnoreMultipleConnectionsBySameUser,
    int32_t v_lngConnectionsToAccept) {
  return checkCount(r_objConnection, oracleCountQuery(v_blnIgnoreMultipleConnectionsBySameUser),
                    v_blnIgnoreMultipleConnectionsBySameUser, v_lngConnectionsToAccept);
}

bool QX_ADO_Utilities::QX_ADO_ORAServerExclusiveAccessCheckConn(const Object& r_objConnection) {
  return QX_ADO_ORAServerExclusiveAccessCheckConnPlus(r_objConnection, false, 1);
}

bool QX_ADO_Utilities::QX_ADO_ORAServerExclusiveAccessCheckConnStr(
    const std::string& v_strConnectionString) {
  std::string cs = v_strConnectionString;
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  bool result = false;
  try {
    const std::string schema = takeCatalogItem(*this, cs);
    connection = openAdo(cs);
    connection->Execute(upperSchemaSwitch(schema));
    result = QX_ADO_ORAServerExclusiveAccessCheckConn(connection);
  } catch (const std::exception&) {
    result = false;
  }
  return result;
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheckConnPlus(
    const Object& r_objConnection, bool v_blnIgnoreMultipleConnectionsBySameUser,
    int32_t v_lngConnectionsToAccept) {
  return checkCount(r_objConnection, sqlServerCountQuery(v_blnIgnoreMultipleConnectionsBySameUser),
                    v_blnIgnoreMultipleConnectionsBySameUser, v_lngConnectionsToAccept);
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(
    const Object& r_objConnection, int16_t v_iFlags, int32_t v_lngConnectionsToAccept) {
  const bool sameUserOnce = (v_iFlags & kFlagSameUserOnce) != 0;
  return checkCount(r_objConnection, sqlServerCountQuery2(v_iFlags), sameUserOnce,
                    v_lngConnectionsToAccept);
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheckConn(const Object& r_objConnection) {
  return QX_ADO_SQLServerExclusiveAccessCheckConnPlus(r_objConnection, false, 1);
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheckConn2(const Object& r_objConnection,
                                                                 int16_t v_iFlags,
                                                                 int32_t v_lngConnectionsToAccept) {
  return QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(r_objConnection, v_iFlags,
                                                       v_lngConnectionsToAccept);
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheckConnStr(
    const std::string& v_strConnectionString) {
  return onNewConnection(v_strConnectionString, [this](const Object& connection) {
    return QX_ADO_SQLServerExclusiveAccessCheckConn(connection);
  });
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheckConnStr2(
    const std::string& v_strConnectionString, int16_t v_iFlags, int32_t v_lngConnectionsToAccept) {
  return onNewConnection(v_strConnectionString, [&](const Object& connection) {
    return QX_ADO_SQLServerExclusiveAccessCheckConn2(connection, v_iFlags,
                                                     v_lngConnectionsToAccept);
  });
}

bool QX_ADO_Utilities::QX_ADO_SQLServerExclusiveAccessCheck(const Object& r_objSQLDMO,
                                                            const std::string& v_strDatabase) {
  try {
    std::vector<Variant> none;
    const Object processes = CObj(invokeOn(r_objSQLDMO, "EnumProcesses", kMethod, none));
    const int32_t rows = CLng(invokeOn(processes, "Rows", kPropertyGet | kMethod, none));
    for (int32_t row = 1; row <= rows; ++row) {
      std::vector<Variant> loginArgs{Variant(row), Variant(int32_t{4})};
      const std::string login =
          trimWhiteSpace(CStr(invokeOn(processes, "GetColumnString", kMethod, loginArgs)));
      std::vector<Variant> databaseArgs{Variant(row), Variant(int32_t{7})};
      const std::string database =
          CStr(invokeOn(processes, "GetColumnString", kMethod, databaseArgs));
      if (database == v_strDatabase && !login.empty()) return false;
    }
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

bool QX_ADO_Utilities::QX_ADO_ExclusiveAccessCheckPlusConnStr(
    const std::string& r_strConnStr, bool v_blnIgnoreMultipleConnectionsBySameUser,
    int32_t v_lngConnectionsToAccept) {
  (void)v_lngConnectionsToAccept;  // always one connection: the caller's
  std::string cs = r_strConnStr;
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  bool result = false;
  try {
    if (isOracleProvider(providerItem(*this, cs))) {
      const std::string schema = takeCatalogItem(*this, cs);
      connection = QX_ADO_OpenConnection(cs);
      connection->Execute(upperSchemaSwitch(schema));
      result = QX_ADO_ORAServerExclusiveAccessCheckConnPlus(
          connection, v_blnIgnoreMultipleConnectionsBySameUser, 1);
    } else {
      connection = QX_ADO_OpenConnection(cs);
      result = QX_ADO_SQLServerExclusiveAccessCheckConnPlus(connection, true, 1);
    }
  } catch (const std::exception&) {
    result = false;
  }
  return result;
}

void addExclusiveAccessMembers(Members<QX_ADO_Utilities>& members) {
  using Self = QX_ADO_Utilities;
  members
      .method<&Self::QX_ADO_ORAServerExclusiveAccessCheckConnStr>(
          "QX_ADO_ORAServerExclusiveAccessCheckConnStr", {in("v_strConnectionString")})
      .method<&Self::QX_ADO_ORAServerExclusiveAccessCheckConn>(
          "QX_ADO_ORAServerExclusiveAccessCheckConn", {ref("r_objConnection")})
      .method<&Self::QX_ADO_ORAServerExclusiveAccessCheckConnPlus>(
          "QX_ADO_ORAServerExclusiveAccessCheckConnPlus",
          {ref("r_objConnection"), in("v_blnIgnoreMultipleConnectionsBySameUser"),
           opt("v_lngConnectionsToAccept", Variant(int32_t{1}))})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheckConnStr>(
          "QX_ADO_SQLServerExclusiveAccessCheckConnStr", {in("v_strConnectionString")})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheckConnStr2>(
          "QX_ADO_SQLServerExclusiveAccessCheckConnStr2",
          {in("v_strConnectionString"), in("v_iFlags"), in("v_lngConnectionsToAccept")})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheckConn>(
          "QX_ADO_SQLServerExclusiveAccessCheckConn", {ref("r_objConnection")})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheckConn2>(
          "QX_ADO_SQLServerExclusiveAccessCheckConn2",
          {ref("r_objConnection"), in("v_iFlags"), in("v_lngConnectionsToAccept")})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheckConnPlus>(
          "QX_ADO_SQLServerExclusiveAccessCheckConnPlus",
          {ref("r_objConnection"), in("v_blnIgnoreMultipleConnectionsBySameUser"),
           opt("v_lngConnectionsToAccept", Variant(int32_t{1}))})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheckConnPlus2>(
          "QX_ADO_SQLServerExclusiveAccessCheckConnPlus2",
          {ref("r_objConnection"), in("v_iFlags"), in("v_lngConnectionsToAccept")})
      .method<&Self::QX_ADO_SQLServerExclusiveAccessCheck>(
          "QX_ADO_SQLServerExclusiveAccessCheck", {ref("r_objSQLDMO"), in("v_strDatabase")})
      .method<&Self::QX_ADO_ExclusiveAccessCheckPlusConnStr>(
          "QX_ADO_ExclusiveAccessCheckPlusConnStr",
          {ref("r_strConnStr"), in("v_blnIgnoreMultipleConnectionsBySameUser"),
           opt("v_lngConnectionsToAccept", Variant(int32_t{1}))});
}

}  // namespace qxvb
