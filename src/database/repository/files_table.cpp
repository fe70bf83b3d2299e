#include "database/repository/files_table.h"

#include <string>
#include <vector>

#include "frame/dispatch.h"
#include "frame/vb_conversions.h"

namespace qxvb::filestore {

namespace {

// The one column type the two embedded dialects spell differently: SQLite
// only reads a column as binary when its declared type says BLOB, and
// PostgreSQL knows binary data only as BYTEA.
std::string binaryType(const Object& connection) {
  std::vector<Variant> none;
  const std::string provider = CStr(invokeOn(connection, "Provider", kPropertyGet, none));
  return provider.find("SQLite") != std::string::npos ? "BLOB" : "BYTEA";
}

}  // namespace

void createFilesTable(const Object& connection) {
  const std::string sql =
      "CREATE TABLE Files ("
      "Name VARCHAR(255) NOT NULL, "
      "WID INTEGER NOT NULL DEFAULT 1, "
      "Data " +
      binaryType(connection) +
      ", "
      "Type VARCHAR(50), "
      "Version INTEGER NOT NULL DEFAULT 0, "
      "Activity VARCHAR(1) NOT NULL DEFAULT 'A', "
      "Date TIMESTAMP, "
      "PRIMARY KEY (Name, WID))";
  std::vector<Variant> args{Variant(sql)};
  invokeOn(connection, "Execute", kMethod, args);
}

}  // namespace qxvb::filestore
