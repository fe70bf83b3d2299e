// QX_ADO_Utilities: the library's toolbox for the connection strings of the
// product's repositories. Its members come in groups, each implemented in
// a file of its own that adds the group to the dispatch table through the
// add...Members function declared at the end.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "ado/connection.h"
#include "database/ado_settings_cache.h"
#include "database/enu_sql_security_type.h"
#include "frame/collection.h"
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

  // -- begin discovery members (discovery_members.cpp, check_members.cpp) --
  // colServerNames is replaced by a new Collection of names.
  int32_t QX_ADO_GetSQLServerList(Object& colServerNames);
  int32_t QX_ADO_GetLocalServerList2(Object& colServerNames, bool bDontUseCache);
  int32_t QX_ADO_GetLocalServerList(Object& colServerNames);
  // Names are added to colEncys; a Collection is made when it is Nothing.
  int32_t QX_ADO_GetADODBDatabaseList(int32_t lDBType, const std::string& strServer,
                                      bool blnWinSecurity, const std::string& strUser,
                                      const std::string& strPassword, Object& colEncys);
  bool QX_ADO_IsDatabaseQXVersion(const std::string& strConnection, int32_t v_lngVersion,
                                  Variant& r_lngActualVersion);
  int32_t QX_ADO_GetDatabaseVersion(const std::string& v_strConnectString);
  bool QX_ADO_IsUserPasswordOK(const std::string& strConnection, int32_t& lDBType);
  std::shared_ptr<ado::Connection> QX_ADO_OpenConnection(const std::string& v_strConnect);
  bool QX_ADO_IsConnectionToServerValid(const std::string& v_strConnect);
  std::shared_ptr<Collection> QX_ADO_ListUsersOnServer(const std::string& v_strConnectionString);
  std::string QX_ADO_GetWSPathAsString(int32_t v_WID, const std::string& v_connstr);
  // -- end discovery members --

  // -- begin exclusive-access members (exclusive_access_members.cpp) --
  // The connections are open ADODB Connections, or any object whose
  // Execute answers a recordset with a "Connections" field.
  bool QX_ADO_ORAServerExclusiveAccessCheckConnStr(const std::string& v_strConnectionString);
  bool QX_ADO_ORAServerExclusiveAccessCheckConn(const Object& r_objConnection);
  bool QX_ADO_ORAServerExclusiveAccessCheckConnPlus(const Object& r_objConnection,
                                                    bool v_blnIgnoreMultipleConnectionsBySameUser,
                                                    int32_t v_lngConnectionsToAccept = 1);
  bool QX_ADO_SQLServerExclusiveAccessCheckConnStr(const std::string& v_strConnectionString);
  bool QX_ADO_SQLServerExclusiveAccessCheckConnStr2(const std::string& v_strConnectionString,
                                                    int16_t v_iFlags,
                                                    int32_t v_lngConnectionsToAccept);
  bool QX_ADO_SQLServerExclusiveAccessCheckConn(const Object& r_objConnection);
  bool QX_ADO_SQLServerExclusiveAccessCheckConn2(const Object& r_objConnection, int16_t v_iFlags,
                                                 int32_t v_lngConnectionsToAccept);
  bool QX_ADO_SQLServerExclusiveAccessCheckConnPlus(const Object& r_objConnection,
                                                    bool v_blnIgnoreMultipleConnectionsBySameUser,
                                                    int32_t v_lngConnectionsToAccept = 1);
  bool QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(const Object& r_objConnection,
                                                     int16_t v_iFlags,
                                                     int32_t v_lngConnectionsToAccept);
  // r_objSQLDMO: a server object whose EnumProcesses answers a result with
  // Rows and GetColumnString(row, column).
  bool QX_ADO_SQLServerExclusiveAccessCheck(const Object& r_objSQLDMO,
                                            const std::string& v_strDatabase);
  bool QX_ADO_ExclusiveAccessCheckPlusConnStr(const std::string& r_strConnStr,
                                              bool v_blnIgnoreMultipleConnectionsBySameUser,
                                              int32_t v_lngConnectionsToAccept = 1);
  // -- end exclusive-access members --

  // -- begin export members (export_members.cpp) --
  bool QX_ADO_ExportFile(const std::string& v_strFileName, const std::string& v_strConnect,
                         const std::string& v_strTargetFile);
  bool QX_ADO_ExportLogFile(int32_t v_lngLogFile, const std::string& v_strConnect,
                            const std::string& v_strTargetFile);
  // -- end export members --

 private:
  // -- begin construction state --
  AdoSettingsCache settings_;
  // -- end construction state --

  // -- begin discovery state --
  // The local server list, kept once it has been asked for.
  std::shared_ptr<Collection> localServers_;
  // -- end discovery state --
};

Object makeQX_ADO_Utilities();

// The thread's QX_ADO_Utilities used by the library's own code.
std::shared_ptr<QX_ADO_Utilities> sharedQX_ADO_Utilities();

void addConnectionStringMembers(Members<QX_ADO_Utilities>& members);
void addConstructionMembers(Members<QX_ADO_Utilities>& members);
void addUdlMembers(Members<QX_ADO_Utilities>& members);
void addDiscoveryMembers(Members<QX_ADO_Utilities>& members);
void addCheckMembers(Members<QX_ADO_Utilities>& members);
void addExclusiveAccessMembers(Members<QX_ADO_Utilities>& members);
void addExportMembers(Members<QX_ADO_Utilities>& members);

}  // namespace qxvb
