#include <sys/stat.h>
#include <unistd.h>

#include "files_fixture.h"
#include "support/small_filesystem.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

using FolderOpsTest = FilesTest;

// A small tree: a/f1, a/sub/f2, a/sub/deeper/f3.
fs::path makeTree(const fs::path& root) {
  const fs::path a = root / "a";
  fs::create_directories(a / "sub" / "deeper");
  test::writeFile(a / "f1", "one");
  test::writeFile(a / "sub" / "f2", "two");
  test::writeFile(a / "sub" / "deeper" / "f3", std::string(200000, 'z'));
  return a;
}

bool hasStagingLeft(const fs::path& root) {
  for (const auto& e : fs::recursive_directory_iterator(root)) {
    if (e.path().filename().string().rfind(".~qx", 0) == 0) return true;
  }
  return false;
}

void makeReadOnly(const fs::path& p) {
  fs::permissions(p, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                  fs::perm_options::remove);
}

TEST_F(FolderOpsTest, CopyMakesTheTargetWithEveryLevel) {
  auto u = newUtils();
  const fs::path root = freshFolder("copy");
  const fs::path a = makeTree(root);
  fs::permissions(a / "f1", fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_TRUE(u->QX_File_FolderCopy(text(a) + "/", text(root / "b") + "/", false).isEmpty());
  EXPECT_EQ(test::readFile(root / "b" / "f1"), "one");
  EXPECT_EQ(test::readFile(root / "b" / "sub" / "f2"), "two");
  EXPECT_EQ(fs::file_size(root / "b" / "sub" / "deeper" / "f3"), 200000u);
  EXPECT_EQ(fs::status(root / "b" / "f1").permissions(),
            fs::perms::owner_read | fs::perms::owner_write);
  EXPECT_EQ(fs::last_write_time(root / "b" / "f1"), fs::last_write_time(a / "f1"));
  EXPECT_FALSE(hasStagingLeft(root));
  // A target that still ends in a separator receives the folder by name.
  fs::create_directory(root / "into");
  u->QX_File_FolderCopy(text(a), text(root / "into") + "//", false);
  EXPECT_EQ(test::readFile(root / "into" / "a" / "sub" / "f2"), "two");
}

TEST_F(FolderOpsTest, CopyConflictsAreFoundBeforeAnythingIsWritten) {
  auto u = newUtils();
  const fs::path root = freshFolder("conflict");
  const fs::path a = makeTree(root);
  fs::create_directories(root / "b" / "sub" / "deeper");
  test::writeFile(root / "b" / "sub" / "deeper" / "f3", "old");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "b"), false); }),
            vberr::FileAlreadyExists);
  EXPECT_FALSE(fs::exists(root / "b" / "f1"));
  EXPECT_FALSE(fs::exists(root / "b" / "sub" / "f2"));
  EXPECT_EQ(test::readFile(root / "b" / "sub" / "deeper" / "f3"), "old");

  u->QX_File_FolderCopy(text(a), text(root / "b"), true);
  EXPECT_EQ(fs::file_size(root / "b" / "sub" / "deeper" / "f3"), 200000u);
  EXPECT_EQ(test::readFile(root / "b" / "f1"), "one");

  // A read-only file is not overwritten, even when asked.
  fs::create_directories(root / "c");
  test::writeFile(root / "c" / "f1", "kept");
  makeReadOnly(root / "c" / "f1");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "c"), true); }),
            vberr::PermissionDenied);
  EXPECT_EQ(test::readFile(root / "c" / "f1"), "kept");
  EXPECT_FALSE(fs::exists(root / "c" / "sub"));

  // A file where a folder of the source goes.
  fs::create_directories(root / "d");
  test::writeFile(root / "d" / "sub", "file");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "d"), true); }),
            vberr::FileAlreadyExists);
  EXPECT_FALSE(fs::exists(root / "d" / "f1"));
  EXPECT_FALSE(hasStagingLeft(root));
}

// A copy into a new folder that fails half-way (the disk fills) leaves
// neither the target nor any part of it; one that fits leaves the whole.
TEST_F(FolderOpsTest, CopyThatFailsHalfWayLeavesNothing) {
  auto u = newUtils();
  const fs::path a = makeTree(freshFolder("copy-full-source"));
  test::writeFile(a / "sub" / "big", std::string(400000, 'b'));
  test::SmallFileSystem small(512);
  QXVB_REQUIRE_SMALL_FS(small);
  const fs::path target = small.root() / "copy";
  EXPECT_NE(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(target), true); }), 0);
  EXPECT_FALSE(fs::exists(target));
  EXPECT_FALSE(hasStagingLeft(small.root()));
  fs::remove(a / "sub" / "big");
  EXPECT_TRUE(u->QX_File_FolderCopy(text(a), text(target), true).isEmpty());
  EXPECT_EQ(test::readFile(target / "sub" / "deeper" / "f3"), std::string(200000, 'z'));
  EXPECT_FALSE(hasStagingLeft(small.root()));
}

TEST_F(FolderOpsTest, CopyRefusesBadSourcesAndTargets) {
  auto u = newUtils();
  const fs::path root = freshFolder("badcopy");
  const fs::path a = makeTree(root);
  test::writeFile(root / "file", "x");
  EXPECT_EQ(
      errorNumber([&] { u->QX_File_FolderCopy(text(root / "none"), text(root / "b"), true); }),
      vberr::PathNotFound);
  EXPECT_EQ(
      errorNumber([&] { u->QX_File_FolderCopy(text(root / "file"), text(root / "b"), true); }),
      vberr::PathNotFound);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "file"), true); }),
            vberr::FileAlreadyExists);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "no" / "b"), true); }),
            vberr::PathNotFound);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy("", text(root / "b"), true); }),
            vberr::PathNotFound);
  EXPECT_FALSE(fs::exists(root / "b"));
  EXPECT_FALSE(fs::exists(root / "no"));
}

TEST_F(FolderOpsTest, CopyOrMoveIntoItselfIsRefused) {
  auto u = newUtils();
  const fs::path root = freshFolder("itself");
  const fs::path a = makeTree(root);
  for (const fs::path& target : {a / "sub" / "copy", a / "new", a}) {
    try {
      u->QX_File_FolderCopy(text(a), text(target), true);
      ADD_FAILURE() << "copied into " << target;
    } catch (const AutomationError& e) {
      EXPECT_EQ(e.number(), vberr::PermissionDenied);
      EXPECT_NE(e.description().find("into itself"), std::string::npos);
    }
    EXPECT_EQ(errorNumber([&] { u->QX_File_FolderMove(text(a), text(target)); }),
              target == a ? vberr::FileAlreadyExists : vberr::PermissionDenied);
  }
  EXPECT_EQ(
      errorNumber([&] { u->QX_File_FolderCopy(text(a), text(a / "sub" / ".." / "x"), true); }),
      vberr::PermissionDenied);
  EXPECT_FALSE(fs::exists(a / "sub" / "copy"));
  EXPECT_FALSE(fs::exists(a / "new"));
  EXPECT_FALSE(fs::exists(a / "x"));
  EXPECT_EQ(test::readFile(a / "f1"), "one");
}

TEST_F(FolderOpsTest, CopyKeepsLinksAsLinksAndNeverWritesThroughOne) {
  auto u = newUtils();
  const fs::path root = freshFolder("links");
  const fs::path outside = freshFolder("outside");
  test::writeFile(outside / "secret", "outside");
  const fs::path a = makeTree(root);
  fs::create_symlink(outside / "secret", a / "to-secret");
  fs::create_directory_symlink(outside, a / "to-outside");
  u->QX_File_FolderCopy(text(a), text(root / "b"), false);
  EXPECT_TRUE(fs::is_symlink(root / "b" / "to-secret"));
  EXPECT_EQ(fs::read_symlink(root / "b" / "to-secret"), outside / "secret");
  EXPECT_TRUE(fs::is_symlink(root / "b" / "to-outside"));

  // A link in the target where a folder of the source goes.
  fs::create_directories(root / "c");
  fs::create_directory_symlink(outside, root / "c" / "sub");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "c"), true); }),
            vberr::FileAlreadyExists);
  EXPECT_FALSE(fs::exists(outside / "f2"));
  // A link in the target where a file goes is replaced, not written through.
  fs::create_directories(root / "d");
  fs::create_symlink(outside / "secret", root / "d" / "f1");
  u->QX_File_FolderCopy(text(a), text(root / "d"), true);
  EXPECT_FALSE(fs::is_symlink(root / "d" / "f1"));
  EXPECT_EQ(test::readFile(root / "d" / "f1"), "one");
  EXPECT_EQ(test::readFile(outside / "secret"), "outside");
}

TEST_F(FolderOpsTest, CopyRefusesSpecialFiles) {
  auto u = newUtils();
  const fs::path root = freshFolder("fifo");
  const fs::path a = makeTree(root);
  ASSERT_EQ(::mkfifo((a / "sub" / "pipe").c_str(), 0600), 0);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "b"), true); }),
            vberr::PathFileAccessError);
  EXPECT_FALSE(fs::exists(root / "b"));
}

TEST_F(FolderOpsTest, MoveRenamesTheFolder) {
  auto u = newUtils();
  const fs::path root = freshFolder("move");
  const fs::path a = makeTree(root);
  EXPECT_TRUE(u->QX_File_FolderMove(text(a) + "/", text(root / "b") + "/").isEmpty());
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(test::readFile(root / "b" / "sub" / "f2"), "two");
  fs::create_directories(root / "c");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderMove(text(root / "b"), text(root / "c")); }),
            vberr::FileAlreadyExists);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderMove(text(root / "none"), text(root / "d")); }),
            vberr::PathNotFound);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderMove(text(root / "b"), text(root / "no" / "d")); }),
            vberr::PathNotFound);
  u->QX_File_FolderMove(text(root / "b"), text(root / "c") + "//");
  EXPECT_EQ(test::readFile(root / "c" / "b" / "f1"), "one");
  EXPECT_TRUE(fs::exists(root / "c" / "b" / "sub" / "deeper" / "f3"));
}

TEST_F(FolderOpsTest, MoveAcrossFileSystemsCopiesThenDeletes) {
  const fs::path root = freshFolder("cross");
  std::string other = "/dev/shm/qxvb-files-XXXXXX";
  struct stat here {};
  struct stat there {};
  if (::stat("/dev/shm", &there) != 0 || ::stat(root.c_str(), &here) != 0 ||
      here.st_dev == there.st_dev || ::mkdtemp(other.data()) == nullptr) {
    GTEST_SKIP() << "no second file system at hand";
  }
  auto u = newUtils();
  const fs::path a = makeTree(root);
  fs::create_symlink("f1", a / "rel-link");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderMove(text(a), other + "/m"); }), 0);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(test::readFile(fs::path(other) / "m" / "sub" / "f2"), "two");
  EXPECT_EQ(fs::file_size(fs::path(other) / "m" / "sub" / "deeper" / "f3"), 200000u);
  EXPECT_EQ(fs::read_symlink(fs::path(other) / "m" / "rel-link"), "f1");
  EXPECT_FALSE(hasStagingLeft(other));
  fs::remove_all(other);
}

TEST_F(FolderOpsTest, DeleteRemovesTheWholeFolder) {
  auto u = newUtils();
  const fs::path root = freshFolder("delete");
  EXPECT_TRUE(u->QX_File_FolderDelete(text(root / "none"), false).isEmpty());
  const fs::path a = makeTree(root);
  u->QX_File_FolderDelete(text(a), false);
  EXPECT_FALSE(fs::exists(a));
  const fs::path again = makeTree(root);
  u->QX_File_FolderDelete(text(again) + "/", false);
  EXPECT_FALSE(fs::exists(again));
  EXPECT_TRUE(fs::exists(root));
}

TEST_F(FolderOpsTest, ReadOnlyItemsNeedForce) {
  auto u = newUtils();
  const fs::path root = freshFolder("readonly");
  const fs::path a = makeTree(root);
  makeReadOnly(a / "sub" / "deeper" / "f3");
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderDelete(text(a), false); }), vberr::PermissionDenied);
  EXPECT_TRUE(fs::exists(a / "f1"));
  EXPECT_TRUE(fs::exists(a / "sub" / "f2"));
  makeReadOnly(a / "sub");
  u->QX_File_FolderDelete(text(a), true);
  EXPECT_FALSE(fs::exists(a));
}

TEST_F(FolderOpsTest, PlatformRefusalsBecomePermissionDenied) {
  if (::geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  auto u = newUtils();
  const fs::path root = freshFolder("denied");
  const fs::path a = makeTree(root);
  fs::create_directories(root / "locked");
  fs::permissions(root / "locked", fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_EQ(
      errorNumber([&] { u->QX_File_FolderCopy(text(a), text(root / "locked" / "b"), false); }),
      vberr::PermissionDenied);
  EXPECT_EQ(errorNumber([&] { u->QX_File_FolderMove(text(a), text(root / "locked" / "b")); }),
            vberr::PermissionDenied);
  std::string inside = text(root / "locked" / "new");
  EXPECT_FALSE(u->QX_File_ValidFolderName(inside));
  EXPECT_FALSE(u->QX_File_ValidFileName(text(root / "locked" / "f.txt")));
  EXPECT_FALSE(u->QX_File_WriteLog(text(root / "locked" / "l.log"), "x"));
  fs::permissions(root / "locked", fs::perms::owner_all);
  EXPECT_TRUE(fs::is_empty(root / "locked"));
  EXPECT_TRUE(fs::exists(a / "f1"));
}

TEST_F(FolderOpsTest, DeleteNeverFollowsLinks) {
  auto u = newUtils();
  const fs::path root = freshFolder("dellinks");
  const fs::path outside = freshFolder("keep");
  test::writeFile(outside / "precious", "p");
  const fs::path a = makeTree(root);
  fs::create_directory_symlink(outside, a / "sub" / "escape");
  fs::create_symlink(outside / "precious", a / "file-link");
  u->QX_File_FolderDelete(text(a), true);
  EXPECT_FALSE(fs::exists(a));
  EXPECT_EQ(test::readFile(outside / "precious"), "p");
  // A folder named through a link loses the link only.
  fs::create_directory_symlink(outside, root / "link");
  u->QX_File_FolderDelete(text(root / "link") + "/", true);
  EXPECT_FALSE(fs::exists(root / "link"));
  EXPECT_FALSE(fs::is_symlink(root / "link"));
  EXPECT_EQ(test::readFile(outside / "precious"), "p");
}

}  // namespace
}  // namespace qxvb::test
