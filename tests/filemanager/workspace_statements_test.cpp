// The statements the file store sends to SQL Server and Oracle
// repositories with workspaces, text for text, through a provider of the
// test's own that answers with canned results and records what it gets.
#include <gtest/gtest.h>

#include "ado/ado_constants.h"
#include "ado/connection.h"
#include "ado/engine.h"
#include "filemanager/file_manager.h"
#include "files/qx_file_utils.h"
#include "frame/catalogue.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

struct Column {
  std::string name;
  int32_t type;
};

class TableCursor : public ado::Cursor {
 public:
  TableCursor(const std::vector<Column>& columns, std::vector<std::vector<Variant>> rows)
      : rows_(std::move(rows)) {
    for (const Column& c : columns) {
      ado::ColumnInfo info;
      info.name = c.name;
      info.type = c.type;
      info.definedSize = c.type == ado::adLongVarBinary ? 0x7FFFFFFF : 255;
      info.isLong = c.type == ado::adLongVarBinary;
      info.baseTable = "Files";
      info.baseColumn = c.name;
      columns_.push_back(info);
    }
  }
  const std::vector<ado::ColumnInfo>& columns() const override { return columns_; }
  bool fetch() override { return ++row_ < rows_.size(); }
  Variant value(size_t column) override { return rows_[row_][column]; }
  int64_t length(size_t) override { return 0; }
  Variant readPiece(size_t, int64_t) override { return Variant::null(); }

 private:
  std::vector<ado::ColumnInfo> columns_;
  std::vector<std::vector<Variant>> rows_;
  size_t row_ = static_cast<size_t>(-1);
};

// What the repository answers, and what it was asked.
struct Script {
  bool oracle = false;
  int32_t resultCode = 0;
  std::vector<std::string> statements;
  std::vector<std::vector<Variant>> procedureInputs;
};
Script& script() {
  static Script s;
  return s;
}

constexpr const char* kTree =
    "<Tree><Workspace ID='1' Name='Main' Baseline='0'>"
    "<Workspace ID='3' Name='Team' Baseline='1'/></Workspace></Tree>";

class CannedRepository : public ado::EngineConnection {
 public:
  std::string sourceName() const override { return "CannedRepository"; }
  ado::StatementResult execute(const std::string& sql,
                               std::vector<ado::ParamValue>& params) override {
    script().statements.push_back(sql);
    ado::StatementResult result;
    if (sql.rfind("CALL ", 0) == 0) {
      std::vector<Variant> inputs;
      for (size_t i = 0; i + 1 < params.size(); ++i) inputs.push_back(params[i].input());
      script().procedureInputs.push_back(inputs);
      params.back().value = Variant(script().resultCode);
      return result;
    }
    if (sql.find("RetrieveTree") != std::string::npos) {
      result.cursor = std::make_unique<TableCursor>(std::vector<Column>{{"xml", ado::adVarWChar}},
                                                    rowsOf(Variant(kTree)));
    } else if (sql.find("ViewNames") != std::string::npos) {
      result.cursor = std::make_unique<TableCursor>(
          std::vector<Column>{{"ViewName", ado::adVarWChar}}, rowsOf(Variant("vwFiles3")));
    } else if (sql.rfind("SELECT * FROM Files", 0) == 0) {
      result.cursor = std::make_unique<TableCursor>(
          std::vector<Column>{{"Name", ado::adVarWChar},
                              {"Data", ado::adLongVarBinary},
                              {"WID", ado::adInteger},
                              {"Version", ado::adInteger},
                              {"Activity", ado::adVarWChar}},
          std::vector<std::vector<Variant>>{{Variant("a.txt"), Variant::null(), Variant(int32_t{3}),
                                             Variant(int32_t{0}), Variant("A")}});
    } else if (sql.rfind("UPDATE", 0) == 0) {
      result.recordsAffected = 1;
    }
    return result;
  }
  std::string procedureCall(const std::string& name, const std::vector<ado::ParamValue>&) override {
    return "CALL " + name;
  }
  // SQL Server reports the return value first; Oracle procedures have none.
  std::vector<ado::ParamValue> procedureParameters(const std::string&) override {
    std::vector<ado::ParamValue> out;
    if (!script().oracle) out.push_back(param("RETURN_VALUE", ado::adParamReturnValue));
    for (const char* name : {"xml", "wid", "reserved"}) out.push_back(param(name, 1));
    out.push_back(param("result", ado::adParamOutput));
    return out;
  }
  std::vector<std::string> keyColumns(const std::string&) override { return {"Name", "WID"}; }
  std::string quoteIdentifier(std::string_view name) const override { return std::string(name); }
  void beginTransaction() override { script().statements.push_back("BEGIN"); }
  void commitTransaction() override { script().statements.push_back("COMMIT"); }
  void rollbackTransaction() override { script().statements.push_back("ROLLBACK"); }
  void setCommandTimeout(int32_t) override {}

 private:
  static std::vector<std::vector<Variant>> rowsOf(Variant v) { return {{std::move(v)}}; }
  static ado::ParamValue param(const char* name, int32_t direction) {
    ado::ParamValue p;
    p.name = name;
    p.type = direction == 1 && std::string(name) != "wid" ? ado::adVarWChar : ado::adInteger;
    p.direction = direction;
    p.size = 4000;
    return p;
  }
};

class WorkspaceStatements : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    ado::registerProvider("QXVB.CannedRepository", [](const ado::OpenRequest&) {
      return std::unique_ptr<ado::EngineConnection>(new CannedRepository);
    });
  }
  void SetUp() override {
    script() = Script{};
    manager_ = std::make_shared<QXFileManager>();
    manager_->events()->advise(
        std::make_shared<FunctionSink>([this](std::string_view name, std::vector<Variant>& args) {
          if (name == "Status") status_.push_back(CStr(args[0]));
        }));
    file_ = test::freshFolder("canned") / "a.txt";
    test::writeFile(file_, "abc");
  }
  std::vector<std::string> statementsFrom(size_t first) const {
    const auto& all = script().statements;
    return std::vector<std::string>(all.begin() + static_cast<std::ptrdiff_t>(first), all.end());
  }
  std::shared_ptr<QXFileManager> manager_;
  std::vector<std::string> status_;
  std::filesystem::path file_;
};

TEST_F(WorkspaceStatements, SqlServerWithWorkspaces) {
  manager_->Init_New_noADO("App", "Provider=QXVB.CannedRepository;Data Source=server", 3);
  EXPECT_EQ(script().statements, (std::vector<std::string>{
                                     "select dbo.QXSF_WorkspacesRetrieveTree(0) as xml",
                                     "select dbo.QXSF_WorkspacesRetrieveTree(0) as xml",
                                     "SELECT ViewName From dbo.QXSF_WorkspacesRetrieveViewNames(3) "
                                     "WHERE TableName='Files'"}));
  const auto& binding = manager_->binding();
  EXPECT_TRUE(binding.setup.workspaces);
  EXPECT_EQ(binding.setup.parameterBase, 1);
  EXPECT_EQ(binding.settingsAppName, "Tembra");
  EXPECT_EQ(binding.workspace.name, "Team");
  EXPECT_TRUE(binding.workspace.baseline);
  EXPECT_EQ(binding.workspace.count, 2);
  EXPECT_EQ(manager_->store().listQuery(),
            "SELECT Name, Date, Type, WID FROM vwFiles3 ORDER BY Name");

  const size_t before = script().statements.size();
  manager_->importFiles({{file_.string(), ""}});
  const auto sent = statementsFrom(before);
  ASSERT_GE(sent.size(), 4u);
  EXPECT_EQ(sent[0], "CALL dbo.QXSP_WorkspacesInsertFileInto");
  EXPECT_EQ(sent[1], "BEGIN");
  EXPECT_EQ(sent[2], "SELECT * FROM Files WHERE Name = 'a.txt' AND WID=3");
  EXPECT_EQ(sent.back(), "COMMIT");
  ASSERT_EQ(script().procedureInputs.size(), 1u);
  const auto& inputs = script().procedureInputs[0];
  ASSERT_EQ(inputs.size(), 4u);  // the return value, then from the base on
  EXPECT_EQ(inputs[1], Variant("<Root><File Name='a.txt'/></Root>"));
  EXPECT_EQ(CLng(inputs[2]), 3);
  EXPECT_EQ(CStr(inputs[3]), QX_File_Utils().QX_File_ReservedFilesAsXML());
  // With workspaces the date is the procedure's business.
  bool datesSet = false;
  for (const auto& s : sent) datesSet = datesSet || s.find("Date") != std::string::npos;
  EXPECT_FALSE(datesSet);
  EXPECT_TRUE(status_.empty());
}

TEST_F(WorkspaceStatements, RefusedImportShowsItsMessageAndStops) {
  manager_->Init_New_noADO("App", "Provider=QXVB.CannedRepository;Data Source=server", 0);
  EXPECT_EQ(manager_->binding().setup.wid, 1);
  for (int32_t code : {-1, -2, -3, -4}) {
    script().resultCode = code;
    status_.clear();
    const size_t before = script().statements.size();
    manager_->importFiles({{file_.string(), ""}});
    EXPECT_EQ(statementsFrom(before),
              std::vector<std::string>{"CALL dbo.QXSP_WorkspacesInsertFileInto"});
    EXPECT_EQ(status_, std::vector<std::string>{localString(35115 + (-code - 1))}) << code;
  }
}

TEST_F(WorkspaceStatements, DeletionThroughTheProcedure) {
  manager_->Init_New_noADO("App", "Provider=QXVB.CannedRepository;Data Source=server", 2);
  auto report = manager_->storeReport();
  const size_t before = script().statements.size();
  manager_->store().remove({"it's.txt", "b.txt"}, report);
  EXPECT_EQ(statementsFrom(before), std::vector<std::string>{"CALL dbo.QXSP_WorkspacesDeleteFile"});
  EXPECT_EQ(script().procedureInputs.back()[1],
            Variant("<Root><File Name='it&apos;s.txt'/><File Name='b.txt'/></Root>"));
  EXPECT_EQ(status_, std::vector<std::string>{localString(34944)});
  status_.clear();
  script().resultCode = -3;
  EXPECT_THROW(manager_->store().remove({"b.txt"}, report), filestore::ProcedureRefused);
  EXPECT_EQ(status_, std::vector<std::string>{localString(35110)});
}

// Any provider but Oracle's is taken for SQL Server; Oracle's own
// statements and parameter base are checked on the store directly.
TEST_F(WorkspaceStatements, OracleStatementsAndParameterBase) {
  script().oracle = true;
  auto connection = std::make_shared<ado::Connection>();
  connection->Open("Provider=QXVB.CannedRepository;Data Source=orcl");
  const filestore::WorkspaceInfo tree = filestore::readWorkspaceTree(*connection, true, 3);
  EXPECT_EQ(tree.name, "Team");
  filestore::StoreSetup setup;
  setup.connection = connection;
  setup.oracle = true;
  setup.workspaces = true;
  setup.wid = 3;
  setup.parameterBase = 0;
  setup.filesView = filestore::filesViewName(*connection, true, 3);
  EXPECT_EQ(
      script().statements,
      (std::vector<std::string>{
          "select QXSF_WorkspacesRetrieveTree(0) as xml FROM DUAL",
          "SELECT ViewName From TABLE(QXSF_WSRetrieveViewNames(3)) WHERE TableName='Files'"}));
  filestore::FileStore store(setup);
  EXPECT_EQ(store.listQuery(), "SELECT Name, QXDATE, Type, WID FROM vwFiles3 ORDER BY Name");
  const size_t before = script().statements.size();
  store.importFiles({{file_.string(), ""}});
  const auto sent = statementsFrom(before);
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[0], "CALL QXSP_WorkspacesInsertFileInto");
  EXPECT_EQ(sent[2], "SELECT * FROM Files WHERE Name = 'a.txt' AND WID=3");
  const auto& inputs = script().procedureInputs[0];
  ASSERT_EQ(inputs.size(), 3u);
  EXPECT_EQ(inputs[0], Variant("<Root><File Name='a.txt'/></Root>"));
  EXPECT_EQ(CLng(inputs[1]), 3);
  store.remove({"a.txt"});
  EXPECT_EQ(script().statements.back(), "CALL QXSP_WorkspacesDeleteFile");
}

}  // namespace
}  // namespace qxvb
