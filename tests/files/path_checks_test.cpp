#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <ctime>

#include "files/file_dates.h"
#include "files_fixture.h"
#include "frame/vb_conversions.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

using PathTest = FilesTest;

std::string str(const Variant& v) {
  return CStr(v);
}

TEST_F(PathTest, PathAndNamePieces) {
  auto u = newUtils();
  EXPECT_EQ(str(u->QX_File_Name("/a/b.txt")), "b.txt");
  EXPECT_EQ(str(u->QX_File_Path("/a/b.txt")), "/a/");
  EXPECT_EQ(str(u->QX_File_Path("b.txt")), "");
  EXPECT_EQ(str(u->QX_File_Name("b.txt")), "b.txt");
  EXPECT_EQ(str(u->QX_File_Name("/a/")), "");
  EXPECT_EQ(str(u->QX_File_Path("/")), "/");
  EXPECT_EQ(u->QX_File_Path("x").type(), VarType::String);
  EXPECT_EQ(u->QX_File_AddSlashIfNeeded(""), "/");
  EXPECT_EQ(u->QX_File_AddSlashIfNeeded("/a"), "/a/");
  EXPECT_EQ(u->QX_File_AddSlashIfNeeded("/a/"), "/a/");
}

TEST_F(PathTest, ExtensionRule) {
  auto u = newUtils();
  EXPECT_EQ(u->QX_File_GetExtension("/my.dir/file"), "");
  EXPECT_EQ(u->QX_File_GetExtension("a.tar.gz"), "gz");
  EXPECT_EQ(u->QX_File_GetExtension("/x/y.TXT"), "TXT");
  EXPECT_EQ(u->QX_File_GetExtension("a.b c"), "");
  EXPECT_EQ(u->QX_File_GetExtension("a b.c"), "c");
  EXPECT_EQ(u->QX_File_GetExtension("file."), "");
  EXPECT_EQ(u->QX_File_GetExtension(".profile"), "profile");
  EXPECT_EQ(u->QX_File_GetExtension(""), "");
  EXPECT_EQ(u->QX_File_GetExtension(std::string("a.txt\0.exe", 10)), "txt");
}

TEST_F(PathTest, LongAndShortFormsAreThePathItself) {
  auto u = newUtils();
  const fs::path folder = freshFolder("forms");
  EXPECT_EQ(u->QX_File_GetLongPath("/no/such/path"), "/no/such/path");
  EXPECT_EQ(u->QX_File_GetShortPath("/no/such/path"), "/no/such/path");
  EXPECT_EQ(u->QX_File_GetLongPath(text(folder)), text(folder));
  EXPECT_EQ(u->QX_File_GetShortPath(text(folder) + "/"), text(folder) + "/");
}

TEST_F(PathTest, ExistenceChecksTellFilesFromFolders) {
  auto u = newUtils();
  const fs::path folder = freshFolder("exists");
  test::writeFile(folder / "f", "x");
  fs::create_symlink(folder / "f", folder / "link");
  std::string file = text(folder / "f");
  std::string dir = text(folder);
  std::string link = text(folder / "link");
  std::string empty;
  std::string withNul = text(folder / "f") + std::string("\0x", 2);
  EXPECT_TRUE(u->QX_File_Exists(file));
  EXPECT_TRUE(u->QX_File_Exists(link));
  EXPECT_FALSE(u->QX_File_Exists(dir));
  EXPECT_FALSE(u->QX_File_Exists(empty));
  EXPECT_FALSE(u->QX_File_Exists(withNul));
  EXPECT_TRUE(u->QX_File_FolderExists(dir));
  EXPECT_FALSE(u->QX_File_FolderExists(file));
  EXPECT_FALSE(u->QX_File_FolderExists(empty));
}

TEST_F(PathTest, ValidFolderNameLeavesNothingBehind) {
  auto u = newUtils();
  const fs::path folder = freshFolder("valid");
  std::string existing = text(folder);
  std::string fresh = text(folder / "new");
  std::string orphan = text(folder / "missing" / "child");
  std::string empty;
  EXPECT_TRUE(u->QX_File_ValidFolderName(existing));
  EXPECT_TRUE(u->QX_File_ValidFolderName(fresh));
  EXPECT_FALSE(fs::exists(fresh));
  EXPECT_FALSE(u->QX_File_ValidFolderName(orphan));
  EXPECT_FALSE(fs::exists(folder / "missing"));
  EXPECT_FALSE(u->QX_File_ValidFolderName(empty));
}

TEST_F(PathTest, ValidFileNameLeavesNothingBehind) {
  auto u = newUtils();
  const fs::path folder = freshFolder("validfile");
  test::writeFile(folder / "there", "keep");
  EXPECT_TRUE(u->QX_File_ValidFileName(text(folder / "new.txt")));
  EXPECT_FALSE(fs::exists(folder / "new.txt"));
  EXPECT_TRUE(u->QX_File_ValidFileName(text(folder / "there")));
  EXPECT_EQ(test::readFile(folder / "there"), "keep");
  EXPECT_FALSE(u->QX_File_ValidFileName(text(folder / "missing" / "f.txt")));
  EXPECT_FALSE(u->QX_File_ValidFileName(text(folder)));
  EXPECT_FALSE(u->QX_File_ValidFileName(""));
  EXPECT_FALSE(fs::exists(folder / "missing"));

  // A bare name is checked against the temporary folder and tried as given.
  const fs::path previous = fs::current_path();
  fs::current_path(folder);
  EXPECT_TRUE(u->QX_File_ValidFileName("bare.txt"));
  fs::current_path(previous);
  EXPECT_FALSE(fs::exists(folder / "bare.txt"));
}

// A file whose dates are set to a known local time.
std::time_t localTime(int year, int month, int day, int hour, int minute, int second) {
  std::tm tm{};
  tm.tm_year = year - 1900;
  tm.tm_mon = month - 1;
  tm.tm_mday = day;
  tm.tm_hour = hour;
  tm.tm_min = minute;
  tm.tm_sec = second;
  tm.tm_isdst = -1;
  return std::mktime(&tm);
}

void setTimes(const fs::path& file, std::time_t accessed, std::time_t modified) {
  const timespec times[2] = {{accessed, 0}, {modified, 0}};
  ASSERT_EQ(::utimensat(AT_FDCWD, file.c_str(), times, 0), 0);
}

TEST_F(PathTest, DateStampInTheLocaleForm) {
  auto u = newUtils();
  const fs::path folder = freshFolder("dates");
  test::writeFile(folder / "f", "x");
  const std::time_t modified = localTime(2021, 3, 4, 5, 6, 7);
  const std::time_t accessed = localTime(2020, 1, 2, 0, 0, 0);
  setTimes(folder / "f", accessed, modified);
  // 2021-03-04 is OLE day 44259; the time is 5:06:07.
  const DateValue expected{44259 + (5 * 3600 + 6 * 60 + 7) / 86400.0};
  EXPECT_EQ(files::localDate(modified).serial, expected.serial);
  EXPECT_EQ(u->QX_File_DateStamp(text(folder / "f")), CStr(Variant(expected)));
  EXPECT_EQ(u->QX_File_DateStamp(text(folder / "f"), DS_Modified), CStr(Variant(expected)));
  EXPECT_EQ(u->QX_File_DateStamp(text(folder / "f"), 99), CStr(Variant(expected)));
  // Midnight gives the date alone.
  const std::string accessText = u->QX_File_DateStamp(text(folder / "f"), DS_Accessed);
  EXPECT_EQ(accessText, CStr(Variant(DateValue{43832})));
  EXPECT_EQ(accessText.find(':'), std::string::npos);
  const std::string created = u->QX_File_DateStamp(text(folder / "f"), DS_Created);
  EXPECT_FALSE(created.empty());
}

TEST_F(PathTest, DateStampOfAMissingFileRaises53) {
  auto u = newUtils();
  const fs::path folder = freshFolder("nodate");
  EXPECT_EQ(errorNumber([&] { u->QX_File_DateStamp(text(folder / "missing")); }),
            vberr::FileNotFound);
  EXPECT_EQ(errorNumber([&] { u->QX_File_DateStamp(text(folder)); }), vberr::FileNotFound);
  EXPECT_EQ(errorNumber([&] { u->QX_File_DateStamp(""); }), vberr::FileNotFound);
}

}  // namespace
}  // namespace qxvb::test
