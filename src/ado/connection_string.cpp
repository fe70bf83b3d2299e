#include "ado/connection_string.h"

#include <cstdlib>

#include "ado/ado_errors.h"
#include "ado/engine.h"
#include "ado/names.h"

namespace qxvb::ado {

namespace {

constexpr std::string_view kSource = "ADODB.Connection";

bool endsWithNoCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && sameName(text.substr(text.size() - suffix.size()), suffix);
}

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

std::string trim(std::string_view s) {
  size_t b = 0;
  size_t e = s.size();
  while (b < e && isBlank(s[b])) ++b;
  while (e > b && isBlank(s[e - 1])) --e;
  return std::string(s.substr(b, e - b));
}

bool isTrue(std::string_view value) {
  return sameName(value, "true") || sameName(value, "yes") || value == "1" ||
         sameName(value, "sspi");
}

// Which family a provider name belongs to.
enum class ProviderFamily { None, Odbc, SqlServer, Oracle, Sqlite, Registered, Unknown };

ProviderFamily familyOf(std::string_view provider) {
  if (provider.empty()) return ProviderFamily::None;
  if (sameName(provider, "MSDASQL") || startsWithName(provider, "MSDASQL.")) {
    return ProviderFamily::Odbc;
  }
  if (sameName(provider, "SQLOLEDB") || startsWithName(provider, "SQLOLEDB.") ||
      startsWithName(provider, "SQLNCLI") || startsWithName(provider, "MSOLEDBSQL")) {
    return ProviderFamily::SqlServer;
  }
  if (startsWithName(provider, "OraOLEDB.Oracle") || startsWithName(provider, "MSDAORA")) {
    return ProviderFamily::Oracle;
  }
  if (sameName(provider, "QXVB.SQLite") || sameName(provider, "QXET_DBASE")) {
    return ProviderFamily::Sqlite;
  }
  if (findRegisteredProvider(provider)) return ProviderFamily::Registered;
  return ProviderFamily::Unknown;
}

// Items that only mean something to an OLE DB provider or to ADO itself;
// they are not passed on to an ODBC driver.
bool isOleDbOnlyKey(std::string_view key) {
  static constexpr std::string_view kKeys[] = {
      "Provider",
      "Persist Security Info",
      "OLE DB Services",
      "DataTypeCompatibility",
      "Auto Translate",
      "Packet Size",
      "Mode",
      "Prompt",
      "Extended Properties",
      "Use Procedure for Prepare",
      "Tag with column collation when possible",
      "Connect Timeout",
      "Locale Identifier",
      "Window Handle",
      "Create",
      "Use Encryption for Data",
      "Integrated Security",
      "Initial File Name",
      "General Timeout",
      "Current Language",
      "Network Library",
      "OSAuthent",
      "PLSQLRSet",
  };
  for (const auto k : kKeys) {
    if (sameName(key, k)) return true;
  }
  return false;
}

// Writes one ODBC item; values that would break the syntax go in braces.
void appendOdbcItem(std::string& out, std::string_view key, std::string_view value) {
  out += key;
  out += '=';
  const bool braced = !value.empty() && value.front() == '{';
  const bool needsBraces =
      !braced && (value.find(';') != std::string_view::npos ||
                  (!value.empty() && (isBlank(value.front()) || isBlank(value.back()))));
  if (needsBraces) {
    out += '{';
    for (const char c : value) {
      out += c;
      if (c == '}') out += '}';
    }
    out += '}';
  } else {
    out += value;
  }
  out += ';';
}

std::string bracedDriver(const std::string& driver) {
  if (!driver.empty() && driver.front() == '{') return driver;
  return "{" + driver + "}";
}

// The ODBC keyword an OLE DB keyword stands for, or "" when it is not one.
std::string odbcKeyFor(std::string_view key, std::string_view dataSourceKey) {
  if (sameName(key, "Data Source")) return std::string(dataSourceKey);
  if (sameName(key, "Initial Catalog")) return "Database";
  if (sameName(key, "User ID")) return "UID";
  if (sameName(key, "Password")) return "PWD";
  if (sameName(key, "Application Name")) return "APP";
  if (sameName(key, "Workstation ID")) return "WSID";
  return {};
}

// Builds the ODBC string: the driver (if any) first, then every item in the
// caller's order, OLE DB keywords translated, ODBC keywords unchanged.
std::string buildOdbcString(const ConnectionItems& items, const std::string& driver,
                            std::string_view dataSourceKey, std::string_view userId,
                            std::string_view password) {
  std::string out;
  if (!driver.empty()) appendOdbcItem(out, "Driver", bracedDriver(driver));
  ConnectionItems written;
  const auto put = [&](const std::string& key, std::string_view value) {
    if (written.has(key)) return;
    written.add(key, std::string(value));
    appendOdbcItem(out, key, value);
  };
  for (const auto& [key, value] : items.items()) {
    if (sameName(key, "Integrated Security")) {
      if (isTrue(value)) put("Trusted_Connection", "yes");
      continue;
    }
    if (sameName(key, "Use Encryption for Data")) {
      put("Encrypt", isTrue(value) ? "yes" : "no");
      continue;
    }
    if (!driver.empty() && sameName(key, "Driver")) continue;
    std::string target = odbcKeyFor(key, dataSourceKey);
    if (target.empty()) {
      if (isOleDbOnlyKey(key)) continue;
      target = key;
    }
    if (!userId.empty() && (sameName(target, "UID") || sameName(target, "PWD"))) {
      continue;
    }
    put(target, value);
  }
  if (!userId.empty()) {
    put("UID", userId);
    put("PWD", password);
  }
  return out;
}

bool namesFileDatabase(std::string_view dataSource) {
  return endsWithNoCase(dataSource, ".db") || endsWithNoCase(dataSource, ".sqlite") ||
         endsWithNoCase(dataSource, ".qxr");
}

std::string fromEnvironment(const char* name, const char* fallback) {
  const char* value = std::getenv(name);
  return (value != nullptr && *value != '\0') ? std::string(value) : std::string(fallback);
}

}  // namespace

ConnectionItems ConnectionItems::parse(std::string_view text) {
  ConnectionItems result;
  size_t i = 0;
  const size_t n = text.size();
  while (i < n) {
    while (i < n && (text[i] == ';' || isBlank(text[i]))) ++i;
    if (i >= n) break;
    // Key: up to "=", where "==" stands for a literal "=".
    std::string key;
    while (i < n && text[i] != ';') {
      if (text[i] == '=') {
        if (i + 1 < n && text[i + 1] == '=') {
          key += '=';
          i += 2;
          continue;
        }
        break;
      }
      key += text[i++];
    }
    if (i >= n || text[i] == ';') continue;  // an item without "=" is ignored
    ++i;
    while (i < n && isBlank(text[i])) ++i;
    std::string value;
    if (i < n && (text[i] == '"' || text[i] == '\'')) {
      const char quote = text[i++];
      while (i < n) {
        if (text[i] == quote) {
          if (i + 1 < n && text[i + 1] == quote) {
            value += quote;
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        value += text[i++];
      }
      while (i < n && text[i] != ';') ++i;
    } else if (i < n && text[i] == '{') {
      while (i < n) {
        value += text[i];
        if (text[i] == '}') {
          if (i + 1 < n && text[i + 1] == '}') {
            value += '}';
            i += 2;
            continue;
          }
          ++i;
          break;
        }
        ++i;
      }
      while (i < n && text[i] != ';') ++i;
    } else {
      const size_t start = i;
      while (i < n && text[i] != ';') ++i;
      value = trim(text.substr(start, i - start));
    }
    key = trim(key);
    if (!key.empty() && !result.has(key)) result.add(std::move(key), std::move(value));
  }
  return result;
}

std::string ConnectionItems::get(std::string_view key) const {
  for (const auto& [k, v] : items_) {
    if (sameName(k, key)) return v;
  }
  return {};
}

bool ConnectionItems::has(std::string_view key) const {
  for (const auto& item : items_) {
    if (sameName(item.first, key)) return true;
  }
  return false;
}

void ConnectionItems::add(std::string key, std::string value) {
  items_.emplace_back(std::move(key), std::move(value));
}

std::string sqlServerOdbcDriver() {
  return fromEnvironment("QXVB_SQLSERVER_ODBC_DRIVER", "FreeTDS");
}
std::string oracleOdbcDriver() {
  return fromEnvironment("QXVB_ORACLE_ODBC_DRIVER", "Oracle");
}

EngineTarget resolveEngine(std::string_view connectionString, std::string_view userId,
                           std::string_view password) {
  EngineTarget target;
  target.items = ConnectionItems::parse(connectionString);
  const ConnectionItems& items = target.items;
  target.provider = items.get("Provider");
  ProviderFamily family = familyOf(target.provider);
  if (family == ProviderFamily::None) {
    // Without a provider a file database opens in SQLite; anything else
    // goes to ODBC, the provider ADO assumes when none is named.
    family =
        namesFileDatabase(items.get("Data Source")) ? ProviderFamily::Sqlite : ProviderFamily::Odbc;
  }
  switch (family) {
    case ProviderFamily::Sqlite: {
      target.kind = EngineKind::Sqlite;
      target.sqlitePath = items.get("Data Source");
      target.sqliteReadOnly = sameName(items.get("Mode"), "Read");
      target.sqliteCreate = isTrue(items.get("Create"));
      return target;
    }
    case ProviderFamily::Odbc: {
      target.kind = EngineKind::Odbc;
      // The ODBC string may come whole in the extended properties.
      ConnectionItems merged = ConnectionItems::parse(items.get("Extended Properties"));
      for (const auto& [k, v] : items.items()) {
        if (!merged.has(k)) merged.add(k, v);
      }
      const bool hasDriver = merged.has("Driver");
      target.odbcString =
          buildOdbcString(merged, {}, hasDriver ? "Server" : "DSN", userId, password);
      return target;
    }
    case ProviderFamily::SqlServer:
      target.kind = EngineKind::Odbc;
      target.odbcString = buildOdbcString(items, sqlServerOdbcDriver(), "Server", userId, password);
      return target;
    case ProviderFamily::Oracle:
      target.kind = EngineKind::Odbc;
      target.odbcString = buildOdbcString(items, oracleOdbcDriver(), "DBQ", userId, password);
      return target;
    case ProviderFamily::Registered:
      target.kind = EngineKind::Registered;
      return target;
    case ProviderFamily::None:
    case ProviderFamily::Unknown:
      break;
  }
  raise(err::kProviderNotFound, kSource);
}

}  // namespace qxvb::ado
