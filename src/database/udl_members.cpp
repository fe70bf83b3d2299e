// The data-link (UDL) file members of QX_ADO_Utilities: writing a
// connection string as a data-link file, reading it back, and checking
// that a file holds a usable connection string.
#include "database/connection_keywords.h"
#include "database/details_outputs.h"
#include "database/qx_ado_utilities.h"
#include "database/udl_file.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"

namespace qxvb {

namespace {

// Asked of QX_File_Utils by name, so that its rules for what counts as an
// existing file apply here too.
bool fileExists(const std::string& path) {
  std::vector<Variant> args{Variant(path)};
  return CBool(globalInstance("QX_File_Utils")->invoke("QX_File_Exists", kMethod, args));
}

}  // namespace

bool QX_ADO_Utilities::QX_ADO_ReadConnectionString(std::string& FileName,
                                                   std::string& ConnectionString) {
  ConnectionString.clear();
  try {
    const std::optional<std::string> bytes = udl::readBytes(FileName);
    if (!bytes) return false;
    std::optional<std::string> line = udl::connectionLine(udl::decode(*bytes));
    if (!line) return false;
    ConnectionString = std::move(*line);
    return true;
  } catch (const std::exception&) {
    return false;
  }
}

void QX_ADO_Utilities::QX_ADO_CreateUDLFile(const std::string& vstrUdlFile,
                                            const std::string& vstrConnectionString) {
  udl::writeBytes(vstrUdlFile,
                  udl::encode(localString(keyword::kUdlHeader), localString(keyword::kUdlComment),
                              vstrConnectionString));
}

Variant QX_ADO_Utilities::QX_ADO_IsValidUDLWithDetails(
    const std::string& v_strUDL, std::string& r_strServer, std::string& r_strUser,
    std::string& r_strPassword, std::string& r_strEncy, int32_t& r_lngSecurity) {
  r_lngSecurity = 0;
  if (!fileExists(v_strUDL)) return Variant(false);
  std::string file = v_strUDL;
  std::string connectionString;
  if (!QX_ADO_ReadConnectionString(file, connectionString)) return Variant(false);
  QX_ADO_ReadDetailsFromConnectString(connectionString, r_strServer, r_strUser, r_strPassword,
                                      r_strEncy, r_lngSecurity);
  const bool valid = !r_strServer.empty() && !r_strEncy.empty() &&
                     !(r_strUser.empty() && r_lngSecurity == QXST_SEC_USR);
  return Variant(valid);
}

void addUdlMembers(Members<QX_ADO_Utilities>& members) {
  using Self = QX_ADO_Utilities;
  members
      .method("QX_ADO_ReadConnectionString", {ref("FileName"), ref("ConnectionString")},
              [](Self& u, CallArgs& a) {
                std::string file = a.str(0);
                std::string connectionString;
                const bool read = u.QX_ADO_ReadConnectionString(file, connectionString);
                a.set(0, Variant(file));
                a.set(1, Variant(connectionString));
                return Variant(read);
              })
      .method<&Self::QX_ADO_CreateUDLFile>("QX_ADO_CreateUDLFile",
                                           {in("vstrUdlFile"), in("vstrConnectionString")})
      .method("QX_ADO_IsValidUDLWithDetails",
              {in("v_strUDL"), ref("r_strServer"), ref("r_strUser"), ref("r_strPassword"),
               ref("r_strEncy"), ref("r_lngSecurity")},
              [](Self& u, CallArgs& a) {
                return withDetailsOutputs(a, [&](DetailsOutputs& o) {
                  return u.QX_ADO_IsValidUDLWithDetails(a.str(0), o.server, o.user, o.password,
                                                        o.ency, o.security);
                });
              });
}

}  // namespace qxvb
