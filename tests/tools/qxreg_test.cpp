// The qxreg command, run as a separate program against a private store.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include <filesystem>
#include <string>

#include "support/sandbox.h"

namespace {

namespace fs = std::filesystem;

struct CommandResult {
  int status = -1;
  std::string out;
  std::string err;
};

class Qxreg : public ::testing::Test {
 protected:
  void SetUp() override {
    program_ = fs::path(QXVB_BIN_DIR) / "qxreg";
    if (!fs::exists(program_)) GTEST_SKIP() << "qxreg is not built";
    folder_ = qxvb::test::freshFolder("qxreg");
    setenv("XDG_CONFIG_HOME", (folder_ / "config").c_str(), 1);
    setenv("QXVB_MACHINE_DIR", (folder_ / "machine").c_str(), 1);
  }
  void TearDown() override {
    setenv("XDG_CONFIG_HOME", (qxvb::test::sandboxRoot() / "config").c_str(), 1);
    setenv("QXVB_MACHINE_DIR", (qxvb::test::sandboxRoot() / "machine").c_str(), 1);
  }

  // Arguments are passed in single quotes, so backslashes reach qxreg as typed.
  CommandResult run(const std::string& arguments) {
    const fs::path out = folder_ / "out.txt";
    const fs::path err = folder_ / "err.txt";
    const std::string command = "'" + program_.string() + "' " + arguments + " >'" + out.string() +
                                "' 2>'" + err.string() + "'";
    CommandResult result;
    const int raw = std::system(command.c_str());
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    result.out = qxvb::test::readFile(out);
    result.err = qxvb::test::readFile(err);
    return result;
  }

  fs::path program_;
  fs::path folder_;
};

TEST_F(Qxreg, ImportQueryAndExportABranch) {
  const fs::path input = folder_ / "in.reg";
  qxvb::test::writeFile(input,
                        "Windows Registry Editor Version 5.00\r\n\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Tool]\r\n"
                        "@=\"main\"\r\n"
                        "\"Count\"=dword:0000000a\r\n"
                        "\"Raw\"=hex:0a,ff\r\n"
                        "\r\n"
                        "[HKEY_CURRENT_USER\\Software\\Tool\\Sub]\r\n");
  CommandResult result = run("import '" + input.string() + "'");
  ASSERT_EQ(result.status, 0) << result.err;

  result = run("query 'HKCU\\software\\tool'");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(result.out,
            "HKEY_CURRENT_USER\\Software\\Tool\n"
            "    (Default)    REG_SZ    main\n"
            "    Count    REG_DWORD    0xa\n"
            "    Raw    REG_BINARY    0AFF\n"
            "\n"
            "HKEY_CURRENT_USER\\Software\\Tool\\Sub\n");

  result = run("query 'HKEY_CURRENT_USER\\Software\\Tool' count");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_NE(result.out.find("Count    REG_DWORD    0xa"), std::string::npos);

  const fs::path exported = folder_ / "out.reg";
  result = run("export 'HKCU\\Software\\Tool' '" + exported.string() + "'");
  ASSERT_EQ(result.status, 0) << result.err;
  EXPECT_EQ(qxvb::test::readFile(exported).substr(0, 4), std::string("\xFF\xFEW\0", 4));
  // A private file stays private when exported over; nothing else is left.
  ::chmod(exported.c_str(), 0600);
  result = run("export 'HKCU\\Software\\Tool' '" + exported.string() + "'");
  ASSERT_EQ(result.status, 0) << result.err;
  struct stat info {};
  ASSERT_EQ(::stat(exported.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST_F(Qxreg, ErrorsExitNonZeroWithAMessage) {
  CommandResult result = run("query 'HKCU\\Missing'");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("not found"), std::string::npos);
  result = run("query 'HKEY_NOWHERE\\X'");
  EXPECT_EQ(result.status, 2);
  result = run("frobnicate");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("Usage"), std::string::npos);
  result = run("import '" + (folder_ / "none.reg").string() + "'");
  EXPECT_EQ(result.status, 1);
  result = run("--help");
  EXPECT_EQ(result.status, 0);
  EXPECT_NE(result.out.find("qxreg export"), std::string::npos);
}

TEST_F(Qxreg, ImportNamesTheCodePageAndRefusesFifos) {
  const fs::path input = folder_ / "cyrillic.reg";
  // "REGEDIT4" with the value "Иван" in cp1251.
  qxvb::test::writeFile(input,
                        "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Ru]\r\n"
                        "\"Name\"=\"\xC8\xE2\xE0\xED\"\r\n");
  CommandResult result = run("import --codepage 1251 '" + input.string() + "'");
  EXPECT_EQ(result.status, 0) << result.err;
  result = run("query 'HKCU\\Software\\Ru' Name");
  EXPECT_NE(result.out.find("Иван"), std::string::npos) << result.out;
  result = run("import --codepage nonsense '" + input.string() + "'");
  EXPECT_EQ(result.status, 2);
  EXPECT_NE(result.err.find("unknown code page"), std::string::npos) << result.err;

  const fs::path fifo = folder_ / "pipe.reg";
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  result = run("import '" + fifo.string() + "'");
  EXPECT_EQ(result.status, 1);
  EXPECT_NE(result.err.find("not a regular file"), std::string::npos) << result.err;
  result = run("import /dev/zero");
  EXPECT_EQ(result.status, 1);
}

TEST_F(Qxreg, ADamagedDatabaseIsReportedOnce) {
  fs::create_directories(folder_ / "config" / "qxvbutils");
  qxvb::test::writeFile(folder_ / "config" / "qxvbutils" / "registry-hkcu.sqlite",
                        std::string(4096, '\x5a'));
  const CommandResult result = run("query 'HKCU\\Software'");
  EXPECT_EQ(result.status, 1);
  const std::string needle = "registry-hkcu.sqlite";
  const std::size_t first = result.err.find(needle);
  ASSERT_NE(first, std::string::npos) << result.err;
  EXPECT_EQ(result.err.find(needle, first + 1), std::string::npos) << result.err;
}

}  // namespace
