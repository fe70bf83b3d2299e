// The statements a PostgreSQL server can run, run on one: the information
// schema probes of the version and credential checks, the stored-file
// query of the file export and the log table of the log report.
#include <gtest/gtest.h>

#include "ado/recordset.h"
#include "database/qx_ado_utilities.h"
#include "database/repository/files_table.h"
#include "database/repository_codes.h"
#include "files/file_dates.h"
#include "frame/automation_error.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "repository_version.h"
#include "support/postgres_test.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

class RepositoryPostgres : public test::PostgresTest {
 protected:
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    unloadThread();
    cs_ = server().adoConnectionString();
    connection_ = ado_.QX_ADO_OpenConnection(cs_);
    for (const char* table : {"\"Entity\"", "\"Relationship\"", "\"Properties\"",
                              "\"QXProperties\"", "Network_LOG", "Files"}) {
      connection_->Execute(std::string("DROP TABLE IF EXISTS ") + table);
    }
  }
  void TearDown() override {
    if (connection_) connection_->Close();
  }
  int32_t version(int32_t expected, bool* same = nullptr) {
    return test::repositoryVersion(ado_, cs_, expected, same);
  }

  QX_ADO_Utilities ado_;
  std::string cs_;
  std::shared_ptr<ado::Connection> connection_;
};

TEST_F(RepositoryPostgres, TableProbes) {
  EXPECT_EQ(version(514), QXET_INVALID);
  int32_t type = QXET_SQLSERVER;
  EXPECT_FALSE(ado_.QX_ADO_IsUserPasswordOK(cs_, type));
  connection_->Execute("CREATE TABLE \"Entity\" (id integer)");
  EXPECT_TRUE(ado_.QX_ADO_IsUserPasswordOK(cs_, type));
  EXPECT_EQ(version(514), QXET_INVALID);
  connection_->Execute("CREATE TABLE \"Relationship\" (id integer)");
  connection_->Execute("CREATE TABLE \"Properties\" (id integer)");
  bool same = false;
  EXPECT_EQ(version(QXET_NINEZERO, &same), 1);
  EXPECT_TRUE(same);
  // The guarded edition query is SQL Server's own: PostgreSQL refuses it,
  // and the check ends unrecognised.
  connection_->Execute("DROP TABLE \"Properties\"");
  EXPECT_EQ(version(514, &same), QXET_INVALID);
  EXPECT_FALSE(same);
  // The edition query itself runs anywhere.
  connection_->Execute("CREATE TABLE \"QXProperties\" (\"Name\" varchar(64), \"Value\" integer)");
  connection_->Execute("INSERT INTO \"QXProperties\" VALUES ('Professional', 1)");
  EXPECT_EQ(
      CLng(connection_->Execute("SELECT * FROM \"QXProperties\" WHERE \"Name\" = 'Professional'")
               ->Collect(Variant("Value"))),
      1);
  EXPECT_TRUE(ado_.QX_ADO_IsConnectionToServerValid(cs_));
  EXPECT_EQ(ado_.QX_ADO_ListUsersOnServer(cs_)->Count(), 0);
  int32_t badType = QXET_SQLSERVER;
  const std::string wrongPort =
      "Provider=MSDASQL.1;Driver=" + test::PostgresServer::odbcDriverPath() +
      ";Server=127.0.0.1;Port=1;Database=postgres;UID=x;PWD=y";
  EXPECT_FALSE(ado_.QX_ADO_IsUserPasswordOK(wrongPort, badType));
}

TEST_F(RepositoryPostgres, StoredFileExport) {
  filestore::createFilesTable(Object(connection_));
  std::string bytes;
  std::string hex;
  for (int i = 0; i < 40000; ++i) {
    const auto b = static_cast<unsigned char>((i * 13) & 0xFF);
    bytes += static_cast<char>(b);
    static const char* digits = "0123456789abcdef";
    hex += digits[b >> 4];
    hex += digits[b & 15];
  }
  connection_->Execute(
      "INSERT INTO Files (Name, WID, Data) VALUES ('Images\\pic.png', 1, "
      "decode('" +
      hex + "', 'hex'))");
  const auto folder = test::freshFolder("pg-export");
  const std::string target = (folder / "pic.png").string();
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("Images\\pic.png", cs_, target));
  EXPECT_EQ(test::readFile(target), bytes);
  EXPECT_THROW(ado_.QX_ADO_ExportFile("O'Brien", cs_, target), AutomationError);
  EXPECT_EQ(test::readFile(target), "");
}

TEST_F(RepositoryPostgres, LogReport) {
  connection_->Execute(
      "CREATE TABLE Network_LOG (MessageID integer, Date timestamp, UserId varchar(32), "
      "Version varchar(16), Message text)");
  connection_->Execute(
      "INSERT INTO Network_LOG VALUES (7, '2024-02-29 13:45:10', 'alice', '1.2', 'Started')");
  const auto folder = test::freshFolder("pg-log");
  const std::string target = (folder / "log.txt").string();
  EXPECT_TRUE(ado_.QX_ADO_ExportLogFile(0, cs_, target));
  const std::string text = test::readFile(target);
  const std::string date =
      files::dateText(DateValue{45351.0 + (13 * 3600 + 45 * 60 + 10) / 86400.0});
  const std::string row =
      "         7 | " + date + " | " + "           alice | " + "     1.2 | Started\r\n";
  EXPECT_NE(text.find("\r\n" + row), std::string::npos) << text;
  EXPECT_EQ(text.substr(text.size() - row.size()), row);
}

}  // namespace
}  // namespace qxvb
