// Forward-only recordsets on an engine that runs one statement at a time:
// the connection takes an open recordset's remaining rows into memory
// before it runs another statement, so interleaved recordsets both read
// every row. The engine here refuses a statement while a cursor it handed
// out has rows left, as drivers without multiple active result sets do.
#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>

#include "ado/ado_constants.h"
#include "ado/ado_errors.h"
#include "ado/connection.h"
#include "ado/connection_string.h"
#include "ado/recordset.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "support/postgres_test.h"
#include "support/sandbox.h"

namespace qxvb::ado {
namespace {

constexpr const char* kProvider = "QXVB.Test.OneStatement";

// Counts the cursors that still have rows left.
class BusyCursor : public Cursor {
 public:
  BusyCursor(std::unique_ptr<Cursor> inner, std::shared_ptr<std::atomic<int>> busy)
      : inner_(std::move(inner)), busy_(std::move(busy)) {
    ++*busy_;
  }
  ~BusyCursor() override { finish(); }
  const std::vector<ColumnInfo>& columns() const override { return inner_->columns(); }
  bool fetch() override {
    const bool row = inner_->fetch();
    if (!row) finish();
    return row;
  }
  Variant value(size_t c) override { return inner_->value(c); }
  Variant release(size_t c) override { return inner_->release(c); }
  int64_t length(size_t c) override { return inner_->length(c); }
  Variant readPiece(size_t c, int64_t count) override { return inner_->readPiece(c, count); }
  size_t pieceOffset(size_t c) const override { return inner_->pieceOffset(c); }

 private:
  void finish() {
    if (!finished_) --*busy_;
    finished_ = true;
  }
  std::unique_ptr<Cursor> inner_;
  std::shared_ptr<std::atomic<int>> busy_;
  bool finished_ = false;
};

class OneStatementEngine : public EngineConnection {
 public:
  explicit OneStatementEngine(std::unique_ptr<EngineConnection> inner)
      : inner_(std::move(inner)), busy_(std::make_shared<std::atomic<int>>(0)) {}

  std::string sourceName() const override { return inner_->sourceName(); }
  bool oneStatementAtATime() const override { return true; }
  StatementResult execute(const std::string& sql, std::vector<ParamValue>& params) override {
    refuseWhileBusy();
    StatementResult result = inner_->execute(sql, params);
    if (result.cursor)
      result.cursor = std::make_unique<BusyCursor>(std::move(result.cursor), busy_);
    return result;
  }
  std::string procedureCall(const std::string& name,
                            const std::vector<ParamValue>& params) override {
    return inner_->procedureCall(name, params);
  }
  std::vector<ParamValue> procedureParameters(const std::string& name) override {
    refuseWhileBusy();
    return inner_->procedureParameters(name);
  }
  std::vector<std::string> keyColumns(const std::string& table) override {
    refuseWhileBusy();
    return inner_->keyColumns(table);
  }
  std::string quoteIdentifier(std::string_view name) const override {
    return inner_->quoteIdentifier(name);
  }
  void beginTransaction() override {
    refuseWhileBusy();
    inner_->beginTransaction();
  }
  void commitTransaction() override {
    refuseWhileBusy();
    inner_->commitTransaction();
  }
  void rollbackTransaction() override {
    refuseWhileBusy();
    inner_->rollbackTransaction();
  }
  void setCommandTimeout(int32_t seconds) override { inner_->setCommandTimeout(seconds); }

 private:
  void refuseWhileBusy() {
    if (*busy_ > 0) {
      throw EngineFailure("Connection is busy with results for another command", "HY000", 0,
                          sourceName());
    }
  }
  std::unique_ptr<EngineConnection> inner_;
  std::shared_ptr<std::atomic<int>> busy_;
};

// The test provider opens the connection string in its "Inner" item (with
// ";" written as "|") through the engine that string names.
void registerOneStatementProvider() {
  registerProvider(kProvider, [](const OpenRequest& request) {
    std::string inner = request.target.items.get("Inner");
    for (char& c : inner) {
      if (c == '|') c = ';';
    }
    OpenRequest innerRequest = request;
    innerRequest.target = resolveEngine(inner);
    return std::make_unique<OneStatementEngine>(openEngine(innerRequest));
  });
}

std::string oneStatementString(std::string inner) {
  for (char& c : inner) {
    if (c == ';') c = '|';
  }
  return std::string("Provider=") + kProvider + ";Inner=" + inner;
}

std::shared_ptr<Recordset> forwardOnly(const std::shared_ptr<Connection>& conn,
                                       const std::string& sql) {
  auto rs = std::make_shared<Recordset>();
  rs->Open(Variant(sql), Variant(Object(conn)), adOpenForwardOnly, adLockReadOnly, adCmdText);
  return rs;
}

ByteArray pattern(size_t size, uint8_t seed) {
  ByteArray bytes;
  bytes.data.resize(size);
  for (size_t i = 0; i < size; ++i) bytes.data[i] = static_cast<uint8_t>((i * 37 + seed) & 0xFF);
  return bytes;
}

// Fills table t with ids 1..rows, a name per id and a 3000-byte blob for
// id 1, through the connection's own statements.
void fillTable(Connection& conn, int rows, const std::string& blobLiteral) {
  std::string insert = "INSERT INTO t (id, name) VALUES ";
  for (int i = 1; i <= rows; ++i) {
    insert += (i > 1 ? ", (" : "(") + std::to_string(i) + ", 'row " + std::to_string(i) + "')";
  }
  conn.Execute(insert, nullptr, adExecuteNoRecords);
  conn.Execute("UPDATE t SET data = " + blobLiteral + " WHERE id = 1", nullptr, adExecuteNoRecords);
}

std::string hexOf(const ByteArray& bytes) {
  static const char* digits = "0123456789abcdef";
  std::string out;
  for (const uint8_t b : bytes.data) {
    out += digits[b >> 4];
    out += digits[b & 15];
  }
  return out;
}

// Reads both recordsets a row at a time in turn, each to its end.
void expectInterleavedReadsComplete(const std::shared_ptr<Connection>& conn, int rows) {
  auto first = forwardOnly(conn, "SELECT id, name FROM t ORDER BY id");
  ASSERT_FALSE(first->Eof());
  auto second = forwardOnly(conn, "SELECT id FROM t ORDER BY id DESC");
  std::vector<int32_t> up;
  std::vector<int32_t> down;
  while (!first->Eof() || !second->Eof()) {
    if (!first->Eof()) {
      up.push_back(CLng(first->Collect(Variant("id"))));
      EXPECT_EQ(CStr(first->Collect(Variant("name"))), "row " + std::to_string(up.back()));
      first->MoveNext();
    }
    if (!second->Eof()) {
      down.push_back(CLng(second->Collect(Variant(int32_t{0}))));
      second->MoveNext();
    }
  }
  ASSERT_EQ(up.size(), static_cast<size_t>(rows));
  ASSERT_EQ(down.size(), static_cast<size_t>(rows));
  for (int i = 0; i < rows; ++i) {
    EXPECT_EQ(up[static_cast<size_t>(i)], i + 1);
    EXPECT_EQ(down[static_cast<size_t>(i)], rows - i);
  }
}

// A long value read in part before another statement runs goes on from
// where GetChunk stopped; statements run between the rows of a recordset.
void expectChunksAndStatementsBetweenRows(const std::shared_ptr<Connection>& conn,
                                          const ByteArray& blob) {
  auto rs = forwardOnly(conn, "SELECT id, data FROM t ORDER BY id");
  auto data = rs->FieldsObject()->Item(Variant("data"));
  const Variant head = data->GetChunk(1000);
  ASSERT_NE(head.get<ByteArray>(), nullptr);
  conn->Execute("UPDATE t SET name = 'seen' WHERE id = 2", nullptr, adExecuteNoRecords);
  const Variant tail = data->GetChunk(100000);
  ASSERT_NE(tail.get<ByteArray>(), nullptr);
  ByteArray whole = *head.get<ByteArray>();
  whole.data.insert(whole.data.end(), tail.get<ByteArray>()->data.begin(),
                    tail.get<ByteArray>()->data.end());
  EXPECT_EQ(whole.data, blob.data);
  EXPECT_TRUE(data->GetChunk(10).isNull());
  int seen = 1;
  for (rs->MoveNext(); !rs->Eof(); rs->MoveNext()) {
    ++seen;
    auto other = forwardOnly(
        conn, "SELECT name FROM t WHERE id = " + std::to_string(CLng(rs->Collect(Variant("id")))));
    EXPECT_FALSE(other->Eof());
  }
  EXPECT_EQ(seen, 5);
  auto check = forwardOnly(conn, "SELECT name FROM t WHERE id = 2");
  EXPECT_EQ(CStr(check->Collect(Variant("name"))), "seen");
}

class OneStatementSqlite : public ::testing::Test {
 protected:
  void SetUp() override {
    registerOneStatementProvider();
    file_ = test::freshFolder("one-statement") / "repo.db";
    plain_ = "Provider=QXVB.SQLite;Data Source=" + file_.string() + ";Create=True";
    auto setup = std::make_shared<Connection>();
    setup->Open(plain_);
    setup->Execute("CREATE TABLE t (id INTEGER PRIMARY KEY, name VARCHAR(20), data BLOB)", nullptr,
                   adExecuteNoRecords);
    fillTable(*setup, 5, "x'" + hexOf(blob_) + "'");
    setup->Close();
  }

  std::shared_ptr<Connection> openOneStatement() {
    auto conn = std::make_shared<Connection>();
    conn->Open(oneStatementString(plain_));
    return conn;
  }

  std::filesystem::path file_;
  std::string plain_;
  ByteArray blob_ = pattern(3000, 9);
};

TEST_F(OneStatementSqlite, TheTestEngineRefusesASecondStatementOnItsOwn) {
  OpenRequest request;
  request.target = resolveEngine(plain_);
  OneStatementEngine engine(openEngine(request));
  std::vector<ParamValue> none;
  StatementResult open = engine.execute("SELECT id FROM t", none);
  ASSERT_TRUE(open.cursor);
  ASSERT_TRUE(open.cursor->fetch());
  EXPECT_THROW(engine.execute("SELECT 1", none), EngineFailure);
  while (open.cursor->fetch()) {
  }
  EXPECT_NO_THROW(engine.execute("SELECT 1", none));
}

TEST_F(OneStatementSqlite, InterleavedRecordsetsBothReadEveryRow) {
  expectInterleavedReadsComplete(openOneStatement(), 5);
}

TEST_F(OneStatementSqlite, InterleavedRecordsetsOnAnOrdinaryConnection) {
  auto conn = std::make_shared<Connection>();
  conn->Open(plain_);
  expectInterleavedReadsComplete(conn, 5);
}

TEST_F(OneStatementSqlite, ChunksAndStatementsBetweenRows) {
  expectChunksAndStatementsBetweenRows(openOneStatement(), blob_);
}

TEST_F(OneStatementSqlite, ARecordsetAtItsEndOrClosedHoldsNothingBack) {
  auto conn = openOneStatement();
  auto done = forwardOnly(conn, "SELECT id FROM t WHERE id > 100");
  EXPECT_TRUE(done->Eof());
  auto closed = forwardOnly(conn, "SELECT id FROM t");
  closed->Close();
  auto rs = forwardOnly(conn, "SELECT COUNT(*) AS n FROM t");
  EXPECT_EQ(CLng(rs->Collect(Variant("n"))), 5);
  EXPECT_TRUE(done->Eof());
  EXPECT_EQ(closed->State(), adStateClosed);
}

TEST_F(OneStatementSqlite, AForwardOnlyRecordsetStartsAgainAfterItsRowsAreHeld) {
  auto conn = openOneStatement();
  auto rs = forwardOnly(conn, "SELECT id FROM t ORDER BY id");
  rs->MoveNext();
  conn->Execute("SELECT 1");
  EXPECT_EQ(CLng(rs->Collect(Variant("id"))), 2);
  rs->MoveFirst();
  EXPECT_EQ(CLng(rs->Collect(Variant("id"))), 1);
}

class OneStatementPostgres : public test::PostgresTest {
 protected:
  void SetUp() override {
    PostgresTest::SetUp();
    if (IsSkipped() || HasFatalFailure()) return;
    registerOneStatementProvider();
    auto setup = std::make_shared<Connection>();
    setup->Open(server().adoConnectionString());
    setup->Execute("DROP TABLE IF EXISTS t", nullptr, adExecuteNoRecords);
    setup->Execute("CREATE TABLE t (id integer PRIMARY KEY, name varchar(20), data bytea)", nullptr,
                   adExecuteNoRecords);
    fillTable(*setup, 5, "'\\x" + hexOf(blob_) + "'::bytea");
    setup->Close();
  }

  ByteArray blob_ = pattern(3000, 21);
};

TEST_F(OneStatementPostgres, InterleavedRecordsetsOverOdbc) {
  auto conn = std::make_shared<Connection>();
  conn->Open(server().adoConnectionString());
  expectInterleavedReadsComplete(conn, 5);
}

TEST_F(OneStatementPostgres, InterleavedRecordsetsOverOdbcOneStatementAtATime) {
  auto conn = std::make_shared<Connection>();
  conn->Open(oneStatementString(server().adoConnectionString()));
  expectInterleavedReadsComplete(conn, 5);
}

TEST_F(OneStatementPostgres, ChunksAndStatementsBetweenRowsOverOdbc) {
  auto conn = std::make_shared<Connection>();
  conn->Open(oneStatementString(server().adoConnectionString()));
  expectChunksAndStatementsBetweenRows(conn, blob_);
}

}  // namespace
}  // namespace qxvb::ado
