// The registry store under a full disk, read by another user, and the
// privacy of the per-user database.
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/failing_sqlite_vfs.h"
#include "platform/registry/reg_file.h"
#include "platform/registry/registry_store.h"
#include "platform/registry_test_folder.h"
#include "support/child_process.h"
#include "support/sandbox.h"
#include "support/small_filesystem.h"

namespace qxvb::registry {
namespace {

namespace fs = std::filesystem;
using RegistryReliability = test::RegistryTest;

std::string regFileWithValues(int keys, int valuesPerKey, std::size_t valueSize) {
  std::string text = "REGEDIT4\r\n";
  const std::string data(valueSize, 'v');
  for (int k = 0; k < keys; ++k) {
    text += "\r\n[HKEY_CURRENT_USER\\Software\\Bulk\\Key" + std::to_string(k) + "]\r\n";
    for (int v = 0; v < valuesPerKey; ++v) {
      text += "\"Value" + std::to_string(v) + "\"=\"" + data + "\"\r\n";
    }
  }
  return text;
}

TEST_F(RegistryReliability, AnImportOnAFullDiskWritesNothingAndSaysTheDiskIsFull) {
  test::SmallFileSystem small(1024, "full-registry");
  QXVB_REQUIRE_SMALL_FS(small);
  setenv("XDG_CONFIG_HOME", small.root().c_str(), 1);
  ASSERT_EQ(setValue(RootKey::CurrentUser, "Software\\Before", "kept", kRegSz, makeString("yes")),
            kSuccess);
  closeThreadConnections();

  // About 3 MB of values into a 1 MB file system.
  const ImportResult result = importRegText(regFileWithValues(60, 50, 1000));
  ASSERT_FALSE(result.errors.empty());
  const std::string last = result.errors.back();
  EXPECT_NE(last.find("the disk is full"), std::string::npos) << last;
  EXPECT_NE(last.find("nothing was written"), std::string::npos) << last;
  EXPECT_EQ(result.keys, 0u);
  EXPECT_EQ(result.values, 0u);
  // All or nothing: not one key of the file arrived, and the store is sound.
  EXPECT_EQ(openKey(RootKey::CurrentUser, "Software\\Bulk\\Key0"), kFileNotFound);
  EXPECT_EQ(openKey(RootKey::CurrentUser, "Software\\Bulk"), kFileNotFound);
  std::uint32_t type = 0;
  Bytes data;
  EXPECT_EQ(queryValue(RootKey::CurrentUser, "Software\\Before", "kept", type, data), kSuccess);
  closeThreadConnections();
  // With room again the same import goes through.
  EXPECT_TRUE(importRegText(regFileWithValues(3, 2, 10)).errors.empty());
  EXPECT_EQ(openKey(RootKey::CurrentUser, "Software\\Bulk\\Key2"), kSuccess);
}

TEST_F(RegistryReliability, AnImportMetByAnIoErrorWritesNothingAndSaysSo) {
  ASSERT_EQ(setValue(RootKey::CurrentUser, "Software\\Before", "kept", kRegSz, makeString("yes")),
            kSuccess);
  closeThreadConnections();
  for (const int allowed : {0, 3, 40}) {
    {
      test::FailingSqliteWrites failing(allowed);
      const ImportResult result = importRegText(regFileWithValues(40, 40, 300));
      ASSERT_FALSE(result.errors.empty()) << allowed;
      const std::string last = result.errors.back();
      EXPECT_NE(last.find("I/O error"), std::string::npos) << allowed << ": " << last;
      EXPECT_NE(last.find("nothing was written"), std::string::npos) << last;
      EXPECT_GT(failing.failedWrites(), 0);
      closeThreadConnections();
    }
    EXPECT_EQ(openKey(RootKey::CurrentUser, "Software\\Bulk"), kFileNotFound) << allowed;
    std::uint32_t type = 0;
    Bytes data;
    EXPECT_EQ(queryValue(RootKey::CurrentUser, "Software\\Before", "kept", type, data), kSuccess);
    closeThreadConnections();
  }
}

TEST_F(RegistryReliability, AnotherUserReadsTheMachineStoreWrittenByRoot) {
  if (::geteuid() != 0) {
    if (std::getenv("CI") != nullptr) FAIL() << "the test runs as root in CI";
    GTEST_SKIP() << "needs root to act as another user";
  }
  const mode_t oldMask = ::umask(022);
  ASSERT_EQ(setValue(RootKey::LocalMachine, "Software\\Classes\\CLSID\\{X}\\InprocServer32", "",
                     kRegSz, makeString("/opt/lib/x.so")),
            kSuccess);
  ::umask(oldMask);
  // Every folder on the way is open to others, as /var/lib is.
  for (fs::path p = folder() / "machine"; p != test::sandboxRoot().parent_path();
       p = p.parent_path()) {
    ::chmod(p.c_str(), 0755);
  }
  const fs::path file = folder() / "machine" / "registry-hklm.sqlite";
  struct stat before {};
  ASSERT_EQ(::stat(file.c_str(), &before), 0);
  EXPECT_EQ(before.st_mode & 0777, 0644u);

  // Once while root keeps its connection, once after it closed.
  for (int round = 0; round < 2; ++round) {
    const pid_t reader = test::forkChild([] {
      if (::setgroups(0, nullptr) != 0 || ::setgid(65534) != 0 || ::setuid(65534) != 0)
        return false;
      std::uint32_t type = 0;
      Bytes data;
      const Status status = queryValue(
          RootKey::LocalMachine, "Software\\Classes\\CLSID\\{X}\\InprocServer32", "", type, data);
      return status == kSuccess && data == makeString("/opt/lib/x.so");
    });
    EXPECT_EQ(test::exitCodeOf(reader), 0) << "round " << round;
    closeThreadConnections();
  }
  ::chmod(test::sandboxRoot().c_str(), 0700);
}

TEST_F(RegistryReliability, ThePerUserDatabaseIsPrivate) {
  const mode_t oldMask = ::umask(022);
  ASSERT_EQ(setValue(RootKey::CurrentUser, "Software\\Secret", "pw", kRegSz, makeString("x")),
            kSuccess);
  ::umask(oldMask);
  struct stat info {};
  ASSERT_EQ(::stat(databasePath(RootKey::CurrentUser).c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

}  // namespace
}  // namespace qxvb::registry
