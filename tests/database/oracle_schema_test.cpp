// QX_ADO_GetOracleConnectionStringWithSchema on connections of the
// data-access layer: a provider that answers the schema query as Oracle
// does, and engines that cannot answer it.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ado/connection.h"
#include "ado/engine.h"
#include "database/qx_ado_utilities.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

constexpr const char* kSchemaQuery =
    "SELECT sys_context('USERENV', 'CURRENT_SCHEMA') AS curSchema FROM dual;";

// One text column, rows given in advance.
class ListCursor : public ado::Cursor {
 public:
  explicit ListCursor(std::vector<Variant> rows) : rows_(std::move(rows)) {
    ado::ColumnInfo column;
    column.name = "CURSCHEMA";
    column.type = 202;  // adVarWChar
    column.definedSize = 128;
    columns_.push_back(column);
  }
  const std::vector<ado::ColumnInfo>& columns() const override { return columns_; }
  bool fetch() override { return ++row_ < rows_.size(); }
  Variant value(size_t) override { return rows_[row_]; }
  int64_t length(size_t) override { return 0; }
  Variant readPiece(size_t, int64_t) override { return Variant::null(); }

 private:
  std::vector<ado::ColumnInfo> columns_;
  std::vector<Variant> rows_;
  size_t row_ = static_cast<size_t>(-1);
};

// Answers only the current-schema query, exactly as the library writes it,
// with the rows of the test; records every statement.
struct OracleScript {
  std::vector<Variant> rows;
  std::vector<std::string> statements;
};
OracleScript& script() {
  static OracleScript s;
  return s;
}

class FakeOracle : public ado::EngineConnection {
 public:
  std::string sourceName() const override { return "FakeOracle"; }
  ado::StatementResult execute(const std::string& sql, std::vector<ado::ParamValue>&) override {
    script().statements.push_back(sql);
    if (sql != kSchemaQuery) throw std::runtime_error("ORA-00942: table or view does not exist");
    ado::StatementResult result;
    result.cursor = std::make_unique<ListCursor>(script().rows);
    return result;
  }
  std::string procedureCall(const std::string& name, const std::vector<ado::ParamValue>&) override {
    return name;
  }
  std::vector<ado::ParamValue> procedureParameters(const std::string&) override { return {}; }
  std::vector<std::string> keyColumns(const std::string&) override { return {}; }
  std::string quoteIdentifier(std::string_view name) const override {
    return "\"" + std::string(name) + "\"";
  }
  void beginTransaction() override {}
  void commitTransaction() override {}
  void rollbackTransaction() override {}
  void setCommandTimeout(int32_t) override {}
};

class OracleSchema : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ado::registerProvider("QXVB.TestOracle", [](const ado::OpenRequest&) {
      return std::unique_ptr<ado::EngineConnection>(new FakeOracle);
    });
  }
  void SetUp() override { script() = OracleScript{}; }

  Object open(const std::string& connectionString) {
    Object connection = createObject("ADODB.Connection");
    std::vector<Variant> args{Variant(connectionString)};
    connection->invoke("Open", kMethod, args);
    return connection;
  }
  std::string withSchema(Object connection) {
    return ado_.QX_ADO_GetOracleConnectionStringWithSchema(connection);
  }
  QX_ADO_Utilities ado_;
};

TEST_F(OracleSchema, CatalogItemBecomesTheCurrentSchema) {
  script().rows = {Variant("SCOTT")};
  Object connection = open("Provider=QXVB.TestOracle;Data Source=orcl;Initial Catalog=OLD");
  const std::string given = CStr(connection->getProperty("ConnectionString"));
  std::string expected = given;
  ASSERT_TRUE(ado_.QX_ADO_WriteItemInConnectionString("Initial Catalog", "SCOTT", expected));
  EXPECT_EQ(withSchema(connection), expected);
  EXPECT_NE(expected.find("Initial Catalog=SCOTT"), std::string::npos);
  ASSERT_EQ(script().statements.size(), 1u);
  EXPECT_EQ(script().statements[0], kSchemaQuery);
}

TEST_F(OracleSchema, CatalogItemIsAddedWhenMissing) {
  script().rows = {Variant("HR")};
  Object connection = open("Provider=QXVB.TestOracle;Data Source=orcl");
  const std::string given = CStr(connection->getProperty("ConnectionString"));
  EXPECT_EQ(withSchema(connection), given + ";Initial Catalog=HR");
}

TEST_F(OracleSchema, NoRowOrNullSchemaKeepsTheString) {
  Object connection = open("Provider=QXVB.TestOracle;Data Source=orcl");
  const std::string given = CStr(connection->getProperty("ConnectionString"));
  EXPECT_EQ(withSchema(connection), given);
  script().rows = {Variant::null()};
  EXPECT_EQ(withSchema(connection), given);
}

TEST_F(OracleSchema, EnginesWithoutTheQueryKeepTheString) {
  const auto file = test::freshFolder("oracle-schema") / "repo.db";
  Object connection = open("Provider=QXVB.SQLite;Data Source=" + file.string() + ";Create=True");
  const std::string given = CStr(connection->getProperty("ConnectionString"));
  EXPECT_FALSE(given.empty());
  EXPECT_EQ(withSchema(connection), given);
  // A closed connection still has its string.
  connection->call("Close");
  EXPECT_EQ(withSchema(connection), given);
}

TEST_F(OracleSchema, LateBoundByReference) {
  script().rows = {Variant("APP")};
  Object connection = open("Provider=QXVB.TestOracle;Data Source=orcl;Initial Catalog=x");
  std::vector<Variant> args{Variant(connection)};
  Object ado = createObject("QXVBUtils.QX_ADO_Utilities");
  const Variant result = ado->invoke("QX_ADO_GetOracleConnectionStringWithSchema", kMethod, args);
  EXPECT_NE(CStr(result).find("Initial Catalog=APP"), std::string::npos);
  EXPECT_EQ(args[0], Variant(connection));
}

}  // namespace
}  // namespace qxvb
