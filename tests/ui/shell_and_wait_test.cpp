// Starting programs from Windows command lines and waiting for them; the
// logged-on user's names; whether the host application runs.
#include <pwd.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "frame/catalogue.h"
#include "frame/dispatch.h"
#include "frame/string_table.h"
#include "frame/vb_conversions.h"
#include "gui_fixture.h"
#include "support/child_process.h"
#include "support/sandbox.h"
#include "ui/window_helpers/command_line.h"
#include "ui/window_helpers/host_process.h"

namespace qxvb::test {
namespace {

using Words = std::vector<std::string>;

TEST(CommandLineTest, SplitsByTheWindowsRules) {
  using gui::splitCommandLine;
  EXPECT_EQ(splitCommandLine(""), Words{});
  EXPECT_EQ(splitCommandLine("   "), Words{});
  EXPECT_EQ(splitCommandLine("prog a  b\tc"), (Words{"prog", "a", "b", "c"}));
  EXPECT_EQ(splitCommandLine(R"("C:\Program Files\x.exe" "a b" c)"),
            (Words{R"(C:\Program Files\x.exe)", "a b", "c"}));
  // Backslashes are literal unless they precede a quote.
  EXPECT_EQ(splitCommandLine(R"(p a\\b a\\\"b "a\\" b)"),
            (Words{"p", R"(a\\b)", R"(a\"b)", R"(a\)", "b"}));
  EXPECT_EQ(splitCommandLine(R"(p "say ""hi""" x"y z"w)"), (Words{"p", R"(say "hi")", "xy zw"}));
  // In the program name backslashes never escape.
  EXPECT_EQ(splitCommandLine(R"(C:\dir\p.exe\ x)"), (Words{R"(C:\dir\p.exe\)", "x"}));
}

class ShellAndWaitTest : public ::testing::Test {
 protected:
  void SetUp() override { unloadThread(); }
  void TearDown() override { unloadThread(); }
  // Calls the member; error receives sError.
  static bool shell(const std::string& line, int32_t timeOut, std::string& error) {
    std::vector<Variant> args{Variant(line), Variant(1), Variant(""), Variant(timeOut)};
    const Variant result = createObject("QXVBUtils.QXUtilities")
                               ->invoke("QX_ShellAndWaitForTermination", kMethod, args);
    error = CStr(args[2]);
    return CBool(result);
  }
};

TEST_F(ShellAndWaitTest, WaitsForTheProgramWithItsArguments) {
  const auto folder = freshFolder("shell");
  const auto target = folder / "out file.txt";
  std::string error;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_TRUE(shell(
      "sh -c \"sleep 0.3; printf '%s|' \\\"$0\\\" > '" + target.string() + "'\" \"a \\\"b\\\"\"", 0,
      error));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(300));
  EXPECT_EQ(readFile(target), "a \"b\"|");
  EXPECT_EQ(error, "");
  EXPECT_TRUE(shell("true", -5, error));
  EXPECT_TRUE(shell("false", 2000000000, error));
}

TEST_F(ShellAndWaitTest, ReportsProgramsThatDoNotStartOrTakeTooLong) {
  std::string error;
  EXPECT_FALSE(shell("/nonexistent/program --flag", 1000, error));
  EXPECT_EQ(error, localString(41134));
  EXPECT_FALSE(shell("", 1000, error));
  EXPECT_EQ(error, localString(41134));
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(shell("sleep 5", 200, error));
  const auto took = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(error, localString(41135));
  EXPECT_GE(took, std::chrono::milliseconds(200));
  EXPECT_LT(took, std::chrono::milliseconds(2000));
}

TEST_F(ShellAndWaitTest, UserNamesComeFromTheAccount) {
  const passwd* me = getpwuid(geteuid());
  ASSERT_NE(me, nullptr);
  auto utilities = createObject("QXVBUtils.QXUtilities");
  EXPECT_EQ(CStr(utilities->call("QXGetWindowsUserName")), me->pw_name);
  const std::string gecos = me->pw_gecos != nullptr ? me->pw_gecos : "";
  EXPECT_EQ(CStr(utilities->call("QXGetWindowsUserNameEx", {Variant(3)})),
            gecos.substr(0, gecos.find(',')));
  const std::string sam = CStr(utilities->call("QXGetWindowsUserNameEx"));
  EXPECT_EQ(sam.substr(sam.find('\\') + 1), me->pw_name);
  EXPECT_EQ(CStr(utilities->call("QXGetWindowsUserNameEx", {Variant(0)})), "");
  // The setting 1 asks for the network's domain name before the name.
  std::string item = "UserNameSamCompatible", value = "1";
  std::vector<Variant> args{Variant(item), Variant(value), Variant("Quillane")};
  utilities->invoke("QXSetSetting", kMethod, args);
  const std::string domain =
      CStr(createObject("QXVBUtils.QX_NetworkParams")->call("QX_NP_GetDomainName"));
  EXPECT_EQ(CStr(utilities->call("QXGetWindowsUserNameEx", {Variant(2)})),
            domain + "\\" + me->pw_name);
}

TEST(HostProcessTest, RecognisesTheHostProgram) {
  EXPECT_TRUE(gui::isHostProgramPath("/opt/quillane/QXHost.EXE"));
  EXPECT_TRUE(gui::isHostProgramPath("/opt/quillane/qxhost"));
  EXPECT_FALSE(gui::isHostProgramPath("qxhost.exe"));
  EXPECT_FALSE(gui::isHostProgramPath("/opt/quillane/qxhost.exe.bak"));
}

using HostActiveTest = GuiTest;

TEST_F(HostActiveTest, LooksAtTheProcessesOwningWindows) {
  auto utilities = createObject("QXVBUtils.QXUtilities");
  EXPECT_FALSE(CBool(utilities->call("QXUtil_IsQXActive")));
  // A program named as the host shows a window.
  const auto folder = freshFolder("host");
  const auto host = folder / "qxhost.exe";
  std::filesystem::copy_file(builtProgram("qxcall"), host);
  std::filesystem::create_symlink(builtProgram("libQXVBUtils.so"), folder / "libQXVBUtils.so");
  QxcallProcess waiting({"QXVBUtils.QXUtilities", "QX_MsgBox", "x", "l:0", "Host Window"});
  pid_t pid = -1;
  {
    const std::string hostPath = host.string();
    std::vector<std::string> args{hostPath, "QXVBUtils.QXUtilities", "QX_MsgBox", "Host running",
                                  "l:0",    "Quillane Host"};
    pid = spawnLogged(args, folder / "log.txt");
  }
  const uint32_t window = waitForWindow(exactPattern("Quillane Host"));
  ASSERT_NE(window, 0u) << readFile(folder / "log.txt");
  EXPECT_TRUE(CBool(utilities->call("QXUtil_IsQXActive")));
  pressKeys(window, {"Return"});
  EXPECT_EQ(exitCodeOf(pid), 0);
  const uint32_t other = waitForWindow(exactPattern("Host Window"));
  EXPECT_FALSE(CBool(utilities->call("QXUtil_IsQXActive")));
  pressKeys(other, {"Return"});
  EXPECT_EQ(waiting.wait(), 0);
}

}  // namespace
}  // namespace qxvb::test
