#include <fstream>

#include "files/class_registration.h"
#include "files/folder_locations.h"
#include "files_fixture.h"
#include "platform/registry/registry_store.h"
#include "platform/state_paths.h"

namespace qxvb::test {
namespace {

namespace fs = std::filesystem;

std::string slashed(const fs::path& p) {
  return p.string() + "/";
}

class FolderLocationTest : public FilesTest {
 protected:
  void TearDown() override {
    fs::remove(paths::configHome() / "user-dirs.dirs");
    FilesTest::TearDown();
  }
  std::string location(int32_t folder, bool shortPath = false) {
    return newUtils()->QX_File_GetFolderLocation(0, folder, shortPath);
  }
};

TEST_F(FolderLocationTest, ShellFoldersFollowTheStateFolders) {
  EXPECT_EQ(location(QXSF_AppData), slashed(paths::configHome()));
  EXPECT_EQ(location(QXSF_LOCAL_APPDATA), slashed(paths::dataHome()));
  EXPECT_EQ(location(QXSF_COMMON_APPDATA), slashed(paths::machineDir()));
  EXPECT_EQ(location(QXSF_PROFILE), slashed(paths::home()));
  EXPECT_EQ(location(QXSF_INTERNET_CACHE), slashed(paths::cacheHome()));
  EXPECT_EQ(location(QXSF_Windows), "/usr/share/");
  EXPECT_EQ(location(QXSF_WindowsFolder), "/usr/share/");
  EXPECT_EQ(location(QXSF_SYSTEM), "/usr/lib/");
  EXPECT_EQ(location(QXSF_SystemFolder), "/usr/lib/");
  // Asking for a folder creates it on the way.
  const std::string fonts = location(QXSF_FONTS);
  EXPECT_EQ(fonts, slashed(paths::dataHome() / "fonts"));
  EXPECT_TRUE(fs::is_directory(fonts));
}

TEST_F(FolderLocationTest, FoldersWithoutMeaningHereAreEmpty) {
  const int32_t folders[] = {QXSF_PRINTERS,
                             QXSF_BITBUCKET,
                             QXSF_NETWORK,
                             QXSF_NETHOOD,
                             QXSF_DRIVES,
                             QXSF_COOKIES,
                             QXSF_COMMON_ADMINTOOLS,
                             49,
                             256,
                             300,
                             511};
  for (int32_t folder : folders) {
    EXPECT_EQ(location(folder), "") << folder;
  }
}

TEST_F(FolderLocationTest, ShellFlagBitsAreDropped) {
  EXPECT_EQ(location(QXSF_AppData + 32768), location(QXSF_AppData));
  EXPECT_EQ(location(QXSF_QXAppData + 0x4000), location(QXSF_QXAppData));
}

TEST_F(FolderLocationTest, ProductFoldersAndTheirSubFolders) {
  const std::string appData = slashed(paths::configHome() / "Brackwell" / "Quillane");
  const std::string local = slashed(paths::dataHome() / "Brackwell" / "Quillane");
  const std::string common = slashed(paths::machineDir() / "Brackwell" / "Quillane");
  EXPECT_EQ(location(QXSF_QXAppData), appData);
  EXPECT_EQ(location(QXSF_QXAppDataTemp), appData + "Temp/");
  EXPECT_EQ(location(QXSF_QXAppDataConnections), appData + "Connections/");
  EXPECT_EQ(location(QXSF_QXLocalAppData), local);
  EXPECT_EQ(location(QXSF_QXLocalAppDataTemp), local + "Temp/");
  EXPECT_EQ(location(QXSF_QXLocalAppDataConnections), local + "Connections/");
  EXPECT_EQ(location(QXSF_QXCommonAppData), common);
  EXPECT_EQ(location(QXSF_QXCommonAppDataTemp), common + "Temp/");
  EXPECT_EQ(location(QXSF_QXCommonAppDataConnections), common + "Connections/");
  // The library's temporary folder is the product's local one.
  EXPECT_EQ(location(QXSF_TemporaryFolder), local + "Temp/");
  EXPECT_TRUE(fs::is_directory(local + "Temp"));
  EXPECT_EQ(location(QXSF_QXAppData, true), appData);
}

TEST_F(FolderLocationTest, RoamingProfileReplacesLocalFolders) {
  for (const char* on : {"TRUE", "true", "True"}) {
    setUtilSetting("UseRoamingProfile", on);
    EXPECT_EQ(location(QXSF_QXLocalAppDataTemp), location(QXSF_QXAppDataTemp)) << on;
    EXPECT_EQ(location(QXSF_QXLocalAppData), location(QXSF_QXAppData));
    EXPECT_EQ(location(QXSF_QXLocalAppDataConnections), location(QXSF_QXAppDataConnections));
    EXPECT_EQ(location(QXSF_LOCAL_APPDATA), slashed(paths::configHome()));
    EXPECT_EQ(location(QXSF_TemporaryFolder), location(QXSF_QXAppDataTemp));
  }
  setUtilSetting("UseRoamingProfile", "yes");
  EXPECT_EQ(location(QXSF_LOCAL_APPDATA), slashed(paths::dataHome()));
  EXPECT_EQ(location(QXSF_COMMON_APPDATA), slashed(paths::machineDir()));
}

TEST_F(FolderLocationTest, FolderGuidAddsALevelThatGoesAtUnload) {
  setUtilSetting("FolderGUID", "abc");
  const std::string expected = slashed(paths::configHome() / "Brackwell" / "Quillane" / "abc");
  EXPECT_EQ(location(QXSF_QXAppData), expected);
  EXPECT_EQ(location(QXSF_QXAppDataTemp), expected + "Temp/");
  EXPECT_EQ(location(QXSF_QXLocalAppData),
            slashed(paths::dataHome() / "Brackwell" / "Quillane" / "abc"));
  // The common folder has no such level.
  EXPECT_EQ(location(QXSF_QXCommonAppData),
            slashed(paths::machineDir() / "Brackwell" / "Quillane"));
  ASSERT_TRUE(fs::is_directory(expected + "Temp"));
  unloadThread();
  EXPECT_FALSE(fs::exists(expected));
  EXPECT_TRUE(fs::is_directory(paths::configHome() / "Brackwell" / "Quillane"));
}

TEST_F(FolderLocationTest, FolderGuidThatWouldLeaveTheProductFolderIsIgnored) {
  const std::string plain = slashed(paths::configHome() / "Brackwell" / "Quillane");
  for (const char* guid : {"..", ".", "../..", "a/b"}) {
    setUtilSetting("FolderGUID", guid);
    EXPECT_EQ(location(QXSF_QXAppData), plain) << guid;
  }
  unloadThread();
  EXPECT_TRUE(fs::is_directory(paths::configHome()));
  EXPECT_TRUE(fs::is_directory(plain));
}

TEST_F(FolderLocationTest, RelocatedProfileNeedsBothSettingsAndAUsableRoot) {
  const fs::path root = freshFolder("profile");
  setUtilSetting("ProfilePath", text(root / "p" / "q"));
  EXPECT_EQ(location(QXSF_QXAppData), slashed(paths::configHome() / "Brackwell" / "Quillane"));
  setUtilSetting("FolderGUID", "g");
  EXPECT_EQ(location(QXSF_QXAppData), text(root / "p" / "q") + "/g/Application Data/");
  EXPECT_EQ(location(QXSF_QXLocalAppDataTemp),
            text(root / "p" / "q") + "/g/Local Settings/Application Data/Temp/");
  EXPECT_TRUE(fs::is_directory(root / "p" / "q" / "g" / "Application Data"));
  unloadThread();
  EXPECT_FALSE(fs::exists(root / "p" / "q" / "g"));

  // A root below a file, or a relative one, cannot hold folders.
  test::writeFile(root / "file", "x");
  setUtilSetting("FolderGUID", "g");
  setUtilSetting("ProfilePath", text(root / "file" / "sub"));
  EXPECT_EQ(location(QXSF_QXAppData),
            slashed(paths::configHome() / "Brackwell" / "Quillane" / "g"));
  setUtilSetting("ProfilePath", "relative/profile");
  EXPECT_EQ(location(QXSF_QXLocalAppData),
            slashed(paths::dataHome() / "Brackwell" / "Quillane" / "g"));
  EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(FolderLocationTest, ProfileTestLeavesNoTrace) {
  const fs::path root = freshFolder("probe");
  EXPECT_TRUE(files::profileUsable(text(root / "a" / "b" / "c")));
  EXPECT_FALSE(fs::exists(root / "a"));
  fs::create_directories(root / "kept" / "inner");
  test::writeFile(root / "kept" / "inner" / "data", "d");
  EXPECT_TRUE(files::profileUsable(text(root / "kept") + "/"));
  EXPECT_TRUE(fs::exists(root / "kept" / "inner" / "data"));
  EXPECT_FALSE(files::profileUsable("not/absolute"));
}

TEST_F(FolderLocationTest, DocumentsAndPicturesFallBackWithoutUserDirectories) {
  const fs::path parent = paths::configHome().parent_path();
  EXPECT_EQ(location(QXSF_MyDocuments), slashed(parent / "My Documents"));
  EXPECT_EQ(location(QXSF_MYPICTURES), slashed(parent / "My Documents" / "My Pictures"));
  EXPECT_TRUE(fs::is_directory(parent / "My Documents" / "My Pictures"));
  EXPECT_EQ(location(QXSF_Desktop), slashed(paths::home() / "Desktop"));
  EXPECT_EQ(location(QXSF_TEMPLATES), "");
}

TEST_F(FolderLocationTest, UserDirectoriesComeFromUserDirsFile) {
  const fs::path pictures = freshFolder("pictures");
  test::writeFile(paths::configHome() / "user-dirs.dirs",
                  "# written by xdg-user-dirs-update\n"
                  "XDG_DESKTOP_DIR=\"$HOME/Schreibtisch\"\n"
                  "XDG_DOCUMENTS_DIR=\"$HOME/My \\\"Docs\\\"\"\n"
                  "XDG_PICTURES_DIR=\"" +
                      text(pictures) +
                      "\"\n"
                      "XDG_TEMPLATES_DIR=\"relative/ignored\"\n");
  EXPECT_EQ(location(QXSF_Desktop), slashed(paths::home() / "Schreibtisch"));
  EXPECT_EQ(location(QXSF_DESKTOPDIRECTORY), slashed(paths::home() / "Schreibtisch"));
  EXPECT_EQ(location(QXSF_MyDocuments), slashed(paths::home() / "My \"Docs\""));
  EXPECT_EQ(location(QXSF_MYPICTURES), slashed(pictures));
  EXPECT_EQ(location(QXSF_TEMPLATES), "");
}

TEST_F(FolderLocationTest, ConstructFolderPathNeedsAnAbsolutePath) {
  auto u = newUtils();
  const fs::path root = freshFolder("construct");
  EXPECT_TRUE(u->QX_File_ConstructFolderPath(text(root / "a" / "b" / "c")));
  EXPECT_TRUE(fs::is_directory(root / "a" / "b" / "c"));
  EXPECT_TRUE(u->QX_File_ConstructFolderPath(text(root / "a") + "/"));
  EXPECT_TRUE(u->QX_File_ConstructFolderPath(text(root / "x//y") + "/"));
  EXPECT_TRUE(fs::is_directory(root / "x" / "y"));
  EXPECT_TRUE(u->QX_File_ConstructFolderPath("/"));
  EXPECT_FALSE(u->QX_File_ConstructFolderPath("relative/folder"));
  EXPECT_FALSE(u->QX_File_ConstructFolderPath(""));
  EXPECT_FALSE(u->QX_File_ConstructFolderPath(std::string("/tmp/a\0b", 8)));
  test::writeFile(root / "file", "x");
  EXPECT_FALSE(u->QX_File_ConstructFolderPath(text(root / "file" / "sub")));
  EXPECT_FALSE(fs::exists("relative"));
}

TEST_F(FolderLocationTest, RegisteredPathFindsTheServerFolder) {
  auto u = newUtils();
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath("No.Such.Class"), "");
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath(""), "");
  EXPECT_EQ(u->QX_File_GetFolderLocation(0, QXSF_QXHostInstallPath), "");

  ASSERT_EQ(files::registerLibraryInStore(), 0);
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath("QXVBUtils.QXUtilities"), libraryFolder() + "/");
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath("qxvbutils.qx_file_utils", true),
            libraryFolder() + "/");

  // A host registered as a local server, with an in-process entry too.
  using registry::RootKey;
  const std::string clsid = "{11111111-2222-3333-4444-555555555555}";
  const fs::path host = freshFolder("host");
  registry::setValue(RootKey::ClassesRoot, "QXHost.Application\\CLSID", "", registry::kRegSz,
                     registry::makeString(clsid));
  registry::setValue(RootKey::ClassesRoot, "CLSID\\" + clsid + "\\InprocServer32", "",
                     registry::kRegSz, registry::makeString("/elsewhere/host.so"));
  registry::setValue(RootKey::ClassesRoot, "CLSID\\" + clsid + "\\LocalServer32", "",
                     registry::kRegSz, registry::makeString(text(host / "qxhost")));
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath(), slashed(host));
  EXPECT_EQ(u->QX_File_GetFolderLocation(0, QXSF_QXHostInstallPath), slashed(host));
  registry::setValue(RootKey::ClassesRoot, "CLSID\\" + clsid + "\\LocalServer32", "",
                     registry::kRegSz, registry::makeString("qxhost"));
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath("QXHost.Application"), "");

  ASSERT_EQ(files::unregisterLibraryFromStore(), 0);
  EXPECT_EQ(u->QX_File_ActiveX_RegisteredPath("QXVBUtils.QXUtilities"), "");
  registry::deleteTree(RootKey::ClassesRoot, "QXHost.Application");
  registry::deleteTree(RootKey::ClassesRoot, "CLSID\\" + clsid);
}

}  // namespace
}  // namespace qxvb::test
