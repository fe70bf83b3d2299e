// Data-link (UDL) files: the bytes written, reading back what this library
// and the Windows data-link tools write, damaged files, and failures that
// must leave no partial file behind.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "database/qx_ado_utilities.h"
#include "database/udl_file.h"
#include "frame/automation_error.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb {
namespace {

namespace fs = std::filesystem;

constexpr const char* kSqlServerString =
    "Provider=SQLOLEDB.1;Integrated Security=SSPI;Initial Catalog=Repo;Data Source=srv01;"
    "Use Encryption for Data=False;";

std::string utf16le(std::string_view ascii) {
  std::string out;
  for (const char c : ascii) {
    out += c;
    out += '\0';
  }
  return out;
}

const std::string kBom = "\xFF\xFE";

// Names in a folder, to see that no temporary file was left.
std::vector<std::string> namesIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

class UdlFile : public ::testing::Test {
 protected:
  // Reads as the member does and checks that a failed read clears the output.
  std::optional<std::string> readBack(const fs::path& file) {
    std::string name = file.string();
    std::string connectionString = "stale";
    if (!ado_.QX_ADO_ReadConnectionString(name, connectionString)) {
      EXPECT_EQ(connectionString, "");
      return std::nullopt;
    }
    return connectionString;
  }
  std::optional<std::string> readBytes(const std::string& bytes) {
    const fs::path file = folder_ / "given.udl";
    test::writeFile(file, bytes);
    return readBack(file);
  }

  QX_ADO_Utilities ado_;
  fs::path folder_ = test::freshFolder("udl");
};

TEST_F(UdlFile, WrittenFileMatchesTheHandMadeOneByteForByte) {
  const fs::path file = folder_ / "repo.udl";
  ado_.QX_ADO_CreateUDLFile(file.string(), kSqlServerString);
  const std::string expected =
      test::readFile(fs::path(QXVB_SOURCE_DIR) / "tests/database/data/sqlserver.udl");
  ASSERT_EQ(expected.size(), 360u);
  EXPECT_EQ(test::readFile(file), expected);
  EXPECT_EQ(namesIn(folder_), std::vector<std::string>{"repo.udl"});
}

TEST_F(UdlFile, TheHandMadeFileReadsBack) {
  EXPECT_EQ(readBack(fs::path(QXVB_SOURCE_DIR) / "tests/database/data/sqlserver.udl"),
            kSqlServerString);
}

TEST_F(UdlFile, RoundTripKeepsAnyText) {
  const fs::path file = folder_ / "round.udl";
  for (const std::string& s :
       {std::string("Provider=P;Data Source=Zürich 😀;Password=\"a;b\""),
        std::string("provider=lower case"), std::string("Provider=x\0y;B=1", 16),
        std::string("Provider=") + std::string(200'000, 'v')}) {
    ado_.QX_ADO_CreateUDLFile(file.string(), s);
    EXPECT_EQ(readBack(file), s);
  }
}

TEST_F(UdlFile, OverwritingKeepsTheFileModeAndLinks) {
  const fs::path file = folder_ / "kept.udl";
  test::writeFile(file, "old contents that are longer than the new ones by far .............");
  fs::permissions(file, fs::perms(0640));
  ado_.QX_ADO_CreateUDLFile(file.string(), "Provider=New");
  EXPECT_EQ(readBack(file), "Provider=New");
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0640));

  const fs::path link = folder_ / "link.udl";
  fs::create_symlink(file, link);
  ado_.QX_ADO_CreateUDLFile(link.string(), "Provider=ThroughLink");
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readBack(file), "Provider=ThroughLink");
}

TEST_F(UdlFile, NewFilesArePrivateToTheirOwner) {
  // A data-link file may carry a password: whatever the umask, only its
  // owner reads a new one.
  const mode_t mask = umask(022);
  const fs::path file = folder_ / "new.udl";
  ado_.QX_ADO_CreateUDLFile(file.string(), "Provider=P;User ID=u;Password=secret");
  umask(mask);
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, fs::perms(0600));
}

TEST_F(UdlFile, WriteFailuresRaiseAndLeaveNoFile) {
  EXPECT_EQ(test::errorOf([&] {
              ado_.QX_ADO_CreateUDLFile((folder_ / "missing" / "x.udl").string(), "Provider=P");
            }).number(),
            vberr::PathNotFound);
  test::writeFile(folder_ / "plain", "x");
  EXPECT_EQ(test::errorOf([&] {
              ado_.QX_ADO_CreateUDLFile((folder_ / "plain" / "x.udl").string(), "Provider=P");
            }).number(),
            vberr::PathNotFound);
  fs::create_directory(folder_ / "folder.udl");
  EXPECT_EQ(test::errorOf([&] {
              ado_.QX_ADO_CreateUDLFile((folder_ / "folder.udl").string(), "Provider=P");
            }).number(),
            vberr::PermissionDenied);
  EXPECT_EQ(test::errorOf([&] { ado_.QX_ADO_CreateUDLFile("", "Provider=P"); }).number(),
            vberr::BadFileNameOrNumber);
  EXPECT_EQ(namesIn(folder_), (std::vector<std::string>{"folder.udl", "plain"}));
}

TEST_F(UdlFile, UnwritableFolderOrFileIsRefused) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path locked = folder_ / "locked";
  fs::create_directory(locked);
  test::writeFile(locked / "old.udl", "old");
  fs::permissions(locked / "old.udl", fs::perms(0444));
  fs::permissions(locked, fs::perms(0555));
  EXPECT_EQ(test::errorOf([&] {
              ado_.QX_ADO_CreateUDLFile((locked / "new.udl").string(), "Provider=P");
            }).number(),
            vberr::PermissionDenied);
  EXPECT_EQ(test::errorOf([&] {
              ado_.QX_ADO_CreateUDLFile((locked / "old.udl").string(), "Provider=P");
            }).number(),
            vberr::PermissionDenied);
  fs::permissions(locked, fs::perms(0755));
  EXPECT_EQ(test::readFile(locked / "old.udl"), "old");
  EXPECT_EQ(namesIn(locked), std::vector<std::string>{"old.udl"});
}

TEST_F(UdlFile, ReadingTakesTheFirstProviderOrEmptyLine) {
  const std::string header = "[oledb]\r\n; Everything after this line is an OLE DB initstring\r\n";
  EXPECT_EQ(readBytes(kBom + utf16le(header + "\r\nProvider=P\r\n")), "");
  EXPECT_EQ(readBytes(kBom + utf16le(header + "x=1\r\nPROVIDER=Q;A=1\r\n")), "PROVIDER=Q;A=1");
  // A data-link file as some tools write it, without the comment line.
  EXPECT_EQ(readBytes(kBom + utf16le("[oledb]\r\nProvider=R")), "Provider=R");
  EXPECT_EQ(readBytes(kBom + utf16le("Provider=S\r\n")), "Provider=S");
  EXPECT_EQ(readBytes(kBom + utf16le("Provide\r\nProviders\n")), "Providers");
}

TEST_F(UdlFile, ReadingFailsWithoutAConnectionLine) {
  EXPECT_EQ(readBytes(""), std::nullopt);
  EXPECT_EQ(readBytes(kBom), std::nullopt);
  EXPECT_EQ(readBytes(kBom + utf16le("[oledb]\r\n")), std::nullopt);
  EXPECT_EQ(readBytes(kBom + utf16le("[oledb]\r\nData Source=s;Provider=P\r\n")), std::nullopt);
  EXPECT_EQ(readBack(folder_ / "absent.udl"), std::nullopt);
  EXPECT_EQ(readBack(folder_), std::nullopt);
  EXPECT_EQ(readBack(""), std::nullopt);
}

TEST_F(UdlFile, ReadingAcceptsOtherEncodingsAndDamage) {
  // UTF-16LE without a byte-order mark.
  EXPECT_EQ(readBytes(utf16le("[oledb]\r\nProvider=A\r\n")), "Provider=A");
  // UTF-16BE with its mark.
  std::string big = "\xFE\xFF";
  for (const char c : std::string("[oledb]\r\nProvider=B\r\n")) {
    big += '\0';
    big += c;
  }
  EXPECT_EQ(readBytes(big), "Provider=B");
  // UTF-8 with and without its mark, LF line ends.
  EXPECT_EQ(readBytes("\xEF\xBB\xBF[oledb]\nProvider=C;Data Source=Zürich\n"),
            "Provider=C;Data Source=Zürich");
  EXPECT_EQ(readBytes("[oledb]\nProvider=D\n"), "Provider=D");
  // An odd last byte is dropped; a file cut short gives what is there.
  EXPECT_EQ(readBytes(kBom + utf16le("[oledb]\r\nProvider=E") + "\x3B"), "Provider=E");
  EXPECT_EQ(readBytes(kBom + utf16le("[oledb]\r\nProvider=Fi")), "Provider=Fi");
  // NUL characters and unpaired surrogates do not end the text.
  EXPECT_EQ(readBytes(kBom + utf16le("Provider=G") + std::string("\0\0", 2) + utf16le("H\r\n")),
            std::string("Provider=G\0H", 12));
  EXPECT_EQ(readBytes(kBom + utf16le("Provider=") + std::string("\x00\xD8", 2) + utf16le("\r\n")),
            "Provider=\xEF\xBF\xBD");
}

TEST_F(UdlFile, UnreadableFileReadsAsFalse) {
  if (geteuid() == 0) GTEST_SKIP() << "permissions do not bind the superuser";
  const fs::path file = folder_ / "secret.udl";
  ado_.QX_ADO_CreateUDLFile(file.string(), "Provider=P");
  fs::permissions(file, fs::perms::none);
  EXPECT_EQ(readBack(file), std::nullopt);
}

TEST(UdlEncoding, EncodeWritesThreeCrLfLinesAfterTheMark) {
  EXPECT_EQ(udl::encode("h", "c", "s"), kBom + utf16le("h\r\nc\r\ns\r\n"));
  EXPECT_EQ(udl::encode("", "", ""), kBom + utf16le("\r\n\r\n\r\n"));
  EXPECT_EQ(udl::encode("", "", "é"),
            kBom + utf16le("\r\n\r\n") + "\xE9" + std::string(1, '\0') + utf16le("\r\n"));
}

}  // namespace
}  // namespace qxvb
