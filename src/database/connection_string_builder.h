// Building a repository's connection string from a provider, server,
// database and credentials, with the provider, ODBC driver, encryption and
// data-type-compatibility choices of the "ADO" settings. Keywords come from
// the product string table.
#pragma once

#include <string>
#include <string_view>

#include "database/ado_settings_cache.h"

namespace qxvb::connbuild {

// True when provider names the SQL Server provider in use: it holds the
// provider tag followed by ".", equals the tag, or equals the default SQL
// Server provider (all case-sensitive).
bool providerIsSql(AdoSettingsCache& settings, std::string_view provider);

// The integrated-security item with its ";" for a provider.
std::string integratedSecurityItem(AdoSettingsCache& settings, std::string_view provider);

// The encryption item with its ";" ("" under ODBC with encryption off):
// first for the global switch, then for a named server.
std::string encryptionItem(AdoSettingsCache& settings);
std::string encryptionItem(AdoSettingsCache& settings, std::string_view serverName);

// "DataTypeCompatibility=value;" or "" when no value is set.
std::string dataTypeCompatibilityItem(AdoSettingsCache& settings);

struct ConnectionRequest {
  std::string provider;
  std::string dataSource;
  std::string initialCatalog;
  bool integratedSecurity = false;
  std::string userId;
  std::string password;
};

// The connection string, items in this order: provider; security (the
// integrated-security item, or user id and a password when one is given);
// catalog when given; data source; the ODBC driver; encryption; data-type
// compatibility. "" when the request lacks a provider, a data source, a
// catalog (except for the Oracle provider) or a user without integrated
// security. Values go in verbatim.
std::string constructConnectionString(AdoSettingsCache& settings, const ConnectionRequest& request);

}  // namespace qxvb::connbuild
