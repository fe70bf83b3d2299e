// The data-access objects over ODBC: a PostgreSQL server of the test's own,
// reached through unixODBC and the psqlODBC driver.
#include <gtest/gtest.h>

#include "ado/ado_constants.h"
#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "frame/automation_error.h"
#include "support/errors.h"
#include "support/postgres_test.h"

namespace qxvb::ado {
namespace {

constexpr int32_t kCommandFailed = -2147217900;
constexpr int32_t kOpenFailed = -2147467259;

using test::errorOf;

ByteArray pattern(size_t size, uint8_t seed) {
  ByteArray bytes;
  bytes.data.resize(size);
  for (size_t i = 0; i < size; ++i) bytes.data[i] = static_cast<uint8_t>((i * 131 + seed) & 0xFF);
  return bytes;
}

class AdoPostgres : public test::PostgresTest {
 protected:
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    conn_ = std::make_shared<Connection>();
    conn_->Open(server().adoConnectionString());
    conn_->Execute("DROP TABLE IF EXISTS files", nullptr, adExecuteNoRecords);
    conn_->Execute(
        "CREATE TABLE files (id serial PRIMARY KEY, name varchar(200) NOT NULL, data bytea, "
        "version integer, activity char(1), date timestamp)",
        nullptr, adExecuteNoRecords);
    conn_->Execute(
        "INSERT INTO files (name, version, activity, date) VALUES "
        "('settings.cfg', 1, 'A', '2023-05-06 07:08:09'), ('Images\\pic.png', 2, 'C', NULL)",
        nullptr, adExecuteNoRecords);
  }

  std::shared_ptr<Recordset> open(const std::string& sql, int32_t cursor, int32_t lock) {
    auto rs = std::make_shared<Recordset>();
    rs->Open(Variant(sql), Variant(Object(conn_)), cursor, lock, adCmdText);
    return rs;
  }

  std::shared_ptr<Connection> conn_;
};

TEST_F(AdoPostgres, ConnectsAndFailsCleanly) {
  EXPECT_EQ(conn_->State(), adStateOpen);
  EXPECT_EQ(conn_->Provider(), "MSDASQL.1");
  auto rs = conn_->Execute("SELECT name, version, date FROM files ORDER BY id");
  EXPECT_EQ(rs->RecordCount(), -1);
  EXPECT_EQ(rs->Collect(Variant("NAME")), Variant("settings.cfg"));
  EXPECT_EQ(rs->Collect(Variant("version")), Variant(int32_t{1}));
  const Variant date = rs->Collect(Variant("date"));
  ASSERT_EQ(date.type(), VarType::Date);
  EXPECT_NEAR(date.get<DateValue>()->serial, 45052.297326, 1e-5);  // 2023-05-06 07:08:09
  rs->MoveNext();
  EXPECT_EQ(rs->Collect(Variant("name")), Variant("Images\\pic.png"));
  EXPECT_TRUE(rs->Collect(Variant("date")).isNull());

  // A server that is not there: the open fails and leaves nothing open.
  auto bad = std::make_shared<Connection>();
  std::string wrongPort = server().adoConnectionString();
  wrongPort.replace(wrongPort.find("Port=") + 5, std::to_string(server().port()).size(), "1");
  const AutomationError e = errorOf([&] { bad->Open(wrongPort); });
  EXPECT_EQ(e.number(), kOpenFailed);
  EXPECT_EQ(e.source(), "MSDASQL.1");
  EXPECT_EQ(e.description().rfind("[SQLSTATE ", 0), 0u) << e.description();
  EXPECT_EQ(bad->State(), adStateClosed);
  EXPECT_EQ(bad->ErrorsObject()->Count(), 1);
}

TEST_F(AdoPostgres, ErrorsCarryTheSqlState) {
  const AutomationError e = errorOf([&] { conn_->Execute("SELECT * FROM no_such_table"); });
  EXPECT_EQ(e.number(), kCommandFailed);
  EXPECT_EQ(e.description().rfind("[SQLSTATE 42P01] ", 0), 0u) << e.description();
  EXPECT_NE(e.description().find("no_such_table"), std::string::npos);
  EXPECT_NE(e.source().find("psqlodbc"), std::string::npos) << e.source();
  auto errors = conn_->ErrorsObject();
  ASSERT_EQ(errors->Count(), 1);
  EXPECT_EQ(errors->Item(Variant(int32_t{0}))->entry().sqlState, "42P01");
  // The connection stays usable.
  EXPECT_EQ(conn_->Execute("SELECT 1 AS one")->Collect(Variant("one")), Variant(int32_t{1}));
}

TEST_F(AdoPostgres, ByteaTravelsInChunksBothWays) {
  const ByteArray big = pattern(3 * 1024 * 1024 + 17, 5);
  auto rs = open("SELECT * FROM files WHERE name = 'new.bin'", adOpenKeyset, adLockOptimistic);
  ASSERT_TRUE(rs->Eof());
  rs->AddNew();
  rs->setCollect(Variant("name"), Variant("new.bin"));
  rs->setCollect(Variant("version"), Variant(int32_t{0}));
  rs->setCollect(Variant("activity"), Variant("A"));
  auto data = rs->FieldsObject()->Item(Variant("data"));
  EXPECT_EQ(data->Type(), adLongVarBinary);
  for (size_t at = 0; at < big.data.size(); at += 65536) {
    ByteArray piece;
    piece.data.assign(
        big.data.begin() + static_cast<std::ptrdiff_t>(at),
        big.data.begin() + static_cast<std::ptrdiff_t>(std::min(at + 65536, big.data.size())));
    data->AppendChunk(Variant(std::move(piece)));
  }
  rs->Update();
  rs->Close();

  // Forward-only reads stream the value from the driver piece by piece.
  auto read = open("SELECT name, data, version FROM files WHERE name = 'new.bin'",
                   adOpenForwardOnly, adLockReadOnly);
  auto field = read->FieldsObject()->Item(Variant("Data"));
  ASSERT_EQ(field->ActualSize(), static_cast<int32_t>(big.data.size()));
  std::vector<uint8_t> back;
  for (Variant chunk = field->GetChunk(16384); !chunk.isNull(); chunk = field->GetChunk(16384)) {
    const auto& bytes = chunk.get<ByteArray>()->data;
    back.insert(back.end(), bytes.begin(), bytes.end());
  }
  EXPECT_EQ(back, big.data);
  EXPECT_EQ(read->Collect(Variant("version")), Variant(int32_t{0}));

  // Scrollable cursors hold the value and cut chunks from it.
  auto held = open("SELECT data FROM files WHERE name = 'new.bin'", adOpenStatic, adLockReadOnly);
  const Variant whole = held->Collect(Variant("data"));
  EXPECT_EQ(*whole.get<ByteArray>(), big);
}

TEST_F(AdoPostgres, ChangesRowsThroughTheKey) {
  auto rs = open("SELECT * FROM files ORDER BY id", adOpenKeyset, adLockOptimistic);
  EXPECT_EQ(rs->RecordCount(), 2);
  rs->Find("name = 'IMAGES\\PIC.PNG'");
  ASSERT_FALSE(rs->Eof());
  rs->setCollect(Variant("version"), Variant(int32_t{3}));
  rs->setCollect(Variant("date"), Variant(DateValue{45000.5}));
  rs->Update();
  auto check = conn_->Execute("SELECT version, date FROM files WHERE name = 'Images\\pic.png'");
  EXPECT_EQ(check->Collect(Variant("version")), Variant(int32_t{3}));
  EXPECT_EQ(check->Collect(Variant("date")), Variant(DateValue{45000.5}));

  rs->MoveFirst();
  rs->Delete();
  rs->Requery();
  EXPECT_EQ(rs->RecordCount(), 1);
  EXPECT_EQ(rs->Collect(Variant("name")), Variant("Images\\pic.png"));
}

TEST_F(AdoPostgres, StoredFunctionsReturnOutputParameters) {
  conn_->Execute(
      "CREATE OR REPLACE FUNCTION ws_insert(xml text, wid integer, OUT result integer) AS $$ "
      "SELECT CASE WHEN xml LIKE '<Root>%' THEN wid * 10 ELSE -1 END $$ LANGUAGE sql",
      nullptr, adExecuteNoRecords);
  auto cmd = std::make_shared<Command>();
  cmd->setActiveConnection(Variant(Object(conn_)));
  cmd->setCommandText("ws_insert");
  cmd->setCommandType(adCmdStoredProc);
  // The parameters come from the server when first asked for.
  auto params = cmd->ParametersObject();
  ASSERT_EQ(params->Count(), 3);
  EXPECT_EQ(params->Item(Variant(int32_t{2}))->value().direction, adParamOutput);
  params->Item(Variant(int32_t{0}))->value().value = Variant("<Root><File Name='a'/></Root>");
  params->Item(Variant(int32_t{1}))->value().value = Variant(int32_t{4});
  cmd->Execute();
  EXPECT_EQ(params->Item(Variant(int32_t{2}))->value().value, Variant(int32_t{40}));

  // Parameters the caller builds work the same.
  auto built = std::make_shared<Command>();
  built->setActiveConnection(Variant(Object(conn_)));
  built->setCommandText("ws_insert");
  built->setCommandType(adCmdStoredProc);
  auto list = built->ParametersObject();
  list->Append(built->CreateParameter("xml", adVarWChar, adParamInput, 4000, Variant("bad")));
  list->Append(built->CreateParameter("wid", adInteger, adParamInput, 0, Variant(int32_t{1})));
  auto result = built->CreateParameter("result", adInteger, adParamOutput);
  list->Append(Object(result));
  built->Execute();
  EXPECT_EQ(result->value().value, Variant(int32_t{-1}));
}

}  // namespace
}  // namespace qxvb::ado
