// Ency files of the settings component, kept in the open repository's
// file table once the component has the repository's connection.
#include <gtest/gtest.h>

#include "frame/catalogue.h"
#include "repository_fixture.h"
#include "support/errors.h"

namespace qxvb {
namespace {

class EncyFilesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder_ = test::freshFolder("ency");
    connection_ = test::newRepository(folder_);
    utils_ = createObject("QXDUTILS.Utils");
  }
  void open() {
    utils_->call("SetEncyConnection", {Variant(Object(connection_))});
    utils_->call("SetEncyOpenStatus", {Variant(true)});
  }
  std::filesystem::path folder_;
  std::shared_ptr<ado::Connection> connection_;
  Object utils_;
};

TEST_F(EncyFilesTest, ClosedRepositoryAnswersNeutrally) {
  EXPECT_EQ(utils_->call("WriteEncyFile", {Variant("a.cfg"), Variant("x")}), Variant(false));
  utils_->call("SetEncyOpenStatus", {Variant(true)});
  EXPECT_EQ(utils_->call("EncyFileExists", {Variant("a.cfg")}), Variant(false));
  utils_->call("SetEncyConnection", {Variant(Object(connection_))});
  utils_->call("SetEncyOpenStatus", {Variant(false)});
  EXPECT_EQ(utils_->call("ReadEncyFile", {Variant("a.cfg")}), Variant(""));
  EXPECT_EQ(test::rowCount(*connection_), 0);
}

TEST_F(EncyFilesTest, WrittenFilesAreReadBackFromTheRepository) {
  open();
  EXPECT_EQ(utils_->call("WriteEncyFile", {Variant("Wizard.cfg"), Variant("[A]\r\nx=1\r\n")}),
            Variant(true));
  EXPECT_EQ(utils_->call("EncyFileExists", {Variant("Wizard.cfg")}), Variant(true));
  EXPECT_EQ(utils_->call("ReadEncyFile", {Variant("Wizard.cfg")}), Variant("[A]\r\nx=1\r\n"));
  EXPECT_EQ(CLng(test::storedValue(*connection_, "Wizard.cfg", "Version")), 1);
  utils_->call("WriteEncyFile", {Variant("Wizard.cfg"), Variant("[B]")});
  EXPECT_EQ(CStr(test::storedValue(*connection_, "Wizard.cfg", "Activity")), "C");
  EXPECT_EQ(utils_->call("ReadEncyFile", {Variant("missing.cfg")}), Variant(""));
  EXPECT_EQ(utils_->call("UpdateEncyFiles"), Variant(0));
  EXPECT_EQ(utils_->call("CloseEncyFile", {Variant("Wizard.cfg")}), Variant(0));
}

TEST_F(EncyFilesTest, ImportAndExportRespectOverwriteAndFolders) {
  open();
  const auto disk = test::writeDisk(folder_ / "disk" / "labels.txt", "labels");
  EXPECT_EQ(utils_->call("ImportEncyFile",
                         {Variant(disk.string()), Variant("labels.txt"), Variant(false)}),
            Variant(true));
  test::writeFile(disk, "changed");
  EXPECT_EQ(utils_->call("ImportEncyFile",
                         {Variant(disk.string()), Variant("labels.txt"), Variant(false)}),
            Variant(false));
  EXPECT_EQ(utils_->call("ReadEncyFile", {Variant("labels.txt")}), Variant("labels"));
  EXPECT_EQ(utils_->call("ImportEncyFile",
                         {Variant(disk.string()), Variant("labels.txt"), Variant(true)}),
            Variant(true));
  EXPECT_EQ(utils_->call("ImportEncyFile", {Variant((folder_ / "none").string()),
                                            Variant("none.txt"), Variant(true)}),
            Variant(false));

  const auto out = folder_ / "out.txt";
  EXPECT_EQ(utils_->call("ExportEncyFile", {Variant("labels.txt"), Variant(out.string())}),
            Variant(true));
  EXPECT_EQ(test::readFile(out), "changed");
  EXPECT_EQ(utils_->call("ExportEncyFile", {Variant("none.txt"), Variant(out.string())}),
            Variant(false));
}

TEST_F(EncyFilesTest, NamesThatLeaveTheStoreAreRefused) {
  open();
  EXPECT_EQ(test::errorNumber([&] {
              utils_->call("WriteEncyFile", {Variant("..\\x.cfg"), Variant("x")});
            }),
            5);
  EXPECT_EQ(test::errorNumber([&] { utils_->call("EncyFileExists", {Variant("C:\\x.cfg")}); }), 5);
  EXPECT_EQ(test::rowCount(*connection_), 0);
  EXPECT_EQ(test::errorNumber([&] {
              utils_->call("SetEncyConnection", {Variant(createObject("ADODB.Recordset"))});
            }),
            13);
}

}  // namespace
}  // namespace qxvb
