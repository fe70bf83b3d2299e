#include "database/connection_string_builder.h"

#include "database/connection_keywords.h"
#include "database/connection_string_items.h"
#include "frame/string_table.h"
#include "platform/unicode.h"

namespace qxvb::connbuild {

namespace {

std::string switchedEncryptionItem(AdoSettingsCache& settings, bool on) {
  const bool odbc = settings.usingOdbc();
  if (on) return odbc ? "Encrypt=yes;" : "Use Encryption for Data=True;";
  return odbc ? "" : "Use Encryption for Data=False;";
}

// Native-client providers take the ODBC form of integrated security.
bool sqlProviderIsNativeClient(AdoSettingsCache& settings) {
  return unicode::toUpper(connstr::firstChars(settings.sqlProvider(), 7)) == "SQLNCLI";
}

bool isIncomplete(const ConnectionRequest& r) {
  return r.provider.empty() || r.dataSource.empty() ||
         (r.initialCatalog.empty() && r.provider != localString(keyword::kOracleProvider)) ||
         (r.userId.empty() && !r.integratedSecurity);
}

}  // namespace

bool providerIsSql(AdoSettingsCache& settings, std::string_view provider) {
  const std::string& tag = settings.providerTagForSql();
  return provider.find(tag + ".") != std::string_view::npos || provider == tag ||
         provider == localString(keyword::kSqlServerProvider);
}

std::string integratedSecurityItem(AdoSettingsCache& settings, std::string_view provider) {
  if (settings.usingOdbc() || sqlProviderIsNativeClient(settings)) {
    return "Trusted_Connection=yes;";
  }
  if (provider == localString(keyword::kOracleProvider)) {
    return localString(keyword::kOracleIntegratedKey) +
           localString(keyword::kOracleIntegratedValue) + ";";
  }
  return localString(keyword::kIntegratedKey) + localString(keyword::kIntegratedValue) + ";";
}

std::string encryptionItem(AdoSettingsCache& settings) {
  return switchedEncryptionItem(settings, settings.useEncryption());
}

std::string encryptionItem(AdoSettingsCache& settings, std::string_view serverName) {
  return switchedEncryptionItem(settings, settings.useEncryptionFor(serverName));
}

std::string dataTypeCompatibilityItem(AdoSettingsCache& settings) {
  const std::string& value = settings.dataTypeCompatibility();
  return value.empty() ? std::string() : "DataTypeCompatibility=" + value + ";";
}

std::string constructConnectionString(AdoSettingsCache& settings,
                                      const ConnectionRequest& request) {
  if (isIncomplete(request)) return {};
  std::string s = localString(keyword::kProvider) + request.provider + ";";
  if (request.integratedSecurity) {
    s += integratedSecurityItem(settings, request.provider);
  } else {
    s += localString(keyword::kUserId) + request.userId + ";";
    if (!request.password.empty()) s += localString(keyword::kPassword) + request.password + ";";
  }
  if (!request.initialCatalog.empty()) {
    s += localString(keyword::kInitialCatalog) + request.initialCatalog + ";";
  }
  s += localString(keyword::kDataSource) + request.dataSource + ";";
  if (settings.usingOdbc()) s += "Driver={" + settings.odbcDriverName() + "};";
  s += encryptionItem(settings, request.dataSource);
  s += dataTypeCompatibilityItem(settings);
  return s;
}

}  // namespace qxvb::connbuild
