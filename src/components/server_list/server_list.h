// The server-list component: the names of the database servers a client of
// this machine can reach. Local servers are the ODBC data sources, the
// servers configured for FreeTDS and the PostgreSQL servers listening on
// this machine; network servers are those named in the "ADO" settings.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "frame/dispatch.h"

namespace qxvb::server_list {

// Where the local servers are looked for; tests point these elsewhere.
struct Sources {
  std::string freetdsConf;        // "" for none
  std::string postgresSocketDir;  // "" for none
  bool odbcDataSources = true;
};

// FREETDSCONF or /etc/freetds/freetds.conf, and /var/run/postgresql.
Sources defaultSources();

// The server sections of a FreeTDS configuration text ("global" excluded).
std::vector<std::string> freetdsServers(const std::string& confText);
// "localhost:PORT" for every PostgreSQL socket (.s.PGSQL.PORT) in a folder.
std::vector<std::string> postgresServers(const std::string& socketDir);
// The data source names unixODBC knows, user and system.
std::vector<std::string> odbcDataSources();

// The names of section "ADO" keys "Connections_Server1", "...2", ... up to
// the first missing one; reader answers a key's value.
std::vector<std::string> networkServers(
    const std::function<std::string(const std::string&)>& reader);

class ServerList : public Dispatch {
 public:
  using Reader = std::function<std::string(const std::string&)>;
  ServerList();
  ServerList(Sources sources, Reader reader);
  const DispatchTable& dispatchTable() const override;

  // A Collection of names, each once (compared without regard to case):
  // the local servers when localOnly, else the local and network servers.
  Object GetServerList(bool localOnly);
  std::vector<std::string> names(bool localOnly);

 private:
  Sources sources_;
  Reader reader_;
};

inline constexpr const char* kClassId = "{D1F952C5-7ADB-40F3-A6DF-4E420255A597}";
inline constexpr const char* kInterfaceId = "{26A3B7DB-0348-4F14-8466-699081EBD267}";

Object makeServerList();

}  // namespace qxvb::server_list
