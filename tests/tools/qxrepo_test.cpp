// qxrepo's file-store commands, run as a separate program against
// repositories it made itself.
#include <gtest/gtest.h>
#include <sqlite3.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/sandbox.h"

namespace {

namespace fs = std::filesystem;
using qxvb::test::ProgramRun;
using qxvb::test::readFile;

// Writes a file, making its folders first.
void writeFile(const fs::path& path, const std::string& bytes) {
  fs::create_directories(path.parent_path());
  qxvb::test::writeFile(path, bytes);
}

class QxrepoFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = qxvb::test::freshFolder("qxrepo");
    repo_ = (folder_ / "store.qxr").string();
    ASSERT_EQ(qxrepo({"create", repo_}).exitCode, 0);
  }

  ProgramRun qxrepo(std::vector<std::string> args, const std::string& input = {}) {
    args.insert(args.begin(), (fs::path(QXVB_BIN_DIR) / "qxrepo").string());
    return qxvb::test::runProgram(args, input, folder_);
  }

  // Runs SQL on the repository with SQLite itself, for rows the store
  // would never write.
  void sql(const std::string& statement) {
    sqlite3* db = nullptr;
    ASSERT_EQ(sqlite3_open(repo_.c_str(), &db), SQLITE_OK);
    EXPECT_EQ(sqlite3_exec(db, statement.c_str(), nullptr, nullptr, nullptr), SQLITE_OK)
        << sqlite3_errmsg(db);
    sqlite3_close(db);
  }

  fs::path folder_;
  std::string repo_;
};

TEST_F(QxrepoFiles, AFolderGoesInAndComesOutTheSame) {
  const fs::path in = folder_ / "in";
  writeFile(in / "notes.txt", "Model notes\r\n");
  writeFile(in / "Images" / "diagram.png", std::string(100000, '\x89'));
  writeFile(in / "deep" / "er" / "it's.cfg", "[A]\r\n");
  writeFile(folder_ / "single.txt", "one");
  ProgramRun r = qxrepo({"import", repo_, in.string(), (folder_ / "single.txt").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "imported 4 files\n");
  EXPECT_EQ(r.err, "");  // no progress drawn when standard error is no terminal
  r = qxrepo({"list", repo_});
  EXPECT_EQ(r.out, "Images\\diagram.png\ndeep\\er\\it's.cfg\nnotes.txt\nsingle.txt\n");

  r = qxrepo({"export", repo_, "--all", (folder_ / "out").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "exported 4 files\n");
  for (const char* name : {"notes.txt", "Images/diagram.png", "deep/er/it's.cfg"}) {
    EXPECT_EQ(readFile(folder_ / "out" / name), readFile(in / name)) << name;
  }
  EXPECT_EQ(readFile(folder_ / "out" / "single.txt"), "one");

  // Imported again, a file becomes version 2, as with the file manager.
  EXPECT_EQ(qxrepo({"import", repo_, (in / "notes.txt").string()}).exitCode, 0);
  r = qxrepo({"export", repo_, "notes.txt", (folder_ / "one").string()});
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_EQ(readFile(folder_ / "one" / "notes.txt"), "Model notes\r\n");
}

TEST_F(QxrepoFiles, EachRefusalIsReportedAndTheOtherFilesAreDone) {
  const fs::path in = folder_ / "in";
  writeFile(in / "good.txt", "good");
  // A colon is an ordinary character of a file name here.
  writeFile(in / "12:30 name.txt", "a name with a colon");
  fs::create_symlink("/etc/passwd", in / "link");
  ProgramRun r = qxrepo({"import", repo_, in.string(), (folder_ / "missing").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "imported 2 files\n");
  EXPECT_NE(r.err.find("link: a symbolic link, not imported"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("missing: no such file or folder"), std::string::npos) << r.err;
  EXPECT_EQ(qxrepo({"list", repo_}).out, "12:30 name.txt\ngood.txt\n");

  // Rows with names that would land outside the folder.
  sql("INSERT INTO Files (Name, Data, Version, Activity) VALUES "
      "('..\\evil.txt', x'41', 1, 'A'), ('Images\\x.png', x'42', 1, 'A')");
  const fs::path elsewhere = qxvb::test::freshFolder("elsewhere");
  fs::create_directories(folder_ / "out");
  fs::create_directory_symlink(elsewhere, folder_ / "out" / "Images");
  r = qxrepo({"export", repo_, "--all", (folder_ / "out").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "exported 2 files\n");
  EXPECT_NE(r.err.find("..\\evil.txt"), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("Images\\x.png"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(folder_ / "out" / "good.txt"), "good");
  EXPECT_TRUE(fs::is_empty(elsewhere));
  EXPECT_FALSE(fs::exists(folder_ / "evil.txt"));
}

TEST_F(QxrepoFiles, DeleteRemovesStoredFilesAndReportsUnknownNames) {
  writeFile(folder_ / "a.txt", "a");
  writeFile(folder_ / "b.txt", "b");
  ASSERT_EQ(qxrepo({"import", repo_, (folder_ / "a.txt").string(), (folder_ / "b.txt").string()})
                .exitCode,
            0);
  const ProgramRun r = qxrepo({"delete", repo_, "A.TXT", "a.txt", "nothing.txt"});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_EQ(r.out, "deleted 1 file\n");
  EXPECT_NE(r.err.find("nothing.txt: not stored in the repository"), std::string::npos);
  EXPECT_EQ(qxrepo({"list", repo_}).out, "b.txt\n");
}

TEST_F(QxrepoFiles, NamesAndFilesComeFromAFileOrStandardInput) {
  std::string list;
  for (int i = 0; i < 50; ++i) {
    const fs::path file = folder_ / "many" / ("file" + std::to_string(i) + ".txt");
    writeFile(file, std::to_string(i));
    list += file.string() + "\n";
  }
  ProgramRun r = qxrepo({"import", repo_, "--from", "-"}, list);
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(r.out, "imported 50 files\n");
  writeFile(folder_ / "names.txt", "file3.txt\r\nfile42.txt\n");
  r = qxrepo(
      {"export", repo_, "--from", (folder_ / "names.txt").string(), (folder_ / "out").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(readFile(folder_ / "out" / "file42.txt"), "42");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder_ / "out"), fs::directory_iterator()), 2);
}

TEST_F(QxrepoFiles, ALockedRepositoryRefusesEachFileUntilItIsFree) {
  writeFile(folder_ / "a.txt", "a");
  writeFile(folder_ / "b.txt", "b");
  sqlite3* holder = nullptr;
  ASSERT_EQ(sqlite3_open(repo_.c_str(), &holder), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(holder, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr), SQLITE_OK);
  ProgramRun r = qxrepo(
      {"import", "--wait", "0", repo_, (folder_ / "a.txt").string(), (folder_ / "b.txt").string()});
  sqlite3_exec(holder, "ROLLBACK", nullptr, nullptr, nullptr);
  sqlite3_close(holder);
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("a.txt: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("b.txt: "), std::string::npos) << r.err;
  EXPECT_NE(r.err.find("locked"), std::string::npos) << r.err;
  r = qxrepo({"import", repo_, (folder_ / "a.txt").string(), (folder_ / "b.txt").string()});
  EXPECT_EQ(r.exitCode, 0) << r.err;
  EXPECT_EQ(qxrepo({"list", repo_}).out, "a.txt\nb.txt\n");
}

TEST_F(QxrepoFiles, UsageAndRepositoryErrors) {
  EXPECT_EQ(qxrepo({"import", repo_}).exitCode, 2);
  EXPECT_EQ(qxrepo({"export", repo_, "name"}).exitCode, 2);  // no folder
  EXPECT_EQ(qxrepo({"export", repo_, "--all", "x", "out"}).exitCode, 2);
  EXPECT_EQ(qxrepo({"import", "--wait", "soon", repo_, "x"}).exitCode, 2);
  EXPECT_EQ(qxrepo({"frobnicate", repo_}).exitCode, 2);
  ProgramRun r = qxrepo({"list", (folder_ / "none.qxr").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("no such repository file"), std::string::npos);
  writeFile(folder_ / "text.qxr", "not a database");
  r = qxrepo({"list", (folder_ / "text.qxr").string()});
  EXPECT_EQ(r.exitCode, 1);
  EXPECT_NE(r.err.find("not a database"), std::string::npos) << r.err;
  EXPECT_EQ(readFile(folder_ / "text.qxr"), "not a database");
}

}  // namespace
