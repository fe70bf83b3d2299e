// How a connection string picks its engine and becomes an ODBC string.
#include <gtest/gtest.h>

#include <cstdlib>

#include "ado/connection_string.h"
#include "frame/automation_error.h"

namespace qxvb::ado {
namespace {

TEST(AdoConnectionString, ParsesQuotedBracedAndRepeatedItems) {
  const ConnectionItems items = ConnectionItems::parse(
      " Provider = MSDASQL.1 ;Extended Properties=\"DSN=a;UID=b\";Driver={SQL Server;x};"
      "Password='it''s';provider=Other;;Key==With=Equals=v");
  EXPECT_EQ(items.get("provider"), "MSDASQL.1");  // the first of repeated keys counts
  EXPECT_EQ(items.get("Extended Properties"), "DSN=a;UID=b");
  EXPECT_EQ(items.get("DRIVER"), "{SQL Server;x}");
  EXPECT_EQ(items.get("Password"), "it's");
  EXPECT_EQ(items.get("Key=With"), "Equals=v");
  EXPECT_FALSE(items.has("Missing"));
}

TEST(AdoConnectionString, OdbcProviderPassesOdbcItemsAndTranslatesOleDbOnes) {
  EngineTarget t = resolveEngine(
      "Provider=MSDASQL.1;Driver=/usr/lib/psqlodbcw.so;Server=127.0.0.1;Port=5432;"
      "Initial Catalog=repo;User ID=u;Password=p;Persist Security Info=False");
  EXPECT_EQ(t.kind, EngineKind::Odbc);
  EXPECT_EQ(t.provider, "MSDASQL.1");
  EXPECT_EQ(t.odbcString,
            "Driver=/usr/lib/psqlodbcw.so;Server=127.0.0.1;Port=5432;Database=repo;UID=u;PWD=p;");

  t = resolveEngine("Provider=MSDASQL;Data Source=Repo;User ID=u", "other", "secret;x");
  EXPECT_EQ(t.odbcString, "DSN=Repo;UID=other;PWD={secret;x};");

  t = resolveEngine("Provider=MSDASQL.1;Extended Properties=\"DRIVER={PostgreSQL};SERVER=h\"");
  EXPECT_EQ(t.odbcString, "DRIVER={PostgreSQL};SERVER=h;");

  // Without a provider ADO assumes ODBC.
  t = resolveEngine("DSN=Repo;UID=u");
  EXPECT_EQ(t.kind, EngineKind::Odbc);
  EXPECT_EQ(t.odbcString, "DSN=Repo;UID=u;");
}

TEST(AdoConnectionString, SqlServerAndOracleProvidersUseTheConfiguredDrivers) {
  unsetenv("QXVB_SQLSERVER_ODBC_DRIVER");
  EngineTarget t = resolveEngine(
      "Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Ency;Data Source=srv\\inst;"
      "Use Encryption for Data=False;DataTypeCompatibility=80");
  EXPECT_EQ(t.kind, EngineKind::Odbc);
  EXPECT_EQ(t.odbcString,
            "Driver={FreeTDS};Trusted_Connection=yes;Database=Ency;Server=srv\\inst;Encrypt=no;");

  setenv("QXVB_SQLSERVER_ODBC_DRIVER", "ODBC Driver 18 for SQL Server", 1);
  t = resolveEngine("Provider=MSOLEDBSQL;User ID=sa;Password=pw;Data Source=db1");
  EXPECT_EQ(t.odbcString, "Driver={ODBC Driver 18 for SQL Server};UID=sa;PWD=pw;Server=db1;");
  EXPECT_EQ(resolveEngine("Provider=SQLNCLI11;Data Source=x").kind, EngineKind::Odbc);
  unsetenv("QXVB_SQLSERVER_ODBC_DRIVER");

  setenv("QXVB_ORACLE_ODBC_DRIVER", "OracleDrv", 1);
  t = resolveEngine("Provider=OraOLEDB.Oracle;Data Source=ORCL;User ID=scott;Password=tiger");
  EXPECT_EQ(t.odbcString, "Driver={OracleDrv};DBQ=ORCL;UID=scott;PWD=tiger;");
  EXPECT_EQ(resolveEngine("Provider=MSDAORA.1;Data Source=ORCL").kind, EngineKind::Odbc);
  unsetenv("QXVB_ORACLE_ODBC_DRIVER");
}

TEST(AdoConnectionString, FileDatabasesOpenInSqlite) {
  EngineTarget t = resolveEngine("Provider=QXVB.SQLite;Data Source=/data/repo.any;Mode=Read");
  EXPECT_EQ(t.kind, EngineKind::Sqlite);
  EXPECT_EQ(t.sqlitePath, "/data/repo.any");
  EXPECT_TRUE(t.sqliteReadOnly);
  EXPECT_FALSE(t.sqliteCreate);
  EXPECT_EQ(resolveEngine("Provider=QXET_DBASE;Data Source=a").kind, EngineKind::Sqlite);
  for (const char* name : {"x.db", "x.SQLITE", "x.qxr"}) {
    t = resolveEngine(std::string("Data Source=/tmp/") + name + ";Create=True");
    EXPECT_EQ(t.kind, EngineKind::Sqlite) << name;
    EXPECT_TRUE(t.sqliteCreate);
  }
}

TEST(AdoConnectionString, UnknownProvidersAreRefused) {
  try {
    resolveEngine("Provider=Microsoft.Jet.OLEDB.4.0;Data Source=x.mdb");
    FAIL() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), 3706);
    EXPECT_EQ(e.description(), "Provider cannot be found. It may not be properly installed.");
  }
}

}  // namespace
}  // namespace qxvb::ado
