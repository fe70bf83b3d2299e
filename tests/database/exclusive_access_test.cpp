// The exclusive-access checks: the count queries as sent, the exclusive
// rule on canned counts, the server object's process list, and the
// sessions of an embedded repository counted from its connections' locks.
#include <gtest/gtest.h>

#include "canned_server.h"
#include "database/qx_ado_utilities.h"
#include "database/repository/embedded_repository.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"

namespace qxvb {
namespace {

using test::answer;
using test::CannedRows;
using test::cannedScript;

constexpr const char* kSqlServer = test::kCannedSqlServerRepository;
constexpr const char* kOracle = test::kCannedOracleRepository;

const std::string kSqlHead =
    "SELECT COUNT(dbid) as 'Connections' FROM(SELECT dbid FROM master.dbo.sysprocesses WITH "
    "(nolock) WHERE dbid > 0 AND DB_Name(dbid) = (SELECT DB_NAME()) AND (not hostname='') ";
const std::string kSqlEverySession = kSqlHead + ") innerquery";
const std::string kSqlSameUserOnce = kSqlHead + "GROUP BY dbid, hostname, loginame) innerquery";
const std::string kOracleEverySession =
    "SELECT COUNT(username) AS Connections FROM (select username, osuser, terminal from "
    "v$session where username is not null and SCHEMANAME=(SELECT "
    "SYS_CONTEXT('USERENV','CURRENT_SCHEMA') from DUAL))";
const std::string kOracleSameUserOnce =
    "SELECT COUNT(username) AS Connections FROM (select distinct username, osuser, terminal from "
    "v$session where username is not null and SCHEMANAME=(SELECT "
    "SYS_CONTEXT('USERENV','CURRENT_SCHEMA') from DUAL))";

CannedRows count(int32_t n) {
  return CannedRows{{"Connections"}, {{Variant(n)}}};
}

class ExclusiveAccess : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { test::registerCannedProviders(); }
  void SetUp() override {
    cannedScript() = test::CannedScript{};
    test::useCannedOracleTexts();
  }
  void TearDown() override { unloadThread(); }
  Object open(const std::string& cs) { return ado_.QX_ADO_OpenConnection(cs); }

  QX_ADO_Utilities ado_{[](const std::string& key) {
    return key == "Connections_SQLProvider" ? std::string(test::kCannedSqlServer) : std::string();
  }};
};

TEST_F(ExclusiveAccess, SqlServerCountsAndRule) {
  const Object connection = open(kSqlServer);
  answer(kSqlEverySession, count(2));
  answer(kSqlSameUserOnce, count(1));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(connection, false, 1));
  EXPECT_EQ(cannedScript().statements.back(), kSqlEverySession);
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(connection, true, 1));
  EXPECT_EQ(cannedScript().statements.back(), kSqlSameUserOnce);
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(connection, false, 2));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConn(connection));
  answer(kSqlEverySession, count(1));
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConn(connection));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(connection, false, 2));
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnStr(kSqlServer));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnStr(
      "Provider=QXVB.CannedSqlServer;Data Source=down"));
  // No row, or a failing query, is never exclusive.
  answer(kSqlEverySession, CannedRows{{"Connections"}, {}});
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConn(connection));
  cannedScript().answers.clear();
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConn(connection));
}

TEST_F(ExclusiveAccess, SqlServerFlags) {
  const Object connection = open(kSqlServer);
  const std::string plain = kSqlHead + "GROUP BY dbid, hostname, program_name) innerquery";
  const std::string skipTool = kSqlHead +
                               " and (not program_name='Tarrow') GROUP BY dbid, hostname, "
                               "program_name) innerquery";
  const std::string both = kSqlHead +
                           " and (not program_name='Tarrow') GROUP BY dbid, hostname, "
                           "program_name, loginame) innerquery";
  answer(plain, count(2));
  answer(skipTool, count(1));
  answer(both, count(1));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(connection, 0, 1));
  EXPECT_EQ(cannedScript().statements.back(), plain);
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(connection, 0, 2));
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(connection, 1, 1));
  EXPECT_EQ(cannedScript().statements.back(), skipTool);
  // Flag 2: the count must be one whatever is accepted.
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConn2(connection, 3, 5));
  EXPECT_EQ(cannedScript().statements.back(), both);
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConnStr2(kSqlServer, 1, 1));
}

TEST_F(ExclusiveAccess, OracleCounts) {
  const Object connection = open(kOracle);
  answer(kOracleEverySession, count(2));
  answer(kOracleSameUserOnce, count(1));
  EXPECT_FALSE(ado_.QX_ADO_ORAServerExclusiveAccessCheckConn(connection));
  EXPECT_EQ(cannedScript().statements.back(), kOracleEverySession);
  EXPECT_TRUE(ado_.QX_ADO_ORAServerExclusiveAccessCheckConnPlus(connection, true));
  EXPECT_EQ(cannedScript().statements.back(), kOracleSameUserOnce);
  EXPECT_TRUE(ado_.QX_ADO_ORAServerExclusiveAccessCheckConnPlus(connection, false, 2));

  cannedScript().statements.clear();
  EXPECT_FALSE(ado_.QX_ADO_ORAServerExclusiveAccessCheckConnStr(kOracle));
  ASSERT_EQ(cannedScript().statements.size(), 2u);
  EXPECT_EQ(cannedScript().statements[0], "ALTER SESSION SET CURRENT_SCHEMA=\"Scott\"");

  cannedScript().statements.clear();
  std::string cs = kOracle;
  EXPECT_TRUE(ado_.QX_ADO_ExclusiveAccessCheckPlusConnStr(cs, true, 5));
  EXPECT_EQ(cs, kOracle);
  EXPECT_EQ(cannedScript().statements.back(), kOracleSameUserOnce);
}

TEST_F(ExclusiveAccess, PlusConnStrIgnoresSameUserOnSqlServer) {
  answer(kSqlSameUserOnce, count(1));
  EXPECT_TRUE(ado_.QX_ADO_ExclusiveAccessCheckPlusConnStr(kSqlServer, false, 3));
  EXPECT_EQ(cannedScript().statements.back(), kSqlSameUserOnce);
  EXPECT_FALSE(ado_.QX_ADO_ExclusiveAccessCheckPlusConnStr(
      "Provider=QXVB.CannedSqlServer;Data Source=down", false));
}

// A server object of the management object model: EnumProcesses answers
// rows whose column 4 is the login and column 7 the database.
class ProcessRows : public Dispatch {
 public:
  std::vector<std::vector<std::string>> rows;
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("QueryResults");
      Members<ProcessRows> m(t);
      m.get("Rows", {}, [](ProcessRows& r, CallArgs&) {
         return Variant(static_cast<int32_t>(r.rows.size()));
       }).method("GetColumnString", {in("Row"), in("Column")}, [](ProcessRows& r, CallArgs& a) {
        return Variant(
            r.rows.at(static_cast<size_t>(a.lng(0) - 1)).at(static_cast<size_t>(a.lng(1) - 1)));
      });
      return t;
    }();
    return table;
  }
};

class FakeServer : public Dispatch {
 public:
  std::shared_ptr<ProcessRows> processes = std::make_shared<ProcessRows>();
  const DispatchTable& dispatchTable() const override {
    static const DispatchTable table = [] {
      DispatchTable t("SQLServer");
      Members<FakeServer> m(t);
      m.method("EnumProcesses", {},
               [](FakeServer& s, CallArgs&) { return Variant(Object(s.processes)); });
      return t;
    }();
    return table;
  }
};

std::vector<std::string> process(const std::string& login, const std::string& database) {
  return {"51", "sleeping", "host", login, "host", "app", database};
}

TEST_F(ExclusiveAccess, ServerObjectProcesses) {
  auto server = std::make_shared<FakeServer>();
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheck(server, "Repo"));
  server->processes->rows = {process("  \t", "Repo"), process("sa", "repo"),
                             process("sa", "Other")};
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheck(server, "Repo"));
  server->processes->rows.push_back(process(" bob ", "Repo"));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheck(server, "Repo"));
  // An object without the member, or Nothing, is never exclusive.
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheck(server->processes, "Repo"));
  EXPECT_FALSE(ado_.QX_ADO_SQLServerExclusiveAccessCheck(nullptr, "Repo"));
  Object ado = createObject("QXVBUtils.QX_ADO_Utilities");
  std::vector<Variant> args{Variant(Object(server)), Variant("Other")};
  EXPECT_EQ(ado->invoke("QX_ADO_SQLServerExclusiveAccessCheck", kMethod, args), Variant(false));
}

TEST_F(ExclusiveAccess, EmbeddedRepositorySessions) {
  unloadThread();
  const std::string file = (test::freshFolder("exclusive") / "repo.qxr").string();
  createEmbeddedRepository(file);
  const std::string cs = embeddedConnectionString(file);
  QX_ADO_Utilities ado;
  const Object first = ado.QX_ADO_OpenConnection(cs);
  EXPECT_TRUE(ado.QX_ADO_SQLServerExclusiveAccessCheckConn(first));
  EXPECT_TRUE(ado.QX_ADO_ExclusiveAccessCheckPlusConnStr(cs, false));
  const Object second = ado.QX_ADO_OpenConnection(cs);
  EXPECT_FALSE(ado.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(first, false, 1));
  EXPECT_TRUE(ado.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(first, false, 2));
  EXPECT_TRUE(ado.QX_ADO_SQLServerExclusiveAccessCheckConnPlus(first, true, 1));
  EXPECT_TRUE(ado.QX_ADO_SQLServerExclusiveAccessCheckConnPlus2(first, 2, 1));
  EXPECT_FALSE(ado.QX_ADO_SQLServerExclusiveAccessCheckConnStr(cs));
  second->call("Close");
  EXPECT_TRUE(ado.QX_ADO_SQLServerExclusiveAccessCheckConnStr2(cs, 0, 2));

  Object late = createObject("QXVBUtils.QX_ADO_Utilities");
  std::vector<Variant> args{Variant(first), Variant(false)};
  EXPECT_EQ(late->invoke("QX_ADO_SQLServerExclusiveAccessCheckConnPlus", kMethod, args),
            Variant(true));
  std::vector<Variant> byString{Variant(cs), Variant(true)};
  EXPECT_EQ(late->invoke("QX_ADO_ExclusiveAccessCheckPlusConnStr", kMethod, byString),
            Variant(true));
}

}  // namespace
}  // namespace qxvb
