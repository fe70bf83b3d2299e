// A PostgreSQL server of a test's own: a fresh cluster in a temporary
// folder, listening on a free port of 127.0.0.1 only, stopped and removed
// when the object goes.
#pragma once

#include <memory>
#include <string>

namespace qxvb::test {

class PostgresServer {
 public:
  // Starts a server. Returns null with the reason in whyNot when the
  // PostgreSQL programs are not installed; raises std::runtime_error when
  // they are but the server does not start.
  static std::unique_ptr<PostgresServer> start(std::string& whyNot);
  ~PostgresServer();
  PostgresServer(const PostgresServer&) = delete;
  PostgresServer& operator=(const PostgresServer&) = delete;

  int port() const { return port_; }
  const std::string& user() const { return user_; }
  // The psqlODBC driver library, "" when it is not installed.
  static std::string odbcDriverPath();
  // A connection string for the data-access layer: the ODBC provider with
  // the psqlODBC driver given by its path.
  std::string adoConnectionString(const std::string& database = "postgres") const;

 private:
  PostgresServer() = default;
  std::string binDir_;
  std::string folder_;
  std::string runAs_;  // the account the server runs under when we are root
  int port_ = 0;
  std::string user_ = "qxtest";
  bool running_ = false;
};

}  // namespace qxvb::test
