// The repository checks of QX_ADO_Utilities: recognising the format and
// edition of a repository, and checking credentials against it.
#include <string>

#include "database/connection_keywords.h"
#include "database/qx_ado_utilities.h"
#include "database/repository_access.h"
#include "database/repository_codes.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "platform/scope_exit.h"

namespace qxvb {

namespace {

constexpr const char* kEdition = "SELECT * FROM QXProperties WHERE Name = 'Professional'";
constexpr const char* kPropertiesProbe =
    "SELECT * FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = 'QXProperties'";

std::string tableProbe(const char* table) {
  return std::string("SELECT * FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = '") + table + "'";
}

// The edition row's "Value": not 0 marks the professional edition.
bool isProfessional(const Variant& value) {
  return !(value.isNull() || CDbl(value) == 0);
}

int32_t oracleVersion(const std::shared_ptr<ado::Connection>& connection) {
  int32_t version = QXET_INVALID;
  try {
    if (auto value = firstRowField(connection, kEdition, "Value")) {
      version = isProfessional(*value) ? kVersionOracleProfessional : kVersionOracleEnterprise;
    }
  } catch (const std::exception&) {
    // A schema without the properties table is no repository.
  }
  return version;
}

// The edition query guarded by a probe for its table; the embedded
// repository has no conditional statements, so it runs the probe first.
std::optional<Variant> guardedEdition(const std::shared_ptr<ado::Connection>& connection,
                                      bool embedded) {
  if (!embedded) {
    return firstRowField(connection,
                         std::string("if EXISTS( ") + kPropertiesProbe + ") " + kEdition, "Value");
  }
  if (!returnsRow(connection, kPropertiesProbe)) return std::nullopt;
  return firstRowField(connection, kEdition, "Value");
}

}  // namespace

bool QX_ADO_Utilities::QX_ADO_IsDatabaseQXVersion(const std::string& strConnection,
                                                  int32_t v_lngVersion,
                                                  Variant& r_lngActualVersion) {
  if (r_lngActualVersion.type() != VarType::Integer && r_lngActualVersion.type() != VarType::Long) {
    return false;
  }
  r_lngActualVersion = Variant(kVersionNotChecked);
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  try {
    if ((v_lngVersion & QXET_ORACLE) != 0) {
      std::string cs = strConnection;
      const std::string schema = cutCatalogItem(cs);
      connection = openAdo(cs);
      connection->Execute(schemaSwitch(schema));
      r_lngActualVersion = Variant(int32_t{QXET_INVALID});
      r_lngActualVersion = Variant(oracleVersion(connection));
    } else {
      connection = openAdo(strConnection, true);
      const bool embedded = isEmbeddedProvider(providerItem(*this, strConnection));
      if (embedded) prepareEmbeddedCatalogue(connection);
      r_lngActualVersion = Variant(int32_t{QXET_INVALID});
      if (returnsRow(connection, tableProbe("Entity")) &&
          returnsRow(connection, tableProbe("Relationship"))) {
        if (returnsRow(connection, tableProbe("Properties"))) {
          r_lngActualVersion = Variant(int32_t{QXET_NINEZERO});
        } else if (auto value = guardedEdition(connection, embedded)) {
          r_lngActualVersion = Variant(isProfessional(*value) ? kVersionSqlServerProfessional
                                                              : kVersionSqlServerEnterprise);
        }
      }
    }
  } catch (const std::exception&) {
    return false;
  }
  return CLng(r_lngActualVersion) == v_lngVersion;
}

int32_t QX_ADO_Utilities::QX_ADO_GetDatabaseVersion(const std::string& v_strConnectString) {
  Variant actual(kVersionNotChecked);
  const ServerKind kind = serverKind(*this, v_strConnectString);
  if (kind == ServerKind::Oracle) {
    if (!QX_ADO_IsDatabaseQXVersion(v_strConnectString, kVersionOracleProfessional, actual)) {
      QX_ADO_IsDatabaseQXVersion(v_strConnectString, kVersionOracleEnterprise, actual);
    }
  } else if (kind == ServerKind::SqlServer) {
    if (!QX_ADO_IsDatabaseQXVersion(v_strConnectString, kVersionSqlServerProfessional, actual)) {
      QX_ADO_IsDatabaseQXVersion(v_strConnectString, kVersionSqlServerEnterprise, actual);
    }
  }
  return CLng(actual);
}

bool QX_ADO_Utilities::QX_ADO_IsUserPasswordOK(const std::string& strConnection, int32_t& lDBType) {
  std::shared_ptr<ado::Connection> connection;
  const ScopeExit closeAtEnd([&] { closeQuietly(connection); });
  bool ok = false;
  try {
    if (lDBType == QXET_ORACLE) {
      std::string cs = strConnection;
      const std::string schema = cutCatalogItem(cs);
      connection = openAdo(cs);
      connection->Execute(schemaSwitch(schema));
      ok = true;
    } else {
      connection = openAdo(strConnection, true);
      if (isEmbeddedProvider(providerItem(*this, strConnection))) {
        prepareEmbeddedCatalogue(connection);
      }
      ok = returnsRow(connection, tableProbe("Entity"));
    }
  } catch (const std::exception&) {
    ok = false;
  }
  return ok;
}

void addCheckMembers(Members<QX_ADO_Utilities>& members) {
  using Self = QX_ADO_Utilities;
  members
      .method("QX_ADO_IsDatabaseQXVersion",
              {in("strConnection"), in("v_lngVersion"), ref("r_lngActualVersion")},
              [](Self& u, CallArgs& a) {
                Variant actual = a[2];
                const bool same = u.QX_ADO_IsDatabaseQXVersion(a.str(0), a.lng(1), actual);
                a.set(2, actual);
                return Variant(same);
              })
      .method<&Self::QX_ADO_GetDatabaseVersion>("QX_ADO_GetDatabaseVersion",
                                                {in("v_strConnectString")})
      .method<&Self::QX_ADO_IsUserPasswordOK>("QX_ADO_IsUserPasswordOK",
                                              {in("strConnection"), ref("lDBType")});
}

}  // namespace qxvb
