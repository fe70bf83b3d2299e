// Keys met inside one transaction are found again without walking their
// path; these cases make sure a key that went away is never found that way.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry/registry_store.h"
#include "platform/registry_test_folder.h"

namespace qxvb::registry {
namespace {

constexpr RootKey kUser = RootKey::CurrentUser;

using RegistryKeyCache = test::RegistryTest;

std::string textOf(const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  Bytes data;
  if (queryValue(kUser, path, name, type, data) != kSuccess) return "<missing>";
  return readString(data);
}

bool hasValue(const std::string& path, const std::string& name) {
  std::uint32_t type = 0;
  Bytes data;
  return queryValue(kUser, path, name, type, data) == kSuccess;
}

TEST_F(RegistryKeyCache, KeyDeletedInsideATransactionIsMadeAgain) {
  const Status status = runInTransaction(kUser, [] {
    setValue(kUser, "Software\\A\\B", "old", kRegSz, makeString("1"));
    deleteTree(kUser, "Software\\A");
    setValue(kUser, "Software\\A\\B", "new", kRegSz, makeString("2"));
    setValue(kUser, "Software\\A\\B\\C", "deep", kRegSz, makeString("3"));
    deleteKey(kUser, "Software\\A\\B\\C");
    return setValue(kUser, "Software\\A\\B\\C", "again", kRegSz, makeString("4"));
  });
  ASSERT_EQ(status, kSuccess);
  EXPECT_FALSE(hasValue("Software\\A\\B", "old"));
  EXPECT_TRUE(hasValue("Software\\A\\B", "new"));
  EXPECT_FALSE(hasValue("Software\\A\\B\\C", "deep"));
  EXPECT_TRUE(hasValue("Software\\A\\B\\C", "again"));
}

TEST_F(RegistryKeyCache, KeysOfRolledBackWorkAreNotReused) {
  EXPECT_EQ(runInTransaction(kUser,
                             [] {
                               setValue(kUser, "Software\\R\\S", "v", kRegSz, makeString("1"));
                               return kAccessDenied;
                             }),
            kAccessDenied);
  EXPECT_EQ(openKey(kUser, "Software\\R"), kFileNotFound);

  const Status status = runInTransaction(kUser, [] {
    runInTransaction(kUser, [] {
      setValue(kUser, "Software\\P\\Q", "inner", kRegSz, makeString("1"));
      return kAccessDenied;
    });
    return setValue(kUser, "Software\\P\\Q", "outer", kRegSz, makeString("2"));
  });
  ASSERT_EQ(status, kSuccess);
  EXPECT_FALSE(hasValue("Software\\P\\Q", "inner"));
  EXPECT_TRUE(hasValue("Software\\P\\Q", "outer"));
  std::vector<std::string> names;
  ASSERT_EQ(listSubKeys(kUser, "Software", names), kSuccess);
  EXPECT_EQ(names, std::vector<std::string>{"P"});
}

TEST_F(RegistryKeyCache, OtherSpellingsOfAPathReachTheSameKey) {
  runInTransaction(kUser, [] {
    setValue(kUser, "Software\\Case\\Key", "a", kRegSz, makeString("1"));
    setValue(kUser, "SOFTWARE\\case\\KEY", "b", kRegSz, makeString("2"));
    return setValue(kUser, "\\Software\\Case\\Key\\", "c", kRegSz, makeString("3"));
  });
  std::vector<Value> values;
  ASSERT_EQ(listValues(kUser, "software\\case\\key", values), kSuccess);
  EXPECT_EQ(values.size(), 3u);
  std::vector<std::string> names;
  listSubKeys(kUser, "Software", names);
  EXPECT_EQ(names, std::vector<std::string>{"Case"});
}

TEST_F(RegistryKeyCache, FolderWithOrWithoutTrailingSeparatorIsTheSameFile) {
  const std::string config = (folder() / "config").string();
  setenv("XDG_CONFIG_HOME", (config + "/").c_str(), 1);
  const std::filesystem::path withSeparator = databasePath(kUser);
  setenv("XDG_CONFIG_HOME", config.c_str(), 1);
  EXPECT_EQ(withSeparator, databasePath(kUser));
  EXPECT_EQ(databasePath(kUser), folder() / "config" / "qxvbutils" / "registry-hkcu.sqlite");
}

TEST_F(RegistryKeyCache, ReadTransactionSeesOneSnapshot) {
  setValue(kUser, "Software\\Snap\\Key", "v", kRegSz, makeString("before"));
  std::string first;
  std::string second;
  const Status status = runInReadTransaction(kUser, [&] {
    first = textOf("Software\\Snap\\Key", "v");
    // Another thread has its own connection and commits at once.
    std::thread([] {
      setValue(kUser, "Software\\Snap\\Key", "v", kRegSz, makeString("after"));
      closeThreadConnections();
    }).join();
    second = textOf("Software\\Snap\\Key", "v");
    return kMoreData;
  });
  EXPECT_EQ(status, kMoreData);
  EXPECT_EQ(first, "before");
  EXPECT_EQ(second, "before");
  EXPECT_EQ(textOf("Software\\Snap\\Key", "v"), "after");
}

// Ids found by one call are kept for the next only while nobody changed
// the store: a key another connection (here another thread's) removed and
// made again, or one this connection's own rolled-back work made, is
// looked up afresh.
TEST_F(RegistryKeyCache, KeysKeptBetweenCallsFollowOtherConnections) {
  setValue(kUser, "Software\\Kept\\Key", "v", kRegSz, makeString("first"));
  EXPECT_EQ(textOf("Software\\Kept\\Key", "v"), "first");
  std::thread([] {
    deleteTree(kUser, "Software\\Kept");
    setValue(kUser, "Software\\Other", "pad", kRegSz, makeString("x"));
    setValue(kUser, "Software\\Kept\\Key", "v", kRegSz, makeString("second"));
    closeThreadConnections();
  }).join();
  EXPECT_EQ(textOf("Software\\Kept\\Key", "v"), "second");
  std::thread([] {
    deleteTree(kUser, "Software\\Kept");
    closeThreadConnections();
  }).join();
  EXPECT_FALSE(hasValue("Software\\Kept\\Key", "v"));
  EXPECT_NE(openKey(kUser, "Software\\Kept\\Key"), kSuccess);

  EXPECT_EQ(runInTransaction(kUser,
                             [] {
                               setValue(kUser, "Software\\Gone\\Key", "v", kRegSz,
                                        makeString("rolled back"));
                               return kAccessDenied;
                             }),
            kAccessDenied);
  EXPECT_FALSE(hasValue("Software\\Gone\\Key", "v"));
  EXPECT_EQ(setValue(kUser, "Software\\Gone\\Key", "v", kRegSz, makeString("made")), kSuccess);
  EXPECT_EQ(textOf("Software\\Gone\\Key", "v"), "made");
}

TEST_F(RegistryKeyCache, ReadTransactionWithoutADatabaseStillRunsItsBody) {
  ASSERT_FALSE(std::filesystem::exists(databasePath(kUser)));
  bool ran = false;
  EXPECT_EQ(runInReadTransaction(kUser,
                                 [&] {
                                   ran = true;
                                   return openKey(kUser, "Software");
                                 }),
            kFileNotFound);
  EXPECT_TRUE(ran);
  EXPECT_FALSE(std::filesystem::exists(databasePath(kUser)));
  ran = false;
  EXPECT_EQ(runInReadTransaction(RootKey::Users,
                                 [&] {
                                   ran = true;
                                   return kSuccess;
                                 }),
            kSuccess);
  EXPECT_TRUE(ran);
}

}  // namespace
}  // namespace qxvb::registry
