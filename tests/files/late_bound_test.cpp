#include "files_fixture.h"
#include "frame/vb_conversions.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

class LateBoundFilesTest : public FilesTest {
 protected:
  Object object() { return createObject("QXVBUtils.QX_File_Utils"); }
};

std::string str(const Variant& v) {
  return CStr(v);
}

TEST_F(LateBoundFilesTest, ClassIsInTheCatalogueAsGlobalMultiUse) {
  const ClassInfo* info = Catalogue::instance().find("{38F41C09-0D80-4037-B4FD-B8E9E53EC498}");
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(info->name, "QX_File_Utils");
  Object global = globalInstance("QX_File_Utils");
  ASSERT_NE(global, nullptr);
  EXPECT_EQ(global, globalInstance("QX_File_Utils"));
  EXPECT_NE(global, Object(sharedFileUtils()));
  EXPECT_FALSE(std::static_pointer_cast<QX_File_Utils>(global)->isShared());
}

TEST_F(LateBoundFilesTest, LocationMembersWithDefaults) {
  Object u = object();
  const std::string appData = str(u->call("QX_File_GetFolderLocation", {Variant(0), Variant(261)}));
  EXPECT_EQ(appData, newUtils()->QX_File_GetFolderLocation(0, QXSF_QXAppData));
  EXPECT_EQ(str(u->call("qx_file_getfolderlocation",
                        {Variant(int16_t{0}), Variant("26"), Variant(true)})),
            newUtils()->QX_File_GetFolderLocation(0, QXSF_AppData, true));
  EXPECT_EQ(str(u->call("QX_File_ActiveX_RegisteredPath")), "");
  EXPECT_EQ(str(u->call("QX_File_ActiveX_RegisteredPath", {Variant("x.y"), Variant(true)})), "");
  const fs::path root = freshFolder("lb-construct");
  EXPECT_EQ(u->call("QX_File_ConstructFolderPath", {Variant(text(root / "a" / "b"))}),
            Variant(true));
  EXPECT_EQ(errorNumber([&] { u->call("QX_File_GetFolderLocation", {Variant(0)}); }),
            vberr::ArgumentNotOptional);
}

TEST_F(LateBoundFilesTest, TemporaryMembersWithDefaults) {
  Object u = object();
  auto self = std::static_pointer_cast<QX_File_Utils>(u);
  const fs::path root = freshFolder("lb-temp");
  EXPECT_EQ(str(u->call("QX_File_GetTempFile", {Variant(text(root)), Variant("abc"), Variant(31)})),
            text(root / "abc1F.tmp"));
  EXPECT_EQ(str(u->call("QX_File_GetTempFileExt",
                        {Variant(text(root)), Variant("img"), Variant(255), Variant("png")})),
            text(root / "imgFF.png"));
  // The delay flag defaults to True on the "2" members: the store, not the list.
  const std::string delayed =
      str(u->call("QX_File_GetTempFile2", {Variant(text(root)), Variant("d"), Variant(0),
                                           Variant::missing(), Variant(true)}));
  EXPECT_TRUE(fs::exists(delayed));
  EXPECT_TRUE(self->tempFiles().empty());
  const std::string listed = str(u->call(
      "QX_File_GetTempFileExt2", {Variant(text(root)), Variant("e"), Variant(0), Variant("x"),
                                  Variant(false), Variant(true), Variant(false)}));
  EXPECT_EQ(self->tempFiles().size(), 1u);
  const std::string inTemp = str(u->call("QX_File_CreateTempFolder", {Variant("LateWork")}));
  EXPECT_EQ(inTemp, newUtils()->QX_File_GetFolderLocation(0, QXSF_TemporaryFolder) + "LateWork");
  const std::string unique =
      str(u->call("QX_File_CreateTempFolder2",
                  {Variant("W"), Variant(text(root)), Variant(true), Variant(true)}));
  EXPECT_TRUE(fs::is_directory(unique));
  EXPECT_TRUE(self->tempFolders().empty());
  self.reset();
  u.reset();
  EXPECT_FALSE(fs::exists(listed));
  EXPECT_TRUE(fs::exists(delayed));
  unloadThread();
  EXPECT_FALSE(fs::exists(delayed));
  EXPECT_FALSE(fs::exists(unique));
}

TEST_F(LateBoundFilesTest, ByReferenceChecksKeepTheirArgument) {
  Object u = object();
  const fs::path root = freshFolder("lb-checks");
  test::writeFile(root / "f", "x");
  std::vector<Variant> args{Variant(text(root / "f"))};
  EXPECT_EQ(u->invoke("QX_File_Exists", kMethod, args), Variant(true));
  EXPECT_EQ(args[0], Variant(text(root / "f")));
  args = {Variant(text(root))};
  EXPECT_EQ(u->invoke("QX_File_FolderExists", kMethod, args), Variant(true));
  EXPECT_EQ(args[0], Variant(text(root)));
  args = {Variant(text(root / "new"))};
  EXPECT_EQ(u->invoke("QX_File_ValidFolderName", kMethod, args), Variant(true));
  EXPECT_EQ(args[0], Variant(text(root / "new")));
  EXPECT_EQ(u->call("QX_File_ValidFileName", {Variant(text(root / "g"))}), Variant(true));
  EXPECT_FALSE(fs::exists(root / "new"));
  EXPECT_FALSE(fs::exists(root / "g"));
}

TEST_F(LateBoundFilesTest, PathMembers) {
  Object u = object();
  EXPECT_EQ(u->call("QX_File_Path", {Variant("/a/b.txt")}), Variant("/a/"));
  EXPECT_EQ(u->call("QX_File_Name", {Variant("/a/b.txt")}), Variant("b.txt"));
  EXPECT_EQ(u->call("QX_File_AddSlashIfNeeded", {Variant("/a")}), Variant("/a/"));
  EXPECT_EQ(u->call("QX_File_GetExtension", {Variant("a.tar.gz")}), Variant("gz"));
  EXPECT_EQ(u->call("QX_File_GetLongPath", {Variant("/nope")}), Variant("/nope"));
  EXPECT_EQ(u->call("QX_File_GetShortPath", {Variant("/nope")}), Variant("/nope"));
  const fs::path root = freshFolder("lb-date");
  test::writeFile(root / "f", "x");
  EXPECT_EQ(u->call("QX_File_DateStamp", {Variant(text(root / "f"))}),
            u->call("QX_File_DateStamp", {Variant(text(root / "f")), Variant(2)}));
  EXPECT_EQ(errorNumber([&] { u->call("QX_File_DateStamp", {Variant(text(root / "none"))}); }),
            vberr::FileNotFound);
}

TEST_F(LateBoundFilesTest, FolderAndLogMembers) {
  Object u = object();
  const fs::path root = freshFolder("lb-folders");
  fs::create_directories(root / "a" / "s");
  test::writeFile(root / "a" / "s" / "f", "x");
  EXPECT_TRUE(u->call("QX_File_FolderCopy",
                      {Variant(text(root / "a")), Variant(text(root / "b")), Variant(false)})
                  .isEmpty());
  EXPECT_EQ(errorNumber([&] {
              u->call("QX_File_FolderCopy",
                      {Variant(text(root / "a")), Variant(text(root / "b")), Variant(false)});
            }),
            vberr::FileAlreadyExists);
  EXPECT_EQ(errorNumber([&] {
              u->call("QX_File_FolderCopy", {Variant(text(root / "a")), Variant(text(root / "c"))});
            }),
            vberr::ArgumentNotOptional);
  EXPECT_TRUE(u->call("QX_File_FolderMove", {Variant(text(root / "b")), Variant(text(root / "c"))})
                  .isEmpty());
  EXPECT_TRUE(
      u->call("QX_File_FolderDelete", {Variant(text(root / "c")), Variant(false)}).isEmpty());
  EXPECT_FALSE(fs::exists(root / "c"));
  EXPECT_TRUE(fs::exists(root / "a" / "s" / "f"));

  EXPECT_EQ(u->call("QX_File_IsReservedFile", {Variant("/x/Quillane.ini")}), Variant(true));
  EXPECT_EQ(u->call("QX_File_IsReservedFile", {Variant("/x/other.ini")}), Variant(false));
  EXPECT_NE(str(u->call("QX_File_ReservedFilesAsXML")).find("Quillane.ini"), std::string::npos);
  EXPECT_EQ(u->call("QX_File_GetQxLogFile"), Variant(""));
  EXPECT_EQ(u->call("QX_File_WriteLog", {Variant(""), Variant("m")}), Variant(false));
  EXPECT_EQ(u->call("QX_File_WriteLog", {Variant(text(root / "l.log")), Variant("m")}),
            Variant(true));
  EXPECT_NE(test::readFile(root / "l.log").find(" - m\r\n"), std::string::npos);
}

}  // namespace
}  // namespace qxvb::test
