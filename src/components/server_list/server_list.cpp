#include "components/server_list/server_list.h"

#include <sql.h>
#include <sqlext.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "frame/collection.h"
#include "platform/text/ascii.h"
#include "text/product_setting.h"

namespace qxvb::server_list {

namespace {

std::string trimmed(const std::string& text) {
  const auto first = text.find_first_not_of(" \t\r\n");
  if (first == std::string::npos) return {};
  const auto last = text.find_last_not_of(" \t\r\n");
  return text.substr(first, last - first + 1);
}

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

void addOnce(std::vector<std::string>& names, const std::string& name) {
  if (name.empty()) return;
  const std::string key = ascii::toLower(name);
  for (const std::string& known : names) {
    if (ascii::toLower(known) == key) return;
  }
  names.push_back(name);
}

}  // namespace

Sources defaultSources() {
  Sources sources;
  const char* conf = std::getenv("FREETDSCONF");
  sources.freetdsConf = conf != nullptr ? conf : "/etc/freetds/freetds.conf";
  sources.postgresSocketDir = "/var/run/postgresql";
  return sources;
}

std::vector<std::string> freetdsServers(const std::string& confText) {
  std::vector<std::string> names;
  std::istringstream lines(confText);
  std::string line;
  while (std::getline(lines, line)) {
    const std::string text = trimmed(line);
    if (text.size() < 3 || text.front() != '[' || text.back() != ']') continue;
    const std::string name = trimmed(text.substr(1, text.size() - 2));
    if (ascii::toLower(name) != "global") addOnce(names, name);
  }
  return names;
}

std::vector<std::string> postgresServers(const std::string& socketDir) {
  std::vector<std::string> names;
  std::error_code ec;
  if (socketDir.empty() || !std::filesystem::is_directory(socketDir, ec)) return names;
  constexpr std::string_view kPrefix = ".s.PGSQL.";
  for (const auto& entry : std::filesystem::directory_iterator(socketDir, ec)) {
    const std::string file = entry.path().filename().string();
    if (file.rfind(kPrefix, 0) != 0) continue;
    const std::string port = file.substr(kPrefix.size());
    if (port.empty() || port.find_first_not_of("0123456789") != std::string::npos) continue;
    names.push_back("localhost:" + port);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::vector<std::string> odbcDataSources() {
  std::vector<std::string> names;
  SQLHENV env = SQL_NULL_HENV;
  if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env))) return names;
  SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, reinterpret_cast<SQLPOINTER>(SQL_OV_ODBC3), 0);
  SQLCHAR name[SQL_MAX_DSN_LENGTH + 1];
  SQLCHAR description[512];
  SQLSMALLINT nameLength = 0;
  SQLSMALLINT descriptionLength = 0;
  SQLUSMALLINT direction = SQL_FETCH_FIRST;
  while (SQL_SUCCEEDED(SQLDataSources(env, direction, name, sizeof name, &nameLength, description,
                                      sizeof description, &descriptionLength))) {
    addOnce(names, reinterpret_cast<const char*>(name));
    direction = SQL_FETCH_NEXT;
  }
  SQLFreeHandle(SQL_HANDLE_ENV, env);
  return names;
}

std::vector<std::string> networkServers(
    const std::function<std::string(const std::string&)>& reader) {
  std::vector<std::string> names;
  for (int n = 1;; ++n) {
    const std::string name = reader("Connections_Server" + std::to_string(n));
    if (name.empty()) break;
    addOnce(names, name);
  }
  return names;
}

ServerList::ServerList() : ServerList(defaultSources(), adoSetting) {}

ServerList::ServerList(Sources sources, Reader reader)
    : sources_(std::move(sources)), reader_(std::move(reader)) {}

std::vector<std::string> ServerList::names(bool localOnly) {
  std::vector<std::string> names;
  if (sources_.odbcDataSources) {
    for (const std::string& name : odbcDataSources()) addOnce(names, name);
  }
  if (!sources_.freetdsConf.empty()) {
    for (const std::string& name : freetdsServers(readText(sources_.freetdsConf))) {
      addOnce(names, name);
    }
  }
  for (const std::string& name : postgresServers(sources_.postgresSocketDir)) addOnce(names, name);
  if (!localOnly) {
    for (const std::string& name : networkServers(reader_)) addOnce(names, name);
  }
  return names;
}

Object ServerList::GetServerList(bool localOnly) {
  auto list = std::make_shared<Collection>();
  for (const std::string& name : names(localOnly)) list->Add(Variant(name));
  return list;
}

const DispatchTable& ServerList::dispatchTable() const {
  static const DispatchTable table = [] {
    DispatchTable t("ServerList");
    Members<ServerList> members(t);
    members.method<&ServerList::GetServerList>("GetServerList", {in("bLocalOnly")});
    return t;
  }();
  return table;
}

Object makeServerList() {
  return std::make_shared<ServerList>();
}

}  // namespace qxvb::server_list
