#include "support/slapd_server.h"

#include <sys/wait.h>

#include <chrono>
#include <cstdio>
#include <sstream>
#include <thread>
#include <vector>

#include "support/child_process.h"
#include "support/sandbox.h"

namespace qxvb::test {

namespace {

constexpr const char* kSlapd = "/usr/sbin/slapd";
constexpr const char* kSlapadd = "/usr/sbin/slapadd";

// Attributes and classes the library reads from a directory, under an
// experimental OID arc; member, cn and displayName come from the standard schemas.
constexpr const char* kSchema = R"(attributetype ( 1.3.6.1.4.1.99999.1.1 NAME 'sAMAccountName'
  EQUALITY caseIgnoreMatch SUBSTR caseIgnoreSubstringsMatch
  SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.2 NAME 'objectCategory'
  EQUALITY distinguishedNameMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.12 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.3 NAME 'memberOf'
  EQUALITY distinguishedNameMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.12 )
attributetype ( 1.3.6.1.4.1.99999.1.4 NAME 'primaryGroupToken'
  EQUALITY integerMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.27 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.5 NAME 'primaryGroupID'
  EQUALITY integerMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.27 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.6 NAME 'msDS-PrincipalName'
  EQUALITY caseIgnoreMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.7 NAME 'userPrincipalName'
  EQUALITY caseIgnoreMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.15 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.8 NAME 'defaultNamingContext'
  EQUALITY distinguishedNameMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.12 SINGLE-VALUE )
attributetype ( 1.3.6.1.4.1.99999.1.9 NAME 'schemaNamingContext'
  EQUALITY distinguishedNameMatch SYNTAX 1.3.6.1.4.1.1466.115.121.1.12 SINGLE-VALUE )
objectclass ( 1.3.6.1.4.1.99999.2.1 NAME 'user' SUP inetOrgPerson STRUCTURAL
  MAY ( sAMAccountName $ objectCategory $ memberOf $ primaryGroupID $
        msDS-PrincipalName $ userPrincipalName ) )
objectclass ( 1.3.6.1.4.1.99999.2.2 NAME 'group' SUP top STRUCTURAL MUST cn
  MAY ( member $ sAMAccountName $ objectCategory $ memberOf $ primaryGroupToken $
        description $ displayName ) )
)";

std::string category(const std::string& name) {
  return "CN=" + name + "," + SlapdServer::kSchemaContext;
}

std::string peopleDn(const std::string& cn) {
  return "cn=" + cn + ",ou=People," + SlapdServer::kBase;
}

std::string groupDn(const std::string& cn) {
  return "cn=" + cn + ",ou=Groups," + SlapdServer::kBase;
}

struct NamedUser {
  std::string cn;
  std::string account;
  std::string display;
  int primaryGroup;
  std::vector<std::string> memberOf;
  std::string categoryName = "Person";
};

std::string userLdif(const NamedUser& user) {
  std::string ldif =
      "dn: " + peopleDn(user.cn) + "\nobjectClass: user\ncn: " + user.cn + "\nsn: " + user.cn +
      "\nsAMAccountName: " + user.account + "\nobjectCategory: " + category(user.categoryName) +
      "\nprimaryGroupID: " + std::to_string(user.primaryGroup) + "\nmsDS-PrincipalName: EXAMPLE\\" +
      user.account + "\nuserPrincipalName: " + user.account + "@example.test\n";
  if (!user.display.empty()) ldif += "displayName: " + user.display + "\n";
  for (const std::string& group : user.memberOf) ldif += "memberOf: " + groupDn(group) + "\n";
  return ldif + "\n";
}

struct NamedGroup {
  std::string cn;
  int token;
  std::vector<std::string> members;  // full DNs
  std::vector<std::string> memberOf;
};

std::string groupLdif(const NamedGroup& group) {
  std::string ldif = "dn: " + groupDn(group.cn) + "\nobjectClass: group\ncn: " + group.cn +
                     "\nsAMAccountName: " + group.cn + "\nobjectCategory: " + category("Group") +
                     "\nprimaryGroupToken: " + std::to_string(group.token) + "\n";
  for (const std::string& member : group.members) ldif += "member: " + member + "\n";
  for (const std::string& parent : group.memberOf) ldif += "memberOf: " + groupDn(parent) + "\n";
  return ldif + "\n";
}

std::string directoryLdif() {
  std::string ldif = std::string("dn: ") + SlapdServer::kBase +
                     "\nobjectClass: dcObject\nobjectClass: organization\no: Example\ndc: "
                     "example\n\n"
                     "dn: ou=People," +
                     SlapdServer::kBase + "\nobjectClass: organizationalUnit\nou: People\n\n" +
                     "dn: ou=Groups," + SlapdServer::kBase +
                     "\nobjectClass: organizationalUnit\nou: Groups\n\n";
  const std::vector<NamedUser> users = {
      {"alice", "alice", "Alice \u00c4rger", 513, {"Engineers"}},
      {"bob", "bob", "Bob Builder", 513, {"Engineers"}},
      {"carol", "carol", "", 1105, {}},
      {"dave", "dave", "", 513, {"Managers"}},
      {"eve", "eve", "", 513, {"R&D (Lab)"}},
      {"WS01", "WS01$", "", 515, {"Engineers"}, "Computer"},
  };
  for (const NamedUser& user : users) ldif += userLdif(user);

  const std::vector<NamedGroup> groups = {
      {"Domain Users", 513, {}, {}},
      {"Engineers",
       1105,
       {peopleDn("alice"), peopleDn("bob"), groupDn("Build Team"), peopleDn("WS01")},
       {}},
      {"Managers", 1106, {peopleDn("dave")}, {}},
      {"Build Team", 1107, {}, {"Engineers"}},
      {"Empty Group", 1108, {}, {}},
      {"R&D (Lab)", 1109, {peopleDn("eve")}, {}},
  };
  for (const NamedGroup& group : groups) ldif += groupLdif(group);

  std::ostringstream generated;
  for (int i = 0; i < SlapdServer::kGeneratedUsers; ++i) {
    char name[16];
    std::snprintf(name, sizeof name, "user%04d", i);
    generated << "dn: " << peopleDn(name) << "\nobjectClass: user\ncn: " << name
              << "\nsn: Generated\nsAMAccountName: " << name
              << "\nobjectCategory: " << category("Person") << "\nprimaryGroupID: 513\n\n";
  }
  return ldif + generated.str();
}

std::string configText(const std::filesystem::path& folder) {
  const std::string dir = folder.string();
  return "include /etc/ldap/schema/core.schema\n"
         "include /etc/ldap/schema/cosine.schema\n"
         "include /etc/ldap/schema/inetorgperson.schema\n"
         "include " +
         dir + "/directory.schema\n" + "modulepath /usr/lib/ldap\nmoduleload back_mdb\n" +
         "pidfile " + dir + "/slapd.pid\n" + "rootDSE " + dir + "/rootdse.ldif\n" +
         "sizelimit size.soft=1000 size.hard=1000 size.prtotal=unlimited\n"
         "database mdb\n" +
         "suffix \"" + SlapdServer::kBase + "\"\n" + "rootdn \"" + SlapdServer::kAdminDn + "\"\n" +
         "rootpw " + SlapdServer::kAdminPassword + "\n" + "directory " + dir + "/db\n" +
         "maxsize 104857600\n"
         "index objectClass eq\nindex sAMAccountName eq\nindex memberOf eq\n"
         "index primaryGroupID eq\n";
}

}  // namespace

SlapdServer::~SlapdServer() {
  stop();
}

std::string SlapdServer::log() const {
  return readFile(folder_ / "slapd.log");
}

bool SlapdServer::start(const std::filesystem::path& folder, std::string& error) {
  stop();
  folder_ = folder;
  std::filesystem::create_directories(folder_ / "db");
  writeFile(folder_ / "directory.schema", kSchema);
  writeFile(folder_ / "rootdse.ldif", std::string("dn:\ndefaultNamingContext: ") + kBase +
                                          "\nschemaNamingContext: " + kSchemaContext + "\n");
  writeFile(folder_ / "slapd.conf", configText(folder_));
  writeFile(folder_ / "data.ldif", directoryLdif());

  const pid_t loader = spawnLogged({kSlapadd, "-q", "-f", (folder_ / "slapd.conf").string(), "-l",
                                    (folder_ / "data.ldif").string()},
                                   folder_ / "slapd.log");
  int status = 0;
  const bool ended = loader >= 0 && waitFor(loader, std::chrono::seconds(60), status);
  if (loader >= 0 && !ended) stopChild(loader, std::chrono::milliseconds(0));
  if (!ended || !WIFEXITED(status) || WEXITSTATUS(status) != 0) {
    error = "slapadd could not load the test directory:\n" + log();
    return false;
  }
  // Another program may take the chosen port before slapd binds it; try a few.
  for (int attempt = 0; attempt < 3; ++attempt) {
    if (startOnce(error)) return true;
  }
  return false;
}

bool SlapdServer::startOnce(std::string& error) {
  port_ = freeLoopbackPort();
  if (port_ == 0) {
    error = "no free port on 127.0.0.1";
    return false;
  }
  uri_ = "ldap://127.0.0.1:" + std::to_string(port_) + "/";
  pid_ = spawnLogged({kSlapd, "-f", (folder_ / "slapd.conf").string(), "-h", uri_, "-d", "0"},
                     folder_ / "slapd.log");
  if (pid_ < 0) {
    error = std::string("cannot start ") + kSlapd;
    return false;
  }
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (std::chrono::steady_clock::now() < deadline) {
    if (loopbackPortAnswers(port_)) return true;
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      error = "slapd ended while starting:\n" + log();
      return false;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  stop();
  error = "slapd did not listen on " + uri_ + " within 10 seconds:\n" + log();
  return false;
}

void SlapdServer::stop() {
  if (pid_ <= 0) return;
  stopChild(pid_, std::chrono::seconds(10));
  pid_ = -1;
}

}  // namespace qxvb::test
