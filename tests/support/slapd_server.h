// A private slapd for directory tests and benchmarks: its configuration,
// schema and data live in a folder of the caller's, it listens on a free
// port of 127.0.0.1 only, and it is stopped with SIGTERM.
//
// The directory below kBase holds ou=People and ou=Groups with:
//   users  alice, bob, carol, dave, eve (objectCategory Person, objectClass user)
//          and user0000 ... user2499, all with primaryGroupID 513;
//          carol's primary group is Engineers (1105) and she has no memberOf;
//   groups "Domain Users" (token 513), Engineers (1105: alice, bob, the group
//          "Build Team" and the computer WS01$), Managers (1106: dave),
//          "Build Team" (1107), "Empty Group" (1108, no members),
//          "R&D (Lab)" (1109: eve);
//   a computer WS01$ (objectClass user, objectCategory Computer).
// The root DSE carries defaultNamingContext and schemaNamingContext. A
// search without the paged-results control stops after 1,000 entries.
#pragma once

#include <sys/types.h>

#include <filesystem>
#include <string>

namespace qxvb::test {

class SlapdServer {
 public:
  static constexpr const char* kBase = "dc=example,dc=test";
  static constexpr const char* kSchemaContext = "CN=Schema,CN=Configuration,dc=example,dc=test";
  static constexpr const char* kAdminDn = "cn=admin,dc=example,dc=test";
  static constexpr const char* kAdminPassword = "secret";
  static constexpr int kGeneratedUsers = 2500;

  SlapdServer() = default;
  ~SlapdServer();
  SlapdServer(const SlapdServer&) = delete;
  SlapdServer& operator=(const SlapdServer&) = delete;

  // Writes the configuration into `folder`, loads the directory and starts
  // slapd. On failure `error` says why, with slapd's log.
  bool start(const std::filesystem::path& folder, std::string& error);
  void stop();

  bool running() const { return pid_ > 0; }
  const std::string& uri() const { return uri_; }
  int port() const { return port_; }

 private:
  bool startOnce(std::string& error);
  std::string log() const;

  std::filesystem::path folder_;
  std::string uri_;
  int port_ = 0;
  pid_t pid_ = -1;
};

}  // namespace qxvb::test
