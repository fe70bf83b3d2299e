// The discovery and check members against servers that only SQL Server and
// Oracle run: the statements are compared text for text as the canned
// server receives them, and the canned rows drive the result handling.
#include <gtest/gtest.h>

#include "canned_server.h"
#include "database/qx_ado_utilities.h"
#include "database/repository_codes.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"

namespace qxvb {
namespace {

using test::answer;
using test::CannedRows;
using test::cannedScript;

constexpr const char* kSqlServer = test::kCannedSqlServerRepository;
constexpr const char* kOracle = test::kCannedOracleRepository;

std::string probe(const std::string& table) {
  return "SELECT * FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = '" + table + "'";
}
const std::string kGuardedEdition =
    "if EXISTS( SELECT * FROM INFORMATION_SCHEMA.TABLES WHERE TABLE_NAME = 'QXProperties') "
    "SELECT * FROM QXProperties WHERE Name = 'Professional'";
const std::string kEdition = "SELECT * FROM QXProperties WHERE Name = 'Professional'";

CannedRows oneRow(const std::string& column, Variant value) {
  return CannedRows{{column}, {{std::move(value)}}};
}
CannedRows tableRow() {
  return oneRow("TABLE_NAME", Variant("x"));
}
CannedRows names(const std::string& column, const std::vector<std::string>& values) {
  CannedRows rows{{column}, {}};
  for (const auto& v : values) rows.rows.push_back({Variant(v)});
  return rows;
}

class RepositoryCanned : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::registerCannedProviders(); }
  void SetUp() override {
    cannedScript() = test::CannedScript{};
    test::useCannedOracleTexts();
  }
  void TearDown() override { unloadThread(); }

  QX_ADO_Utilities ado_{[](const std::string& key) {
    return key == "Connections_SQLProvider" ? std::string(test::kCannedSqlServer) : std::string();
  }};
};

TEST_F(RepositoryCanned, SqlServerVersionFromTheProbes) {
  answer(probe("Entity"), tableRow());
  answer(probe("Relationship"), tableRow());
  answer(probe("Properties"), tableRow());
  Variant actual(int32_t{0});
  EXPECT_TRUE(ado_.QX_ADO_IsDatabaseQXVersion(kSqlServer, QXET_NINEZERO, actual));
  EXPECT_EQ(actual, Variant(int32_t{1}));
  EXPECT_EQ(
      cannedScript().statements,
      (std::vector<std::string>{probe("Entity"), probe("Relationship"), probe("Properties")}));

  // A probe of a missing table answers no row.
  answer(probe("Properties"), CannedRows{{"TABLE_NAME"}, {}});
  answer(kGuardedEdition, oneRow("Value", Variant(int32_t{1})));
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion(kSqlServer), 514);
  answer(kGuardedEdition, oneRow("Value", Variant(int32_t{0})));
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion(kSqlServer), 515);
  EXPECT_EQ(cannedScript().statements.back(), kGuardedEdition);

  answer(probe("Entity"), CannedRows{{"TABLE_NAME"}, {}});
  actual = Variant(int16_t{0});
  EXPECT_FALSE(ado_.QX_ADO_IsDatabaseQXVersion(kSqlServer, 514, actual));
  EXPECT_EQ(actual, Variant(int32_t{QXET_INVALID}));
}

TEST_F(RepositoryCanned, VersionCheckEdges) {
  Variant text("not a number");
  EXPECT_FALSE(ado_.QX_ADO_IsDatabaseQXVersion(kSqlServer, 514, text));
  EXPECT_EQ(text, Variant("not a number"));
  EXPECT_EQ(cannedScript().opens, 0);
  // Neither Oracle nor SQL Server: nothing is opened.
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion("Provider=Other;Data Source=x"), 33554432);
  EXPECT_EQ(cannedScript().opens, 0);
  // A server that cannot be reached leaves the code of a check that could not run.
  Variant actual(int32_t{7});
  EXPECT_FALSE(ado_.QX_ADO_IsDatabaseQXVersion("Provider=QXVB.CannedSqlServer;Data Source=down",
                                               514, actual));
  EXPECT_EQ(actual, Variant(int32_t{33554432}));
}

TEST_F(RepositoryCanned, OracleVersionAndSchemaSwitch) {
  answer(kEdition, oneRow("Value", Variant(int32_t{1})));
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion(kOracle), 258);
  EXPECT_EQ(cannedScript().statements[0], "alter session set current_schema = \"Scott\"");
  answer(kEdition, oneRow("Value", Variant(int32_t{0})));
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion(kOracle), 259);
  cannedScript().answers.clear();
  EXPECT_EQ(ado_.QX_ADO_GetDatabaseVersion(kOracle), QXET_INVALID);
}

TEST_F(RepositoryCanned, CredentialChecks) {
  int32_t oracle = QXET_ORACLE;
  EXPECT_TRUE(ado_.QX_ADO_IsUserPasswordOK(kOracle, oracle));
  EXPECT_EQ(cannedScript().statements.back(), "alter session set current_schema = \"Scott\"");
  int32_t sqlServer = QXET_SQLSERVER;
  EXPECT_FALSE(ado_.QX_ADO_IsUserPasswordOK(kSqlServer, sqlServer));
  answer(probe("Entity"), tableRow());
  EXPECT_TRUE(ado_.QX_ADO_IsUserPasswordOK(kSqlServer, sqlServer));
  EXPECT_FALSE(
      ado_.QX_ADO_IsUserPasswordOK("Provider=QXVB.CannedSqlServer;Data Source=down", sqlServer));
}

TEST_F(RepositoryCanned, DatabaseLists) {
  answer("select name from sysdatabases order by name", names("name", {"master", "Repo"}));
  Object encys;
  EXPECT_EQ(ado_.QX_ADO_GetADODBDatabaseList(QXET_SQLSERVER, "srv", false, "sa", "pw", encys), 2);
  EXPECT_EQ(CStr(CObj(Variant(encys))->call("Item", {Variant(int32_t{2})})), "Repo");

  answer("select owner from all_tables where Table_name ='QXPROPERTIES' order by owner",
         names("OWNER", {"SCOTT"}));
  EXPECT_EQ(ado_.QX_ADO_GetADODBDatabaseList(QXET_ORACLE, "orcl", false, "u", "p", encys), 3);
  // Incomplete arguments build no string: nothing is added or opened.
  const int opens = cannedScript().opens;
  EXPECT_EQ(ado_.QX_ADO_GetADODBDatabaseList(QXET_SQLSERVER, "", false, "sa", "", encys), 3);
  EXPECT_EQ(cannedScript().opens, opens);
  // A failing server answers 0 and keeps what was added.
  EXPECT_EQ(ado_.QX_ADO_GetADODBDatabaseList(QXET_SQLSERVER, "down", false, "sa", "", encys), 0);
  EXPECT_EQ(CLng(encys->call("Count")), 3);
}

TEST_F(RepositoryCanned, LoginsAndOracleUsers) {
  answer("EXEC sp_helplogins", names("LoginName", {"sa", "alice", "sa"}));
  auto logins = ado_.QX_ADO_ListUsersOnServer(kSqlServer);
  ASSERT_EQ(logins->Count(), 2);
  EXPECT_TRUE(logins->hasKey("alice"));

  answer("select name, value from v$parameter where name = 'os_authent_prefix'",
         CannedRows{{"NAME", "VALUE"}, {{Variant("os_authent_prefix"), Variant("OPS$")}}});
  answer(
      "select username, default_tablespace from dba_users where default_tablespace = "
      "'USERS' order by username",
      names("USERNAME", {"OPS$JSMITH", "SCOTT"}));
  auto users = ado_.QX_ADO_ListUsersOnServer(kOracle);
  ASSERT_EQ(users->Count(), 2);
  EXPECT_EQ(CStr(users->Item(Variant(int32_t{1}))), "JSMITH");
  EXPECT_EQ(CStr(users->Item(Variant(int32_t{2}))), "SCOTT");
  // The schema switch of an opened Oracle connection names the schema in capitals.
  EXPECT_EQ(cannedScript().statements[cannedScript().statements.size() - 3],
            "alter session set current_schema = \"SCOTT\"");
  // A name that cannot be read is passed over like a repeated one.
  answer(
      "select username, default_tablespace from dba_users where default_tablespace = "
      "'USERS' order by username",
      CannedRows{{"USERNAME"}, {{Variant("ANN")}, {Variant::null()}, {Variant("OPS$BOB")}}});
  users = ado_.QX_ADO_ListUsersOnServer(kOracle);
  ASSERT_EQ(users->Count(), 2);
  EXPECT_EQ(CStr(users->Item(Variant(int32_t{2}))), "BOB");
  answer("EXEC sp_helplogins",
         CannedRows{{"LoginName"}, {{Variant::null()}, {Variant("sa")}, {Variant("sa")}}});
  logins = ado_.QX_ADO_ListUsersOnServer(kSqlServer);
  ASSERT_EQ(logins->Count(), 1);
  EXPECT_TRUE(logins->hasKey("sa"));
  EXPECT_EQ(ado_.QX_ADO_ListUsersOnServer("Provider=QXVB.SQLite;Data Source=:memory:")->Count(), 0);
  EXPECT_THROW(ado_.QX_ADO_ListUsersOnServer("Provider=QXVB.CannedSqlServer;Data Source=down"),
               AutomationError);
}

TEST_F(RepositoryCanned, WorkspacePath) {
  answer("SELECT * FROM dbo.qxsf_wspathastable(7)", names("Name", {"Root", "Models", "Sales"}));
  EXPECT_EQ(ado_.QX_ADO_GetWSPathAsString(7, kSqlServer), "Root \\ Models \\ Sales");
  EXPECT_EQ(ado_.QX_ADO_GetWSPathAsString(7, std::string("prefix|") + kSqlServer),
            "Root \\ Models \\ Sales");
  EXPECT_EQ(ado_.QX_ADO_GetWSPathAsString(8, kSqlServer), "");
  // Every pair of rows has the separator between them, whatever the names.
  answer("SELECT * FROM dbo.qxsf_wspathastable(9)",
         CannedRows{{"Name"}, {{Variant("")}, {Variant("Models")}, {Variant::null()}}});
  EXPECT_EQ(ado_.QX_ADO_GetWSPathAsString(9, kSqlServer), " \\ Models \\ ");
  EXPECT_EQ(ado_.QX_ADO_GetWSPathAsString(7, kOracle), "");
  EXPECT_EQ(cannedScript().statements.back(), "ALTER SESSION SET CURRENT_SCHEMA=\"Scott\"");
}

TEST_F(RepositoryCanned, ConnectionValidity) {
  EXPECT_TRUE(ado_.QX_ADO_IsConnectionToServerValid(kSqlServer));
  EXPECT_THROW(
      ado_.QX_ADO_IsConnectionToServerValid("Provider=QXVB.CannedSqlServer;Data Source=down"),
      AutomationError);
  auto connection = ado_.QX_ADO_OpenConnection(kOracle);
  EXPECT_EQ(connection->State(), 1);
  EXPECT_EQ(connection->ConnectionString().find("Initial Catalog"), std::string::npos);
  // The schema is switched to in capitals, letters beyond ASCII included.
  ado_.QX_ADO_OpenConnection("Provider=QXVB.CannedOracle;Data Source=orcl;Initial Catalog=Müller");
  EXPECT_EQ(cannedScript().statements.back(), "alter session set current_schema = \"MÜLLER\"");
}

TEST_F(RepositoryCanned, LateBoundByName) {
  Object ado = createObject("QXVBUtils.QX_ADO_Utilities");
  std::vector<Variant> args{Variant(kSqlServer), Variant(int32_t{514}), Variant("text")};
  EXPECT_EQ(ado->invoke("QX_ADO_IsDatabaseQXVersion", kMethod, args), Variant(false));
  EXPECT_EQ(args[2], Variant("text"));
  std::vector<Variant> users{Variant("Provider=QXVB.SQLite;Data Source=:memory:")};
  const Object list = CObj(ado->invoke("QX_ADO_ListUsersOnServer", kMethod, users));
  EXPECT_EQ(CLng(list->call("Count")), 0);
  std::vector<Variant> type{Variant(kOracle), Variant(int32_t{256})};
  EXPECT_EQ(ado->invoke("QX_ADO_IsUserPasswordOK", kMethod, type), Variant(true));
  std::vector<Variant> path{Variant(int32_t{1}), Variant("Provider=Nope")};
  EXPECT_EQ(ado->invoke("QX_ADO_GetWSPathAsString", kMethod, path), Variant(""));
}

}  // namespace
}  // namespace qxvb
