#include <regex>
#include <set>
#include <thread>
#include <vector>

#include "files/temp_names.h"
#include "files_fixture.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

using TempNamesTest = FilesTest;

size_t entryCount(const fs::path& folder) {
  size_t n = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder)) ++n;
  return n;
}

TEST_F(TempNamesTest, ExtensionNameWithANumberIsOnlyFormed) {
  auto u = newUtils();
  EXPECT_EQ(u->QX_File_GetTempFileExt("/C/T", "img", 255, "png"), "/C/T/imgFF.png");
  EXPECT_EQ(u->QX_File_GetTempFileExt("/C/T/", "img", 255, "png"), "/C/T/imgFF.png");
  EXPECT_FALSE(fs::exists("/C"));
  // No default folder: an empty path names the root.
  EXPECT_EQ(u->QX_File_GetTempFileExt("", "x", 10, "txt"), "/xA.txt");
  EXPECT_EQ(u->QX_File_GetTempFileExt("/t", "", -1, ""), "/t/FFFFFFFF.");
  EXPECT_EQ(u->QX_File_GetTempFileExt("/t", "long-prefix", 4096, "tar.gz"),
            "/t/long-prefix1000.tar.gz");
}

TEST_F(TempNamesTest, ExtensionNameWithoutANumberCreatesAnEmptyFile) {
  auto u = newUtils();
  const fs::path folder = freshFolder("ext");
  const std::regex form("img[0-9A-F]{1,3}\\.png");
  std::set<std::string> names;
  for (int i = 0; i < 20; ++i) {
    const std::string name = u->QX_File_GetTempFileExt(text(folder), "img", 0, "png");
    ASSERT_FALSE(name.empty());
    EXPECT_EQ(fs::path(name).parent_path(), folder);
    EXPECT_TRUE(std::regex_match(fs::path(name).filename().string(), form)) << name;
    EXPECT_EQ(fs::file_size(name), 0u);
    names.insert(name);
  }
  EXPECT_EQ(names.size(), 20u);
  EXPECT_EQ(entryCount(folder), 20u);
}

TEST_F(TempNamesTest, ExtensionFileCreationFailuresReachTheCaller) {
  auto u = newUtils();
  const fs::path folder = freshFolder("ext-fail");
  EXPECT_EQ(errorNumber([&] { u->QX_File_GetTempFileExt(text(folder / "missing"), "a", 0, "b"); }),
            vberr::PathNotFound);
  // A separator in the prefix or extension would leave the folder.
  EXPECT_EQ(errorNumber([&] { u->QX_File_GetTempFileExt(text(folder), "../a", 0, "b"); }),
            vberr::BadFileNameOrNumber);
  EXPECT_EQ(errorNumber([&] { u->QX_File_GetTempFileExt(text(folder), "a", 0, "b/../../c"); }),
            vberr::BadFileNameOrNumber);
  EXPECT_EQ(entryCount(folder), 0u);
}

TEST_F(TempNamesTest, PlatformRuleKeepsThreePrefixCharactersAndHexadecimal) {
  auto u = newUtils();
  const fs::path folder = freshFolder("tmp");
  EXPECT_EQ(u->QX_File_GetTempFile(text(folder), "abcdef", 0x1F), text(folder / "abc1F.tmp"));
  EXPECT_EQ(u->QX_File_GetTempFile(text(folder) + "/", "äöüß", 0xABCD),
            text(folder / "äöüABCD.tmp"));
  // Only the low 16 bits count.
  EXPECT_EQ(u->QX_File_GetTempFile(text(folder), "q", 0x12345), text(folder / "q2345.tmp"));
  EXPECT_EQ(entryCount(folder), 0u);

  const std::regex form("abc[0-9A-F]{1,4}\\.tmp");
  const std::string created = u->QX_File_GetTempFile(text(folder), "abcdef", 0);
  EXPECT_TRUE(std::regex_match(fs::path(created).filename().string(), form)) << created;
  EXPECT_TRUE(fs::is_regular_file(created));
  const std::string wrapped = u->QX_File_GetTempFile(text(folder), "abc", 0x10000);
  EXPECT_TRUE(fs::is_regular_file(wrapped));
  EXPECT_NE(created, wrapped);
}

TEST_F(TempNamesTest, PlatformRuleFailuresGiveAnEmptyName) {
  auto u = newUtils();
  const fs::path folder = freshFolder("tmp-fail");
  EXPECT_EQ(u->QX_File_GetTempFile(text(folder / "missing"), "abc", 0), "");
  EXPECT_EQ(u->QX_File_GetTempFile(text(folder), "../", 0), "");
  EXPECT_EQ(u->QX_File_GetTempFile(std::string(600, 'x'), "abc", 0), "");
  EXPECT_EQ(u->QX_File_GetTempFile(std::string(600, 'x'), "abc", 1), "");
  EXPECT_EQ(entryCount(folder), 0u);
}

TEST_F(TempNamesTest, EmptyPathUsesTheLibraryTemporaryFolder) {
  auto u = newUtils();
  const std::string temp = u->QX_File_GetFolderLocation(0, QXSF_TemporaryFolder);
  const std::string name = u->QX_File_GetTempFile("", "t", 0);
  EXPECT_EQ(fs::path(name).parent_path().string() + "/", temp);
  EXPECT_TRUE(fs::exists(name));
  const std::string folder = u->QX_File_CreateTempFolder("Work");
  EXPECT_EQ(folder, temp + "Work");
  EXPECT_TRUE(fs::is_directory(folder));
}

TEST_F(TempNamesTest, EveryThreadAndProcessStartsFromADifferentName) {
  // Fresh threads stand for fresh processes: each starts its own generator.
  std::vector<std::string> first(4);
  std::vector<fs::path> folders;
  for (size_t i = 0; i < first.size(); ++i) folders.push_back(freshFolder("start"));
  std::vector<std::thread> threads;
  for (size_t i = 0; i < first.size(); ++i) {
    threads.emplace_back([&, i] {
      const fs::path& folder = folders[i];
      first[i] = fs::path(files::platformTempFile(text(folder), "t", 0)).filename().string();
    });
  }
  for (auto& t : threads) t.join();
  EXPECT_GT(std::set<std::string>(first.begin(), first.end()).size(), 1u) << first[0];
}

TEST_F(TempNamesTest, TemporaryFoldersExistingOrUnique) {
  auto u = newUtils();
  const fs::path base = freshFolder("folders");
  const std::string work = text(base / "Work");
  EXPECT_EQ(u->QX_File_CreateTempFolder("Work", text(base)), work);
  EXPECT_TRUE(fs::is_directory(work));
  EXPECT_EQ(u->QX_File_CreateTempFolder("Work", text(base) + "/"), work);
  const std::regex form("Work_[0-9A-F]{1,4}");
  std::set<std::string> unique;
  for (int i = 0; i < 10; ++i) {
    const std::string made = u->QX_File_CreateTempFolder("Work", text(base), true);
    EXPECT_TRUE(std::regex_match(fs::path(made).filename().string(), form)) << made;
    EXPECT_TRUE(fs::is_directory(made));
    unique.insert(made);
  }
  EXPECT_EQ(unique.size(), 10u);
  EXPECT_EQ(u->QX_File_CreateTempFolder("deep/er", text(base)), text(base / "deep" / "er"));
}

TEST_F(TempNamesTest, TemporaryFolderRefusalsAndNamesOfExistingFolders) {
  const fs::path base = freshFolder("refused");
  {
    auto u = newUtils();
    // Empty, "." and ".." name folders that exist: they are taken as they are.
    EXPECT_EQ(u->QX_File_CreateTempFolder("", text(base)), text(base));
    EXPECT_EQ(u->QX_File_CreateTempFolder2(".", text(base) + "/"), text(base) + "/.");
    EXPECT_EQ(u->QX_File_CreateTempFolder("..", text(base)), text(base) + "/..");
    // Asked to be unique, the suffix follows the (empty) name.
    const std::string unique = u->QX_File_CreateTempFolder("", text(base), true);
    EXPECT_TRUE(
        std::regex_match(fs::path(unique).filename().string(), std::regex("_[0-9A-F]{1,4}")))
        << unique;
    EXPECT_TRUE(fs::is_directory(unique));
    fs::remove(unique);
    // Auto-delete never takes the base folder or one above it along.
    EXPECT_EQ(u->QX_File_CreateTempFolder(".", text(base), false, true), text(base) + "/.");
    EXPECT_EQ(u->QX_File_CreateTempFolder("..", text(base), false, true), text(base) + "/..");
  }
  EXPECT_TRUE(fs::is_directory(base));
  auto u = newUtils();
  EXPECT_EQ(u->QX_File_CreateTempFolder("rel", "relative"), "");
  EXPECT_EQ(entryCount(base), 0u);
  // A base below a file: a thousand tries, then empty.
  test::writeFile(base / "file", "x");
  EXPECT_EQ(u->QX_File_CreateTempFolder("Work", text(base / "file"), true), "");
  EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(TempNamesTest, CallersObjectDeletesItsItemsWhenReleased) {
  const fs::path base = freshFolder("own");
  std::string file, named, folder;
  {
    auto u = newUtils();
    file = u->QX_File_GetTempFile(text(base), "own", 0, false, true);
    named = u->QX_File_GetTempFileExt(text(base), "n", 7, "txt", false, true);
    test::writeFile(named, "formed, then written by the caller");
    folder = u->QX_File_CreateTempFolder("Work", text(base), false, true);
    test::writeFile(fs::path(folder) / "inside", "x");
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec);
    EXPECT_EQ(u->tempFiles().size(), 2u);
    EXPECT_EQ(u->tempFolders().size(), 1u);
    EXPECT_TRUE(fs::exists(file));
  }
  EXPECT_FALSE(fs::exists(file));
  EXPECT_FALSE(fs::exists(named));
  EXPECT_FALSE(fs::exists(folder));
}

TEST_F(TempNamesTest, DelayedAndSharedItemsGoToTheSettingsStore) {
  const fs::path base = freshFolder("store");
  std::string delayed, folder, shared;
  {
    auto u = newUtils();
    delayed = u->QX_File_GetTempFileExt2(text(base), "d", 0, "txt", false, true);
    folder = u->QX_File_CreateTempFolder2("Later", text(base), false, true);
    EXPECT_TRUE(u->tempFiles().empty());
    EXPECT_TRUE(u->tempFolders().empty());
    shared = sharedFileUtils()->QX_File_GetTempFile(text(base), "s", 0, false, true);
    EXPECT_TRUE(sharedFileUtils()->tempFiles().empty());
    EXPECT_TRUE(sharedFileUtils()->isShared());
  }
  EXPECT_TRUE(fs::exists(delayed));
  EXPECT_TRUE(fs::exists(folder));
  EXPECT_TRUE(fs::exists(shared));
  unloadThread();
  EXPECT_FALSE(fs::exists(delayed));
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_FALSE(fs::exists(shared));
}

TEST_F(TempNamesTest, WithoutAutoDeleteItemsStay) {
  const fs::path base = freshFolder("stay");
  std::string file;
  {
    auto u = newUtils();
    file = u->QX_File_GetTempFile2(text(base), "k", 0);
    EXPECT_TRUE(u->tempFiles().empty());
  }
  unloadThread();
  EXPECT_TRUE(fs::exists(file));
}

TEST_F(TempNamesTest, CleanUpRemovesALinkNotItsTarget) {
  const fs::path base = freshFolder("link");
  const fs::path outside = freshFolder("outside");
  test::writeFile(outside / "keep", "k");
  {
    auto u = newUtils();
    const std::string folder = u->QX_File_CreateTempFolder("Work", text(base), false, true);
    fs::remove(folder);
    fs::create_directory_symlink(outside, folder);
  }
  EXPECT_TRUE(fs::exists(outside / "keep"));
  EXPECT_FALSE(fs::exists(base / "Work"));
}

}  // namespace
}  // namespace qxvb::test
