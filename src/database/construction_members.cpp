// The construction members of QX_ADO_Utilities: the "ADO" settings behind a
// connection string, its complete items, the whole string, and an Oracle
// connection's string with its current schema. Only the last traps
// failures; the others let a failure of the settings or the string table
// reach the caller.
#include "database/connection_keywords.h"
#include "database/connection_string_builder.h"
#include "database/connection_string_items.h"
#include "database/qx_ado_utilities.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb {

namespace {

constexpr const char* kCurrentSchemaQuery =
    "SELECT sys_context('USERENV', 'CURRENT_SCHEMA') AS curSchema FROM dual;";

Variant getOn(const Object& target, std::string_view member, std::vector<Variant> args = {}) {
  return invokeOn(target, member, kPropertyGet | kMethod, args);
}

// The connection's current schema, asked of the database.
std::string currentSchema(const Object& connection) {
  std::vector<Variant> args{Variant(kCurrentSchemaQuery), Variant::missing(), Variant(int32_t{-1})};
  const Variant recordset = invokeOn(connection, "Execute", kMethod, args);
  const Variant fields = getOn(CObj(recordset), "Fields");
  const Variant field = getOn(CObj(fields), "Item", {Variant("curSchema")});
  return CStr(getOn(CObj(field), "Value"));
}

}  // namespace

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringODBCDriverName() {
  return settings_.odbcDriverName();
}

bool QX_ADO_Utilities::QX_ADO_GetConnectionStringUsingODBC() {
  return settings_.usingOdbc();
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringSQLProvider() {
  return settings_.sqlProvider();
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringDataTypeCompatibility() {
  return settings_.dataTypeCompatibility();
}

bool QX_ADO_Utilities::QX_ADO_GetConnectionStringUseEncryption() {
  return settings_.useEncryption();
}

bool QX_ADO_Utilities::QX_ADO_GetConnectionStringUseEncryption2(
    const std::string& strFullServerName) {
  return settings_.useEncryptionFor(strFullServerName);
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringProviderTagValueForSQL() {
  return settings_.providerTagForSql();
}

bool QX_ADO_Utilities::QX_ADO_GetConnectionStringProviderIsSQL(const std::string& vstrProvider) {
  return connbuild::providerIsSql(settings_, vstrProvider);
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringIntegratedSecurityComplete(
    const std::string& vstrProviderValue) {
  return connbuild::integratedSecurityItem(settings_, vstrProviderValue);
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringEncryptionComplete() {
  return connbuild::encryptionItem(settings_);
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringEncryptionComplete2(
    const std::string& strFullServerName) {
  return connbuild::encryptionItem(settings_, strFullServerName);
}

std::string QX_ADO_Utilities::QX_ADO_GetConnectionStringDataTypeCompatibilityComplete() {
  return connbuild::dataTypeCompatibilityItem(settings_);
}

std::string QX_ADO_Utilities::QX_ADO_ConstructConnectionString(
    const std::string& vstrProvider, const std::string& vstrDataSource,
    const std::string& vstrInitialCatalog, bool vblnIsIntegratedSecurity,
    const std::string& vstrUserId, const std::string& vstrPassword) {
  connbuild::ConnectionRequest request;
  request.provider = vstrProvider;
  request.dataSource = vstrDataSource;
  request.initialCatalog = vstrInitialCatalog;
  request.integratedSecurity = vblnIsIntegratedSecurity;
  request.userId = vstrUserId;
  request.password = vstrPassword;
  return connbuild::constructConnectionString(settings_, request);
}

std::string QX_ADO_Utilities::QX_ADO_GetOracleConnectionStringWithSchema(Object& r_oConn) {
  std::string result;
  try {
    result = CStr(getOn(r_oConn, "ConnectionString"));
    std::string withSchema = result;
    if (QX_ADO_WriteItemInConnectionString(localString(keyword::kInitialCatalog),
                                           currentSchema(r_oConn), withSchema)) {
      result = withSchema;
    }
  } catch (const std::exception&) {
  }
  return result;
}

namespace {

using Self = QX_ADO_Utilities;

void addSettingsGetters(Members<Self>& members) {
  members
      .method<&Self::QX_ADO_GetConnectionStringODBCDriverName>(
          "QX_ADO_GetConnectionStringODBCDriverName", {})
      .method<&Self::QX_ADO_GetConnectionStringUsingODBC>("QX_ADO_GetConnectionStringUsingODBC", {})
      .method<&Self::QX_ADO_GetConnectionStringSQLProvider>("QX_ADO_GetConnectionStringSQLProvider",
                                                            {})
      .method<&Self::QX_ADO_GetConnectionStringDataTypeCompatibility>(
          "QX_ADO_GetConnectionStringDataTypeCompatibility", {})
      .method<&Self::QX_ADO_GetConnectionStringUseEncryption>(
          "QX_ADO_GetConnectionStringUseEncryption", {})
      .method<&Self::QX_ADO_GetConnectionStringUseEncryption2>(
          "QX_ADO_GetConnectionStringUseEncryption2", {ref("strFullServerName")})
      .method<&Self::QX_ADO_GetConnectionStringProviderTagValueForSQL>(
          "QX_ADO_GetConnectionStringProviderTagValueForSQL", {})
      .method<&Self::QX_ADO_GetConnectionStringProviderIsSQL>(
          "QX_ADO_GetConnectionStringProviderIsSQL", {in("vstrProvider")});
}

void addCompleteItems(Members<Self>& members) {
  members
      .method<&Self::QX_ADO_GetConnectionStringIntegratedSecurityComplete>(
          "QX_ADO_GetConnectionStringIntegratedSecurityComplete", {in("vstrProviderValue")})
      .method<&Self::QX_ADO_GetConnectionStringEncryptionComplete>(
          "QX_ADO_GetConnectionStringEncryptionComplete", {})
      .method<&Self::QX_ADO_GetConnectionStringEncryptionComplete2>(
          "QX_ADO_GetConnectionStringEncryptionComplete2", {ref("strFullServerName")})
      .method<&Self::QX_ADO_GetConnectionStringDataTypeCompatibilityComplete>(
          "QX_ADO_GetConnectionStringDataTypeCompatibilityComplete", {});
}

}  // namespace

void addConstructionMembers(Members<QX_ADO_Utilities>& members) {
  addSettingsGetters(members);
  addCompleteItems(members);
  members
      .method<&Self::QX_ADO_ConstructConnectionString>(
          "QX_ADO_ConstructConnectionString",
          {in("vstrProvider"), in("vstrDataSource"), in("vstrInitialCatalog"),
           in("vblnIsIntegratedSecurity"), opt("vstrUserId", Variant("")),
           opt("vstrPassword", Variant(""))})
      .method("QX_ADO_GetOracleConnectionStringWithSchema", {ref("r_oConn")},
              [](Self& u, CallArgs& a) {
                Object connection = a.object(0);
                return Variant(u.QX_ADO_GetOracleConnectionStringWithSchema(connection));
              });
}

}  // namespace qxvb
