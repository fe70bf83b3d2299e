// QX_ADO_Utilities: the library's toolbox for the connection strings of the
// product's repositories. Its members come in groups, each implemented in
// a file of its own that adds the group to the dispatch table through the
// add...Members function declared at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "database/ado_settings_cache.h"
#include "database/enu_sql_security_type.h"
#include "frame/dispatch.h"

namespace qxvb {

class QX_ADO_Utilities : public Dispatch {
 public:
  // Reads its "ADO" settings through QXGetSetting of the default profile.
  QX_ADO_Utilities();
  // Reads its "ADO" settings through the given reader.
  explicit QX_ADO_Utilities(AdoSettingsCache::Reader settingsReader);
  const DispatchTable& dispatchTable() const override;

  // -- begin connection-string item members (connection_string_members.cpp) --
  std::string QX_ADO_ReadItemFromConnectionString(const std::string& v_strItem,
                                                  const std::string& v_strConnectString);
  bool QX_ADO_RemoveItemFromConnectionString(const std::string& v_strItem,
                                             std::string& r_strConnectString);
  bool QX_ADO_WriteItemInConnectionString(const std::string& v_strItem,
                                          const std::string& v_strReplacementText,
                                          std::string& r_strConnectString);
  bool QX_ADO_WriteExtendedItemInConnectionString(const std::string& v_strItem,
                                                  const std::string& v_strValue,
                                                  std::string& r_strConnectionString);
  std::string QX_ADO_ReadExtendedItemInConnectionString(const std::string& v_strItem,
                                                        const Variant& v_strConnectionString);
  // The result is always an empty Variant; r_lngSecurity is an
  // enuSQLSecurityType value.
  Variant QX_ADO_ReadDetailsFromConnectString(const std::string& v_strConnectString,
                                              std::string& r_strServer, std::string& r_strUser,
                                              std::string& r_strPassword, std::string& r_strEncy,
                                              int32_t& r_lngSecurity);
  bool QX_ADO_IsConnectStringUsingIntegratedSecurity(const std::string& v_strConnectString);
  std::string QX_ADO_EncodeSQLValue(const std::string& v_strValue);
  // -- end connection-string item members --

  // -- begin construction members (construction_members.cpp) --
  std::string QX_ADO_GetConnectionStringODBCDriverName();
  bool QX_ADO_GetConnectionStringUsingODBC();
  std::string QX_ADO_GetConnectionStringSQLProvider();
  std::string QX_ADO_GetConnectionStringDataTypeCompatibility();
  bool QX_ADO_GetConnectionStringUseEncryption();
  bool QX_ADO_GetConnectionStringUseEncryption2(const std::string& strFullServerName);
  std::string QX_ADO_GetConnectionStringProviderTagValueForSQL();
  bool QX_ADO_GetConnectionStringProviderIsSQL(const std::string& vstrProvider);
  std::string QX_ADO_GetConnectionStringIntegratedSecurityComplete(
      const std::string& vstrProviderValue);
  std::string QX_ADO_GetConnectionStringEncryptionComplete();
  std::string QX_ADO_GetConnectionStringEncryptionComplete2(const std::string& strFullServerName);
  std::string QX_ADO_GetConnectionStringDataTypeCompatibilityComplete();
  std::string QX_ADO_ConstructConnectionString(const std::string& vstrProvider,
                                               const std::string& vstrDataSource,
                                               const std::string& vstrInitialCatalog,
                                               bool vblnIsIntegratedSecurity,
                                               const std::string& vstrUserId = std::string(),
                                               const std::string& vstrPassword = std::string());
  // r_oConn is an open ADODB Connection (or any object with its members).
  std::string QX_ADO_GetOracleConnectionStringWithSchema(Object& r_oConn);
  // -- end construction members --

  // -- begin data-link file members (udl_members.cpp) --
  bool QX_ADO_ReadConnectionString(std::string& FileName, std::string& ConnectionString);
  void QX_ADO_CreateUDLFile(const std::string& vstrUdlFile,
                            const std::string& vstrConnectionString);
  // The result is a Variant holding a Boolean.
  Variant QX_ADO_IsValidUDLWithDetails(const std::string& v_strUDL, std::string& r_strServer,
                                       std::string& r_strUser, std::string& r_strPassword,
                                       std::string& r_strEncy, int32_t& r_lngSecurity);
  // -- end data-link file members --

 private:
  // -- begin construction state --
  AdoSettingsCache settings_;
  // -- end construction state --
};

Object makeQX_ADO_Utilities();

// The thread's QX_ADO_Utilities used by the library's own code.
std::shared_ptr<QX_ADO_Utilities> sharedQX_ADO_Utilities();

void addConnectionStringMembers(Members<QX_ADO_Utilities>& members);
void addConstructionMembers(Members<QX_ADO_Utilities>& members);
void addUdlMembers(Members<QX_ADO_Utilities>& members);

}  // namespace qxvb
