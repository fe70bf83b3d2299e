// The export members on the embedded repository: stored files copied out
// byte for byte, the log report to the character, and the raised errors
// with their numbers, source and texts.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

#include <filesystem>

#include "database/qx_ado_utilities.h"
#include "database/repository/embedded_repository.h"
#include "files/file_dates.h"
#include "frame/automation_error.h"
#include "frame/catalogue.h"
#include "frame/error_codes.h"
#include "frame/module_state.h"
#include "frame/vb_conversions.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

using test::errorOf;

namespace fs = std::filesystem;

constexpr const char* kSource = "QXVBUtils - QX_ADO_ExportLogFile";

std::string hex(const std::string& bytes) {
  static const char* digits = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : bytes) {
    out += digits[c >> 4];
    out += digits[c & 15];
  }
  return out;
}

class Export : public ::testing::Test {
 protected:
  void SetUp() override {
    unloadThread();
    folder_ = test::freshFolder("export");
    file_ = (test::freshFolder("export-repository") / "repo.qxr").string();
    createEmbeddedRepository(file_);
    cs_ = embeddedConnectionString(file_);
    connection_ = ado_.QX_ADO_OpenConnection(cs_);
  }
  void TearDown() override {
    connection_->Close();
    unloadThread();
  }
  void store(const std::string& name, const std::string& bytes) {
    connection_->Execute("INSERT INTO Files (Name, WID, Data) VALUES ('" +
                         ado_.QX_ADO_EncodeSQLValue(name) + "', 1, X'" + hex(bytes) + "')");
  }
  void log(const std::string& values) {
    connection_->Execute(
        "INSERT INTO Network_LOG (MessageID, Date, UserId, Version, Message) "
        "VALUES " +
        values);
  }
  std::vector<std::string> reportLines(const std::string& target) {
    const std::string text = test::readFile(target);
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
      const size_t end = text.find("\r\n", start);
      EXPECT_NE(end, std::string::npos) << "every line ends with CR LF";
      if (end == std::string::npos) break;
      lines.push_back(text.substr(start, end - start));
      start = end + 2;
    }
    return lines;
  }

  QX_ADO_Utilities ado_;
  fs::path folder_;
  std::string file_;
  std::string cs_;
  std::shared_ptr<ado::Connection> connection_;
};

TEST_F(Export, StoredFileComesOutWhole) {
  std::string bytes;
  for (int i = 0; i < 16384 * 2 + 5; ++i) bytes += static_cast<char>((i * 7) & 0xFF);
  store("Images\\pic.png", bytes);
  store("O'Brien.txt", "quoted");
  store("empty.txt", "");
  const std::string target = (folder_ / "out.bin").string();
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("Images\\pic.png", cs_, target));
  EXPECT_EQ(test::readFile(target), bytes);
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("O'Brien.txt", cs_, target));
  EXPECT_EQ(test::readFile(target), "quoted");
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("empty.txt", cs_, target));
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);
  // Nothing but the target lands in the folder.
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder_)) ++entries;
  EXPECT_EQ(entries, 1);
}

TEST_F(Export, StoredFileFailures) {
  store("a.txt", "data");
  const std::string target = (folder_ / "out.txt").string();
  test::writeFile(target, "old contents");
  auto missing = errorOf([&] { ado_.QX_ADO_ExportFile("none.txt", cs_, target); });
  EXPECT_EQ(missing.number(), enuUnableToFindRecord);
  EXPECT_EQ(missing.source(), kSource);
  EXPECT_EQ(missing.description(), "The record for none.txt could not be found or read.");
  EXPECT_TRUE(fs::exists(target));
  EXPECT_EQ(fs::file_size(target), 0u);

  // A name meant to break out of the statement is just a name.
  auto injected = errorOf([&] { ado_.QX_ADO_ExportFile("x' OR '1'='1", cs_, target); });
  EXPECT_EQ(injected.number(), enuUnableToFindRecord);

  const std::string badConnection =
      "Provider=QXVB.SQLite;Data Source=" + (folder_ / "no" / "such.qxr").string();
  auto noConnection = errorOf([&] { ado_.QX_ADO_ExportFile("a.txt", badConnection, target); });
  EXPECT_EQ(noConnection.number(), enuUnableToOpenConnection);
  EXPECT_EQ(noConnection.description(),
            "Unable to open a connection to the database using " + badConnection + ".");

  const std::string nowhere = (folder_ / "missing" / "out.txt").string();
  auto noFile = errorOf([&] { ado_.QX_ADO_ExportFile("a.txt", cs_, nowhere); });
  EXPECT_EQ(noFile.number(), enuUnableToCreateFile);
  EXPECT_EQ(noFile.description(), "Unable to create the file " + nowhere + ".");
  auto folderTarget = errorOf([&] { ado_.QX_ADO_ExportFile("a.txt", cs_, folder_.string()); });
  EXPECT_EQ(folderTarget.number(), enuUnableToCreateFile);
}

TEST_F(Export, LinkTargetIsReplacedNotFollowed) {
  store("a.txt", "data");
  const fs::path outside = test::freshFolder("outside") / "victim.txt";
  test::writeFile(outside, "keep");
  const fs::path link = folder_ / "link.txt";
  fs::create_symlink(outside, link);
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("a.txt", cs_, link.string()));
  EXPECT_EQ(test::readFile(outside), "keep");
  EXPECT_FALSE(fs::is_symlink(link));
  EXPECT_EQ(test::readFile(link), "data");
}

TEST_F(Export, LogReportLayout) {
  log("(1, '2024-02-29 13:45:10', 'alice', '1.2', 'Started'), "
      "(123456789012, '2024-02-29 13:45:10', 'alice', '1.2', 'Started'), "
      "(123456789013, '2024-03-01 08:00:00', 'a-very-long-user-id', '10.20.30', 'Wide'), "
      "(123456789014, NULL, NULL, NULL, NULL)");
  const std::string target = (folder_ / "network.txt").string();
  EXPECT_TRUE(ado_.QX_ADO_ExportLogFile(0, cs_, target));
  const auto lines = reportLines(target);
  ASSERT_EQ(lines.size(), 7u);
  EXPECT_EQ(lines[0].rfind("Quillane Network.log. ", 0), 0u);
  EXPECT_EQ(lines[1], "");
  const std::string sample = files::dateText(DateValue{36892.0 + 3661.0 / 86400.0});
  const size_t d = sample.size();
  auto pad = [](const std::string& s, size_t width) {
    return std::string(s.size() < width ? width - s.size() : 0, ' ') + s + " | ";
  };
  EXPECT_EQ(lines[2], pad("Message ID", 10) + pad("Date", d) + pad("User ID", 16) +
                          pad("Version", 8) + "Message");
  const std::string date =
      files::dateText(DateValue{45351.0 + (13 * 3600 + 45 * 60 + 10) / 86400.0});
  EXPECT_EQ(lines[3], pad("1", 10) + pad(date, d) + pad("alice", 16) + pad("1.2", 8) + "Started");
  // Values wider than their column are written whole, unpadded.
  EXPECT_EQ(lines[4], "123456789012 | " + lines[3].substr(13));
  EXPECT_EQ(lines[4].size(), lines[3].size() + 2);
  EXPECT_NE(lines[5].find(" | a-very-long-user-id | 10.20.30 | Wide"), std::string::npos);
  EXPECT_EQ(lines[6], "123456789014 | " + pad("", d) + pad("", 16) + pad("", 8));
  // The error log is the same report.
  EXPECT_TRUE(ado_.QX_ADO_ExportLogFile(1, cs_, target));
  EXPECT_EQ(reportLines(target).size(), 7u);
}

TEST_F(Export, EmptyLogAndFailures) {
  const std::string target = (folder_ / "network.txt").string();
  EXPECT_TRUE(ado_.QX_ADO_ExportLogFile(0, cs_, target));
  const auto lines = reportLines(target);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[3], "");
  EXPECT_EQ(lines[4], "The log contains no entries.");

  // An unknown kind is refused before anything is opened.
  auto unknown = errorOf([&] { ado_.QX_ADO_ExportLogFile(2, "Provider=Nothing", target); });
  EXPECT_EQ(unknown.number(), enuErrorUnknownLogFile);
  EXPECT_EQ(unknown.source(), kSource);
  EXPECT_EQ(unknown.description(), "Unknown log file.");
  // A connection that cannot open is the platform's own error.
  auto noConnection = errorOf([&] { ado_.QX_ADO_ExportLogFile(0, "Provider=Nothing", target); });
  EXPECT_NE(noConnection.number(), enuUnableToOpenConnection);

  const std::string nowhere = (folder_ / "missing" / "log.txt").string();
  auto noFile = errorOf([&] { ado_.QX_ADO_ExportLogFile(0, cs_, nowhere); });
  EXPECT_EQ(noFile.number(), enuUnableToCreateFile);
  EXPECT_FALSE(fs::exists(nowhere));

  connection_->Execute("DROP TABLE Network_LOG");
  auto noTable = errorOf([&] { ado_.QX_ADO_ExportLogFile(1, cs_, target); });
  EXPECT_EQ(noTable.number(), enuUnableToFindRecord);
  EXPECT_EQ(noTable.description(), "The record for Network.log could not be found or read.");
  // The title, the empty line and the heading were written before the table
  // was opened, and the file is closed with them.
  const auto partial = reportLines(target);
  ASSERT_EQ(partial.size(), 3u);
  EXPECT_EQ(partial[0].rfind("Quillane Network.log. ", 0), 0u) << partial[0];
  EXPECT_EQ(partial[1], "");
  EXPECT_NE(partial[2].find("Message ID | "), std::string::npos) << partial[2];
}

TEST_F(Export, TextDataComesOutAsItsBytesAndARewriteKeepsTheFileMode) {
  connection_->Execute(
      "INSERT INTO Files (Name, WID, Data) VALUES ('notes.txt', 1, 'caf\u00e9 text')");
  connection_->Execute("INSERT INTO Files (Name, WID, Data) VALUES ('long.txt', 1, '" +
                       std::string(40000, 'q') + "')");
  const std::string target = (folder_ / "private.txt").string();
  test::writeFile(target, "old");
  ::chmod(target.c_str(), 0600);
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("notes.txt", cs_, target));
  EXPECT_EQ(test::readFile(target), "caf\u00e9 text");
  struct stat info {};
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("long.txt", cs_, target));
  EXPECT_EQ(test::readFile(target), std::string(40000, 'q'));
  EXPECT_TRUE(ado_.QX_ADO_ExportLogFile(0, cs_, target));
  ASSERT_EQ(::stat(target.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

// Exports one after another reuse the process's idle session on the
// repository, which the exclusive-access checks never count; a process
// killed in the middle of exports leaves either the old or the whole new
// target, no part of one, and no session behind.
TEST_F(Export, RepeatedExportsSessionsAndAKilledExporter) {
  std::string bytes(300 * 1024, 'x');
  for (size_t i = 0; i < bytes.size(); i += 97) bytes[i] = static_cast<char>(i & 0x7F);
  store("big.bin", bytes);
  const std::string target = (folder_ / "big.bin").string();
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(ado_.QX_ADO_ExportFile("big.bin", cs_, target));
  EXPECT_EQ(test::readFile(target), bytes);
  EXPECT_TRUE(ado_.QX_ADO_SQLServerExclusiveAccessCheckConn(connection_));
  connection_->Close();
  EXPECT_TRUE(ado_.QX_ADO_ExclusiveAccessCheckPlusConnStr(cs_, false));

  test::writeFile(target, "old contents");
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const pid_t exporter = ::fork();
  ASSERT_GE(exporter, 0);
  if (exporter == 0) {
    QX_ADO_Utilities mine;
    for (int i = 0;; ++i) {
      mine.QX_ADO_ExportFile("big.bin", cs_, target);
      if (i == 2) (void)!::write(ready[1], "x", 1);
    }
  }
  char c = 0;
  ASSERT_EQ(::read(ready[0], &c, 1), 1);
  ::kill(exporter, SIGKILL);
  ::waitpid(exporter, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  EXPECT_EQ(test::readFile(target), bytes);
  int entries = 0;
  for ([[maybe_unused]] const auto& e : fs::directory_iterator(folder_)) ++entries;
  EXPECT_EQ(entries, 1);
  EXPECT_TRUE(ado_.QX_ADO_ExclusiveAccessCheckPlusConnStr(cs_, false));
  EXPECT_TRUE(ado_.QX_ADO_ExportFile("big.bin", cs_, target));
  connection_ = ado_.QX_ADO_OpenConnection(cs_);
}

TEST_F(Export, LateBoundByName) {
  store("a.txt", "late");
  Object ado = createObject("QXVBUtils.QX_ADO_Utilities");
  const std::string target = (folder_ / "late.txt").string();
  std::vector<Variant> args{Variant("a.txt"), Variant(cs_), Variant(target)};
  EXPECT_EQ(ado->invoke("QX_ADO_ExportFile", kMethod, args), Variant(true));
  EXPECT_EQ(test::readFile(target), "late");
  std::vector<Variant> logArgs{Variant(int16_t{0}), Variant(cs_), Variant(target)};
  EXPECT_EQ(ado->invoke("QX_ADO_ExportLogFile", kMethod, logArgs), Variant(true));
  std::vector<Variant> bad{Variant(int32_t{5}), Variant(cs_), Variant(target)};
  try {
    ado->invoke("QX_ADO_ExportLogFile", kMethod, bad);
    ADD_FAILURE() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_EQ(e.number(), enuErrorUnknownLogFile);
  }
}

}  // namespace
}  // namespace qxvb
