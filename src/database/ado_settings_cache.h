// The settings of section "ADO" that shape a connection string, cached for
// the life of one QX_ADO_Utilities object. A text is read again while its
// cached value is empty, so a setting that is missing or empty is looked
// up at every call; the global encryption switch is read once.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace qxvb {

class AdoSettingsCache {
 public:
  // Answers the value of a key of section "ADO", "" when it is missing.
  using Reader = std::function<std::string(const std::string& key)>;

  // Reads through QXGetSetting of the default profile, at most 255
  // characters per value.
  AdoSettingsCache();
  explicit AdoSettingsCache(Reader reader);

  const std::string& odbcDriverName();
  // True when a driver name is set and is not "n" in any case of letters.
  bool usingOdbc();
  const std::string& sqlProvider();
  // The compatibility value up to its first ";".
  const std::string& dataTypeCompatibility();
  // The global switch; off whenever a per-server list exists.
  bool useEncryption();
  // True for a server named in the per-server list (any case of letters);
  // otherwise the global switch.
  bool useEncryptionFor(std::string_view serverName);
  // "MSDASQL.1" under ODBC, else the SQL provider setting or, when that is
  // empty or "n", the default SQL Server provider of the string table.
  const std::string& providerTagForSql();

 private:
  const std::string& cached(std::string& value, const char* key);

  Reader reader_;
  std::string odbcDriverName_;
  std::string sqlProvider_;
  std::string dataTypeCompatibility_;
  std::string providerTag_;
  bool useEncryption_ = false;
  bool useEncryptionRead_ = false;
};

// The setting names of section "ADO".
namespace ado_setting {
inline constexpr const char* kOdbcDriverName = "Connections_ODBCDriverName";
inline constexpr const char* kSqlProvider = "Connections_SQLProvider";
inline constexpr const char* kDataTypeCompatibility = "Connections_DataTypeCompatibility";
inline constexpr const char* kUseEncryption = "Connections_UseEncryption";
// Followed by 1, 2, 3, ...: the servers for which encryption is on.
inline constexpr const char* kUseEncryptionServer = "Connections_UseEncryption_Server";
}  // namespace ado_setting

}  // namespace qxvb
