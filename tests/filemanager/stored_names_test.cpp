// Stored names: the name a disk file is stored under, which names may be
// written below a folder, and how names are written into statements.
#include <gtest/gtest.h>

#include "filemanager/stored_names.h"
#include "filemanager/workspaces.h"
#include "support/errors.h"
#include "support/sandbox.h"

namespace qxvb::filestore {
namespace {

TEST(StoredNames, PicturesKeepTheirImagesFolder) {
  EXPECT_EQ(storedNameFor("C:\\Work\\Images\\pic.png"), "Images\\pic.png");
  EXPECT_EQ(storedNameFor("/home/ann/Work/IMAGES/Logo.PNG"), "IMAGES\\Logo.PNG");
  EXPECT_EQ(storedNameFor("/data/images/icons/a.svg"), "images\\icons\\a.svg");
  // "images" as the end of a file name is not a folder.
  EXPECT_EQ(storedNameFor("/data/myimages"), "myimages");
}

TEST(StoredNames, OtherFilesKeepTheirNameWithoutFolder) {
  EXPECT_EQ(storedNameFor("/home/ann/settings.cfg"), "settings.cfg");
  EXPECT_EQ(storedNameFor("plain.txt"), "plain.txt");
  EXPECT_EQ(storedNameFor("/home/ann/a.txt", "Reports\\b.txt"), "Reports\\b.txt");
  EXPECT_EQ(storedNameFor("/home/ann/a.txt", "Reports/b.txt"), "Reports\\b.txt");
}

TEST(StoredNames, OnlyRelativeNamesMayBeWritten) {
  for (const char* good : {"a.txt", "Images\\pic.png", "x y\\it's.cfg", "..a", "a..b",
                           "name:stream", "c:x", "a:b.txt", "Images\\12:30.png", "C:"}) {
    EXPECT_TRUE(isSafeStoredName(good)) << good;
  }
  for (const char* bad :
       {"", "..\\evil.txt", "Images\\..\\..\\evil", "\\etc\\passwd", "/etc/passwd",
        "C:\\Windows\\x.dll", "c:/x", "a\\\\b", "a\\", ".", "a\\.\\b", "a/../b", "a\\..\\..\\b"}) {
    EXPECT_FALSE(isSafeStoredName(bad)) << bad;
    EXPECT_EQ(test::errorNumber([&] { requireSafeStoredName(bad); }), 5) << bad;
  }
}

TEST(StoredNames, TargetPathsStayBelowTheFolder) {
  EXPECT_EQ(targetPathFor("/out", "Images\\pic.png"), std::filesystem::path("/out/Images/pic.png"));
  EXPECT_EQ(targetPathFor("/out", "a.txt"), std::filesystem::path("/out/a.txt"));
  EXPECT_EQ(test::errorNumber([] { targetPathFor("/out", "..\\..\\etc\\x"); }), 5);
  try {
    targetPathFor("/out", "C:\\x");
    FAIL() << "no error";
  } catch (const AutomationError& e) {
    EXPECT_NE(e.description().find("C:\\x"), std::string::npos) << e.description();
  }
}

TEST(StoredNames, AFolderOnTheWayThatIsALinkIsRefused) {
  const auto folder = test::freshFolder("link-target");
  const auto elsewhere = test::freshFolder("link-elsewhere");
  std::filesystem::create_directory_symlink(elsewhere, folder / "Images");
  EXPECT_EQ(test::errorNumber([&] { targetPathFor(folder, "Images\\pic.png"); }), 5);
  // A link as the file itself is replaced by the written file, not followed.
  EXPECT_EQ(targetPathFor(folder, "Images"), folder / "Images");
}

TEST(StoredNames, QuotesAreEscapedInStatementsAndXml) {
  EXPECT_EQ(sqlText("it's"), "'it''s'");
  EXPECT_EQ(sqlText("'; DROP TABLE Files; --"), "'''; DROP TABLE Files; --'");
  EXPECT_EQ(sqlText("Images\\a.png"), "'Images\\a.png'");
  EXPECT_EQ(fileListXml({"a.txt", "it's <&>.txt"}),
            "<Root><File Name='a.txt'/><File Name='it&apos;s &lt;&amp;&gt;.txt'/></Root>");
  EXPECT_EQ(fileListXml({}), "<Root></Root>");
}

TEST(Workspaces, StatementsByRepositoryKind) {
  EXPECT_EQ(workspaceTreeQuery(false), "select dbo.QXSF_WorkspacesRetrieveTree(0) as xml");
  EXPECT_EQ(workspaceTreeQuery(true), "select QXSF_WorkspacesRetrieveTree(0) as xml FROM DUAL");
  EXPECT_EQ(viewNameQuery(false, 7),
            "SELECT ViewName From dbo.QXSF_WorkspacesRetrieveViewNames(7) WHERE TableName='Files'");
  EXPECT_EQ(viewNameQuery(true, 7),
            "SELECT ViewName From TABLE(QXSF_WSRetrieveViewNames(7)) WHERE TableName='Files'");
  EXPECT_EQ(procedureName(FileProcedure::Insert, false), "dbo.QXSP_WorkspacesInsertFileInto");
  EXPECT_EQ(procedureName(FileProcedure::Delete, true), "QXSP_WorkspacesDeleteFile");
}

TEST(Workspaces, ResultCodesNameTheirMessages) {
  EXPECT_EQ(resultCodeStringId(FileProcedure::Insert, -1), 35115);
  EXPECT_EQ(resultCodeStringId(FileProcedure::Insert, -4), 35118);
  EXPECT_EQ(resultCodeStringId(FileProcedure::Delete, -1), 35108);
  EXPECT_EQ(resultCodeStringId(FileProcedure::Delete, -4), 35111);
  for (int32_t code : {0, 1, -5}) {
    EXPECT_EQ(resultCodeStringId(FileProcedure::Insert, code), 0) << code;
  }
}

TEST(Workspaces, TreeGivesNameBaselineAndCount) {
  const std::string tree =
      "<Tree><Workspace ID='1' Name='Main' Baseline='0'>"
      "<Workspace ID='4' Name='Release 2' Baseline='1'/></Workspace></Tree>";
  const WorkspaceInfo main = workspaceFromTree(tree, 1);
  EXPECT_EQ(main.count, 2);
  EXPECT_EQ(main.name, "Main");
  EXPECT_FALSE(main.baseline);
  const WorkspaceInfo release = workspaceFromTree(tree, 4);
  EXPECT_EQ(release.name, "Release 2");
  EXPECT_TRUE(release.baseline);
  EXPECT_EQ(workspaceFromTree(tree, 9).name, "");
  EXPECT_EQ(workspaceFromTree("not xml", 1).count, 0);
}

}  // namespace
}  // namespace qxvb::filestore
