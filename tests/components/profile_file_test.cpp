#include "components/qxdutils/profile_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/state_paths.h"
#include "support/child_process.h"
#include "support/sandbox.h"

namespace fs = std::filesystem;
using qxvb::test::exitCodeOf;
using qxvb::test::forkChild;
using qxvb::test::freshFolder;
using qxvb::test::readFile;
using qxvb::test::writeFile;
namespace profile = qxvb::profile;

namespace {

fs::path profileWith(const std::string& hint, const std::string& content) {
  const fs::path file = freshFolder(hint) / "settings.ini";
  writeFile(file, content);
  return file;
}

std::string bufferBytes(const char* buffer, size_t n) {
  return std::string(buffer, n);
}

// Files in the folder other than the profile and its lock file.
std::vector<std::string> strayFiles(const fs::path& folder) {
  std::vector<std::string> stray;
  for (const auto& entry : fs::directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != "settings.ini" && name != "settings.ini.lock") stray.push_back(name);
  }
  return stray;
}

}  // namespace

TEST(ProfileRead, SectionsAndKeysIgnoreCase) {
  const fs::path file = profileWith("case", "[Options]\r\nDataPath=C:\\Data\r\n");
  EXPECT_EQ(profile::readValue(file, "OPTIONS", "datapath"), "C:\\Data");
  EXPECT_EQ(profile::readValue(file, "options", "DATAPATH"), "C:\\Data");
  EXPECT_EQ(profile::readValue(file, "Option", "DataPath"), std::nullopt);
}

TEST(ProfileRead, NonAsciiNamesFoldCase) {
  const fs::path file = profileWith("unicode", "[Größe]\näpfel=1\n");
  EXPECT_EQ(profile::readValue(file, "GRÖSSE", "ÄPFEL"), "1");
  EXPECT_EQ(profile::readValue(file, "größe", "Äpfel"), "1");
}

TEST(ProfileRead, EightBitNamesCompareByAsciiRules) {
  // Latin-1 bytes are not UTF-8; only their ASCII letters fold.
  const fs::path file = profileWith("latin1", "[\xC4rger]\nK\xE9y=1\n");
  EXPECT_EQ(profile::readValue(file, "\xC4RGER", "k\xE9Y"), "1");
  EXPECT_EQ(profile::readValue(file, "\xE4rger", "K\xE9y"), std::nullopt);
}

TEST(ProfileRead, BlanksAndMatchingQuotesAreRemoved) {
  const fs::path file = profileWith("quotes",
                                    "[S]\n"
                                    "  spaced  =  a value \t\n"
                                    "double=\"  kept blanks  \"\n"
                                    "single='x'\n"
                                    "mixed=\"x'\n"
                                    "lone=\"\n"
                                    "empty=\n");
  EXPECT_EQ(profile::readValue(file, "S", "spaced"), "a value");
  EXPECT_EQ(profile::readValue(file, "S", "double"), "  kept blanks  ");
  EXPECT_EQ(profile::readValue(file, "S", "single"), "x");
  EXPECT_EQ(profile::readValue(file, "S", "mixed"), "\"x'");
  EXPECT_EQ(profile::readValue(file, "S", "lone"), "\"");
  EXPECT_EQ(profile::readValue(file, "S", "empty"), "");
}

TEST(ProfileRead, CommentsStrayKeysAndBomAreNotEntries) {
  const fs::path file = profileWith("bom",
                                    "\xEF\xBB\xBF"
                                    "early=1\r\n"
                                    "[A]\r\n"
                                    ";hidden=2\r\n"
                                    "no equals sign\r\n"
                                    "last=3");
  EXPECT_EQ(profile::sectionNames(file), std::vector<std::string>{"A"});
  EXPECT_EQ(profile::readValue(file, "A", "early"), std::nullopt);
  EXPECT_EQ(profile::readValue(file, "A", ";hidden"), std::nullopt);
  EXPECT_EQ(profile::readValue(file, "A", "last"), "3");
}

TEST(ProfileRead, FirstSectionOfARepeatedNameCounts) {
  const fs::path file = profileWith("repeat", "[A]\nk=first\n[B]\n[a]\nk=second\nonly=x\n");
  EXPECT_EQ(profile::readValue(file, "A", "k"), "first");
  EXPECT_EQ(profile::readValue(file, "A", "only"), std::nullopt);
  EXPECT_EQ(profile::sectionNames(file), (std::vector<std::string>{"A", "B"}));
}

TEST(ProfileRead, MissingFileReadsAsEmpty) {
  const fs::path file = freshFolder("missing") / "none.ini";
  EXPECT_EQ(profile::readValue(file, "A", "k"), std::nullopt);
  EXPECT_TRUE(profile::readSection(file, "A").empty());
  EXPECT_TRUE(profile::sectionNames(file).empty());
  char buffer[8];
  EXPECT_EQ(profile::getString("A", "k", "dflt", buffer, 8, file), 4);
  EXPECT_STREQ(buffer, "dflt");
  EXPECT_FALSE(fs::exists(file));
}

TEST(ProfileGetString, CopiesValueOrTrimmedDefaultAndTruncates) {
  const fs::path file = profileWith("getstring", "[S]\nk=abcdef\n");
  char buffer[16];
  EXPECT_EQ(profile::getString("S", "k", "", buffer, 16, file), 6);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(profile::getString("S", "k", "", buffer, 7, file), 6);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(profile::getString("S", "k", "", buffer, 6, file), 5);
  EXPECT_STREQ(buffer, "abcde");
  EXPECT_EQ(profile::getString("S", "k", "", buffer, 2, file), 1);
  EXPECT_STREQ(buffer, "a");
  EXPECT_EQ(profile::getString("S", "k", "", buffer, 1, file), 0);
  EXPECT_STREQ(buffer, "");

  buffer[0] = 'Z';
  EXPECT_EQ(profile::getString("S", "k", "", buffer, 0, file), 0);
  EXPECT_EQ(buffer[0], 'Z');

  EXPECT_EQ(profile::getString("S", "absent", "  dflt \t ", buffer, 16, file), 6);
  EXPECT_STREQ(buffer, "  dflt");
  EXPECT_EQ(profile::getString("S", "absent", "default", buffer, 4, file), 3);
  EXPECT_STREQ(buffer, "def");
}

TEST(ProfileGetSection, BufferLayoutByteForByte) {
  const fs::path file = profileWith("section",
                                    "[S]\r\n"
                                    "a=1\r\n"
                                    "; note\r\n"
                                    " bb = \"2\" \r\n"
                                    "[T]\r\n"
                                    "c=3\r\n");
  char buffer[32];
  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(profile::getSection("s", buffer, 32, file), 9);
  EXPECT_EQ(bufferBytes(buffer, 11), std::string("a=1\0bb=2\0\0X", 11));

  // Exactly the size needed.
  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(profile::getSection("S", buffer, 10, file), 9);
  EXPECT_EQ(bufferBytes(buffer, 10), std::string("a=1\0bb=2\0\0", 10));
}

TEST(ProfileGetSection, TooSmallBufferGivesSizeMinusTwo) {
  const fs::path file = profileWith("section-cut", "[S]\na=1\nbb=2\n");
  char buffer[16];
  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(profile::getSection("S", buffer, 9, file), 7);
  EXPECT_EQ(bufferBytes(buffer, 10), std::string("a=1\0bb=\0\0X", 10));

  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(profile::getSection("S", buffer, 6, file), 4);
  EXPECT_EQ(bufferBytes(buffer, 7), std::string("a=1\0\0\0X", 7));

  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(profile::getSection("S", buffer, 2, file), 0);
  EXPECT_EQ(bufferBytes(buffer, 3), std::string("\0\0X", 3));

  std::fill(std::begin(buffer), std::end(buffer), 'X');
  EXPECT_EQ(profile::getSection("S", buffer, 1, file), 0);
  EXPECT_EQ(bufferBytes(buffer, 2), std::string("\0X", 2));

  EXPECT_EQ(profile::getSection("S", buffer, 0, file), 0);
  EXPECT_EQ(buffer[0], '\0');
}

TEST(ProfileGetSection, GrowingBufferEventuallyHoldsEverything) {
  std::string content = "[Big]\n";
  for (int i = 0; i < 10; ++i) content += "key" + std::to_string(i) + "=value\n";
  const fs::path file = profileWith("grow", content);
  int32_t size = 16;
  std::vector<char> buffer;
  for (;;) {
    buffer.assign(static_cast<size_t>(size), ' ');
    if (profile::getSection("Big", buffer.data(), size, file) != size - 2) break;
    size += 16;
  }
  // Ten entries of 11 bytes and the final NUL fit 112 bytes with one to
  // spare, which answers size - 2 just like a cut list, so one more round
  // is taken.
  EXPECT_EQ(size, 128);
  EXPECT_EQ(std::string(buffer.data() + 99, 12), std::string("key9=value\0\0", 12));
}

TEST(ProfileGetSection, EmptyOrMissingSectionIsTwoNuls) {
  const fs::path file = profileWith("empty-section", "[Empty]\n; only a comment\n");
  char buffer[4] = {'X', 'X', 'X', 'X'};
  EXPECT_EQ(profile::getSection("Empty", buffer, 4, file), 0);
  EXPECT_EQ(bufferBytes(buffer, 3), std::string("\0\0X", 3));
  EXPECT_EQ(profile::getSection("Nowhere", buffer, 4, file), 0);
  EXPECT_EQ(bufferBytes(buffer, 2), std::string("\0\0", 2));
}

TEST(ProfileGetSectionNames, ListsNamesLikeSections) {
  const fs::path file = profileWith("names", "[One]\nx=1\n[Two]\n");
  char buffer[16];
  EXPECT_EQ(profile::getSectionNames(buffer, 16, file), 8);
  EXPECT_EQ(bufferBytes(buffer, 9), std::string("One\0Two\0\0", 9));
  EXPECT_EQ(profile::getSectionNames(buffer, 6, file), 4);
  EXPECT_EQ(bufferBytes(buffer, 6), std::string("One\0\0\0", 6));
}

TEST(ProfileGetInt, LeadingDigitsSignAndDefault) {
  const fs::path file = profileWith("int",
                                    "[N]\n"
                                    "plain=42\n"
                                    "trailing=12abc\n"
                                    "negative=-17\n"
                                    "plus= +8\n"
                                    "hex=0x1F\n"
                                    "text=abc\n"
                                    "empty=\n"
                                    "quoted=\"5\"\n");
  EXPECT_EQ(profile::getInt("N", "plain", 7, file), 42);
  EXPECT_EQ(profile::getInt("N", "trailing", 7, file), 12);
  EXPECT_EQ(profile::getInt("N", "negative", 7, file), -17);
  EXPECT_EQ(profile::getInt("N", "plus", 7, file), 8);
  EXPECT_EQ(profile::getInt("N", "hex", 7, file), 31);
  EXPECT_EQ(profile::getInt("N", "text", 7, file), 0);
  EXPECT_EQ(profile::getInt("N", "empty", 7, file), 7);
  EXPECT_EQ(profile::getInt("N", "quoted", 7, file), 5);
  EXPECT_EQ(profile::getInt("N", "absent", -3, file), -3);
  EXPECT_EQ(profile::parseProfileInt("4294967295"), -1);
}

TEST(ProfileWrite, CreatesFileAndFoldersWithCrLf) {
  const fs::path folder = freshFolder("create");
  const fs::path file = folder / "a" / "b" / "settings.ini";
  ASSERT_TRUE(profile::writeString("Main", "Key", "Value", file));
  ASSERT_TRUE(profile::writeString("Main", "Other", "2", file));
  ASSERT_TRUE(profile::writeString("Next", "k", "v", file));
  EXPECT_EQ(readFile(file), "[Main]\r\nKey=Value\r\nOther=2\r\n[Next]\r\nk=v\r\n");
  EXPECT_TRUE(strayFiles(file.parent_path()).empty());
}

TEST(ProfileWrite, UpdateKeepsEveryOtherByteAndTheKeysCase) {
  const std::string before =
      "; settings of the product\n"
      "\n"
      "[Paths]\n"
      "  DataPath = old  \r\n"
      "# not a comment for the profile rules, kept anyway\n"
      "Temp=/tmp\n"
      "\n"
      "[Other]\n"
      "x=1\n";
  const fs::path file = profileWith("update", before);
  ASSERT_TRUE(profile::writeString("PATHS", "datapath", "new", file));
  const std::string after =
      "; settings of the product\n"
      "\n"
      "[Paths]\n"
      "DataPath=new\r\n"
      "# not a comment for the profile rules, kept anyway\n"
      "Temp=/tmp\n"
      "\n"
      "[Other]\n"
      "x=1\n";
  EXPECT_EQ(readFile(file), after);
}

TEST(ProfileWrite, NewKeyGoesAfterTheLastLineOfItsSection) {
  const fs::path file = profileWith("newkey", "[A]\nx=1\n; tail comment\n\n\n[B]\ny=2\n");
  ASSERT_TRUE(profile::writeString("a", "z", "3", file));
  EXPECT_EQ(readFile(file), "[A]\nx=1\n; tail comment\nz=3\r\n\n\n[B]\ny=2\n");
}

TEST(ProfileWrite, AppendingAfterALastLineWithoutLineEnding) {
  const fs::path file = profileWith("noeol", "[A]\nx=1");
  ASSERT_TRUE(profile::writeString("A", "y", "2", file));
  EXPECT_EQ(readFile(file), "[A]\nx=1\r\ny=2\r\n");
  ASSERT_TRUE(profile::writeString("B", "z", "3", file));
  EXPECT_EQ(readFile(file), "[A]\nx=1\r\ny=2\r\n[B]\r\nz=3\r\n");
}

TEST(ProfileWrite, ByteOrderMarkStays) {
  const fs::path file = profileWith("bom-write", "\xEF\xBB\xBF[A]\nx=1\n");
  ASSERT_TRUE(profile::writeString("A", "x", "2", file));
  EXPECT_EQ(readFile(file), "\xEF\xBB\xBF[A]\nx=2\n");
}

TEST(ProfileWrite, DeleteKeyRemovesEveryEntryOfIt) {
  const fs::path file = profileWith("delkey", "[A]\nk=1\n;c\nK=2\nm=3\n[B]\nk=4\n");
  ASSERT_TRUE(profile::writeString("A", "k", std::nullopt, file));
  EXPECT_EQ(readFile(file), "[A]\n;c\nm=3\n[B]\nk=4\n");
  EXPECT_EQ(profile::readValue(file, "A", "k"), std::nullopt);
  EXPECT_EQ(profile::readValue(file, "B", "k"), "4");
}

TEST(ProfileWrite, DeleteSectionRemovesItsLinesUpToTheNextHeader) {
  const fs::path file = profileWith("delsec", "; top\n[A]\nk=1\n; about A\n\n[B]\nk=2\n");
  ASSERT_TRUE(profile::writeString("a", std::nullopt, std::nullopt, file));
  EXPECT_EQ(readFile(file), "; top\n[B]\nk=2\n");
}

TEST(ProfileWrite, DeletingWhatIsAbsentChangesNothing) {
  const fs::path folder = freshFolder("delabsent");
  const fs::path missing = folder / "missing.ini";
  EXPECT_TRUE(profile::writeString("A", "k", std::nullopt, missing));
  EXPECT_TRUE(profile::writeString("A", std::nullopt, std::nullopt, missing));
  EXPECT_FALSE(fs::exists(missing));

  const fs::path file = profileWith("delabsent2", "[A]\nk=1\n");
  EXPECT_TRUE(profile::writeString("A", "other", std::nullopt, file));
  EXPECT_TRUE(profile::writeString("Z", std::nullopt, std::nullopt, file));
  EXPECT_EQ(readFile(file), "[A]\nk=1\n");
}

TEST(ProfileWrite, RefusesNamesAndValuesThatCannotBeReadBack) {
  const std::string before = "[A]\nk=1\n";
  const fs::path file = profileWith("refuse", before);
  EXPECT_FALSE(profile::writeString("A]B", "k", "v", file));
  EXPECT_FALSE(profile::writeString("", "k", "v", file));
  EXPECT_FALSE(profile::writeString("   ", "k", "v", file));
  EXPECT_FALSE(profile::writeString(std::string_view("A\0B", 3), "k", "v", file));
  EXPECT_FALSE(profile::writeString("A\nB", "k", "v", file));
  EXPECT_FALSE(profile::writeString("A", "k=x", "v", file));
  EXPECT_FALSE(profile::writeString("A", "", "v", file));
  EXPECT_FALSE(profile::writeString("A", ";k", "v", file));
  EXPECT_FALSE(profile::writeString("A", "[k", "v", file));
  EXPECT_FALSE(profile::writeString("A", std::string_view("k\0x", 3), "v", file));
  EXPECT_FALSE(profile::writeString("A", "k", std::string_view("v\0w", 3), file));
  EXPECT_FALSE(profile::writeString("A", "k", "line\r\nbreak", file));
  EXPECT_FALSE(profile::writeString("A", "k=x", std::nullopt, file));
  EXPECT_FALSE(profile::writeSection("A", std::string_view("noequals\0\0", 10), file));
  EXPECT_FALSE(profile::writeSection("A", std::string_view("=v\0\0", 4), file));
  EXPECT_EQ(readFile(file), before);
}

TEST(ProfileWrite, WriteSectionReplacesEntriesAndKeepsComments) {
  const fs::path file =
      profileWith("writesection", "[A]\n; about A\nold1=1\nold2=2\n; end\n[B]\nb=1\n");
  ASSERT_TRUE(profile::writeSection("A", std::string_view("n1=x\0n2=y\0\0ignored=1\0", 22), file));
  EXPECT_EQ(readFile(file), "[A]\n; about A\nn1=x\r\nn2=y\r\n; end\n[B]\nb=1\n");

  ASSERT_TRUE(profile::writeSection("B", {{"c", "3"}}, file));
  ASSERT_TRUE(profile::writeSection("New", {{"d", "4"}, {"e", "5"}}, file));
  EXPECT_EQ(readFile(file),
            "[A]\n; about A\nn1=x\r\nn2=y\r\n; end\n[B]\nc=3\r\n[New]\r\nd=4\r\ne=5\r\n");
  const auto entries = profile::readSection(file, "new");
  ASSERT_EQ(entries.size(), 2u);
  EXPECT_EQ(entries[1], std::make_pair(std::string("e"), std::string("5")));
}

TEST(ProfileWrite, WriteSectionWithoutEntriesLeavesTheHeader) {
  const fs::path file = profileWith("writesection-empty", "[A]\nk=1\n");
  ASSERT_TRUE(profile::writeSection("A", std::string_view("\0", 1), file));
  EXPECT_EQ(readFile(file), "[A]\n");
  EXPECT_EQ(profile::sectionNames(file), std::vector<std::string>{"A"});
}

TEST(ProfileWrite, KeepsPermissionsAndSymbolicLinks) {
  const fs::path folder = freshFolder("links");
  const fs::path real = folder / "real.ini";
  const fs::path link = folder / "settings.ini";
  writeFile(real, "[A]\n");
  ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
  fs::create_symlink(real, link);
  ASSERT_TRUE(profile::writeString("A", "k", "v", link));
  EXPECT_TRUE(fs::is_symlink(link));
  EXPECT_EQ(readFile(real), "[A]\nk=v\r\n");
  struct stat info {};
  ASSERT_EQ(::stat(real.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0640u);
}

TEST(ProfileWrite, FailureLeavesNoTemporaryFile) {
  const fs::path folder = freshFolder("failure");
  const fs::path file = folder / "settings.ini";
  fs::create_directory(file);  // a folder where the file should be
  EXPECT_FALSE(profile::writeString("A", "k", "v", file));
  EXPECT_TRUE(strayFiles(folder).empty());
  EXPECT_TRUE(fs::is_directory(file));
}

TEST(ProfileWrite, HugeFilesAndLongLines) {
  const fs::path file = freshFolder("huge") / "settings.ini";
  std::string content = "[Many]\n";
  for (int i = 0; i < 50000; ++i)
    content += "key" + std::to_string(i) + "=" + std::to_string(i) + "\n";
  writeFile(file, content);
  const std::string longValue(2 * 1024 * 1024, 'v');
  ASSERT_TRUE(profile::writeString("Many", "long", longValue, file));
  ASSERT_TRUE(profile::writeString("Many", "key49999", "changed", file));
  EXPECT_EQ(profile::readValue(file, "Many", "long"), longValue);
  EXPECT_EQ(profile::readValue(file, "Many", "key49999"), "changed");
  EXPECT_EQ(profile::readValue(file, "Many", "key12345"), "12345");
  EXPECT_EQ(profile::readSection(file, "Many").size(), 50001u);
}

TEST(ProfileConcurrency, ParallelWritersLoseNoKey) {
  const fs::path file = profileWith("concurrent", "[Shared]\r\nmarker=present\r\n");
  constexpr int kWriters = 3;
  constexpr int kKeys = 200;
  std::vector<pid_t> children;
  for (int w = 0; w < kWriters; ++w) {
    const pid_t pid = forkChild([&] {
      bool ok = true;
      for (int k = 0; k < kKeys; ++k) {
        const std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
        ok = profile::writeString("Shared", key, std::to_string(k), file) && ok;
      }
      return ok;
    });
    ASSERT_GE(pid, 0);
    children.push_back(pid);
  }
  // A reader running alongside must always see a complete file.
  const pid_t reader = forkChild([&] {
    for (int i = 0; i < 300; ++i) {
      if (profile::readValue(file, "Shared", "marker") != "present") return false;
    }
    return true;
  });
  ASSERT_GE(reader, 0);
  children.push_back(reader);
  for (pid_t pid : children) ASSERT_EQ(exitCodeOf(pid), 0);
  EXPECT_EQ(profile::readSection(file, "Shared").size(), 1u + kWriters * kKeys);
  for (int w = 0; w < kWriters; ++w) {
    for (int k = 0; k < kKeys; ++k) {
      const std::string key = "w" + std::to_string(w) + "k" + std::to_string(k);
      ASSERT_EQ(profile::readValue(file, "Shared", key), std::to_string(k)) << key;
    }
  }
  EXPECT_TRUE(strayFiles(file.parent_path()).empty());
}

TEST(ProfileWrite, NewProfilesOfTheUserArePrivateAndOthersShared) {
  const mode_t old = ::umask(022);
  const fs::path mine = qxvb::paths::configHome() / "PrivateTest" / "secrets.ini";
  ASSERT_TRUE(profile::writeString("ADImport", "ADImportBindPassword", "pw", mine));
  const fs::path shared = freshFolder("shared-profile") / "settings.ini";
  ASSERT_TRUE(profile::writeString("A", "k", "v", shared));
  ::umask(old);
  struct stat info {};
  ASSERT_EQ(::stat(mine.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  ASSERT_EQ(::stat(shared.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0644u);
}

TEST(ProfileWrite, APlantedLockLinkIsNeverFollowed) {
  const fs::path folder = freshFolder("lock-link");
  const fs::path file = folder / "settings.ini";
  fs::create_symlink(folder / "created-through-link", folder / "settings.ini.lock");
  EXPECT_FALSE(profile::writeString("A", "k", "v", file));
  EXPECT_FALSE(fs::exists(folder / "created-through-link"));
  EXPECT_FALSE(fs::exists(file));
  // Reading goes on without the lock.
  writeFile(file, "[A]\r\nk=v\r\n");
  EXPECT_EQ(profile::readValue(file, "A", "k"), "v");
  EXPECT_FALSE(fs::exists(folder / "created-through-link"));
}

TEST(ProfileWrite, AWriterKilledDuringARewriteLeavesNoCopyBehind) {
  const fs::path file = profileWith("killed", "[A]\r\nk=v\r\n");
  const std::string big(16 * 1024 * 1024, 'b');
  const pid_t writer = forkChild([&] {
    for (int i = 0;; ++i) profile::writeString("A", "big", big + std::to_string(i), file);
    return true;
  });
  ASSERT_GE(writer, 0);
  ::usleep(400 * 1000);
  ::kill(writer, SIGKILL);
  EXPECT_EQ(exitCodeOf(writer), -1);
  EXPECT_TRUE(strayFiles(file.parent_path()).empty());
  ASSERT_TRUE(profile::writeString("A", "k", "w", file));
  EXPECT_EQ(profile::readValue(file, "A", "k"), "w");
  EXPECT_TRUE(strayFiles(file.parent_path()).empty());
}

TEST(ProfileRead, AFifoOrDeviceInThePlaceOfTheProfileIsRefusedAtOnce) {
  const fs::path folder = freshFolder("fifo-profile");
  ASSERT_EQ(::mkfifo((folder / "settings.ini").c_str(), 0600), 0);
  // Reading or writing must neither block nor replace the FIFO.
  const pid_t child = forkChild([&] {
    ::alarm(10);
    return !profile::readValue(folder / "settings.ini", "A", "k").has_value() &&
           !profile::writeString("A", "k", "v", folder / "settings.ini");
  });
  EXPECT_EQ(exitCodeOf(child), 0);
  fs::create_symlink("/dev/zero", folder / "zero.ini");
  const pid_t zero = forkChild([&] {
    ::alarm(10);
    return !profile::readValue(folder / "zero.ini", "A", "k").has_value();
  });
  EXPECT_EQ(exitCodeOf(zero), 0);
}
