// The process's pool of idle sessions of the embedded engine: a closed
// connection's session is taken again by the next connection to the file,
// is no session of the repository while it waits, comes back as fresh as a
// new one, and leaves the file, its log and other processes as a closed
// connection would.
#include <dirent.h>
#include <gtest/gtest.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include "ado/connection.h"
#include "ado/field.h"
#include "ado/recordset.h"
#include "ado/session_marks.h"
#include "ado/sqlite_sessions.h"
#include "frame/automation_error.h"
#include "frame/vb_conversions.h"
#include "support/sandbox.h"

namespace qxvb::ado {
namespace {

namespace fs = std::filesystem;

int openDescriptors() {
  int count = 0;
  DIR* folder = ::opendir("/proc/self/fd");
  while (const dirent* entry = ::readdir(folder)) count += entry->d_name[0] != '.' ? 1 : 0;
  ::closedir(folder);
  return count;
}

class SqliteSessions : public ::testing::Test {
 protected:
  void SetUp() override {
    closeIdleSessions();
    file_ = (test::freshFolder("pool") / "repo.db").string();
    auto creator = open(";Create=True");
    creator->Execute("PRAGMA journal_mode=WAL", nullptr, -1);
    creator->Execute("CREATE TABLE T (A INTEGER)", nullptr, -1);
    creator->Close();
  }
  void TearDown() override { closeIdleSessions(); }

  std::shared_ptr<Connection> open(const std::string& extra = "") {
    auto connection = std::make_shared<Connection>();
    connection->Open("Provider=QXVB.SQLite;Data Source=" + file_ + extra);
    return connection;
  }
  static int32_t rowsOf(Connection& connection, const std::string& table) {
    auto rows = connection.Execute("SELECT COUNT(*) FROM " + table, nullptr, -1);
    return CLng(rows->FieldsObject()->Item(Variant(int32_t{0}))->Value());
  }

  std::string file_;
};

TEST_F(SqliteSessions, AClosedSessionIsTakenAgainAndIsNotCountedWhileIdle) {
  open()->Close();
  EXPECT_EQ(countSessions(file_).sessions, 0);
  const int before = openDescriptors();
  auto first = open();
  EXPECT_EQ(openDescriptors(), before) << "the idle session was not taken";
  EXPECT_EQ(countSessions(file_).sessions, 1);
  auto second = open();
  EXPECT_GT(openDescriptors(), before);
  EXPECT_EQ(countSessions(file_).sessions, 2);
  first->Close();
  second->Close();
  EXPECT_EQ(countSessions(file_).sessions, 0);
  // Pooling turned off in the string or the property closes the session.
  auto unpooled = open(";OLE DB Services=-2");
  unpooled->Execute("INSERT INTO T VALUES (1)", nullptr, -1);
  unpooled->Close();
  closeIdleSessions();
  EXPECT_FALSE(fs::exists(file_ + "-wal"));
  auto byProperty = std::make_shared<Connection>();
  byProperty->PropertiesObject()->Item(Variant("OLE DB Services"))->setValue(Variant(-2));
  byProperty->Open("Provider=QXVB.SQLite;Data Source=" + file_);
  byProperty->Close();
  EXPECT_FALSE(fs::exists(file_ + "-wal"));
}

TEST_F(SqliteSessions, ASessionWhoseOwnStateChangedIsNotKept) {
  auto connection = open();
  connection->Execute("CREATE TEMP TABLE Mine (B INTEGER)", nullptr, -1);
  connection->Close();
  EXPECT_THROW(rowsOf(*open(), "Mine"), AutomationError);

  connection = open();
  connection->Execute("ATTACH DATABASE ':memory:' AS Side", nullptr, -1);
  connection->Execute("CREATE TABLE Side.S (C INTEGER)", nullptr, -1);
  connection->Close();
  EXPECT_THROW(rowsOf(*open(), "Side.S"), AutomationError);

  connection = open();
  connection->Execute("PRAGMA foreign_keys=ON", nullptr, -1);
  connection->Close();
  auto next = open();
  auto rows = next->Execute("PRAGMA foreign_keys", nullptr, -1);
  EXPECT_EQ(CLng(rows->FieldsObject()->Item(Variant(int32_t{0}))->Value()), 0);

  // A transaction left open is rolled back, not handed on.
  next->BeginTrans();
  next->Execute("INSERT INTO T VALUES (7)", nullptr, -1);
  next->Close();
  EXPECT_EQ(rowsOf(*open(), "T"), 0);
}

// What a pooled session wrote is in the database file itself, as after a
// close: a copy of the file alone has it.
TEST_F(SqliteSessions, WritesOfAnIdleSessionAreInTheFile) {
  auto connection = open();
  connection->Execute("INSERT INTO T VALUES (1)", nullptr, -1);
  connection->Execute("INSERT INTO T VALUES (2)", nullptr, -1);
  connection->Close();
  EXPECT_EQ(fs::file_size(file_ + "-wal"), 0u);
  const fs::path copy = fs::path(file_).parent_path() / "copy.db";
  fs::copy_file(file_, copy);
  auto reader = std::make_shared<Connection>();
  reader->Open("Provider=QXVB.SQLite;Data Source=" + copy.string());
  EXPECT_EQ(rowsOf(*reader, "T"), 2);
}

// A file removed and made again under an idle session: the next connection
// works on the new file, and the old session takes nothing of it along.
TEST_F(SqliteSessions, AFileMadeAgainIsNeverServedByTheOldSession) {
  auto connection = open();
  connection->Execute("INSERT INTO T VALUES (1)", nullptr, -1);
  connection->Close();
  fs::remove(file_);
  auto fresh = open(";Create=True");
  fresh->Execute("PRAGMA journal_mode=WAL", nullptr, -1);
  fresh->Execute("CREATE TABLE U (A INTEGER)", nullptr, -1);
  fresh->Execute("INSERT INTO U VALUES (5)", nullptr, -1);
  EXPECT_THROW(rowsOf(*fresh, "T"), AutomationError);
  fresh->Close();
  closeIdleSessions();
  auto again = open();
  EXPECT_EQ(rowsOf(*again, "U"), 1);
  auto check = again->Execute("PRAGMA integrity_check", nullptr, -1);
  EXPECT_EQ(CStr(check->FieldsObject()->Item(Variant(int32_t{0}))->Value()), "ok");
}

// Another process keeping idle sessions is no session of the file; one
// that ends normally closes them and leaves no log behind; one killed with
// idle sessions leaves a file the next session reads whole.
TEST_F(SqliteSessions, OtherProcessesIdleSessionsEndingAndCrashing) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t idle = ::fork();
  ASSERT_GE(idle, 0);
  if (idle == 0) {
    for (int i = 0; i < 3; ++i) {
      auto mine = open();
      mine->Execute("INSERT INTO T VALUES (1)", nullptr, -1);
      mine->Close();
    }
    (void)!::write(ready[1], "x", 1);
    ::pause();
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_EQ(countSessions(file_).sessions, 0);
  EXPECT_TRUE(fs::exists(file_ + "-wal"));
  ::kill(idle, SIGKILL);
  ::waitpid(idle, nullptr, 0);
  EXPECT_EQ(rowsOf(*open(), "T"), 3);
  closeIdleSessions();

  const pid_t ending = ::fork();
  ASSERT_GE(ending, 0);
  if (ending == 0) {
    auto mine = open();
    mine->Execute("INSERT INTO T VALUES (2)", nullptr, -1);
    mine->Close();
    std::exit(0);
  }
  int status = 0;
  ::waitpid(ending, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  EXPECT_FALSE(fs::exists(file_ + "-wal"));
  EXPECT_FALSE(fs::exists(file_ + "-shm"));
  EXPECT_EQ(rowsOf(*open(), "T"), 4);
  ::close(ready[0]);
  ::close(ready[1]);
}

// A forked child neither takes nor closes its parent's idle sessions.
TEST_F(SqliteSessions, AForkedChildLeavesItsParentsSessionsAlone) {
  open()->Close();
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto mine = open();
    mine->Execute("INSERT INTO T VALUES (3)", nullptr, -1);
    mine->Close();
    closeIdleSessions();
    std::exit(0);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(WEXITSTATUS(status), 0);
  auto parent = open();
  EXPECT_EQ(countSessions(file_).sessions, 1);
  EXPECT_EQ(rowsOf(*parent, "T"), 1);
  parent->Execute("INSERT INTO T VALUES (4)", nullptr, -1);
  EXPECT_EQ(rowsOf(*parent, "T"), 2);
}

}  // namespace
}  // namespace qxvb::ado
