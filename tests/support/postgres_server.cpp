#include "support/postgres_server.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <stdexcept>
#include <vector>

#include "support/child_process.h"
#include "support/sandbox.h"

namespace qxvb::test {

namespace {

namespace fs = std::filesystem;

// The newest installed PostgreSQL whose server programs are present.
std::string findBinDir() {
  const fs::path root = "/usr/lib/postgresql";
  std::error_code ec;
  std::string best;
  int bestVersion = -1;
  for (const auto& entry : fs::directory_iterator(root, ec)) {
    const fs::path bin = entry.path() / "bin";
    if (!fs::exists(bin / "initdb") || !fs::exists(bin / "pg_ctl")) continue;
    const int version = std::atoi(entry.path().filename().c_str());
    if (version > bestVersion) {
      bestVersion = version;
      best = bin.string();
    }
  }
  return best;
}

// Runs a program (as another account through runuser when asked) with its
// output appended to logFile; returns its exit status.
int run(const std::vector<std::string>& command, const std::string& runAs,
        const std::string& logFile) {
  std::vector<std::string> full;
  if (!runAs.empty()) full = {"/usr/sbin/runuser", "-u", runAs, "--"};
  full.insert(full.end(), command.begin(), command.end());
  const pid_t pid = spawnLogged(full, logFile);
  return pid < 0 ? -1 : exitCodeOf(pid);
}

}  // namespace

std::string PostgresServer::odbcDriverPath() {
  for (const char* path : {"/usr/lib/x86_64-linux-gnu/odbc/psqlodbcw.so",
                           "/usr/lib/aarch64-linux-gnu/odbc/psqlodbcw.so",
                           "/usr/lib64/psqlodbcw.so", "/usr/lib/psqlodbcw.so"}) {
    if (fs::exists(path)) return path;
  }
  return {};
}

std::unique_ptr<PostgresServer> PostgresServer::start(std::string& whyNot) {
  const std::string bin = findBinDir();
  if (bin.empty()) {
    whyNot = "the PostgreSQL server programs (initdb, pg_ctl) are not installed";
    return nullptr;
  }
  std::unique_ptr<PostgresServer> server(new PostgresServer());
  server->binDir_ = bin;
  // Below /tmp itself: the server's account must reach the folder, which a
  // private test sandbox would not let it.
  std::string pattern = "/tmp/qxvb-pg-XXXXXX";
  if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("cannot create a folder");
  server->folder_ = pattern;
  if (::geteuid() == 0) {
    // The server refuses to run as root.
    const passwd* account = ::getpwnam("postgres");
    if (account == nullptr) throw std::runtime_error("running as root without a postgres account");
    if (::chown(server->folder_.c_str(), account->pw_uid, account->pw_gid) != 0) {
      throw std::runtime_error("cannot hand the folder to the postgres account");
    }
    server->runAs_ = "postgres";
  }
  const std::string data = server->folder_ + "/data";
  const std::string log = server->folder_ + "/setup.log";
  if (run({bin + "/initdb", "-D", data, "-A", "trust", "-U", server->user_, "-E", "UTF8",
           "--no-locale", "--no-sync"},
          server->runAs_, log) != 0) {
    throw std::runtime_error("initdb failed: " + readFile(log));
  }
  for (int attempt = 0; attempt < 5 && !server->running_; ++attempt) {
    server->port_ = freeLoopbackPort();
    if (server->port_ == 0) throw std::runtime_error("no free port on 127.0.0.1");
    const std::string options =
        "-c listen_addresses=127.0.0.1 -p " + std::to_string(server->port_) +
        " -c unix_socket_directories=" + server->folder_ + " -c fsync=off -c full_page_writes=off";
    server->running_ = run({bin + "/pg_ctl", "-D", data, "-l", server->folder_ + "/server.log",
                            "-w", "-t", "60", "-o", options, "start"},
                           server->runAs_, log) == 0;
  }
  if (!server->running_) {
    throw std::runtime_error("the server did not start: " +
                             readFile(server->folder_ + "/server.log"));
  }
  return server;
}

PostgresServer::~PostgresServer() {
  if (running_) {
    run({binDir_ + "/pg_ctl", "-D", folder_ + "/data", "-m", "immediate", "-w", "stop"}, runAs_,
        "/dev/null");
  }
  std::error_code ec;
  if (!folder_.empty()) fs::remove_all(folder_, ec);
}

std::string PostgresServer::adoConnectionString(const std::string& database) const {
  return "Provider=MSDASQL.1;Driver=" + odbcDriverPath() +
         ";Server=127.0.0.1;Port=" + std::to_string(port_) + ";Database=" + database +
         ";UID=" + user_ + ";PWD=unused";
}

}  // namespace qxvb::test
