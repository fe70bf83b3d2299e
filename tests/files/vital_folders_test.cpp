// The root folder and the home folder are never deleted or moved away.
#include <gtest/gtest.h>

#include <filesystem>

#include "files/folder_operations.h"
#include "files/qx_file_utils.h"
#include "platform/state_paths.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

TEST(VitalFolders, RootAndHomeAreRecognisedHoweverSpelt) {
  // Checked on the predicate alone: a wrong answer here must never be
  // found out by deleting the machine's root.
  EXPECT_TRUE(files::isVitalFolder("/"));
  EXPECT_TRUE(files::isVitalFolder("//"));
  EXPECT_TRUE(files::isVitalFolder("/."));
  EXPECT_TRUE(files::isVitalFolder("/tmp/.."));
  const std::string home = paths::home().string();
  EXPECT_TRUE(files::isVitalFolder(home));
  EXPECT_TRUE(files::isVitalFolder(home + "/"));
  EXPECT_TRUE(files::isVitalFolder(home + "/sub/.."));
  EXPECT_FALSE(files::isVitalFolder(home + "/sub"));
  EXPECT_FALSE(files::isVitalFolder(""));
}

TEST(VitalFolders, DeletingOrMovingTheHomeFolderChangesNothing) {
  // HOME points into the test's sandbox.
  const auto home = paths::home();
  std::filesystem::create_directories(home);
  test::writeFile(home / "keep.txt", "x");
  QX_File_Utils utils;
  EXPECT_EQ(test::errorNumber([&] { utils.QX_File_FolderDelete(home.string(), true); }), 70);
  EXPECT_EQ(test::errorNumber([&] { utils.QX_File_FolderDelete(home.string() + "/.", true); }), 70);
  const auto elsewhere = test::freshFolder("moved-home") / "home";
  EXPECT_EQ(test::errorNumber([&] { utils.QX_File_FolderMove(home.string(), elsewhere.string()); }),
            70);
  EXPECT_TRUE(std::filesystem::exists(home / "keep.txt"));
  EXPECT_FALSE(std::filesystem::exists(elsewhere));
}

}  // namespace
}  // namespace qxvb
