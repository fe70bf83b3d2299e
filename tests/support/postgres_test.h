// Tests on a PostgreSQL server of their own: each test suite deriving from
// PostgresTest starts one server for its tests and removes it after them.
// Its tests are skipped when the PostgreSQL server programs are missing.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "support/postgres_server.h"

namespace qxvb::test {

class PostgresTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite();
  static void TearDownTestSuite();
  // Skips the test without a server and fails it without the ODBC driver;
  // a fixture's own SetUp calls this first and returns when the test is
  // skipped or has failed.
  void SetUp() override;

  static const PostgresServer& server() { return *server_; }

 private:
  static PostgresServer* server_;
  static std::string skipReason_;
};

}  // namespace qxvb::test
