// The data-access objects over SQLite database files: connections, reading
// and changing rows, long values in chunks, Find, commands and errors.
#include <gtest/gtest.h>

#include <filesystem>

#include "ado/ado_constants.h"
#include "ado/command.h"
#include "ado/connection.h"
#include "ado/recordset.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/vb_conversions.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb::ado {
namespace {

using test::errorOf;

constexpr int32_t kCommandFailed = -2147217900;
constexpr int32_t kOpenFailed = -2147467259;

std::string connectionStringFor(const std::filesystem::path& file, bool create = true) {
  return "Provider=QXVB.SQLite;Data Source=" + file.string() + (create ? ";Create=True" : "");
}

ByteArray pattern(size_t size, uint8_t seed) {
  ByteArray bytes;
  bytes.data.resize(size);
  for (size_t i = 0; i < size; ++i) bytes.data[i] = static_cast<uint8_t>((i * 31 + seed) & 0xFF);
  return bytes;
}

class AdoSqlite : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = test::freshFolder("ado") / "repo.db";
    conn_ = std::make_shared<Connection>();
    conn_->Open(connectionStringFor(file_));
    conn_->Execute(
        "CREATE TABLE Files (ID INTEGER PRIMARY KEY, Name VARCHAR(100) NOT NULL, Data BLOB, "
        "Version INTEGER, Activity TEXT, Date DATETIME, Size REAL)",
        nullptr, adExecuteNoRecords);
    conn_->Execute(
        "INSERT INTO Files (Name, Version, Activity, Date, Size) VALUES "
        "('Alpha.txt', 1, 'A', '2024-02-29 13:45:10', 1.5), ('beta.cfg', 2, 'C', NULL, NULL), "
        "('Gamma.png', 3, 'A', NULL, 7)",
        nullptr, adExecuteNoRecords);
  }

  std::shared_ptr<Recordset> open(const std::string& sql, int32_t cursor, int32_t lock) {
    auto rs = std::make_shared<Recordset>();
    rs->Open(Variant(sql), Variant(Object(conn_)), cursor, lock, adCmdText);
    return rs;
  }

  std::filesystem::path file_;
  std::shared_ptr<Connection> conn_;
};

TEST_F(AdoSqlite, OpensClosesAndRefusesMisuse) {
  EXPECT_EQ(conn_->State(), adStateOpen);
  EXPECT_EQ(conn_->Provider(), "QXVB.SQLite");
  EXPECT_EQ(errorOf([&] { conn_->Open(); }).number(), 3705);
  conn_->Close();
  EXPECT_EQ(conn_->State(), adStateClosed);
  const AutomationError closed = errorOf([&] { conn_->Execute("SELECT 1"); });
  EXPECT_EQ(closed.number(), 3704);
  EXPECT_EQ(closed.description(), "Operation is not allowed when the object is closed.");
  // A connection can be opened again on the same string.
  conn_->Open();
  EXPECT_EQ(conn_->State(), adStateOpen);
}

TEST_F(AdoSqlite, FailedOpenLeavesTheConnectionClosed) {
  auto c = std::make_shared<Connection>();
  const auto missing = file_.parent_path() / "missing.db";
  const AutomationError e = errorOf([&] { c->Open(connectionStringFor(missing, false)); });
  EXPECT_EQ(e.number(), kOpenFailed);
  EXPECT_EQ(e.source(), "QXVB.SQLite");
  EXPECT_NE(e.description().find("unable to open"), std::string::npos) << e.description();
  EXPECT_EQ(c->State(), adStateClosed);
  EXPECT_FALSE(std::filesystem::exists(missing));

  const auto notDb = file_.parent_path() / "text.db";
  test::writeFile(notDb, std::string(4096, 'x'));
  EXPECT_EQ(errorOf([&] { c->Open(connectionStringFor(notDb, false)); }).number(), kOpenFailed);
  EXPECT_EQ(c->State(), adStateClosed);
  // The same object opens once given a good string.
  c->Open(connectionStringFor(file_, false));
  EXPECT_EQ(c->State(), adStateOpen);
}

TEST_F(AdoSqlite, ReadsRowsByNameAndPosition) {
  auto rs = open("SELECT Name, Version, Date, Size FROM Files ORDER BY ID", adOpenForwardOnly,
                 adLockReadOnly);
  EXPECT_EQ(rs->RecordCount(), -1);
  EXPECT_FALSE(rs->Bof());
  auto fields = rs->FieldsObject();
  ASSERT_EQ(fields->Count(), 4);
  EXPECT_EQ(fields->Item(Variant("NAME"))->Value(), Variant("Alpha.txt"));
  EXPECT_EQ(fields->Item(Variant(int32_t{1}))->Value(), Variant(int32_t{1}));
  EXPECT_EQ(fields->Item(Variant("Size"))->Value(), Variant(1.5));
  EXPECT_EQ(fields->Item(Variant("Version"))->Type(), adInteger);
  EXPECT_EQ(fields->Item(Variant("Name"))->Type(), adVarWChar);
  EXPECT_EQ(fields->Item(Variant("Name"))->DefinedSize(), 100);
  const Variant date = fields->Item(Variant("Date"))->Value();
  ASSERT_EQ(date.type(), VarType::Date);
  EXPECT_NEAR(date.get<DateValue>()->serial, 45351.573032, 1e-5);  // 2024-02-29 13:45:10
  rs->MoveNext();
  EXPECT_TRUE(fields->Item(Variant("Date"))->Value().isNull());
  rs->MoveNext();
  rs->MoveNext();
  EXPECT_TRUE(rs->Eof());
  const AutomationError atEof = errorOf([&] { rs->MoveNext(); });
  EXPECT_EQ(atEof.number(), 3021);
  EXPECT_EQ(errorOf([&] { fields->Item(Variant("Name"))->Value(); }).number(), 3021);
  EXPECT_EQ(errorOf([&] { fields->Item(Variant("Nope")); }).number(), 3265);
  EXPECT_EQ(errorOf([&] { fields->Item(Variant(int32_t{4})); }).number(), 3265);
  rs->Close();
  EXPECT_EQ(rs->State(), adStateClosed);
  EXPECT_EQ(errorOf([&] { rs->Eof(); }).number(), 3704);
}

TEST_F(AdoSqlite, StaticCursorsCountScrollAndRequery) {
  auto rs = open("SELECT * FROM Files ORDER BY ID", adOpenStatic, adLockReadOnly);
  EXPECT_EQ(rs->RecordCount(), 3);
  rs->MoveLast();
  EXPECT_EQ(rs->Collect(Variant("Name")), Variant("Gamma.png"));
  rs->MovePrevious();
  EXPECT_EQ(rs->AbsolutePosition(), 2);
  rs->MoveFirst();
  rs->MovePrevious();
  EXPECT_TRUE(rs->Bof());
  conn_->Execute("INSERT INTO Files (Name) VALUES ('delta')", nullptr, adExecuteNoRecords);
  EXPECT_EQ(rs->RecordCount(), 3);
  rs->Requery();
  EXPECT_EQ(rs->RecordCount(), 4);

  // Client-side cursors are static whatever was asked.
  auto client = std::make_shared<Recordset>();
  client->setCursorLocation(adUseClient);
  client->Open(Variant("SELECT * FROM Files"), Variant(Object(conn_)), adOpenForwardOnly,
               adLockReadOnly);
  EXPECT_EQ(client->CursorType(), adOpenStatic);
  EXPECT_EQ(client->RecordCount(), 4);

  auto empty = open("SELECT * FROM Files WHERE 1 = 0", adOpenKeyset, adLockOptimistic);
  EXPECT_TRUE(empty->Bof());
  EXPECT_TRUE(empty->Eof());
  EXPECT_EQ(empty->RecordCount(), 0);
}

TEST_F(AdoSqlite, ExecuteReportsRecordsAffected) {
  int64_t affected = 0;
  auto rs =
      conn_->Execute("UPDATE Files SET Version = Version + 1 WHERE Activity = 'A'", &affected);
  EXPECT_EQ(affected, 2);
  ASSERT_NE(rs, nullptr);
  EXPECT_EQ(rs->State(), adStateClosed);  // no rows: a closed recordset, as ADO gives
  EXPECT_EQ(conn_->Execute("DELETE FROM Files WHERE ID = 99", &affected, adExecuteNoRecords),
            nullptr);
  EXPECT_EQ(affected, 0);
  auto count = conn_->Execute("SELECT COUNT(*) AS Connections FROM Files");
  EXPECT_EQ(count->Collect(Variant("connections")), Variant(int32_t{3}));
}

TEST_F(AdoSqlite, FindsRowsByCriteria) {
  auto rs = open("SELECT * FROM Files ORDER BY ID", adOpenKeyset, adLockOptimistic);
  rs->Find("Name = 'BETA.CFG'");
  ASSERT_FALSE(rs->Eof());
  EXPECT_EQ(rs->Collect(Variant("Version")), Variant(int32_t{2}));
  rs->MoveFirst();
  rs->Find("Version = 3");
  EXPECT_EQ(rs->Collect(Variant("Name")), Variant("Gamma.png"));
  rs->MoveFirst();
  rs->Find("[Name] LIKE 'g*'");
  EXPECT_EQ(rs->Collect(Variant("Name")), Variant("Gamma.png"));
  rs->MoveFirst();
  rs->Find("Name = 'O''Brien'");
  EXPECT_TRUE(rs->Eof());
  rs->MoveFirst();
  rs->Find("Version >= 2", 1);  // skips the current row first
  EXPECT_EQ(rs->Collect(Variant("Version")), Variant(int32_t{2}));
  EXPECT_EQ(errorOf([&] { rs->Find("Name ~ 'x'"); }).number(), 3001);
  EXPECT_EQ(errorOf([&] { rs->Find("Nope = 1"); }).number(), 3265);

  // A forward-only cursor searches forward as it reads.
  auto forward = open("SELECT Name FROM Files ORDER BY ID", adOpenForwardOnly, adLockReadOnly);
  forward->Find("name = 'gamma.png'");
  EXPECT_FALSE(forward->Eof());
  forward->Find("name = 'alpha.txt'");
  EXPECT_TRUE(forward->Eof());
}

TEST_F(AdoSqlite, AddsUpdatesAndDeletesRows) {
  auto rs = open("SELECT * FROM Files WHERE Name = 'new.bin'", adOpenKeyset, adLockOptimistic);
  ASSERT_TRUE(rs->Eof());
  rs->AddNew();
  EXPECT_EQ(rs->EditMode(), adEditAdd);
  rs->setCollect(Variant("Name"), Variant("new.bin"));
  rs->setCollect(Variant("Version"), Variant("0"));  // converted to the column's type
  rs->setCollect(Variant("Activity"), Variant("A"));
  rs->setCollect(Variant("Date"), Variant(DateValue{45351.5}));
  rs->Update();
  EXPECT_EQ(rs->EditMode(), adEditNone);
  EXPECT_EQ(rs->Collect(Variant("ID")), Variant(int32_t{4}));  // the key SQLite assigned

  rs->setCollect(Variant("Version"), Variant(int32_t{2}));
  rs->setCollect(Variant("Activity"), Variant("C"));
  rs->Update();
  auto check = conn_->Execute("SELECT Version, Activity, Date FROM Files WHERE Name = 'new.bin'");
  EXPECT_EQ(check->Collect(Variant("Version")), Variant(int32_t{2}));
  EXPECT_EQ(check->Collect(Variant("Activity")), Variant("C"));
  EXPECT_EQ(check->Collect(Variant("Date")), Variant(DateValue{45351.5}));

  EXPECT_EQ(errorOf([&] { rs->setCollect(Variant("Version"), Variant("many")); }).number(),
            -2147217887);
  rs->CancelUpdate();

  auto all = open("SELECT * FROM Files ORDER BY ID", adOpenKeyset, adLockOptimistic);
  all->Find("Name = 'beta.cfg'");
  all->Delete();
  EXPECT_EQ(errorOf([&] { all->Collect(Variant("Name")); }).number(), 3021);
  all->Update();  // nothing pending after a delete
  all->MoveNext();
  EXPECT_EQ(all->Collect(Variant("Name")), Variant("Gamma.png"));
  EXPECT_EQ(all->RecordCount(), 3);
  int64_t left = 0;
  conn_->Execute("SELECT * FROM Files WHERE Name = 'beta.cfg'", &left);
  auto gone = conn_->Execute("SELECT COUNT(*) FROM Files WHERE Name = 'beta.cfg'");
  EXPECT_EQ(gone->FieldsObject()->Item(Variant(int32_t{0}))->Value(), Variant(int32_t{0}));

  // A row changed by somebody else since it was read cannot be found again.
  all->MoveFirst();
  conn_->Execute("DELETE FROM Files WHERE Name = 'Alpha.txt'", nullptr, adExecuteNoRecords);
  all->setCollect(Variant("Version"), Variant(int32_t{9}));
  const AutomationError lost = errorOf([&] { all->Update(); });
  EXPECT_EQ(lost.number(), -2147217864);
  all->CancelUpdate();

  auto readOnly = open("SELECT * FROM Files", adOpenStatic, adLockReadOnly);
  EXPECT_EQ(errorOf([&] { readOnly->AddNew(); }).number(), 3251);
}

TEST_F(AdoSqlite, TablesWithoutAKeyAreWrittenByTheirValues) {
  conn_->Execute("CREATE TABLE Log (MessageID TEXT, Message TEXT)", nullptr, adExecuteNoRecords);
  conn_->Execute("INSERT INTO Log VALUES ('m1', 'one'), ('m2', 'two')", nullptr,
                 adExecuteNoRecords);
  auto rs = std::make_shared<Recordset>();
  rs->Open(Variant("Log"), Variant(Object(conn_)), adOpenKeyset, adLockOptimistic, adCmdTable);
  rs->Find("MessageID = 'm2'");
  rs->setCollect(Variant("Message"), Variant("changed"));
  rs->MoveFirst();  // moving on writes the pending change
  auto check = conn_->Execute("SELECT Message FROM Log WHERE MessageID = 'm2'");
  EXPECT_EQ(check->Collect(Variant("Message")), Variant("changed"));
  rs->AddNew(Variant(VariantArray{0, {Variant("MessageID"), Variant("Message")}}),
             Variant(VariantArray{0, {Variant("m3"), Variant("three")}}));
  EXPECT_EQ(rs->EditMode(), adEditNone);
  rs->Requery();
  EXPECT_EQ(rs->RecordCount(), 3);
}

TEST_F(AdoSqlite, LongValuesTravelInChunks) {
  const ByteArray big = pattern(5 * 1024 * 1024 + 123, 7);
  auto rs = open("SELECT * FROM Files WHERE Name = 'Alpha.txt'", adOpenKeyset, adLockOptimistic);
  auto data = rs->FieldsObject()->Item(Variant("Data"));
  EXPECT_EQ(data->Type(), adLongVarBinary);
  EXPECT_NE(data->Attributes() & adFldLong, 0);
  const size_t piece = 16384;
  for (size_t at = 0; at < big.data.size(); at += piece) {
    ByteArray chunk;
    chunk.data.assign(
        big.data.begin() + static_cast<std::ptrdiff_t>(at),
        big.data.begin() + static_cast<std::ptrdiff_t>(std::min(at + piece, big.data.size())));
    data->AppendChunk(Variant(std::move(chunk)));
  }
  rs->Update();
  rs->Close();

  for (const int32_t cursor : {adOpenForwardOnly, adOpenStatic}) {
    auto read =
        open("SELECT Name, Data FROM Files WHERE Name = 'Alpha.txt'", cursor, adLockReadOnly);
    auto field = read->FieldsObject()->Item(Variant("Data"));
    ASSERT_EQ(field->ActualSize(), static_cast<int32_t>(big.data.size()));
    std::vector<uint8_t> back;
    for (;;) {
      const Variant chunk = field->GetChunk(16384);
      if (chunk.isNull()) break;
      const auto* bytes = chunk.get<ByteArray>();
      ASSERT_NE(bytes, nullptr);
      EXPECT_EQ(bytes->lbound, 0);
      back.insert(back.end(), bytes->data.begin(), bytes->data.end());
    }
    EXPECT_EQ(back, big.data) << "cursor type " << cursor;
  }

  // Text chunks count characters.
  conn_->Execute("UPDATE Files SET Activity = 'äöü-xyz' WHERE ID = 2", nullptr, adExecuteNoRecords);
  auto text = open("SELECT Activity FROM Files WHERE ID = 2", adOpenForwardOnly, adLockReadOnly);
  auto activity = text->FieldsObject()->Item(Variant("Activity"));
  EXPECT_EQ(activity->ActualSize(), 7);
  EXPECT_EQ(activity->GetChunk(2), Variant("äö"));
  EXPECT_EQ(activity->GetChunk(10), Variant("ü-xyz"));
  EXPECT_TRUE(activity->GetChunk(10).isNull());
}

TEST_F(AdoSqlite, CommandsRunWithParameters) {
  auto cmd = std::make_shared<Command>();
  cmd->setActiveConnection(Variant(Object(conn_)));
  cmd->setCommandText("SELECT Name FROM Files WHERE Version >= ? AND Activity = ? ORDER BY ID");
  auto params = cmd->ParametersObject();
  params->Append(cmd->CreateParameter("v", adInteger, adParamInput, 0, Variant(int32_t{2})));
  params->Append(cmd->CreateParameter("a", adVarWChar, adParamInput, 10, Variant("A")));
  auto rs = cmd->Execute();
  EXPECT_EQ(rs->Collect(Variant("Name")), Variant("Gamma.png"));
  params->Item(Variant("A"))->value().value = Variant("C");
  rs = cmd->Execute();
  EXPECT_EQ(rs->Collect(Variant("Name")), Variant("beta.cfg"));

  auto insert = std::make_shared<Command>();
  insert->setActiveConnection(Variant(Object(conn_)));
  insert->setCommandText("INSERT INTO Files (Name, Data) VALUES (?, ?)");
  insert->ParametersObject()->Append(insert->CreateParameter("n", adVarWChar, adParamInput, 50));
  insert->ParametersObject()->Append(insert->CreateParameter("d", adLongVarBinary));
  int64_t affected = 0;
  insert->Execute(&affected,
                  Variant(VariantArray{0, {Variant("blob"), Variant(pattern(70000, 3))}}),
                  adExecuteNoRecords);
  EXPECT_EQ(affected, 1);
  auto check = conn_->Execute("SELECT length(Data) FROM Files WHERE Name = 'blob'");
  EXPECT_EQ(check->FieldsObject()->Item(Variant(int32_t{0}))->Value(), Variant(int32_t{70000}));

  auto proc = std::make_shared<Command>();
  proc->setActiveConnection(Variant(Object(conn_)));
  proc->setCommandText("some_procedure");
  proc->setCommandType(adCmdStoredProc);
  EXPECT_EQ(errorOf([&] { proc->Execute(); }).number(), kCommandFailed);
}

TEST_F(AdoSqlite, EngineErrorsCarryTheMessage) {
  const AutomationError e = errorOf([&] { conn_->Execute("SELECT * FROM Nowhere"); });
  EXPECT_EQ(e.number(), kCommandFailed);
  EXPECT_EQ(e.source(), "QXVB.SQLite");
  EXPECT_NE(e.description().find("no such table: Nowhere"), std::string::npos);
  auto errors = conn_->ErrorsObject();
  ASSERT_EQ(errors->Count(), 1);
  EXPECT_EQ(errors->Item(Variant(int32_t{0}))->entry().number, kCommandFailed);

  auto rs = std::make_shared<Recordset>();
  EXPECT_EQ(errorOf([&] { rs->Open(Variant("SELECT 1")); }).number(), 3709);
  const AutomationError dup = errorOf([&] {
    conn_->Execute("INSERT INTO Files (ID, Name) VALUES (1, 'dup')", nullptr, adExecuteNoRecords);
  });
  EXPECT_NE(dup.description().find("UNIQUE"), std::string::npos) << dup.description();
}

TEST_F(AdoSqlite, ClosingTheConnectionClosesItsRecordsets) {
  auto rs = open("SELECT * FROM Files", adOpenStatic, adLockReadOnly);
  auto name = rs->FieldsObject()->Item(Variant("Name"));
  conn_->Close();
  EXPECT_EQ(rs->State(), adStateClosed);
  EXPECT_EQ(errorOf([&] { name->Value(); }).number(), 3265);
}

TEST_F(AdoSqlite, LateBoundCallsReachTheObjects) {
  Object c = createObject("ADODB.Connection");
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(createObject("{00000514-0000-0010-8000-00AA006D2EA4}")->className(), "Connection");
  c->call("Open", {Variant(connectionStringFor(file_, false))});
  EXPECT_EQ(c->getProperty("State"), Variant(int32_t{1}));
  auto props = CObj(c->getProperty("Properties"));
  auto services = CObj(props->call("Item", {Variant("ole db services")}));
  services->putProperty("Value", Variant(int32_t{-2}));
  EXPECT_EQ(services->getProperty("Value"), Variant(int32_t{-2}));
  EXPECT_EQ(errorOf([&] { props->call("Item", {Variant("No Such Property")}); }).number(), 3265);

  std::vector<Variant> args{Variant("UPDATE Files SET Version = 5"), Variant(int32_t{0})};
  c->invoke("Execute", kMethod, args);
  EXPECT_EQ(args[1], Variant(int32_t{3}));  // RecordsAffected, by reference

  Object rs = createObject("ADODB.Recordset");
  rs->putProperty("CursorLocation", Variant(int32_t{adUseClient}));
  rs->call("Open", {Variant("SELECT * FROM Files ORDER BY ID"), Variant(c),
                    Variant(int32_t{adOpenKeyset}), Variant(int32_t{adLockOptimistic})});
  EXPECT_EQ(rs->getProperty("RecordCount"), Variant(int32_t{3}));
  Object field = CObj(rs->call("_Default", {Variant("name")}));
  EXPECT_EQ(field->getProperty("Value"), Variant("Alpha.txt"));
  rs->call("Find", {Variant("Name = 'gamma.png'")});
  EXPECT_EQ(field->getProperty("Value"), Variant("Gamma.png"));
  EXPECT_EQ(rs->getProperty("EOF"), Variant(false));
}

}  // namespace
}  // namespace qxvb::ado
