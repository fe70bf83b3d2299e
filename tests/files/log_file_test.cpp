#include <sys/stat.h>
#include <unistd.h>

#include <map>
#include <sstream>
#include <vector>

#include "files/file_dates.h"
#include "files/log_file.h"
#include "files_fixture.h"
#include "support/child_process.h"
#include "text/qxutilities.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class LogFileTest : public FilesTest {
 protected:
  static void setLogSetting(const std::string& value) {
    auto u = std::static_pointer_cast<QXUtilities>(createObject("QXVBUtils.QXUtilities"));
    std::string item = "Quillane";
    std::string v = value;
    ASSERT_TRUE(u->QXSetSetting(item, v, "Logging"));
  }
};

std::vector<std::string> lines(const std::string& text) {
  std::vector<std::string> out;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
    out.push_back(text.substr(start, end - start));
  }
  EXPECT_EQ(start, text.size()) << "text after the last line end";
  return out;
}

TEST_F(LogFileTest, SettingNamesTheLogFolder) {
  const fs::path logs = freshFolder("logs");
  setLogSetting("Y," + text(logs));
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), text(logs / "QXVBUtils.log"));
  setLogSetting("y,  " + text(logs) + "/ \t");
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), text(logs / "QXVBUtils.log"));
  setLogSetting("Y");
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), libraryFolder() + "/QXVBUtils.log");
  setLogSetting("Yes,");
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), libraryFolder() + "/QXVBUtils.log");
  setLogSetting("N," + text(logs));
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), "");
  setLogSetting("");
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), "");
}

TEST_F(LogFileTest, WithoutSettingNothingIsLogged) {
  auto u = newUtils();
  EXPECT_EQ(u->QX_File_GetQxLogFile(), "");
  EXPECT_FALSE(u->QX_File_WriteLog("", "lost"));
}

TEST_F(LogFileTest, SettingIsReadOncePerObject) {
  const fs::path first = freshFolder("first");
  const fs::path second = freshFolder("second");
  setLogSetting("Y," + text(first));
  auto u = newUtils();
  EXPECT_EQ(u->QX_File_GetQxLogFile(), text(first / "QXVBUtils.log"));
  setLogSetting("Y," + text(second));
  EXPECT_EQ(u->QX_File_GetQxLogFile(), text(first / "QXVBUtils.log"));
  EXPECT_EQ(newUtils()->QX_File_GetQxLogFile(), text(second / "QXVBUtils.log"));
  setLogSetting("N");
  EXPECT_TRUE(u->QX_File_WriteLog("", "still on"));
  EXPECT_EQ(lines(test::readFile(first / "QXVBUtils.log")).size(), 1u);
}

TEST_F(LogFileTest, EachCallWritesOneLineInOrder) {
  const fs::path logs = freshFolder("lines");
  setLogSetting("Y," + text(logs));
  auto u = newUtils();
  EXPECT_TRUE(u->QX_File_WriteLog("", "first"));
  EXPECT_TRUE(u->QX_File_WriteLog("", "second - with a dash"));
  const auto got = lines(test::readFile(logs / "QXVBUtils.log"));
  ASSERT_EQ(got.size(), 2u);
  const std::string suffixes[] = {" - first", " - second - with a dash"};
  for (size_t i = 0; i < 2; ++i) {
    ASSERT_GT(got[i].size(), suffixes[i].size());
    EXPECT_EQ(got[i].substr(got[i].size() - suffixes[i].size()), suffixes[i]);
    const std::string stamp = got[i].substr(0, got[i].size() - suffixes[i].size());
    EXPECT_FALSE(stamp.empty());
    EXPECT_NE(stamp.find(':'), std::string::npos) << "a time of day: " << stamp;
  }
}

TEST_F(LogFileTest, NamedFileIsAppendedAndFailuresAnswerFalse) {
  auto u = newUtils();
  const fs::path folder = freshFolder("named");
  test::writeFile(folder / "app.log", "earlier\r\n");
  EXPECT_TRUE(u->QX_File_WriteLog(text(folder / "app.log"), "later"));
  const auto got = lines(test::readFile(folder / "app.log"));
  ASSERT_EQ(got.size(), 2u);
  EXPECT_EQ(got[0], "earlier");
  EXPECT_FALSE(u->QX_File_WriteLog(text(folder / "missing" / "app.log"), "x"));
  EXPECT_FALSE(fs::exists(folder / "missing"));
  EXPECT_FALSE(u->QX_File_WriteLog(text(folder), "a folder"));
  EXPECT_FALSE(u->QX_File_WriteLog(text(folder / "app.log") + std::string("\0x", 2), "nul"));
}

TEST_F(LogFileTest, AMessageStaysOneLineAndPlantedNamesAreNotWrittenThrough) {
  auto u = newUtils();
  const fs::path folder = freshFolder("hostile-log");
  const fs::path log = folder / "app.log";
  EXPECT_TRUE(u->QX_File_WriteLog(text(log), "first\r\n01/01/2020 00:00:00 - forged\rx\ny\x01z"));
  const auto got = lines(test::readFile(log));
  ASSERT_EQ(got.size(), 1u);
  EXPECT_NE(got[0].find(" - first 01/01/2020 00:00:00 - forged x y z"), std::string::npos)
      << got[0];

  // A link at the log's name, even a dangling one, is never followed.
  test::writeFile(folder / "private.txt", "secret");
  fs::create_symlink(folder / "private.txt", folder / "linked.log");
  EXPECT_FALSE(u->QX_File_WriteLog(text(folder / "linked.log"), "x"));
  EXPECT_EQ(test::readFile(folder / "private.txt"), "secret");
  fs::create_symlink(folder / "created-by-link", folder / "dangling.log");
  EXPECT_FALSE(u->QX_File_WriteLog(text(folder / "dangling.log"), "x"));
  EXPECT_FALSE(fs::exists(folder / "created-by-link"));
  // A FIFO in the log's place is refused at once rather than blocking.
  ASSERT_EQ(::mkfifo((folder / "fifo.log").c_str(), 0600), 0);
  EXPECT_FALSE(u->QX_File_WriteLog(text(folder / "fifo.log"), "x"));
}

TEST_F(LogFileTest, LinesOfSeveralProcessesNeverMix) {
  const fs::path folder = freshFolder("processes");
  const std::string file = text(folder / "shared.log");
  constexpr int kWriters = 6;
  constexpr int kLines = 300;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = forkChild([&] {
      bool ok = true;
      for (int i = 0; i < kLines; ++i) {
        // Lines of very different lengths, some longer than a pipe buffer.
        const std::string body(static_cast<size_t>((i * 37 + w * 101) % 9000), 'a' + w);
        ok = files::appendLogLine(
                 file, "W" + std::to_string(w) + "#" + std::to_string(i) + "#" + body + "#end") &&
             ok;
      }
      return ok;
    });
    ASSERT_GE(pid, 0);
    children.push_back(pid);
  }
  for (pid_t pid : children) ASSERT_EQ(exitCodeOf(pid), 0);
  std::map<int, int> next;
  const auto got = lines(test::readFile(file));
  ASSERT_EQ(got.size(), static_cast<size_t>(kWriters * kLines));
  for (const std::string& line : got) {
    const auto start = line.find(" - W");
    ASSERT_NE(start, std::string::npos) << line.substr(0, 80);
    std::istringstream in(line.substr(start + 4));
    int w = -1;
    int i = -1;
    char hash = 0;
    in >> w >> hash >> i >> hash;
    ASSERT_TRUE(w >= 0 && w < kWriters) << line.substr(0, 80);
    EXPECT_EQ(i, next[w]++) << "lines of one writer keep their order";
    const std::string body(static_cast<size_t>((i * 37 + w * 101) % 9000), 'a' + w);
    std::string rest;
    std::getline(in, rest);
    EXPECT_EQ(rest, body + "#end");
  }
}

}  // namespace
}  // namespace qxvb::test
