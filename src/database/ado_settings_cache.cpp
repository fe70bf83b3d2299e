#include "database/ado_settings_cache.h"

#include <cstdint>

#include "database/connection_keywords.h"
#include "frame/string_table.h"
#include "platform/unicode.h"
#include "text/product_setting.h"

namespace qxvb {

namespace {

constexpr const char* kOdbcProviderTag = "MSDASQL.1";

}  // namespace

AdoSettingsCache::AdoSettingsCache() : reader_(adoSetting) {}

AdoSettingsCache::AdoSettingsCache(Reader reader) : reader_(std::move(reader)) {}

const std::string& AdoSettingsCache::cached(std::string& value, const char* key) {
  if (value.empty()) value = reader_(key);
  return value;
}

const std::string& AdoSettingsCache::odbcDriverName() {
  return cached(odbcDriverName_, ado_setting::kOdbcDriverName);
}

bool AdoSettingsCache::usingOdbc() {
  const std::string& driver = odbcDriverName();
  return !driver.empty() && unicode::toLower(driver) != "n";
}

const std::string& AdoSettingsCache::sqlProvider() {
  return cached(sqlProvider_, ado_setting::kSqlProvider);
}

const std::string& AdoSettingsCache::dataTypeCompatibility() {
  if (dataTypeCompatibility_.empty()) {
    const std::string text = reader_(ado_setting::kDataTypeCompatibility);
    dataTypeCompatibility_ = text.substr(0, text.find(';'));
  }
  return dataTypeCompatibility_;
}

bool AdoSettingsCache::useEncryption() {
  if (!useEncryptionRead_) {
    const std::string firstServer = reader_(std::string(ado_setting::kUseEncryptionServer) + "1");
    useEncryption_ = firstServer.empty() && reader_(ado_setting::kUseEncryption) == "yes";
    useEncryptionRead_ = true;
  }
  return useEncryption_;
}

bool AdoSettingsCache::useEncryptionFor(std::string_view serverName) {
  for (int64_t n = 1;; ++n) {
    const std::string server =
        reader_(std::string(ado_setting::kUseEncryptionServer) + std::to_string(n));
    if (server.empty()) return useEncryption();
    if (unicode::equalsIgnoreCase(server, serverName)) return true;
  }
}

const std::string& AdoSettingsCache::providerTagForSql() {
  if (providerTag_.empty()) {
    if (usingOdbc()) {
      providerTag_ = kOdbcProviderTag;
    } else {
      const std::string& provider = sqlProvider();
      providerTag_ = (provider.empty() || provider == "n")
                         ? localString(keyword::kSqlServerProvider)
                         : provider;
    }
  }
  return providerTag_;
}

}  // namespace qxvb
