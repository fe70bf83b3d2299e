#include "platform/atomic_file.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <filesystem>
#include <thread>

#include "support/child_process.h"
#include "support/sandbox.h"
#include "support/small_filesystem.h"

namespace qxvb::platform {
namespace {

namespace fs = std::filesystem;
using test::freshFolder;
using test::readFile;
using test::writeFile;

mode_t modeOf(const fs::path& file) {
  struct stat info {};
  return ::lstat(file.c_str(), &info) == 0 ? (info.st_mode & 07777) : 0;
}

// Everything in the folder besides the names given.
std::vector<std::string> othersIn(const fs::path& folder, const std::vector<std::string>& known) {
  std::vector<std::string> others;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (std::find(known.begin(), known.end(), name) == known.end()) others.push_back(name);
  }
  return others;
}

class UmaskScope {
 public:
  explicit UmaskScope(mode_t mask) : old_(::umask(mask)) {}
  ~UmaskScope() { ::umask(old_); }

 private:
  mode_t old_;
};

TEST(AtomicFile, WritesNewFilesWithTheAskedAccessAndKeepsTheModeOfARewrittenFile) {
  const UmaskScope mask(022);
  const fs::path folder = freshFolder("atomic-modes");
  ASSERT_EQ(writeFileAtomically(folder / "shared.txt", "one"), 0);
  EXPECT_EQ(readFile(folder / "shared.txt"), "one");
  EXPECT_EQ(modeOf(folder / "shared.txt"), 0644U);
  ASSERT_EQ(writeFileAtomically(folder / "secret.ini", "pw", NewFileAccess::OwnerOnly), 0);
  EXPECT_EQ(modeOf(folder / "secret.ini"), 0600U);

  writeFile(folder / "kept.txt", "old");
  ::chmod((folder / "kept.txt").c_str(), 0640);
  ASSERT_EQ(writeFileAtomically(folder / "kept.txt", "new"), 0);
  EXPECT_EQ(readFile(folder / "kept.txt"), "new");
  EXPECT_EQ(modeOf(folder / "kept.txt"), 0640U);
  // A private file stays private even when rewritten as a shared kind.
  ASSERT_EQ(writeFileAtomically(folder / "secret.ini", "pw2"), 0);
  EXPECT_EQ(modeOf(folder / "secret.ini"), 0600U);
  EXPECT_TRUE(othersIn(folder, {"shared.txt", "secret.ini", "kept.txt"}).empty());
}

TEST(AtomicFile, ReplacesALinkAtTheTargetInsteadOfWritingThroughIt) {
  const fs::path folder = freshFolder("atomic-link");
  writeFile(folder / "private.txt", "secret");
  fs::create_symlink(folder / "private.txt", folder / "out.txt");
  ASSERT_EQ(writeFileAtomically(folder / "out.txt", "export"), 0);
  EXPECT_EQ(readFile(folder / "private.txt"), "secret");
  EXPECT_FALSE(fs::is_symlink(folder / "out.txt"));
  EXPECT_EQ(readFile(folder / "out.txt"), "export");

  // Creating only: a file or link already there is never replaced.
  AtomicFile fresh(folder / "out.txt");
  ASSERT_TRUE(fresh.write("other"));
  EXPECT_EQ(fresh.commitNew(), EEXIST);
  EXPECT_EQ(readFile(folder / "out.txt"), "export");
  EXPECT_TRUE(othersIn(folder, {"private.txt", "out.txt"}).empty());
}

TEST(AtomicFile, AFailedWriteLeavesTheTargetAndNoTemporary) {
  const fs::path folder = freshFolder("atomic-fail");
  EXPECT_EQ(writeFileAtomically(folder / "missing" / "x.txt", "data"), ENOENT);
  writeFile(folder / "x.txt", "before");
  {
    AtomicFile dropped(folder / "x.txt");
    ASSERT_TRUE(dropped.write("half"));
  }
  EXPECT_EQ(readFile(folder / "x.txt"), "before");
  EXPECT_TRUE(othersIn(folder, {"x.txt"}).empty());
}

TEST(AtomicFile, AFullDiskReportsNoSpaceAndKeepsTheOldContent) {
  test::SmallFileSystem small(256);
  QXVB_REQUIRE_SMALL_FS(small);
  const fs::path target = small.root() / "data.bin";
  ASSERT_EQ(writeFileAtomically(target, std::string(64 * 1024, 'a')), 0);
  EXPECT_EQ(writeFileAtomically(target, std::string(512 * 1024, 'b')), ENOSPC);
  EXPECT_EQ(readFile(target), std::string(64 * 1024, 'a'));
  small.fill();
  EXPECT_EQ(writeFileAtomically(target, std::string(8 * 1024, 'c')), ENOSPC);
  EXPECT_EQ(readFile(target), std::string(64 * 1024, 'a'));
  EXPECT_TRUE(othersIn(small.root(), {"data.bin", "filler"}).empty());
}

TEST(AtomicFile, TemporariesOfDeadWritersAreRemovedByTheNextWrite) {
  const fs::path folder = freshFolder("atomic-stale");
  const fs::path stale = folder / ".t.ini.qxtmp-0123456789abcdef";
  const fs::path held = folder / ".t.ini.qxtmp-fedcba9876543210";
  writeFile(stale, "left by a killed writer");
  writeFile(held, "a writer still at work");
  const auto old = fs::file_time_type::clock::now() - std::chrono::minutes(5);
  fs::last_write_time(stale, old);
  fs::last_write_time(held, old);
  EXPECT_TRUE(isAtomicTemporaryName(stale.filename().string()));
  EXPECT_FALSE(isAtomicTemporaryName("t.ini"));

  // Another process holds its temporary locked, as a live writer does.
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t holder = test::forkChild([&] {
    const int fd = ::open(held.c_str(), O_RDONLY);
    ::flock(fd, LOCK_EX);
    (void)::write(ready[1], "r", 1);
    ::pause();
    return true;
  });
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  ASSERT_EQ(writeFileAtomically(folder / "t.ini", "x"), 0);
  EXPECT_FALSE(fs::exists(stale));
  EXPECT_TRUE(fs::exists(held));
  test::stopChild(holder, std::chrono::milliseconds(100));
  ::close(ready[0]);
  ::close(ready[1]);
}

TEST(AtomicFile, AWriterKilledMidWayLeavesNothingBehind) {
  const fs::path folder = freshFolder("atomic-kill");
  writeFile(folder / "big.dat", "original");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t writer = test::forkChild([&] {
    AtomicFile file(folder / "big.dat");
    (void)::write(ready[1], "r", 1);
    const std::string chunk(1 << 16, 'z');
    for (int i = 0; i < 500; ++i) file.write(chunk);
    ::pause();
    return true;
  });
  char byte = 0;
  ASSERT_EQ(::read(ready[0], &byte, 1), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ::kill(writer, SIGKILL);
  EXPECT_EQ(test::exitCodeOf(writer), -1);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(readFile(folder / "big.dat"), "original");
  EXPECT_TRUE(othersIn(folder, {"big.dat"}).empty());
}

}  // namespace
}  // namespace qxvb::platform
