// Several processes on one registry database, and a process killed in the
// middle of its writes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry_store.h"
#include "platform/registry_test_folder.h"
#include "support/child_process.h"

namespace qxvb::registry {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;

using RegistryConcurrency = test::RegistryTest;

// Runs work in a child process with connections of its own; its exit
// status is 0 when work succeeded.
pid_t runChild(const std::function<bool()>& work) {
  return test::forkChild([&] {
    closeThreadConnections();
    return work();
  });
}

bool writeValues(const std::string& prefix, int count) {
  for (int i = 0; i < count; ++i) {
    const std::string name = prefix + std::to_string(i);
    if (setValue(kUser, "Shared", name, kRegDword, makeDword(static_cast<std::uint32_t>(i))) !=
        kSuccess) {
      return false;
    }
    if (createKey(kUser, "Shared\\Sub" + std::to_string(i % 7)) != kSuccess) return false;
  }
  return true;
}

std::string integrityOf(const std::filesystem::path& file) {
  sqlite3* db = nullptr;
  std::string result = "cannot open";
  if (sqlite3_open_v2(file.c_str(), &db, SQLITE_OPEN_READONLY, nullptr) == SQLITE_OK) {
    sqlite3_stmt* stmt = nullptr;
    if (sqlite3_prepare_v2(db, "PRAGMA integrity_check", -1, &stmt, nullptr) == SQLITE_OK &&
        sqlite3_step(stmt) == SQLITE_ROW) {
      result = reinterpret_cast<const char*>(sqlite3_column_text(stmt, 0));
    }
    sqlite3_finalize(stmt);
  }
  sqlite3_close(db);
  return result;
}

TEST_F(RegistryConcurrency, TwoProcessesWritingAtOnceLoseNothing) {
  ASSERT_EQ(createKey(kUser, "Shared"), kSuccess);
  const pid_t first = runChild([] { return writeValues("first-", 1000); });
  const pid_t second = runChild([] { return writeValues("second-", 1000); });
  ASSERT_GT(first, 0);
  ASSERT_GT(second, 0);
  EXPECT_EQ(test::exitCodeOf(first), 0);
  EXPECT_EQ(test::exitCodeOf(second), 0);

  std::vector<Value> values;
  ASSERT_EQ(listValues(kUser, "Shared", values), kSuccess);
  std::set<std::string> names;
  for (const Value& value : values) names.insert(value.name);
  EXPECT_EQ(values.size(), 2000u);
  EXPECT_EQ(names.size(), 2000u);
  EXPECT_TRUE(names.count("first-999") && names.count("second-0"));
  std::vector<std::string> keys;
  ASSERT_EQ(listSubKeys(kUser, "Shared", keys), kSuccess);
  EXPECT_EQ(keys.size(), 7u);
}

TEST_F(RegistryConcurrency, EnumerationSeesKeysAddedByAnotherProcess) {
  ASSERT_EQ(createKey(kUser, "E\\b"), kSuccess);
  ASSERT_EQ(createKey(kUser, "E\\d"), kSuccess);
  std::string name;
  ASSERT_EQ(enumKey(kUser, "E", 0, name), kSuccess);
  ASSERT_EQ(name, "b");
  const pid_t other = runChild([] { return createKey(kUser, "E\\a") == kSuccess; });
  ASSERT_EQ(test::exitCodeOf(other), 0);
  ASSERT_EQ(enumKey(kUser, "E", 1, name), kSuccess);
  EXPECT_EQ(name, "b");
}

TEST_F(RegistryConcurrency, AProcessKilledWhileWritingLeavesAnIntactStore) {
  constexpr int kBatch = 10;
  ASSERT_EQ(createKey(kUser, "Batches"), kSuccess);
  const pid_t writer = runChild([] {
    for (int n = 0;; ++n) {
      const std::string key = "Batches\\" + std::to_string(n);
      runInTransaction(kUser, [&] {
        for (int i = 0; i < kBatch; ++i) {
          const Bytes data(200 + i, static_cast<std::uint8_t>(i));
          const Status status = setValue(kUser, key, "v" + std::to_string(i), kRegBinary, data);
          if (status != kSuccess) return status;
        }
        return kSuccess;
      });
    }
    return true;
  });
  ASSERT_GT(writer, 0);

  // Let it commit a good number of batches, then kill it mid-stream.
  KeyInfo info;
  for (int wait = 0; wait < 3000; ++wait) {
    if (queryInfo(kUser, "Batches", info) == kSuccess && info.subKeys >= 40) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  kill(writer, SIGKILL);
  int status = 0;
  ASSERT_EQ(waitpid(writer, &status, 0), writer);
  ASSERT_TRUE(WIFSIGNALED(status));
  ASSERT_GE(info.subKeys, 40u);

  closeThreadConnections();
  EXPECT_EQ(integrityOf(databasePath(kUser)), "ok");
  std::vector<std::string> keys;
  ASSERT_EQ(listSubKeys(kUser, "Batches", keys), kSuccess);
  EXPECT_GE(keys.size(), 40u);
  for (const std::string& key : keys) {
    std::vector<Value> values;
    ASSERT_EQ(listValues(kUser, "Batches\\" + key, values), kSuccess);
    EXPECT_EQ(values.size(), static_cast<std::size_t>(kBatch)) << "batch " << key;
  }
  ASSERT_EQ(setValue(kUser, "After", "v", kRegDword, makeDword(42)), kSuccess);
  std::uint32_t type = 0;
  Bytes data;
  ASSERT_EQ(queryValue(kUser, "After", "v", type, data), kSuccess);
  EXPECT_EQ(readDword(data), 42u);
  EXPECT_EQ(firstFailure(), "");
}

}  // namespace
}  // namespace qxvb::registry
