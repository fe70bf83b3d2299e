// The item members of QX_ADO_Utilities: reading, removing and writing the
// items of a connection string, the extended items, the details of a
// string and SQL escaping. The item operations trap every failure and
// answer their neutral value; the by-reference string is assigned only
// when an operation completes.
#include "database/connection_keywords.h"
#include "database/connection_string_items.h"
#include "database/details_outputs.h"
#include "database/qx_ado_utilities.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb {

std::string QX_ADO_Utilities::QX_ADO_ReadItemFromConnectionString(
    const std::string& v_strItem, const std::string& v_strConnectString) {
  try {
    return connstr::readItem(v_strItem, v_strConnectString);
  } catch (const std::exception&) {
    return {};
  }
}

bool QX_ADO_Utilities::QX_ADO_RemoveItemFromConnectionString(const std::string& v_strItem,
                                                             std::string& r_strConnectString) {
  try {
    return connstr::removeItem(v_strItem, r_strConnectString);
  } catch (const std::exception&) {
    return false;
  }
}

bool QX_ADO_Utilities::QX_ADO_WriteItemInConnectionString(const std::string& v_strItem,
                                                          const std::string& v_strReplacementText,
                                                          std::string& r_strConnectString) {
  try {
    return connstr::writeItem(v_strItem, v_strReplacementText, r_strConnectString);
  } catch (const std::exception&) {
    return false;
  }
}

bool QX_ADO_Utilities::QX_ADO_WriteExtendedItemInConnectionString(
    const std::string& v_strItem, const std::string& v_strValue,
    std::string& r_strConnectionString) {
  try {
    return connstr::writeExtendedItem(v_strItem, v_strValue, r_strConnectionString,
                                      localString(keyword::kExtendedProperties));
  } catch (const std::exception&) {
    return false;
  }
}

std::string QX_ADO_Utilities::QX_ADO_ReadExtendedItemInConnectionString(
    const std::string& v_strItem, const Variant& v_strConnectionString) {
  try {
    return connstr::readExtendedItem(v_strItem, CStr(v_strConnectionString),
                                     localString(keyword::kExtendedProperties));
  } catch (const std::exception&) {
    return {};
  }
}

Variant QX_ADO_Utilities::QX_ADO_ReadDetailsFromConnectString(
    const std::string& v_strConnectString, std::string& r_strServer, std::string& r_strUser,
    std::string& r_strPassword, std::string& r_strEncy, int32_t& r_lngSecurity) {
  const std::string& s = v_strConnectString;
  r_strServer = QX_ADO_ReadItemFromConnectionString(localString(keyword::kDataSource), s);
  r_strUser = QX_ADO_ReadItemFromConnectionString(localString(keyword::kUserId), s);
  r_strPassword = QX_ADO_ReadItemFromConnectionString(localString(keyword::kPassword), s);
  r_strEncy = QX_ADO_ReadItemFromConnectionString(localString(keyword::kInitialCatalog), s);
  if (connstr::isTrustedConnection(s)) {
    r_lngSecurity = QXST_SEC_WIN;
    return Variant();
  }
  const std::string integrated =
      localString(keyword::kIntegratedKey) + localString(keyword::kIntegratedValue);
  const std::string oracleIntegrated =
      localString(keyword::kOracleIntegratedKey) + localString(keyword::kOracleIntegratedValue);
  const bool windows = connstr::findIgnoreCase(s, integrated) != std::string::npos ||
                       connstr::findIgnoreCase(s, oracleIntegrated) != std::string::npos;
  r_lngSecurity = windows ? QXST_SEC_WIN : QXST_SEC_USR;
  return Variant();
}

bool QX_ADO_Utilities::QX_ADO_IsConnectStringUsingIntegratedSecurity(
    const std::string& v_strConnectString) {
  std::string server, user, password, ency;
  int32_t security = QXST_SEC_USR;
  QX_ADO_ReadDetailsFromConnectString(v_strConnectString, server, user, password, ency, security);
  return security == QXST_SEC_WIN;
}

std::string QX_ADO_Utilities::QX_ADO_EncodeSQLValue(const std::string& v_strValue) {
  return connstr::encodeSqlValue(v_strValue);
}

void addConnectionStringMembers(Members<QX_ADO_Utilities>& members) {
  using Self = QX_ADO_Utilities;
  members
      .method<&Self::QX_ADO_ReadItemFromConnectionString>(
          "QX_ADO_ReadItemFromConnectionString", {in("v_strItem"), in("v_strConnectString")})
      .method<&Self::QX_ADO_RemoveItemFromConnectionString>(
          "QX_ADO_RemoveItemFromConnectionString", {in("v_strItem"), ref("r_strConnectString")})
      .method<&Self::QX_ADO_WriteItemInConnectionString>(
          "QX_ADO_WriteItemInConnectionString",
          {in("v_strItem"), in("v_strReplacementText"), ref("r_strConnectString")})
      .method<&Self::QX_ADO_WriteExtendedItemInConnectionString>(
          "QX_ADO_WriteExtendedItemInConnectionString",
          {in("v_strItem"), in("v_strValue"), ref("r_strConnectionString")})
      .method<&Self::QX_ADO_ReadExtendedItemInConnectionString>(
          "QX_ADO_ReadExtendedItemInConnectionString",
          {in("v_strItem"), in("v_strConnectionString")})
      .method("QX_ADO_ReadDetailsFromConnectString",
              {in("v_strConnectString"), ref("r_strServer"), ref("r_strUser"), ref("r_strPassword"),
               ref("r_strEncy"), ref("r_lngSecurity")},
              [](Self& u, CallArgs& a) {
                return withDetailsOutputs(a, [&](DetailsOutputs& o) {
                  return u.QX_ADO_ReadDetailsFromConnectString(a.str(0), o.server, o.user,
                                                               o.password, o.ency, o.security);
                });
              })
      .method<&Self::QX_ADO_IsConnectStringUsingIntegratedSecurity>(
          "QX_ADO_IsConnectStringUsingIntegratedSecurity", {in("v_strConnectString")})
      .method<&Self::QX_ADO_EncodeSQLValue>("QX_ADO_EncodeSQLValue", {in("v_strValue")});
}

}  // namespace qxvb
