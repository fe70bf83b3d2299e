#include "support/postgres_test.h"

namespace qxvb::test {

PostgresServer* PostgresTest::server_ = nullptr;
std::string PostgresTest::skipReason_;

void PostgresTest::SetUpTestSuite() {
  std::string whyNot;
  server_ = PostgresServer::start(whyNot).release();
  if (server_ == nullptr) skipReason_ = whyNot;
}

void PostgresTest::TearDownTestSuite() {
  delete server_;
  server_ = nullptr;
}

void PostgresTest::SetUp() {
  if (server_ == nullptr) GTEST_SKIP() << "PostgreSQL tests skipped: " << skipReason_;
  ASSERT_FALSE(PostgresServer::odbcDriverPath().empty()) << "psqlODBC is not installed";
}

}  // namespace qxvb::test
