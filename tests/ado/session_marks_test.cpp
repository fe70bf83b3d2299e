// Sessions on a database file: every open connection is counted, in this
// process and in others, and a closed or ended one no longer is.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <memory>
#include <vector>

#include "ado/connection.h"
#include "ado/session_marks.h"
#include "support/sandbox.h"

namespace qxvb::ado {
namespace {

class SessionMarks : public ::testing::Test {
 protected:
  void SetUp() override {
    file_ = (test::freshFolder("sessions") / "repo.db").string();
    auto creator = open(";Create=True");
    // Write-ahead logging keeps a lock per connection and so keeps the
    // descriptors of closed connections open: the count must not see them.
    creator->Execute("PRAGMA journal_mode=WAL", nullptr, -1);
    creator->Execute("CREATE TABLE T (A INTEGER)", nullptr, -1);
    creator->Close();
  }
  std::shared_ptr<Connection> open(const std::string& extra = "") {
    auto connection = std::make_shared<Connection>();
    connection->Open("Provider=QXVB.SQLite;Data Source=" + file_ + extra);
    return connection;
  }
  std::string file_;
};

TEST_F(SessionMarks, OpenConnectionsAreCountedAndClosedOnesAreNot) {
  EXPECT_EQ(countSessions(file_).sessions, 0);
  std::vector<std::shared_ptr<Connection>> connections{open(), open(), open()};
  EXPECT_EQ(countSessions(file_).sessions, 3);
  EXPECT_EQ(countSessions(file_).users, 1);
  connections[1]->Close();
  EXPECT_EQ(countSessions(file_).sessions, 2);
  connections[1] = open();
  connections.push_back(open());
  EXPECT_EQ(countSessions(file_).sessions, 4);
  for (auto& connection : connections) connection->Close();
  EXPECT_EQ(countSessions(file_).sessions, 0);
  EXPECT_EQ(countSessions(file_ + ".missing").sessions, 0);
}

TEST_F(SessionMarks, SessionsComingAndGoingLeaveOnlyTheLiveOnes) {
  auto keeper = open();
  keeper->Execute("INSERT INTO T VALUES (1)", nullptr, -1);
  for (int i = 0; i < 5; ++i) open()->Close();
  keeper->Execute("INSERT INTO T VALUES (2)", nullptr, -1);
  auto reader = open();
  EXPECT_EQ(countSessions(file_).sessions, 2);
}

TEST_F(SessionMarks, OtherProcessesAreCountedUntilTheyEnd) {
  auto mine = open();
  int ready[2];
  int release[2];
  ASSERT_EQ(::pipe(ready), 0);
  ASSERT_EQ(::pipe(release), 0);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    auto theirs = std::make_shared<Connection>();
    theirs->Open("Provider=QXVB.SQLite;Data Source=" + file_);
    auto another = std::make_shared<Connection>();
    another->Open("Provider=QXVB.SQLite;Data Source=" + file_);
    char c = 1;
    (void)!::write(ready[1], &c, 1);
    (void)!::read(release[0], &c, 1);
    // Ends without closing, as a crashed program would.
    ::_exit(0);
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  EXPECT_EQ(countSessions(file_).sessions, 3);
  EXPECT_EQ(countSessions(file_).users, 1);
  (void)!::write(release[1], &c, 1);
  int status = 0;
  ::waitpid(child, &status, 0);
  EXPECT_EQ(countSessions(file_).sessions, 1);
  for (int fd : {ready[0], ready[1], release[0], release[1]}) ::close(fd);
}

}  // namespace
}  // namespace qxvb::ado
